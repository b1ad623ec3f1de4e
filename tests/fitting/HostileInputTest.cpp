// Inputs at the edges of what the number types hold: a row at 1e308 Hz, meshes of 1e-300 and
// 1e300 m, errors of 1e-300. Each once crashed, read outside a vector or returned a result of
// infinities; each must give a finite fit or a refusal that says what is wrong.

#include "fitting/FitData.h"
#include "fitting/LayeredFit.h"
#include "fitting/Misfit.h"
#include "fitting/NiblettBostick.h"
#include "fitting/OccamFit.h"
#include "fitting/StartModels.h"
#include "tests/fitting/FitAssertions.h"
#include "tests/fitting/SyntheticSounding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using namespace mt1d::fitting;
using mt1d::earth::LayeredModel;
using ::testing::HasSubstr;

const LayeredModel kTruth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};

mt1d::sounding::Curve CleanCurve()
{
    return testing_support::SyntheticCurve(kTruth, testing_support::LogFrequencies(1e3, 1e-3, 25), 0.05);
}

// The top layer's response at a frequency too high for any layer below to show: 100 Ω·m and
// 45°, exactly what the model gives there.
mt1d::sounding::Curve WithARowAt1e308Hz()
{
    auto curve = CleanCurve();
    mt1d::sounding::CurveRow row = curve.rows.front();
    row.frequencyHz = 1e308;
    row.periodS = 1e-308;
    row.rhoOhmM = 100.0;
    row.rhoErrOhmM = 10.0;
    row.phaseDeg = 45.0;
    curve.rows.insert(curve.rows.begin(), row);
    return curve;
}

bool AllFinite(const std::vector<std::vector<double>>& starts)
{
    for (const auto& s : starts) {
        for (double v : s) {
            if (!std::isfinite(v)) return false;
        }
    }
    return true;
}

// --- Starting models ---------------------------------------------------------------------------

// At 1e308 Hz, ω overflows and the Bostick depth is 0: its log10 is −∞, which made every
// interface depth NaN and the interpolation read before the profile's first point. Such a
// point must simply be left out: the starts are those of the profile without it.
TEST(SeededStarts, PointsWithoutAFiniteLogarithmAreLeftOut)
{
    const std::vector<DepthPoint> good = {{1.0, 300.0, 100.0}, {0.1, 900.0, 30.0}, {0.01, 3000.0, 300.0}};
    std::vector<DepthPoint> spoiled = good;
    spoiled.push_back({1e308, 0.0, 100.0});
    spoiled.push_back({0.5, 500.0, std::numeric_limits<double>::infinity()});
    const auto expected = SeededStarts(good, 3, 20, 7);
    const auto starts = SeededStarts(spoiled, 3, 20, 7);
    EXPECT_TRUE(AllFinite(starts));
    EXPECT_EQ(starts, expected);
}

// With no usable point left, the starts spread around a uniform earth at the fallback depth,
// of the geometric mean of the finite resistivities (10 and 1000 Ω·m: 100 Ω·m).
TEST(SeededStarts, AProfileWithNoUsablePointStartsAroundTheFallback)
{
    const std::vector<DepthPoint> depthless = {{1e308, 0.0, 10.0}, {1.5e308, 0.0, 1000.0}};
    const auto starts = SeededStarts(depthless, 3, 10, 1);
    ASSERT_EQ(starts.size(), 10u);
    EXPECT_TRUE(AllFinite(starts));
    for (std::size_t j = 0; j < 3; ++j) EXPECT_NEAR(starts[0][j], 2.0, 1e-12) << j;  // start 0: the profile itself
    // Start 0's interfaces lie evenly within the margin around the one depth.
    const double top = std::log10(kFallbackDepthM) - kStartDepthMarginDecades;
    EXPECT_NEAR(starts[0][3], top + 0.25 * 2.0 * kStartDepthMarginDecades, 1e-12);
}

TEST(LayeredFit, ARowAt1e308HzIsFittedLikeAnyOther)
{
    const auto fit = FitLayered(WithARowAt1e308Hz(), LayeredOptions{});
    ASSERT_EQ(fit.report.status, FitStatus::kConverged) << fit.report.message;
    ASSERT_TRUE(testing_support::HasLayeredModel(fit, 3));
    // The added row agrees with the truth, so the exact fit is the truth (as without it).
    for (std::size_t j = 0; j < 3; ++j) EXPECT_NEAR(std::log10(fit.model.resistivity[j] / kTruth.resistivity[j]), 0.0, 1e-3);
    for (std::size_t j = 0; j < 2; ++j) EXPECT_NEAR(std::log10(fit.model.thickness[j] / kTruth.thickness[j]), 0.0, 1e-3);
    EXPECT_LT(fit.report.rms, 1e-3);
}

TEST(OccamFit, ARowAt1e308HzGivesAMeshFromOneCentimetre)
{
    const auto fit = FitOccam(WithARowAt1e308Hz(), OccamOptions{});
    ASSERT_TRUE(testing_support::HasOccamModel(fit, kDefaultOccamLayers));
    EXPECT_EQ(fit.layerTops[1], kMinMeshDepthM);  // the skin depth there is 0, moved into the range
    EXPECT_TRUE(fit.report.targetReached) << fit.report.message;
    EXPECT_TRUE(std::isfinite(fit.report.rms));
}

// --- Meshes ----------------------------------------------------------------------------------

// Layers of 1e-300 m and a half-space at 1e300 m once gave a result of infinities ("RMS inf").
TEST(OccamFit, AMeshOutsideTheDepthRangeIsRefusedNamingTheValueAndTheRange)
{
    OccamOptions options;
    options.mesh.topDepthM = 1e-300;
    options.mesh.bottomDepthM = 1e300;
    const auto fit = FitOccam(CleanCurve(), options);
    EXPECT_EQ(fit.report.status, FitStatus::kInvalidInput);
    EXPECT_THAT(fit.report.message, HasSubstr("the top depth (1e-300 m) must lie from 0.01 m to 1e+07 m"));
    EXPECT_TRUE(fit.report.layers.empty());
    options.mesh.topDepthM = 10.0;
    EXPECT_THAT(FitOccam(CleanCurve(), options).report.message,
                HasSubstr("the bottom depth (1e+300 m) must lie from 0.01 m to 1e+07 m"));
}

// --- Errors ------------------------------------------------------------------------------------

mt1d::sounding::Curve WithErrorsOf1e300()
{
    auto curve = CleanCurve();
    for (auto& row : curve.rows) {
        row.rhoErrOhmM = 1e-300 * row.rhoOhmM;
        row.phaseErrDeg = 1e-300;
    }
    return curve;
}

// Exact data with errors of 1e-300: the forward model's rounding (about 1e-13 relative) over
// such an error overflowed χ² in the smooth fit, whose start is far from the data. Both fits
// must stay finite, weighted at the floor.
TEST(Fits, ErrorsOf1e300KeepAFiniteMisfitInBothMethods)
{
    const auto layered = FitLayered(WithErrorsOf1e300(), LayeredOptions{});
    ASSERT_TRUE(testing_support::HasLayeredModel(layered, 3));
    EXPECT_TRUE(std::isfinite(layered.report.rms));
    // The truth fits to the forward model's rounding: far below one floor's error.
    EXPECT_LT(layered.report.rms, 1.0);

    OccamOptions options;
    options.maxIterations = 5;
    const auto occam = FitOccam(WithErrorsOf1e300(), options);
    ASSERT_TRUE(testing_support::HasOccamModel(occam, kDefaultOccamLayers)) << occam.report.message;
    for (const auto& h : occam.report.history) EXPECT_TRUE(std::isfinite(h.rms)) << h.iteration;
    // The uniform start misses by up to a decade in ρa: over a floor of 8.7e-7 in log10 ρa,
    // residuals of about 1e6, an RMS below 1e7.
    EXPECT_LT(occam.report.history.front().rms, 1e7);
    EXPECT_LE(occam.report.rms, occam.report.history.front().rms);
}

// σ(log10 ρa) = δρa/(ρa·ln 10) and σ(φ) = δφ, floored at a relative impedance error of 1e-6.
TEST(FitData, ErrorsAreFlooredAtARelativeImpedanceErrorOfOneInAMillion)
{
    const std::vector<double> f{10.0, 1.0}, rho{100.0, 100.0}, rhoErr{1e-300, 10.0}, phase{45.0, 45.0},
        phaseErr{1e-300, 2.0};
    const auto made = MakeFitData(f, rho, rhoErr, phase, phaseErr, FitComponents::kBoth);
    ASSERT_TRUE(made.Ok()) << made.error;
    ASSERT_EQ(made.data.sigmas.size(), 4u);
    const double ln10 = std::log(10.0);
    EXPECT_DOUBLE_EQ(made.data.sigmas[0], 2e-6 / ln10);
    EXPECT_DOUBLE_EQ(made.data.sigmas[1], 0.1 / ln10);  // above the floor: as given
    EXPECT_DOUBLE_EQ(made.data.sigmas[2], 1e-6 * 180.0 / 3.141592653589793);
    EXPECT_DOUBLE_EQ(made.data.sigmas[3], 2.0);
    EXPECT_EQ(made.data.rhoErr[0], 1e-300);  // the data keep the file's errors
}

}  // namespace
