#pragma once
// A loaded curve fitted: the data selected, the engine of the method run, and the record that
// `mt1d fit --format json` prints, a batch writes per site and the window keeps. The one place
// where options become a fit.

#include "fitting/RunControl.h"
#include "jobs/FitOptions.h"
#include "jobs/FitRecord.h"
#include "jobs/LoadCurve.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace mt1d::jobs {

struct FitRun {
    // The fit, whatever its ending (cancelled included: report.status says it); empty when
    // the data or the options were refused.
    std::optional<FitRecord> record;
    // The fitted model and, for layered fits, the standard error of each log10 parameter in
    // the kernel's order (ρ_1 … ρ_L, h_1 … h_{L−1}), as the engine gave them: for a caller
    // that goes on working with the model (the window).
    earth::LayeredModel model;
    std::vector<double> log10Sd;
    // Why nothing was fitted: too few usable values for the parameters, layer tops that do
    // not increase, an excluded row past the end of the curve … One sentence, no prefix.
    std::string refusal;
};

// Fits the curve's usable rows minus `excludedRows` (indices into loaded.curve.rows). Never
// throws for data or options it cannot use: that is the refusal.
// With both off-diagonal curves (loaded.second), `secondExcludedRows` are those of the yx curve.
FitRun FitCurve(const LoadedCurve& loaded, const FitOptions& options, const std::vector<std::size_t>& excludedRows = {},
                const fitting::RunControl& control = {}, const std::vector<std::size_t>& secondExcludedRows = {});

// The data a fit of `loaded` uses: its curve, or both curves when it has two.
fitting::SelectedData SelectLoaded(const LoadedCurve& loaded, fitting::FitComponents components,
                                   const std::vector<std::size_t>& excludedRows = {},
                                   const std::vector<std::size_t>& secondExcludedRows = {});

// Whether a fit reached what it was run for: a layered fit its minimum, an Occam fit its
// target. What `mt1d fit` decides its exit status by and a batch its "ok".
bool FitSucceeded(const fitting::FitReport& report);

// The model of a record (its layers' resistivities and thicknesses, exactly).
earth::LayeredModel ModelOf(const FitRecord& record);

}  // namespace mt1d::jobs
