#include "jobs/ScoreModel.h"

#include "fitting/Misfit.h"
#include "jobs/FitCurve.h"

#include <cmath>

namespace mt1d::jobs {

namespace {

bool PositiveFinite(double x) { return std::isfinite(x) && x > 0.0; }

std::string ModelProblem(const earth::LayeredModel& model)
{
    if (model.resistivity.empty()) return "the model has no layer";
    if (model.thickness.size() + 1 != model.resistivity.size()) {
        return "the model has " + std::to_string(model.resistivity.size()) + " resistivities and " +
               std::to_string(model.thickness.size()) + " thicknesses; one fewer thickness is needed";
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
    return {};
}

}  // namespace

ScoreRun ScoreModel(const LoadedCurve& loaded, const earth::LayeredModel& model, fitting::FitComponents components,
                    const std::vector<std::size_t>& excludedRows)
{
    ScoreRun run;
    if (std::string problem = ModelProblem(model); !problem.empty()) {
        run.refusal = std::move(problem);
        return run;
    }
    const fitting::SelectedData selected = SelectLoaded(loaded, components, excludedRows);
    if (!selected.Ok()) {
        run.refusal = selected.error;
        return run;
    }
    fitting::Misfit misfit(selected.data);
    ModelScore score;
    score.chi2 = misfit.Evaluate(model.resistivity, model.thickness);
    score.count = misfit.Count();
    score.rms = fitting::Rms(score.chi2, score.count);
    std::vector<double> frequencies;
    for (const auto& row : loaded.curve.rows) {
        if (PositiveFinite(row.frequencyHz)) frequencies.push_back(row.frequencyHz);
    }
    if (loaded.second) {
        const auto kernel = selected.data.KernelFrequencies();
        frequencies.assign(kernel.begin(), kernel.end());
    }
    score.response = fitting::ModelResponse(model, frequencies);
    run.score = std::move(score);
    return run;
}

}  // namespace mt1d::jobs
