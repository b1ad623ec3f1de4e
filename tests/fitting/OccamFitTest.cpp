#include "fitting/Misfit.h"
#include "fitting/MultiplierSearch.h"
#include "fitting/OccamFit.h"
#include "tests/fitting/FitAssertions.h"
#include "tests/fitting/SyntheticSounding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace mt1d::fitting;
using mt1d::earth::LayeredModel;
using testing_support::HasOccamModel;
using testing_support::LogFrequencies;
using testing_support::SyntheticCurve;
using ::testing::HasSubstr;

const LayeredModel kTruth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
const std::vector<double> kFrequencies = LogFrequencies(1e3, 1e-3, 25);

mt1d::sounding::Curve CleanCurve() { return SyntheticCurve(kTruth, kFrequencies, 0.05); }

mt1d::sounding::Curve NoisyCurve(std::uint64_t seed)
{
    SeededRandom random(seed);
    return SyntheticCurve(kTruth, kFrequencies, 0.05, &random);
}

std::vector<double> Log10Rho(const LayeredModel& m)
{
    std::vector<double> v;
    for (double r : m.resistivity) v.push_back(std::log10(r));
    return v;
}

TEST(OccamFit, ReachesTheTargetAndThenOnlySmooths)
{
    const auto fit = FitOccam(CleanCurve(), OccamOptions{});
    const auto& r = fit.report;
    ASSERT_EQ(r.status, FitStatus::kTargetReached) << r.message;
    ASSERT_TRUE(HasOccamModel(fit, kDefaultOccamLayers));
    EXPECT_TRUE(r.targetReached);
    EXPECT_LE(r.rms, 1.0);
    EXPECT_GE(r.rms, 1.0 - kLevelTolerance);  // at the target, not below it: the smoothest such model
    EXPECT_NEAR(*r.roughness, Roughness(Log10Rho(fit.model), RoughnessKind::kFirstDifference), 1e-9);
    EXPECT_GT(fit.multiplier, 0.0);

    ASSERT_GE(r.history.size(), 2u);
    EXPECT_EQ(r.history.front().iteration, 0u);
    EXPECT_EQ(r.history.front().multiplier, 0.0);
    EXPECT_EQ(r.history.back().iteration, r.iterations);
    bool atTarget = false;
    for (std::size_t k = 1; k < r.history.size(); ++k) {
        const auto& now = r.history[k];
        const auto& before = r.history[k - 1];
        if (!atTarget) {
            EXPECT_LT(now.rms, before.rms) << "phase 1 lowers the misfit, iteration " << k;
        } else {
            EXPECT_LE(now.rms, 1.0) << k;
            EXPECT_LT(*now.roughness, *before.roughness) << "phase 2 smooths, iteration " << k;
        }
        atTarget = atTarget || now.rms <= 1.0;
    }
    EXPECT_FALSE(r.layers[0].log10RhoSd);  // no standard errors for a smooth model
    EXPECT_EQ(r.response.size(), kFrequencies.size());
}

TEST(OccamFit, ALooserTargetGivesASmootherModel)
{
    const auto curve = CleanCurve();
    OccamOptions options;
    const auto tight = FitOccam(curve, options);
    options.targetRms = 2.0;
    const auto loose = FitOccam(curve, options);
    ASSERT_TRUE(HasOccamModel(tight, kDefaultOccamLayers));
    ASSERT_TRUE(HasOccamModel(loose, kDefaultOccamLayers));
    ASSERT_TRUE(tight.report.targetReached && loose.report.targetReached);
    EXPECT_LT(*loose.report.roughness, 0.8 * *tight.report.roughness);
    EXPECT_GT(loose.report.rms, 1.9);
}

TEST(OccamFit, UniformEarthDataAreFittedByTheStartAlone)
{
    const auto curve = SyntheticCurve(LayeredModel{{300.0}, {}}, kFrequencies, 0.05);
    const auto fit = FitOccam(curve, OccamOptions{});
    ASSERT_TRUE(HasOccamModel(fit, kDefaultOccamLayers));
    EXPECT_EQ(fit.report.status, FitStatus::kTargetReached) << fit.report.message;
    EXPECT_EQ(fit.report.iterations, 0u);
    EXPECT_EQ(*fit.report.roughness, 0.0);
    for (double r : fit.model.resistivity) EXPECT_NEAR(r, 300.0, 1e-9);
    EXPECT_LT(fit.report.rms, 1e-10);
}

// With twenty layers and a target far below the noise, the misfit stops falling; the run
// then gives the smoothest model within one unit of χ² of the smallest misfit it found.
TEST(OccamFit, AnUnreachableTargetEndsWithTheSmoothestNearlyBestModel)
{
    OccamOptions options;
    options.targetRms = 0.2;
    options.mesh.layers = 20;
    const auto fit = FitOccam(NoisyCurve(11), options);
    const auto& r = fit.report;
    ASSERT_TRUE(HasOccamModel(fit, 20));
    EXPECT_EQ(r.status, FitStatus::kTargetNotReached) << r.message;
    EXPECT_FALSE(r.targetReached);
    EXPECT_THAT(r.message, HasSubstr("was not reached"));
    double smallest = r.history.front().rms;
    for (const auto& h : r.history) smallest = std::min(smallest, h.rms);
    const double n = 50.0;
    EXPECT_LE(r.rms, std::sqrt((smallest * smallest * n + options.chi2Slack) / n) + 1e-12);
    EXPECT_GT(r.rms, 0.5);
    EXPECT_TRUE(std::isfinite(*r.roughness));
}

TEST(OccamFit, SecondDifferencesAreTheRoughnessItReports)
{
    OccamOptions options;
    options.roughness = RoughnessKind::kSecondDifference;
    const auto fit = FitOccam(CleanCurve(), options);
    ASSERT_TRUE(HasOccamModel(fit, kDefaultOccamLayers));
    ASSERT_TRUE(fit.report.targetReached) << fit.report.message;
    EXPECT_NEAR(*fit.report.roughness, Roughness(Log10Rho(fit.model), RoughnessKind::kSecondDifference), 1e-9);
    EXPECT_GT(Roughness(Log10Rho(fit.model), RoughnessKind::kFirstDifference), *fit.report.roughness);
}

TEST(OccamFit, UsesTheGivenLayerTopsAndStart)
{
    OccamOptions options;
    options.mesh.layerTops = {0.0, 100.0, 300.0, 700.0, 1500.0, 3000.0, 6000.0, 12000.0};
    options.startResistivity.assign(8, 50.0);
    const auto curve = NoisyCurve(2);
    const auto fit = FitOccam(curve, options);
    ASSERT_TRUE(HasOccamModel(fit, 8));
    EXPECT_EQ(fit.layerTops, options.mesh.layerTops);
    EXPECT_EQ(fit.model.thickness, (std::vector<double>{100.0, 200.0, 400.0, 800.0, 1500.0, 3000.0, 6000.0}));
    ASSERT_EQ(fit.report.layers.size(), 8u);
    EXPECT_EQ(fit.report.layers[7].topM, 12000.0);

    Misfit misfit(SelectData(curve, {}).data);
    const double startRms = Rms(misfit.Evaluate(std::vector<double>(8, 50.0), fit.model.thickness), misfit.Count());
    EXPECT_DOUBLE_EQ(fit.report.history.front().rms, startRms);
}

TEST(OccamFit, CancellingKeepsTheModelSoFar)
{
    std::atomic<bool> cancel{false};
    RunControl control;
    control.cancel = &cancel;
    control.progress = [&cancel](const Progress& p) {
        EXPECT_EQ(p.method, Method::kOccam);
        if (p.iteration == 2) cancel = true;
    };
    const auto fit = FitOccam(NoisyCurve(4), OccamOptions{}, control);
    EXPECT_EQ(fit.report.status, FitStatus::kCancelled);
    EXPECT_EQ(fit.report.iterations, 2u);
    ASSERT_EQ(fit.report.history.size(), 3u);
    EXPECT_EQ(fit.report.rms, fit.report.history.back().rms);
    EXPECT_THAT(fit.report.message, HasSubstr("cancelled"));
}

TEST(OccamFit, TheIterationLimitSaysTheTargetWasNotReachedInTime)
{
    OccamOptions options;
    options.maxIterations = 1;
    const auto fit = FitOccam(NoisyCurve(4), options);
    EXPECT_EQ(fit.report.status, FitStatus::kMaxIterations);
    EXPECT_EQ(fit.report.iterations, 1u);
    EXPECT_THAT(fit.report.message, HasSubstr("not reached within the limit of 1 iterations"));
}

// Going back to an earlier, smoother model once the misfit stalls counts as an iteration: on
// these data (twenty layers, a target below the noise) the misfit stalls at iteration 14 and
// the run goes back at 15. Every limit must bound every count the run reports, the going back
// included; a limit the run does not reach leaves it as it is.
TEST(OccamFit, TheIterationLimitBoundsEveryCountItReports)
{
    OccamOptions options;
    options.targetRms = 0.2;
    options.mesh.layers = 20;
    const auto curve = NoisyCurve(11);
    const auto unlimited = FitOccam(curve, options);
    ASSERT_TRUE(HasOccamModel(unlimited, 20));
    ASSERT_EQ(unlimited.report.status, FitStatus::kTargetNotReached) << unlimited.report.message;
    ASSERT_GT(unlimited.report.iterations, 15u) << "the case needs a run that goes back";
    for (std::size_t limit = 1; limit <= unlimited.report.iterations + 1; ++limit) {
        options.maxIterations = limit;
        std::size_t mostReported = 0;
        RunControl control;
        control.progress = [&mostReported](const Progress& p) { mostReported = std::max(mostReported, p.iteration); };
        const auto fit = FitOccam(curve, options, control);
        ASSERT_TRUE(HasOccamModel(fit, 20)) << "limit " << limit;
        const auto& r = fit.report;
        EXPECT_LE(r.iterations, limit);
        EXPECT_LE(r.history.back().iteration, limit);
        EXPECT_LE(r.history.size(), limit + 1);
        EXPECT_LE(mostReported, limit);
        EXPECT_EQ(r.history.back().iteration, r.iterations);
        if (limit < unlimited.report.iterations) {
            EXPECT_EQ(r.status, FitStatus::kMaxIterations) << "limit " << limit << ": " << r.message;
            EXPECT_EQ(r.iterations, limit);
        } else if (limit == unlimited.report.iterations) {
            // The unlimited run may settle only on the pass after its last model.
            EXPECT_EQ(r.iterations, limit);
            EXPECT_EQ(*r.roughness, *unlimited.report.roughness);
        } else {
            EXPECT_EQ(r.status, FitStatus::kTargetNotReached) << "limit " << limit << ": " << r.message;
            EXPECT_EQ(r.iterations, unlimited.report.iterations);
        }
    }
}

// The stop criteria are read from the options. On the run of twenty layers with a target
// below the noise (the history above): a looser RMS tolerance gives the target up sooner, a
// looser roughness tolerance ends the smoothing at the relaxed level sooner; and searches that
// stop sooner ask the forward model for fewer candidates.
TEST(OccamFit, StopCriteriaAreTakenFromTheOptions)
{
    const auto curve = NoisyCurve(11);
    OccamOptions options;
    options.targetRms = 0.2;
    options.mesh.layers = 20;
    const auto tight = FitOccam(curve, options);
    ASSERT_TRUE(HasOccamModel(tight, 20));
    ASSERT_EQ(tight.report.status, FitStatus::kTargetNotReached) << tight.report.message;

    const auto looser = [&](auto change) {
        OccamOptions o = options;
        change(o);
        return FitOccam(curve, o);
    };
    const auto rms = looser([](OccamOptions& o) { o.rmsTolerance = 0.01; });
    const auto roughness = looser([](OccamOptions& o) { o.roughnessTolerance = 0.5; });
    const auto searches = looser([](OccamOptions& o) {
        o.levelTolerance = 0.2;
        o.multiplierTolerance = 0.5;
    });
    for (const auto* fit : {&rms, &roughness, &searches}) {
        ASSERT_TRUE(HasOccamModel(*fit, 20));
        EXPECT_EQ(fit->report.status, FitStatus::kTargetNotReached) << fit->report.message;
    }
    EXPECT_LT(rms.report.iterations, tight.report.iterations);
    EXPECT_LT(roughness.report.iterations, tight.report.iterations);
    EXPECT_GT(*roughness.report.roughness, *tight.report.roughness);
    EXPECT_LT(searches.forwardRuns, tight.forwardRuns);
}

struct OccamRefusal {
    std::string name;
    std::function<void(OccamOptions&)> spoil;
    std::string expected;
    friend void PrintTo(const OccamRefusal& c, std::ostream* os) { *os << c.name; }
};

class OccamRefusals : public ::testing::TestWithParam<OccamRefusal> {};

TEST_P(OccamRefusals, AreRefusedWithAMessageAndNoNumbers)
{
    OccamOptions options;
    GetParam().spoil(options);
    const auto fit = FitOccam(CleanCurve(), options);
    EXPECT_EQ(fit.report.status, FitStatus::kInvalidInput);
    EXPECT_THAT(fit.report.message, HasSubstr(GetParam().expected));
    EXPECT_TRUE(fit.report.layers.empty());
    EXPECT_TRUE(fit.report.history.empty());
    EXPECT_EQ(fit.report.rms, 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    BadOptions, OccamRefusals,
    ::testing::Values(
        OccamRefusal{"ZeroTarget", [](OccamOptions& o) { o.targetRms = 0.0; }, "target RMS must be finite and positive"},
        OccamRefusal{"NaNTarget", [](OccamOptions& o) { o.targetRms = std::numeric_limits<double>::quiet_NaN(); },
                      "target RMS must be finite and positive"},
        OccamRefusal{"NegativeSlack", [](OccamOptions& o) { o.chi2Slack = -1.0; }, "must be finite and not negative"},
        OccamRefusal{"StartOfTheWrongSize", [](OccamOptions& o) { o.startResistivity = {10.0, 10.0}; },
                      "2 resistivities for 50 layers"},
        OccamRefusal{"StartNotPositive",
                      [](OccamOptions& o) {
                          o.startResistivity.assign(50, 10.0);
                          o.startResistivity[7] = 0.0;
                      },
                      "starting resistivity of layer 8"},
        OccamRefusal{"RmsToleranceOfOne", [](OccamOptions& o) { o.rmsTolerance = 1.0; },
                      "the RMS tolerance 1 must lie from 0 up to (not including) 1"},
        OccamRefusal{"NegativeRoughnessTolerance", [](OccamOptions& o) { o.roughnessTolerance = -0.1; },
                      "the roughness tolerance -0.1 must lie"},
        OccamRefusal{"TooManyStepCuts", [](OccamOptions& o) { o.stepCuts = 61; }, "step cuts must be at most 60, not 61"},
        OccamRefusal{"ZeroMultiplierTolerance", [](OccamOptions& o) { o.multiplierTolerance = 0.0; },
                      "the multiplier tolerance 0 must lie from 0.0001 to 1 decades"},
        OccamRefusal{"LevelToleranceOverAHalf", [](OccamOptions& o) { o.levelTolerance = 0.6; },
                      "the level tolerance 0.6 must lie from 1e-09 to 0.5"},
        OccamRefusal{"BadTops", [](OccamOptions& o) { o.mesh.layerTops = {0.0, 50.0, 20.0}; }, "top 3 (20 m)"},
        OccamRefusal{"BadExclusion", [](OccamOptions& o) { o.data.excludedRows = {99}; }, "cannot exclude row 99"}),
    [](const auto& info) { return info.param.name; });

}  // namespace

namespace {

// Phase 2 from a rough model that already fits: the true layers written onto the mesh fit the
// noise-free data well inside the target, and Occam must smooth them down to the model it
// finds from a uniform start (the smoothest model at the target does not depend on the start).
TEST(OccamFit, SmoothsARoughFittingStartDownToTheSameModel)
{
    const auto curve = CleanCurve();
    const auto fromUniform = FitOccam(curve, OccamOptions{});
    ASSERT_TRUE(HasOccamModel(fromUniform, kDefaultOccamLayers));
    OccamOptions options;
    const auto& tops = fromUniform.layerTops;
    for (std::size_t j = 0; j < tops.size(); ++j) {
        const double depth = j + 1 < tops.size() ? 0.5 * (tops[j] + tops[j + 1]) : tops[j] + 1.0;
        options.startResistivity.push_back(depth < 500.0 ? 100.0 : depth < 2500.0 ? 10.0 : 1000.0);
    }
    const auto fromTruth = FitOccam(curve, options);
    ASSERT_TRUE(HasOccamModel(fromTruth, kDefaultOccamLayers));
    ASSERT_LT(fromTruth.report.history.front().rms, 1.0) << "the start must already fit";
    EXPECT_GT(fromTruth.report.history.front().roughness.value(), 10.0 * *fromUniform.report.roughness);
    EXPECT_EQ(fromTruth.report.status, FitStatus::kTargetReached) << fromTruth.report.message;
    EXPECT_NEAR(*fromTruth.report.roughness / *fromUniform.report.roughness, 1.0, 0.05);
}

}  // namespace
