#pragma once
// The commands of a sounding window. Each takes the window's state and returns a new state
// or a result; a command it cannot carry out throws Refusal, with a message for the user,
// and the state the caller holds stays as it was. Slots in the window only read widgets,
// call one of these and show what comes back.

#include "session/Session.h"

#include "fitting/RunControl.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace mt1d::session {

// A command the state does not allow; what() says why in words for the user.
class Refusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The ranges a hand-edited model is held to: those the layered fit searches by default
// (fitting::kDefaultResistivityBounds, kDefaultThicknessBounds).
inline constexpr double kMinEditResistivity = 1e-2;  // Ω·m
inline constexpr double kMaxEditResistivity = 1e6;   // Ω·m
inline constexpr double kMinEditThickness = 0.1;     // m
inline constexpr double kMaxEditDepth = 1e7;         // m, deepest interface

// --- Opening -------------------------------------------------------------------------------

// Reads the file (throws sounding::ReadError naming file, line and problem) and starts a
// session over it: the sounding's default mode, a 5 % floor, nothing excluded, no fits.
Session OpenSounding(const std::filesystem::path& path, const ReadSettings& read = {});

// A session over a sounding already read.
Session NewSession(sounding::Sounding sounding, std::string originalPath, ReadSettings read);

// What is wrong with a state (read back from a project, say), or nothing when it is one the
// commands could have made.
std::optional<std::string> SessionProblem(const Session& session);

// --- What the window shows -----------------------------------------------------------------

// The curve of the session's mode and floor: one row per row of the sounding.
sounding::Curve CurveOf(const Session& session);
// The rows and components a fit of this session uses.
fitting::DataSelection SelectionOf(const Session& session);
bool IsExcluded(const Session& session, std::size_t row);

// The response of a model at every row of the curve that has a frequency, and its RMS
// against the data a fit would use (empty, with the reason, when those data are refused).
struct ModelEvaluation {
    std::vector<fitting::ResponsePoint> response;
    std::optional<double> rms;
    std::string rmsProblem;
};
ModelEvaluation Evaluate(const Session& session, const earth::LayeredModel& model);

// The tops of a model's layers (first 0), in metres.
std::vector<double> LayerTops(const earth::LayeredModel& model);

// --- Data ----------------------------------------------------------------------------------

// Refused when the sounding has no data for the mode.
Session WithMode(const Session& session, sounding::Mode mode);
// Refused outside 0 to kMaxFloorPercent or not finite.
Session WithFloor(const Session& session, double floorPercent);
// Refused for a row past the end of the curve.
Session WithRowExcluded(const Session& session, std::size_t row, bool excluded);
// Every row in `rows` left out of fitting (a row already out stays out); refused, changing
// nothing, when one of them does not exist.
Session WithRowsExcluded(const Session& session, const std::vector<std::size_t>& rows);
// The impedance tensor turned into the frame whose x axis points `targetDeg` clockwise from
// north (sounding/Rotation.h), for example to a strike so that xy and yx become the two modes
// of a 2-D earth. Rows, exclusions and fits stay; the notes say from which frame the file's
// tensor came. Refused for a sounding of ρa and phase only and an angle that is not finite.
Session WithRotation(const Session& session, double targetDeg);

// --- Fitting -------------------------------------------------------------------------------

// Refused when a value lies outside the ranges of Session.h.
Session WithFitSettings(const Session& session, const jobs::FitOptions& settings);

// The settings `after` with the starts of a layered fit following its layer count as
// `mt1d fit`'s default does (fitting::DefaultStarts): when the count changes and the starts
// were the default of the old count, they become the default of the new one; starts the user
// chose stay.
jobs::FitOptions StartsFollowLayers(const jobs::FitOptions& before, jobs::FitOptions after);

// Runs the fit the settings ask for on the session's data. Runs on any thread (the session
// is read only); `control` carries progress and cancellation. Refused data come back as an
// outcome with status kInvalidInput and the reason in its message.
// A fit from the table (FitStart) needs a model in it; without one the outcome is refused.
FitOutcome RunFit(const Session& session, const fitting::RunControl& control = {},
                  FitStart start = FitStart::kSettings);
// Layered fits of 1, 2, … up to the settings' layer count, each with the settings' starts (the
// default of each count when the settings have the default), stopping at the first whose RMS
// reaches the target: that one is the outcome, or the last when none reaches it. Its notes
// say which counts were tried and their RMS. Cancelled: the fit under way, as it ended.
inline constexpr const char* kFewestLayersNote = "fewest layers that reach the target RMS";
inline constexpr const char* kNoLayerCountNote = "no count of 1 to";
FitOutcome RunFewestLayers(const Session& session, const fitting::RunControl& control = {});

// The options such a fit runs with (the record of the fit keeps them).
jobs::FitOptions FitOptionsOf(const Session& session, FitStart start = FitStart::kSettings);

// Keeps the outcome as the last result of its method and puts its model in the results
// table. Refused for an outcome without a model (refused input). The locks stay when a
// layered outcome has as many parameters as the table had, and go otherwise; a fit from the
// table leaves the layer count of the settings at its own.
Session WithFitOutcome(const Session& session, FitOutcome outcome);

// --- Editing the model by hand -------------------------------------------------------------
// Each refuses a session without an edited model, a layer or interface that does not exist
// and a value that is not a finite number; values are clamped to the ranges above.

// Sets one layer's resistivity.
Session WithLayerResistivity(const Session& session, std::size_t layer, double resistivityOhmM);
// Moves interface `index` (the bottom of layer `index`) to a depth between the interfaces
// above and below it, each at least kMinEditThickness away; the layers above and below it
// change thickness, every other interface stays where it is.
Session WithInterfaceDepth(const Session& session, std::size_t index, double depthM);
// Sets the thickness of a layer above the half-space; everything below moves with it.
Session WithLayerThickness(const Session& session, std::size_t layer, double thicknessM);
// Replaces the edited model (checked: resistivities and thicknesses positive and finite, one
// thickness fewer than resistivities). The locks go unless the layer count stays.
Session WithEditedModel(const Session& session, earth::LayeredModel model);

// Locks or frees one parameter of the edited model, in the kernel's order (ρ of layer j is
// parameter j, h of layer j is parameter L + j).
Session WithParameterLocked(const Session& session, std::size_t parameter, bool locked);
// Whether a parameter of the edited model is locked.
bool IsLocked(const Session& session, std::size_t parameter);
// Splits layer `layer` in two of the same resistivity and half its thickness each, so that
// the model's response does not change; the half-space gives a layer as thick as the depth
// of its top (kMinEditThickness·10 at least) above a half-space of its resistivity. The new
// lower part comes unlocked. Refused at kMaxLayers layers.
Session WithLayerInserted(const Session& session, std::size_t layer);
// Removes layer `layer`: the layer above takes its thickness (the top layer gives it to the
// one below), so that every other interface stays; removing the half-space makes the layer
// above it the half-space. Its locks go with it. Refused for a model of one layer.
Session WithLayerDeleted(const Session& session, std::size_t layer);

}  // namespace mt1d::session
