#pragma once
// Checks to ASSERT before a test reads a fit's numbers: a fit that failed has no model (or a
// report without roughness and history), and indexing it would crash the whole test binary
// instead of failing the one test.
//
//     const auto fit = FitLayered(curve, options);
//     ASSERT_TRUE(testing_support::HasLayeredModel(fit, 3));
//     EXPECT_NEAR(fit.model.resistivity[1], 10.0, 0.5);

#include "fitting/LayeredFit.h"
#include "fitting/OccamFit.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace testing_support {

// A layered fit with a model of `layers` layers and a standard error for each parameter.
inline ::testing::AssertionResult HasLayeredModel(const mt1d::fitting::LayeredFitResult& fit, std::size_t layers)
{
    const std::size_t p = 2 * layers - 1;
    if (fit.model.resistivity.size() != layers || fit.model.thickness.size() + 1 != layers ||
        fit.report.layers.size() != layers || fit.uncertainty.log10Sd.size() != p ||
        fit.uncertainty.correlation.size() != p * p || fit.sdFactor.size() != p || fit.fixed.size() != p) {
        return ::testing::AssertionFailure() << "no " << layers << "-layer model: "
                                             << mt1d::fitting::ToString(fit.report.status) << ", "
                                             << fit.report.message;
    }
    return ::testing::AssertionSuccess();
}

// A smooth fit with a model of `layers` layers, its roughness and its history (start first).
inline ::testing::AssertionResult HasOccamModel(const mt1d::fitting::OccamFitResult& fit, std::size_t layers)
{
    const auto& r = fit.report;
    if (fit.model.resistivity.size() != layers || r.layers.size() != layers || !r.roughness ||
        r.history.empty() || !r.history.back().roughness) {
        return ::testing::AssertionFailure() << "no " << layers << "-layer smooth model: "
                                             << mt1d::fitting::ToString(r.status) << ", " << r.message;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace testing_support
