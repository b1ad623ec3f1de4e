#pragma once
// The state of one sounding window as a value: the sounding itself (its data, not only where
// it came from), how it was read, the curve the user looks at, the rows left out of fitting,
// the fit settings, the last result of each fit method and the model the user edits by hand.
//
// Everything shown in the window follows from this value; the window's commands
// (SessionCommands.h) take one and give a new one, so that a refusal leaves the old value untouched
// and a project (Project.h) is only a list of them.

#include "sounding/ColumnReader.h"
#include "sounding/Curve.h"
#include "fitting/FitData.h"
#include "jobs/FitOptions.h"
#include "jobs/FitRecord.h"
#include "fitting/FitReport.h"
#include "numerics/LayeredEarth.h"
#include "sounding/Sounding.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mt1d::session {

// How the file was read: what the user gave besides its name.
struct ReadSettings {
    std::vector<sounding::Column> columns;  // column files; empty: the file's header
    std::optional<double> rotateToDeg;      // rotate the tensor into this frame; empty: keep it
};

using fitting::Method;

// Ranges the window offers and the project reader accepts.
inline constexpr std::size_t kMinLayers = 1;
inline constexpr std::size_t kMaxLayers = 30;      // as fitting::kMaxLayers
inline constexpr std::size_t kMaxStarts = 100000;  // a layered run of more starts is not a user's
inline constexpr double kMinTargetRms = 0.01;
inline constexpr double kMaxTargetRms = 1000.0;
inline constexpr double kMaxFloorPercent = 100.0;

// The fit settings a new window starts with: an Occam fit; for layered fits three layers, 20
// starts, seed 1.
jobs::FitOptions DefaultWindowFit();

// What `mt1d fit` records of a fit beside its report (report/FitRecord.h), taken when the fit
// ran: the data choices and settings may change afterwards, the record of the fit does not.
struct FitContext {
    jobs::DataOptions curve;   // as the record keeps them
    jobs::FitOptions settings;
    std::size_t valuesFitted = 0;
    std::vector<std::string> notes;                // the curve's notes
    std::vector<fitting::LayerProducts> products;  // layered fits
    std::vector<double> correlation;               // layered fits, P × P row-major
};

// One finished fit as the window shows it and the project keeps it.
struct FitOutcome {
    Method method = Method::kOccam;
    fitting::FitReport report;     // layers carry their errors for layered fits
    earth::LayeredModel model;
    std::vector<double> log10Sd;   // layered: per parameter in the kernel's order; smooth: empty
    double elapsedMs = 0.0;        // wall time of the run
    FitContext context;            // FitRecords.h makes the record of the fit from it
};

struct Session {
    sounding::Sounding sounding;
    std::string originalPath;  // the file as it was opened, for reference only
    ReadSettings read;
    sounding::Mode mode = sounding::Mode::kDet;
    double floorPercent = 5.0;
    std::vector<std::size_t> excludedRows;  // indices into the curve's rows, ascending, distinct
    // The window keeps layers, starts and seed for its layered fits whichever method is chosen.
    jobs::FitOptions fit = DefaultWindowFit();
    std::optional<FitOutcome> layered;
    std::optional<FitOutcome> occam;
    // The model in the results table: the last fit's model, then whatever the user makes of it.
    std::optional<earth::LayeredModel> edited;
    // The parameters of the edited model that a layered fit keeps as they are: empty (none),
    // or one flag per parameter in the kernel's order (ρ of each layer, then h of each layer
    // above the half-space).
    std::vector<bool> locked;
};

// Where a layered fit starts. kSettings: the starts the settings ask for, seeded around the
// data, unless the table has locked values and as many layers as the settings, when it starts
// from the table as kTable does. kTable: from the model in the table (its layer count, its
// values as the first start, its locked values kept), the rest of the starts seeded.
enum class FitStart { kSettings, kTable };

}  // namespace mt1d::session
