#include "session/SessionCommands.h"

#include "sounding/CurveDerivation.h"
#include "fitting/LayeredFit.h"
#include "sounding/Limits.h"
#include "fitting/Misfit.h"
#include "sounding/Modes.h"
#include "fitting/OccamFit.h"
#include "fitting/OccamMesh.h"
#include "sounding/SoundingFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
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

std::string FitSettingsProblemText(const FitSettings& s)
{
    std::ostringstream out;
    if (s.layers < kMinLayers || s.layers > kMaxLayers) {
        out << "the number of layers must lie between " << kMinLayers << " and " << kMaxLayers;
    } else if (!std::isfinite(s.targetRms) || s.targetRms < kMinTargetRms || s.targetRms > kMaxTargetRms) {
        out << "the target RMS must lie between " << kMinTargetRms << " and " << kMaxTargetRms;
    } else if (s.starts < 1 || s.starts > kMaxStarts) {
        out << "the number of starts must lie between 1 and " << kMaxStarts;
    }
    return out.str();
}

}  // namespace

Session OpenSounding(const std::filesystem::path& path, const ReadSettings& read)
{
    sounding::ReadOptions options;
    options.columns = read.columns;
    options.rotateToDeg = read.rotateToDeg;
    return NewSession(sounding::ReadSoundingFile(path, options), path.string(), read);
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

Session WithFitSettings(const Session& session, const FitSettings& settings)
{
    if (const std::string problem = FitSettingsProblemText(settings); !problem.empty()) throw Refusal(problem);
    Session next = session;
    next.fit = settings;
    return next;
}

FitOutcome RunFit(const Session& session, const fitting::RunControl& control)
{
    const auto started = std::chrono::steady_clock::now();
    const sounding::Curve curve = CurveOf(session);
    FitOutcome outcome;
    outcome.method = session.fit.method;
    // The context as `mt1d fit` records it for the same file and options (cli/FitOptions.h).
    FitContext& context = outcome.context;
    context.curve.mode = session.mode;
    context.curve.floorPercent = session.floorPercent;
    if (session.sounding.format == sounding::SourceFormat::kColumns) context.curve.columns = session.read.columns;
    context.curve.rotateDeg = session.read.rotateToDeg;
    context.settings.components = session.fit.components;
    context.settings.targetRms = session.fit.targetRms;
    context.notes = curve.notes;
    const fitting::SelectedData selected = fitting::SelectData(curve, SelectionOf(session));
    if (selected.Ok()) context.valuesFitted = selected.data.Count();
    if (session.fit.method == Method::kLayered) {
        fitting::LayeredOptions options;
        options.layers = session.fit.layers;
        options.data = SelectionOf(session);
        options.starts = session.fit.starts;
        options.seed = session.fit.seed;
        options.targetRms = session.fit.targetRms;
        fitting::LayeredFitResult fit = fitting::FitLayered(curve, options, control);
        context.settings.method = fitting::Method::kLayered;
        context.settings.maxIterations = options.maxIterations;
        context.settings.layers = options.layers;
        context.settings.starts = session.fit.starts;
        context.settings.seed = session.fit.seed;
        context.products = std::move(fit.products);
        if (fit.report.status != fitting::FitStatus::kInvalidInput) context.correlation = fit.uncertainty.correlation;
        outcome.report = std::move(fit.report);
        outcome.model = std::move(fit.model);
        outcome.log10Sd = std::move(fit.uncertainty.log10Sd);
    } else {
        fitting::OccamOptions options;
        options.data = SelectionOf(session);
        options.targetRms = session.fit.targetRms;
        fitting::OccamFitResult fit = fitting::FitOccam(curve, options, control);
        context.settings.method = fitting::Method::kOccam;
        context.settings.maxIterations = options.maxIterations;
        context.settings.layers = options.mesh.layers;
        outcome.report = std::move(fit.report);
        outcome.model = std::move(fit.model);
    }
    outcome.elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

Session WithFitOutcome(const Session& session, FitOutcome outcome)
{
    if (outcome.report.status == fitting::FitStatus::kInvalidInput || outcome.model.resistivity.empty()) {
        throw Refusal(outcome.report.message.empty() ? std::string("the fit made no model")
                                                     : outcome.report.message);
    }
    Session next = session;
    next.edited = outcome.model;
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
    next.edited = std::move(model);
    return next;
}

}  // namespace mt1d::session
