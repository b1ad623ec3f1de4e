#include "session/SessionCommands.h"

#include "sounding/Rotation.h"

#include "sounding/CurveDerivation.h"
#include "fitting/LayeredFit.h"
#include "sounding/Limits.h"
#include "fitting/Misfit.h"
#include "sounding/Modes.h"
#include "fitting/OccamFit.h"
#include "fitting/OccamMesh.h"
#include "sounding/SoundingFile.h"
#include "jobs/FitCurve.h"
#include "jobs/LoadCurve.h"
#include "session/FitRecords.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace mt1d::session {

namespace {

bool PositiveFinite(double x) { return std::isfinite(x) && x > 0.0; }

// A model kept in a session, fitted or edited, holds at most as many layers as a smooth fit
// makes (fitting::kMaxOccamLayers).
std::optional<std::string> ModelProblem(const earth::LayeredModel& model)
{
    if (model.resistivity.empty()) return "the model has no layer";
    if (model.resistivity.size() > fitting::kMaxOccamLayers) {
        return "the model has " + std::to_string(model.resistivity.size()) + " layers, more than "
               + std::to_string(fitting::kMaxOccamLayers);
    }
    if (model.thickness.size() + 1 != model.resistivity.size()) {
        return "the model has " + std::to_string(model.resistivity.size()) + " resistivities but "
               + std::to_string(model.thickness.size()) + " thicknesses (one fewer expected)";
    }
    for (std::size_t j = 0; j < model.resistivity.size(); ++j) {
        if (!PositiveFinite(model.resistivity[j])) {
            return "layer " + std::to_string(j + 1) + ": the resistivity is not a positive number";
        }
    }
    for (std::size_t j = 0; j < model.thickness.size(); ++j) {
        if (!PositiveFinite(model.thickness[j])) {
            return "layer " + std::to_string(j + 1) + ": the thickness is not a positive number";
        }
    }
    return std::nullopt;
}

const earth::LayeredModel& EditedOf(const Session& session)
{
    if (!session.edited) throw Refusal("there is no model to edit yet: run a fit first");
    return *session.edited;
}

double RequireNumber(double value, const char* what)
{
    if (!std::isfinite(value)) throw Refusal(std::string(what) + " is not a number");
    return value;
}

std::string FitSettingsProblemText(const jobs::FitOptions& s)
{
    std::ostringstream out;
    const std::size_t layers = s.layers.value_or(0);
    const std::size_t starts = s.starts.value_or(0);
    if (layers < kMinLayers || layers > kMaxLayers) {
        out << "the number of layers must lie between " << kMinLayers << " and " << kMaxLayers;
    } else if (!std::isfinite(s.targetRms) || s.targetRms < kMinTargetRms || s.targetRms > kMaxTargetRms) {
        out << "the target RMS must lie between " << kMinTargetRms << " and " << kMaxTargetRms;
    } else if (starts < 1 || starts > kMaxStarts) {
        out << "the number of starts must lie between 1 and " << kMaxStarts;
    } else if (!s.seed) {
        out << "the seed is missing";
    }
    return out.str();
}

// The data options of the window's curve, as a fit records them.
jobs::DataOptions DataOptionsOf(const Session& session)
{
    jobs::DataOptions options;
    options.mode = session.mode;
    options.floorPercent = session.floorPercent;
    options.columns = session.read.columns;
    options.rotateDeg = session.read.rotateToDeg;
    return options;
}

// The locks of a model as two lists, per layer: ρ and h (the half-space has no h).
struct Locks {
    std::vector<bool> rho, h;
};

Locks SplitLocks(const Session& session)
{
    const std::size_t layers = session.edited->LayerCount();
    Locks locks{std::vector<bool>(layers, false), std::vector<bool>(layers - 1, false)};
    if (session.locked.size() == session.edited->ParameterCount()) {
        for (std::size_t j = 0; j < layers; ++j) locks.rho[j] = session.locked[j];
        for (std::size_t j = 0; j + 1 < layers; ++j) locks.h[j] = session.locked[layers + j];
    }
    return locks;
}

// The flags in the kernel's order, or nothing when none is set.
std::vector<bool> JoinLocks(const Locks& locks)
{
    std::vector<bool> joined = locks.rho;
    joined.insert(joined.end(), locks.h.begin(), locks.h.end());
    if (std::find(joined.begin(), joined.end(), true) == joined.end()) joined.clear();
    return joined;
}

bool AnyLocked(const Session& session)
{
    return std::find(session.locked.begin(), session.locked.end(), true) != session.locked.end();
}

}  // namespace

// What the window's fit settings ask of a fit: the layer count, starts and seed are those of
// its layered fits; an Occam fit takes its own mesh. A layered fit from the table takes the
// table's layer count, its model as the first start and its locks.
jobs::FitOptions FitOptionsOf(const Session& session, FitStart start)
{
    jobs::FitOptions options = session.fit;
    if (start == FitStart::kTable) {
        options.method = Method::kLayered;
        if (session.edited) {
            jobs::FitOptions counted = options;
            counted.layers = session.edited->LayerCount();
            options = StartsFollowLayers(options, counted);
        }
    }
    if (options.method == Method::kOccam) {
        options.layers.reset();
        options.starts.reset();
        options.seed.reset();
        return options;
    }
    const bool fromTable = session.edited && session.edited->LayerCount() == options.layers
                           && (start == FitStart::kTable || AnyLocked(session));
    if (fromTable) {
        options.startResistivity = session.edited->resistivity;
        options.startThickness = session.edited->thickness;
        if (AnyLocked(session)) options.fixed = session.locked;
    }
    return options;
}

Session OpenSounding(const std::filesystem::path& path, const ReadSettings& read)
{
    sounding::ReadOptions options;
    options.columns = read.columns;
    options.rotateToDeg = read.rotateToDeg;
    return NewSession(sounding::ReadSoundingFile(path, options), path.string(), read);
}

jobs::FitOptions DefaultWindowFit()
{
    jobs::FitOptions fit;
    fit.layers = 3;
    fit.starts = fitting::DefaultStarts(3);  // as mt1d fit
    fit.seed = jobs::kDefaultSeed;
    return fit;
}

Session NewSession(sounding::Sounding sounding, std::string originalPath, ReadSettings read)
{
    Session session;
    session.mode = sounding::DefaultMode(sounding);
    session.sounding = std::move(sounding);
    session.originalPath = std::move(originalPath);
    session.read = std::move(read);
    return session;
}

std::optional<std::string> SessionProblem(const Session& session)
{
    const auto& s = session.sounding;
    const std::size_t rows = s.RowCount();
    if (s.kind == sounding::DataKind::kImpedance ? !s.rhoPhase.empty() : !s.tensor.empty()) {
        return std::string("the sounding holds rows of the other kind than it says");
    }
    if (rows == 0) return std::string("the sounding has no rows");
    if (rows > sounding::kMaxFrequencies) {
        return "the sounding has more than " + std::to_string(sounding::kMaxFrequencies) + " rows";
    }
    const auto modes = sounding::SupportedModes(s);
    if (!modes.empty() && std::find(modes.begin(), modes.end(), session.mode) == modes.end()) {
        return "the sounding has no data for mode " + std::string(sounding::ModeName(session.mode));
    }
    if (!std::isfinite(session.floorPercent) || session.floorPercent < 0.0
        || session.floorPercent > kMaxFloorPercent) {
        return std::string("the error floor is not a percentage between 0 and 100");
    }
    for (std::size_t k = 0; k < session.excludedRows.size(); ++k) {
        if (session.excludedRows[k] >= rows) {
            return "excluded row " + std::to_string(session.excludedRows[k] + 1) + " does not exist (the sounding has "
                   + std::to_string(rows) + " rows)";
        }
        if (k > 0 && session.excludedRows[k] <= session.excludedRows[k - 1]) {
            return std::string("the excluded rows are not in ascending order");
        }
    }
    if (const std::string problem = FitSettingsProblemText(session.fit); !problem.empty()) return problem;
    for (const auto* outcome : {&session.layered, &session.occam}) {
        if (!*outcome) continue;
        if (const auto problem = ModelProblem((*outcome)->model)) return "a fit result: " + *problem;
        const std::size_t params = (*outcome)->model.ParameterCount();
        if (!(*outcome)->log10Sd.empty() && (*outcome)->log10Sd.size() != params) {
            return std::string("a fit result has another number of errors than parameters");
        }
    }
    if (session.layered && session.layered->method != Method::kLayered) {
        return std::string("the layered result was made by another method");
    }
    if (session.occam && session.occam->method != Method::kOccam) {
        return std::string("the smooth result was made by another method");
    }
    if (session.edited) {
        if (const auto problem = ModelProblem(*session.edited)) return "the edited model: " + *problem;
    }
    if (!session.locked.empty() && (!session.edited || session.locked.size() != session.edited->ParameterCount())) {
        return std::string("the locks do not match the parameters of the edited model");
    }
    return std::nullopt;
}

sounding::Curve CurveOf(const Session& session)
{
    return sounding::DeriveCurve(session.sounding, {session.mode, session.floorPercent});
}

fitting::DataSelection SelectionOf(const Session& session)
{
    return {session.fit.components, session.excludedRows};
}

bool IsExcluded(const Session& session, std::size_t row)
{
    return std::binary_search(session.excludedRows.begin(), session.excludedRows.end(), row);
}

ModelEvaluation Evaluate(const Session& session, const earth::LayeredModel& model)
{
    ModelEvaluation result;
    const sounding::Curve curve = CurveOf(session);
    std::vector<double> frequencies;
    for (const auto& row : curve.rows) {
        if (PositiveFinite(row.frequencyHz)) frequencies.push_back(row.frequencyHz);
    }
    result.response = fitting::ModelResponse(model, frequencies);
    const fitting::SelectedData selected = fitting::SelectData(curve, SelectionOf(session));
    if (!selected.Ok()) {
        result.rmsProblem = selected.error;
        return result;
    }
    fitting::Misfit misfit(selected.data);
    const double chi2 = misfit.Evaluate(model.resistivity, model.thickness);
    result.rms = fitting::Rms(chi2, misfit.Count());
    return result;
}

std::vector<double> LayerTops(const earth::LayeredModel& model)
{
    std::vector<double> tops(model.resistivity.size(), 0.0);
    for (std::size_t j = 1; j < tops.size(); ++j) tops[j] = tops[j - 1] + model.thickness[j - 1];
    return tops;
}

Session WithMode(const Session& session, sounding::Mode mode)
{
    const auto modes = sounding::SupportedModes(session.sounding);
    if (std::find(modes.begin(), modes.end(), mode) == modes.end()) {
        throw Refusal("the sounding has no data for mode " + std::string(sounding::ModeName(mode)));
    }
    Session next = session;
    next.mode = mode;
    return next;
}

Session WithFloor(const Session& session, double floorPercent)
{
    if (!std::isfinite(floorPercent) || floorPercent < 0.0 || floorPercent > kMaxFloorPercent) {
        throw Refusal("the error floor must be a percentage between 0 and 100");
    }
    Session next = session;
    next.floorPercent = floorPercent;
    return next;
}

Session WithRowExcluded(const Session& session, std::size_t row, bool excluded)
{
    if (row >= session.sounding.RowCount()) {
        throw Refusal("row " + std::to_string(row + 1) + " does not exist (the sounding has "
                      + std::to_string(session.sounding.RowCount()) + " rows)");
    }
    Session next = session;
    auto& rows = next.excludedRows;
    const auto at = std::lower_bound(rows.begin(), rows.end(), row);
    const bool present = at != rows.end() && *at == row;
    if (excluded && !present) rows.insert(at, row);
    if (!excluded && present) rows.erase(at);
    return next;
}

Session WithRowsExcluded(const Session& session, const std::vector<std::size_t>& rows)
{
    Session next = session;
    for (const std::size_t row : rows) next = WithRowExcluded(next, row, true);
    return next;
}

Session WithRotation(const Session& session, double targetDeg)
{
    if (!std::isfinite(targetDeg)) throw Refusal("the rotation angle must be a finite number of degrees");
    if (session.sounding.kind != sounding::DataKind::kImpedance) {
        throw Refusal("the sounding holds apparent resistivity and phase only: without the impedance tensor it "
                      "cannot be rotated");
    }
    Session next = session;
    // One note for the rotation however often it changes: the file's own frame, from the
    // first rotation's note, and the frame the tensor is in now.
    constexpr std::string_view kNote = "impedance tensor rotated from the file's frame";
    auto& notes = next.sounding.notes;
    std::optional<std::string> first;
    for (auto it = notes.begin(); it != notes.end();) {
        if (it->rfind(kNote, 0) == 0) {
            if (!first) first = *it;
            it = notes.erase(it);
        } else {
            ++it;
        }
    }
    sounding::RotateTo(next.sounding, targetDeg);
    if (first && !notes.empty()) {
        std::string& note = notes.back();
        const std::size_t oldTo = first->rfind(" to ");
        const std::size_t newTo = note.rfind(" to ");
        if (oldTo != std::string::npos && newTo != std::string::npos) note = first->substr(0, oldTo) + note.substr(newTo);
    }
    next.read.rotateToDeg = targetDeg;
    return next;
}

jobs::FitOptions StartsFollowLayers(const jobs::FitOptions& before, jobs::FitOptions after)
{
    if (before.layers && after.layers && before.layers != after.layers && before.starts
        && *before.starts == fitting::DefaultStarts(*before.layers) && after.starts == before.starts) {
        after.starts = fitting::DefaultStarts(*after.layers);
    }
    return after;
}

Session WithFitSettings(const Session& session, const jobs::FitOptions& settings)
{
    if (const std::string problem = FitSettingsProblemText(settings); !problem.empty()) throw Refusal(problem);
    Session next = session;
    next.fit = settings;
    return next;
}

FitOutcome RunFit(const Session& session, const fitting::RunControl& control, FitStart start)
{
    const auto started = std::chrono::steady_clock::now();
    const jobs::FitOptions options = FitOptionsOf(session, start);
    FitOutcome outcome;
    outcome.method = options.method;
    jobs::FitRun run;
    if (start == FitStart::kTable && !session.edited) {
        run.refusal = "there is no model in the table to start from";
    } else {
        try {
            run = jobs::FitCurve(jobs::CurveOfSounding(session.sounding, DataOptionsOf(session)), options,
                                 session.excludedRows, control);
        } catch (const jobs::LoadError& e) {
            run.refusal = e.what();
        }
    }
    if (run.record) {
        outcome = OutcomeOfRecord(*run.record);
        outcome.model = std::move(run.model);
        outcome.log10Sd = std::move(run.log10Sd);
    } else {
        outcome.report.method = options.method;
        outcome.report.mode = session.mode;
        outcome.report.status = fitting::FitStatus::kInvalidInput;
        outcome.report.message = run.refusal;
    }
    outcome.elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

FitOutcome RunFewestLayers(const Session& session, const fitting::RunControl& control)
{
    Session each = session;
    each.fit.method = Method::kLayered;
    each.locked.clear();  // the table's locks belong to its own layer count
    const std::size_t most = session.fit.layers.value_or(kMinLayers);
    FitOutcome outcome;
    std::string tried;
    for (std::size_t layers = kMinLayers; layers <= most; ++layers) {
        jobs::FitOptions counted = each.fit;
        counted.layers = layers;
        each.fit = StartsFollowLayers(each.fit, counted);
        outcome = RunFit(each, control);
        if (outcome.report.status == fitting::FitStatus::kInvalidInput) return outcome;
        char rms[32];
        std::snprintf(rms, sizeof rms, "%.3g", outcome.report.rms);
        tried += (tried.empty() ? "" : ", ") + std::to_string(layers) + ": " + rms;
        if (outcome.report.status == fitting::FitStatus::kCancelled || outcome.report.targetReached) break;
    }
    const std::size_t found = outcome.model.LayerCount();
    outcome.context.notes.push_back(
        (outcome.report.targetReached ? std::string(kFewestLayersNote) + ": " + std::to_string(found)
                                      : std::string(kNoLayerCountNote) + " " + std::to_string(most)
                                            + " layers reaches the target RMS")
        + " (RMS by layers " + tried + ")");
    return outcome;
}

Session WithFitOutcome(const Session& session, FitOutcome outcome)
{
    if (outcome.report.status == fitting::FitStatus::kInvalidInput || outcome.model.resistivity.empty()) {
        throw Refusal(outcome.report.message.empty() ? std::string("the fit made no model")
                                                     : outcome.report.message);
    }
    Session next = session;
    const bool keepLocks = outcome.method == Method::kLayered && session.edited
                           && session.edited->ParameterCount() == outcome.model.ParameterCount();
    if (!keepLocks) next.locked.clear();
    next.edited = outcome.model;
    const jobs::FitOptions& ran = outcome.context.settings;
    if (outcome.method == Method::kLayered && !ran.startResistivity.empty() && ran.layers
        && next.fit.layers != ran.layers) {
        jobs::FitOptions counted = next.fit;
        counted.method = Method::kLayered;
        counted.layers = ran.layers;
        next.fit = StartsFollowLayers(next.fit, counted);
    }
    (outcome.method == Method::kLayered ? next.layered : next.occam) = std::move(outcome);
    return next;
}

Session WithLayerResistivity(const Session& session, std::size_t layer, double resistivityOhmM)
{
    const auto& model = EditedOf(session);
    if (layer >= model.resistivity.size()) {
        throw Refusal("layer " + std::to_string(layer + 1) + " does not exist (the model has "
                      + std::to_string(model.resistivity.size()) + " layers)");
    }
    RequireNumber(resistivityOhmM, "the resistivity");
    Session next = session;
    next.edited->resistivity[layer] = std::clamp(resistivityOhmM, kMinEditResistivity, kMaxEditResistivity);
    return next;
}

Session WithInterfaceDepth(const Session& session, std::size_t index, double depthM)
{
    const auto& model = EditedOf(session);
    if (index >= model.thickness.size()) {
        throw Refusal("interface " + std::to_string(index + 1) + " does not exist (the model has "
                      + std::to_string(model.thickness.size()) + " interfaces)");
    }
    RequireNumber(depthM, "the depth");
    const std::vector<double> tops = LayerTops(model);
    const double above = tops[index];  // top of the layer whose bottom moves
    const bool last = index + 1 == model.thickness.size();
    const double below = last ? kMaxEditDepth + kMinEditThickness : tops[index + 2];
    const double lowest = above + kMinEditThickness;
    const double highest = below - kMinEditThickness;
    // A layer squeezed thinner than twice the minimum keeps its interface where it is.
    const double depth = lowest <= highest ? std::clamp(depthM, lowest, highest) : tops[index + 1];
    Session next = session;
    next.edited->thickness[index] = depth - above;
    if (!last) next.edited->thickness[index + 1] = below - depth;
    return next;
}

Session WithLayerThickness(const Session& session, std::size_t layer, double thicknessM)
{
    const auto& model = EditedOf(session);
    if (layer >= model.thickness.size()) {
        throw Refusal("layer " + std::to_string(layer + 1) + " has no thickness to set (the model has "
                      + std::to_string(model.thickness.size()) + " layers above the half-space)");
    }
    RequireNumber(thicknessM, "the thickness");
    Session next = session;
    next.edited->thickness[layer] = std::clamp(thicknessM, kMinEditThickness, kMaxEditDepth);
    return next;
}

Session WithEditedModel(const Session& session, earth::LayeredModel model)
{
    if (const auto problem = ModelProblem(model)) throw Refusal(*problem);
    Session next = session;
    if (!session.edited || session.edited->LayerCount() != model.LayerCount()) next.locked.clear();
    next.edited = std::move(model);
    return next;
}

Session WithParameterLocked(const Session& session, std::size_t parameter, bool locked)
{
    const auto& model = EditedOf(session);
    if (parameter >= model.ParameterCount()) {
        throw Refusal("parameter " + std::to_string(parameter + 1) + " does not exist (the model has "
                      + std::to_string(model.ParameterCount()) + ")");
    }
    Session next = session;
    next.locked.resize(model.ParameterCount(), false);
    next.locked[parameter] = locked;
    if (!AnyLocked(next)) next.locked.clear();
    return next;
}

bool IsLocked(const Session& session, std::size_t parameter)
{
    return parameter < session.locked.size() && session.locked[parameter];
}

Session WithLayerInserted(const Session& session, std::size_t layer)
{
    const auto& model = EditedOf(session);
    const std::size_t layers = model.LayerCount();
    if (layer >= layers) {
        throw Refusal("layer " + std::to_string(layer + 1) + " does not exist (the model has " + std::to_string(layers)
                      + " layers)");
    }
    if (layers >= kMaxLayers) {
        throw Refusal("the model has " + std::to_string(layers) + " layers, as many as a layered fit takes");
    }
    Session next = session;
    Locks locks = SplitLocks(session);
    auto& m = *next.edited;
    const auto at = static_cast<std::ptrdiff_t>(layer) + 1;
    m.resistivity.insert(m.resistivity.begin() + at, model.resistivity[layer]);
    locks.rho.insert(locks.rho.begin() + at, false);
    if (layer + 1 < layers) {
        const double half = model.thickness[layer] / 2.0;
        if (half < kMinEditThickness) {
            throw Refusal("layer " + std::to_string(layer + 1) + " is too thin to split");
        }
        m.thickness[layer] = half;
        m.thickness.insert(m.thickness.begin() + at, half);
        locks.h[layer] = false;  // its value changed
        locks.h.insert(locks.h.begin() + at, false);
    } else {
        const double top = LayerTops(model).back();
        const double thickness = std::clamp(top > 0.0 ? top : 100.0, kMinEditThickness,
                                            std::max(kMinEditThickness, kMaxEditDepth - top));
        m.thickness.push_back(thickness);
        locks.h.push_back(false);
    }
    next.locked = JoinLocks(locks);
    return next;
}

Session WithLayerDeleted(const Session& session, std::size_t layer)
{
    const auto& model = EditedOf(session);
    const std::size_t layers = model.LayerCount();
    if (layer >= layers) {
        throw Refusal("layer " + std::to_string(layer + 1) + " does not exist (the model has " + std::to_string(layers)
                      + " layers)");
    }
    if (layers == 1) throw Refusal("the model has one layer only");
    Session next = session;
    Locks locks = SplitLocks(session);
    auto& m = *next.edited;
    const auto at = static_cast<std::ptrdiff_t>(layer);
    m.resistivity.erase(m.resistivity.begin() + at);
    locks.rho.erase(locks.rho.begin() + at);
    if (layer + 1 == layers) {
        m.thickness.pop_back();
        locks.h.pop_back();
    } else if (layer == 0 && layers == 2) {
        m.thickness.clear();  // the half-space reaches the surface
        locks.h.clear();
    } else {
        const std::size_t taker = layer > 0 ? layer - 1 : 1;  // index before the erase
        m.thickness[taker] += model.thickness[layer];
        if (taker < locks.h.size()) locks.h[taker] = false;  // its value changed
        m.thickness.erase(m.thickness.begin() + at);
        locks.h.erase(locks.h.begin() + at);
    }
    next.locked = JoinLocks(locks);
    return next;
}

}  // namespace mt1d::session
