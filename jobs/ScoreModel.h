#pragma once
// A given layered model scored against a loaded curve exactly as the fits score their models
// (fitting/Misfit.h): χ² over the usable rows minus the excluded ones, each value weighted by
// its error, RMS = sqrt(χ²/N). What `mt1d misfit` prints, so that an interpreter can test a
// hypothesis (a layer the fit left out, a depth from a borehole) against the data.

#include "fitting/FitData.h"
#include "fitting/FitReport.h"
#include "jobs/LoadCurve.h"
#include "numerics/LayeredEarth.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mt1d::jobs {

struct ModelScore {
    double chi2 = 0.0;
    double rms = 0.0;
    std::size_t count = 0;  // N: ρa and phase values counted separately
    // The model's response at every row of the curve that has a frequency.
    std::vector<fitting::ResponsePoint> response;
};

struct ScoreRun {
    std::optional<ModelScore> score;
    std::string refusal;  // why the data or the model cannot be scored; one sentence
};

// Never throws for data or a model it cannot use: that is the refusal (a model whose
// resistivities and thicknesses are not positive finite numbers, one thickness fewer than
// resistivities; no usable row left).
ScoreRun ScoreModel(const LoadedCurve& loaded, const earth::LayeredModel& model,
                    fitting::FitComponents components = fitting::FitComponents::kBoth,
                    const std::vector<std::size_t>& excludedRows = {});

}  // namespace mt1d::jobs
