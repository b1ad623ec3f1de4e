#include "fitting/LayeredFit.h"
#include "numerics/LayeredEarth.h"
#include "tests/fitting/FitAssertions.h"
#include "tests/fitting/SyntheticSounding.h"

#include <Eigen/Dense>
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
using testing_support::HasLayeredModel;
using testing_support::LogFrequencies;
using testing_support::SyntheticCurve;
using ::testing::HasSubstr;

// A conductive layer between two resistive ones, seen from 1 kHz to 1 mHz.
const LayeredModel kTruth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
const std::vector<double> kFrequencies = LogFrequencies(1e3, 1e-3, 25);
constexpr double kRelNoise = 0.05;  // errors of 10 % on ρa and 2.86° on φ

double Parameter(const LayeredModel& m, std::size_t i)
{
    return i < m.LayerCount() ? m.resistivity[i] : m.thickness[i - m.LayerCount()];
}

mt1d::sounding::Curve CleanCurve() { return SyntheticCurve(kTruth, kFrequencies, kRelNoise); }

mt1d::sounding::Curve NoisyCurve(std::uint64_t seed)
{
    SeededRandom random(seed);
    return SyntheticCurve(kTruth, kFrequencies, kRelNoise, &random);
}

TEST(LayeredFit, NoiseFreeDataGiveBackTheTrueModel)
{
    const auto fit = FitLayered(CleanCurve(), LayeredOptions{});
    ASSERT_EQ(fit.report.status, FitStatus::kConverged) << fit.report.message;
    ASSERT_TRUE(HasLayeredModel(fit, 3));
    EXPECT_LT(fit.report.rms, 1e-4);
    // At the exact fit the parameters are limited only by how far χ² was driven down.
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(std::log10(Parameter(fit.model, i) / Parameter(kTruth, i)), 0.0, 1e-4) << i;
    }
    EXPECT_TRUE(fit.report.targetReached);
    EXPECT_GE(fit.startsNearBest, 1u);
}

// One layer over a uniform earth: ∂log10 ρa/∂log10 ρ = 1 and the phase does not depend on ρ,
// so the standard error of log10 ρ is σ(log10 ρa)/sqrt(F) = (0.1/ln 10)/5 = 0.0086859.
TEST(LayeredFit, HalfSpaceStandardErrorIsTheLogErrorOverRootN)
{
    const auto curve = SyntheticCurve(LayeredModel{{100.0}, {}}, kFrequencies, kRelNoise);
    LayeredOptions options;
    options.layers = 1;
    const auto fit = FitLayered(curve, options);
    ASSERT_EQ(fit.report.status, FitStatus::kConverged) << fit.report.message;
    ASSERT_TRUE(HasLayeredModel(fit, 1));
    EXPECT_NEAR(fit.model.resistivity[0], 100.0, 1e-6);
    const double expected = 0.1 / std::log(10.0) / 5.0;
    EXPECT_NEAR(fit.uncertainty.log10Sd[0], expected, 1e-6 * expected * 100.0);  // the kernel's differences: ~1e-8
    EXPECT_NEAR(fit.sdFactor[0], std::pow(10.0, expected), 1e-6);
    ASSERT_TRUE(fit.report.layers[0].log10RhoSd);
    EXPECT_EQ(*fit.report.layers[0].log10RhoSd, fit.uncertainty.log10Sd[0]);
}

// The standard errors the report gives per layer, against a covariance built here apart from
// the engine: the Jacobian of the weighted log10 ρa and φ by central differences of the
// forward model in log10 of each parameter (step 1e-4 decades), and C = (JᵀWJ)⁻¹ by Eigen's
// LLT. The differences' truncation error is of order step² (1e-8) and their rounding of
// 1e-16/step (1e-12), relative; through the inverse of a normal matrix whose condition number
// here is below 1e4 that is at most 1e-4 of each error. Swapping any two parameters' errors
// (a thickness error written from the next layer's resistivity) changes them by far more.
TEST(LayeredFit, ReportedErrorsOfEveryLayerMatchAnIndependentCovariance)
{
    const auto curve = NoisyCurve(3);
    const auto fit = FitLayered(curve, LayeredOptions{});
    ASSERT_EQ(fit.report.status, FitStatus::kConverged) << fit.report.message;
    ASSERT_TRUE(HasLayeredModel(fit, 3));
    const FitData data = SelectData(curve, {}).data;
    const std::size_t f = data.FrequencyCount();

    // The weighted predictions of log10 parameters x: log10 ρa/σ then φ/σ, as the data lay out.
    mt1d::earth::LayeredEarth earth(data.frequencies);
    const auto predictions = [&](const std::vector<double>& x) {
        LayeredModel m;
        for (std::size_t j = 0; j < 3; ++j) m.resistivity.push_back(std::pow(10.0, x[j]));
        for (std::size_t j = 0; j < 2; ++j) m.thickness.push_back(std::pow(10.0, x[3 + j]));
        const auto response = earth.Compute(m);
        Eigen::VectorXd g(static_cast<Eigen::Index>(data.Count()));
        for (std::size_t i = 0; i < data.Count(); ++i) {
            const std::size_t k = data.kernelRows[i];
            const double value = k < f ? std::log10(response.rhoA[k]) : response.phaseDeg[k - f];
            g[static_cast<Eigen::Index>(i)] = value / data.sigmas[i];
        }
        return g;
    };
    std::vector<double> x;
    for (double r : fit.model.resistivity) x.push_back(std::log10(r));
    for (double h : fit.model.thickness) x.push_back(std::log10(h));
    constexpr double kStep = 1e-4;
    Eigen::MatrixXd j(static_cast<Eigen::Index>(data.Count()), 5);
    for (std::size_t c = 0; c < 5; ++c) {
        auto up = x, down = x;
        up[c] += kStep;
        down[c] -= kStep;
        j.col(static_cast<Eigen::Index>(c)) = (predictions(up) - predictions(down)) / (2.0 * kStep);
    }
    const Eigen::MatrixXd normal = j.transpose() * j;
    const Eigen::VectorXd eigenvalues = Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd>(normal).eigenvalues();
    ASSERT_LT(eigenvalues.maxCoeff() / eigenvalues.minCoeff(), 1e4) << "the tolerance below assumes it";
    const Eigen::MatrixXd covariance = normal.llt().solve(Eigen::MatrixXd::Identity(5, 5));
    const auto sd = [&](std::size_t i) { return std::sqrt(covariance(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(i))); };

    const auto& layers = fit.report.layers;
    for (std::size_t l = 0; l < 3; ++l) {
        ASSERT_TRUE(layers[l].log10RhoSd) << l;
        EXPECT_NEAR(*layers[l].log10RhoSd, sd(l), 1e-4 * sd(l)) << "layer " << l + 1;
    }
    for (std::size_t l = 0; l < 2; ++l) {
        ASSERT_TRUE(layers[l].log10ThicknessSd) << l;
        EXPECT_NEAR(*layers[l].log10ThicknessSd, sd(3 + l), 1e-4 * sd(3 + l)) << "layer " << l + 1;
    }
    EXPECT_FALSE(layers[2].log10ThicknessSd);  // the half-space has none
    // The errors differ enough for a swap to show.
    for (std::size_t a = 0; a < 5; ++a) {
        for (std::size_t b = a + 1; b < 5; ++b) EXPECT_GT(std::abs(sd(a) - sd(b)), 1e-2 * sd(a)) << a << ", " << b;
    }
}

TEST(LayeredFit, TheSameSeedGivesTheSameFitAndAnotherSeedTheSameMinimum)
{
    const auto curve = NoisyCurve(7);
    LayeredOptions options;
    const auto a = FitLayered(curve, options);
    const auto b = FitLayered(curve, options);
    options.seed = 99;
    const auto c = FitLayered(curve, options);
    ASSERT_TRUE(HasLayeredModel(a, 3));
    ASSERT_TRUE(HasLayeredModel(b, 3));
    ASSERT_TRUE(HasLayeredModel(c, 3));
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(Parameter(a.model, i), Parameter(b.model, i)) << i;
        EXPECT_NEAR(std::log10(Parameter(a.model, i) / Parameter(c.model, i)), 0.0, 1e-3) << i;
    }
    EXPECT_EQ(a.startRms, b.startRms);
    EXPECT_NEAR(a.report.rms, c.report.rms, kSameMinimumTolerance * a.report.rms);
    EXPECT_NE(a.startRms, c.startRms);  // other starts, same answer
}

TEST(LayeredFit, FixedParametersKeepTheStartingValue)
{
    LayeredOptions options;
    options.start = LayeredModel{{50.0, 20.0, 500.0}, {600.0, 1000.0}};
    options.fixed = {false, false, false, true, false};  // the first thickness
    const auto fit = FitLayered(CleanCurve(), options);
    ASSERT_TRUE(HasLayeredModel(fit, 3));
    EXPECT_EQ(fit.model.thickness[0], 600.0);
    EXPECT_GT(fit.report.rms, 0.01);  // the truth's 500 m is out of reach
    EXPECT_EQ(fit.uncertainty.log10Sd[3], 0.0);
    EXPECT_TRUE(fit.fixed[3]);
    for (std::size_t k = 0; k < 5; ++k) {
        if (k != 3) {
            EXPECT_EQ(fit.uncertainty.correlation[3 * 5 + k], 0.0) << k;
        }
    }
}

TEST(LayeredFit, BoundsHoldTheParameterInside)
{
    LayeredOptions options;
    options.bounds = {{1.0, 1e4}, {20.0, 100.0}, {1.0, 1e5}, {1.0, 1e5}, {1.0, 1e5}};
    const auto fit = FitLayered(CleanCurve(), options);
    ASSERT_TRUE(HasLayeredModel(fit, 3));
    EXPECT_GE(fit.model.resistivity[1], 20.0);
    EXPECT_LE(fit.model.resistivity[1], 100.0);
    EXPECT_LT(fit.model.resistivity[1], 22.0);  // the data pull it towards 10 Ω·m, onto the bound
    for (double v : fit.model.resistivity) EXPECT_TRUE(std::isfinite(v));
}

TEST(LayeredFit, ReportsConductanceAndTransverseResistanceOfEveryLayerAboveTheHalfSpace)
{
    const auto fit = FitLayered(NoisyCurve(3), LayeredOptions{});
    ASSERT_TRUE(HasLayeredModel(fit, 3));
    ASSERT_EQ(fit.products.size(), 2u);
    for (std::size_t j = 0; j < 2; ++j) {
        EXPECT_DOUBLE_EQ(fit.products[j].conductanceS, fit.model.thickness[j] / fit.model.resistivity[j]);
        EXPECT_DOUBLE_EQ(fit.products[j].transverseResistanceOhmM2, fit.model.thickness[j] * fit.model.resistivity[j]);
    }
    // Equivalence: the conductive middle layer's conductance is better known than its
    // thickness or its resistivity alone.
    const auto& sd = fit.uncertainty.log10Sd;
    EXPECT_LT(fit.products[1].log10ConductanceSd, std::min(sd[1], sd[4]));
    // Holding h/ρ, thickness and resistivity of the conductor rise and fall together.
    EXPECT_GT(fit.uncertainty.correlation[1 * 5 + 4], 0.5);
}

TEST(LayeredFit, ReportLayersResponseAndHistoryDescribeTheBestModel)
{
    const auto curve = CleanCurve();
    const auto fit = FitLayered(curve, LayeredOptions{});
    const auto& r = fit.report;
    EXPECT_EQ(r.method, Method::kLayered);
    ASSERT_TRUE(HasLayeredModel(fit, 3));
    EXPECT_EQ(r.layers[0].topM, 0.0);
    EXPECT_DOUBLE_EQ(r.layers[2].topM, fit.model.thickness[0] + fit.model.thickness[1]);
    EXPECT_FALSE(r.layers[2].thicknessM);
    EXPECT_FALSE(r.layers[2].log10ThicknessSd);
    EXPECT_TRUE(r.layers[1].log10ThicknessSd);
    ASSERT_EQ(r.response.size(), curve.rows.size());
    for (std::size_t i = 0; i < curve.rows.size(); ++i) {
        EXPECT_NEAR(r.response[i].rhoOhmM / curve.rows[i].rhoOhmM, 1.0, 1e-3) << i;
        EXPECT_NEAR(r.response[i].phaseDeg, curve.rows[i].phaseDeg, 0.05) << i;
    }
    ASSERT_FALSE(r.history.empty());
    EXPECT_EQ(r.history.front().iteration, 0u);
    EXPECT_EQ(r.history.back().iteration, r.iterations);
    EXPECT_NEAR(r.history.back().rms, r.rms, 1e-9 + 1e-9 * r.rms);
    for (std::size_t k = 1; k < r.history.size(); ++k) EXPECT_LE(r.history[k].rms, r.history[k - 1].rms) << k;
    EXPECT_FALSE(r.niblettBostick.empty());
    EXPECT_GT(r.depthOfInvestigationM, 0.0);
}

TEST(LayeredFit, OneStartFromTheUsersModelRunsOnlyThat)
{
    LayeredOptions options;
    options.start = LayeredModel{{80.0, 12.0, 800.0}, {400.0, 2500.0}};
    options.starts = 1;
    const auto fit = FitLayered(CleanCurve(), options);
    EXPECT_EQ(fit.startRms.size(), 1u);
    EXPECT_LT(fit.report.rms, 1e-3);
}

TEST(LayeredFit, TheIterationLimitEndsAStartAndSaysSo)
{
    LayeredOptions options;
    options.maxIterations = 1;
    options.starts = 2;
    const auto fit = FitLayered(NoisyCurve(5), options);
    EXPECT_EQ(fit.report.status, FitStatus::kMaxIterations);
    EXPECT_EQ(fit.report.iterations, 1u);
    EXPECT_THAT(fit.report.message, HasSubstr("limit of 1 iterations"));
}

// Gauss–Newton steps from a model far from every minimum overshoot; with the damping's
// ceiling just above its start, the first refused step exhausts it. That is a run that
// failed, not a minimum: the misfit is still more than ten times the noise.
TEST(LayeredFit, ExhaustedDampingAwayFromAMinimumIsAFailureNotConvergence)
{
    LayeredOptions options;
    options.start = LayeredModel{{1.0, 1.0, 1.0}, {1.0, 1.0}};
    options.starts = 1;
    options.initialDamping = 1e-3;
    options.maxDamping = 1.5e-3;  // one refusal doubles λ past it
    const auto fit = FitLayered(NoisyCurve(5), options);
    EXPECT_EQ(fit.report.status, FitStatus::kDampingExhausted) << fit.report.message;
    EXPECT_FALSE(GoalReached(fit.report.status));
    EXPECT_GT(fit.report.rms, 10.0);
    EXPECT_THAT(fit.report.message, HasSubstr("did not converge: the damping passed its ceiling of 0.0015"));
}

// At a minimum every step is refused once χ² cannot fall further than rounding: with the
// small-step rule switched off, the run ends there when the damping passes its ceiling, and
// the Gauss–Newton step, promising nothing, shows it is a minimum. The same minimum as the
// default stop, within the tolerance that says two starts found the same minimum.
TEST(LayeredFit, RefusedStepsAtAMinimumAreConvergence)
{
    const auto curve = NoisyCurve(5);
    LayeredOptions options;
    options.starts = 3;
    const auto settled = FitLayered(curve, options);
    options.settledSteps = 1000;
    options.maxIterations = 1000;
    const auto exhausted = FitLayered(curve, options);
    EXPECT_EQ(exhausted.report.status, FitStatus::kConverged) << exhausted.report.message;
    EXPECT_NEAR(exhausted.report.rms, settled.report.rms, kSameMinimumTolerance * settled.report.rms);
    // A tolerance of 0 asks for a step that promises nothing at all, which rounding never gives.
    options.relativeTolerance = 0.0;
    EXPECT_EQ(FitLayered(curve, options).report.status, FitStatus::kDampingExhausted);
}

// Each stop criterion is read from the options: a looser one ends a start sooner.
TEST(LayeredFit, LooserStopCriteriaEndAStartSooner)
{
    LayeredOptions options;
    options.starts = 1;
    const auto strict = FitLayered(NoisyCurve(5), options);
    ASSERT_EQ(strict.report.status, FitStatus::kConverged) << strict.report.message;
    options.relativeTolerance = 0.05;
    const auto loose = FitLayered(NoisyCurve(5), options);
    EXPECT_EQ(loose.report.status, FitStatus::kConverged);
    EXPECT_LT(loose.report.iterations, strict.report.iterations);
    options.relativeTolerance = kLayeredRelativeTolerance;
    options.settledSteps = 1;
    EXPECT_LT(FitLayered(NoisyCurve(5), options).report.iterations, strict.report.iterations);

    // Exact data: χ²/N below 1e-6 (RMS 1e-3) counts as an exact fit and ends the start.
    options.settledSteps = kLayeredSettledSteps;
    const auto exactDefault = FitLayered(CleanCurve(), options);
    options.exactChi2PerValue = 1e-6;
    const auto exactLoose = FitLayered(CleanCurve(), options);
    EXPECT_EQ(exactLoose.report.status, FitStatus::kConverged);
    EXPECT_LE(exactLoose.report.rms, 1e-3);
    EXPECT_LT(exactLoose.report.iterations, exactDefault.report.iterations);
}

TEST(LayeredFit, CancellingReturnsTheBestSoFar)
{
    std::atomic<bool> cancel{false};
    RunControl control;
    control.cancel = &cancel;
    control.progress = [&cancel](const Progress& p) {
        if (p.start == 3) cancel = true;
    };
    const auto fit = FitLayered(NoisyCurve(5), LayeredOptions{}, control);
    EXPECT_EQ(fit.report.status, FitStatus::kCancelled);
    ASSERT_EQ(fit.startRms.size(), 3u);
    EXPECT_NEAR(fit.report.rms, *std::min_element(fit.startRms.begin(), fit.startRms.end()), 1e-12);
    EXPECT_TRUE(HasLayeredModel(fit, 3));
    EXPECT_THAT(fit.report.message, HasSubstr("cancelled"));
}

TEST(LayeredFit, CancelledBeforeItBeginsStillGivesAFiniteModel)
{
    std::atomic<bool> cancel{true};
    RunControl control;
    control.cancel = &cancel;
    const auto fit = FitLayered(NoisyCurve(5), LayeredOptions{}, control);
    EXPECT_EQ(fit.report.status, FitStatus::kCancelled);
    EXPECT_TRUE(HasLayeredModel(fit, 3));
    EXPECT_EQ(fit.startRms.size(), 1u);
    EXPECT_EQ(fit.report.iterations, 0u);
    EXPECT_TRUE(std::isfinite(fit.report.rms));
    for (double v : fit.model.resistivity) EXPECT_TRUE(std::isfinite(v) && v > 0.0);
}

TEST(LayeredFit, ProgressNamesEveryStartAndTheBestNeverWorsens)
{
    std::vector<Progress> seen;
    RunControl control;
    control.progress = [&seen](const Progress& p) { seen.push_back(p); };
    LayeredOptions options;
    options.starts = 4;
    const auto fit = FitLayered(NoisyCurve(5), options, control);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().start, 1u);
    EXPECT_EQ(seen.back().start, 4u);
    for (std::size_t k = 1; k < seen.size(); ++k) {
        EXPECT_EQ(seen[k].startCount, 4u);
        EXPECT_GE(seen[k].start, seen[k - 1].start);
        EXPECT_LE(seen[k].bestRms, seen[k - 1].bestRms + 1e-12);
    }
    EXPECT_NEAR(seen.back().bestRms, fit.report.rms, 1e-9);
}

struct LayeredRefusal {
    std::string name;
    std::function<void(LayeredOptions&)> spoil;
    std::string expected;
    friend void PrintTo(const LayeredRefusal& c, std::ostream* os) { *os << c.name; }
};

class LayeredRefusals : public ::testing::TestWithParam<LayeredRefusal> {};

TEST_P(LayeredRefusals, AreRefusedWithAMessageAndNoNumbers)
{
    LayeredOptions options;
    GetParam().spoil(options);
    auto curve = CleanCurve();
    curve.rows.resize(8);  // 16 values
    const auto fit = FitLayered(curve, options);
    EXPECT_EQ(fit.report.status, FitStatus::kInvalidInput);
    EXPECT_THAT(fit.report.message, HasSubstr(GetParam().expected));
    EXPECT_EQ(fit.report.rms, 0.0);
    EXPECT_TRUE(fit.report.layers.empty());
    EXPECT_EQ(fit.model.LayerCount(), 0u);
}

LayeredModel StartOf3() { return LayeredModel{{100.0, 10.0, 1000.0}, {500.0, 2000.0}}; }

INSTANTIATE_TEST_SUITE_P(
    BadOptions, LayeredRefusals,
    ::testing::Values(
        LayeredRefusal{"NoLayers", [](LayeredOptions& o) { o.layers = 0; }, "1 to 30 layers, not 0"},
        LayeredRefusal{"TooManyLayers", [](LayeredOptions& o) { o.layers = 31; }, "1 to 30 layers, not 31"},
        LayeredRefusal{"MoreParametersThanData", [](LayeredOptions& o) { o.layers = 9; },
                       "16 data values cannot determine 17 free parameters"},
        LayeredRefusal{"NoStarts", [](LayeredOptions& o) { o.starts = 0; }, "at least one start"},
        LayeredRefusal{"FixedWithoutStart", [](LayeredOptions& o) { o.fixed = {true, false, false, false, false}; },
                       "give a starting model"},
        LayeredRefusal{"FixedOfTheWrongCount", [](LayeredOptions& o) { o.fixed = {true}; }, "got 1 flags"},
        LayeredRefusal{"LowerAboveUpper",
                       [](LayeredOptions& o) { o.bounds = {{1, 10}, {5, 5}, {1, 10}, {1, 10}, {1, 10}}; },
                       "bounds of the resistivity of layer 2: the lower bound 5 is not below the upper bound 5"},
        LayeredRefusal{"NegativeBound",
                       [](LayeredOptions& o) { o.bounds = {{1, 1e4}, {1, 1e4}, {1, 1e4}, {-1, 1e4}, {1, 1e4}}; },
                       "thickness of layer 1 (-1 to 10000) must be finite and positive"},
        LayeredRefusal{"StartOutsideBounds",
                       [](LayeredOptions& o) {
                           o.start = StartOf3();
                           o.bounds = {{200, 1e4}, {1, 1e4}, {1, 1e4}, {1, 1e4}, {1, 1e4}};
                       },
                       "resistivity of layer 1 (100) lies outside its bounds 200 to 10000"},
        LayeredRefusal{"StartOfTheWrongShape",
                       [](LayeredOptions& o) { o.start = LayeredModel{{100.0, 10.0}, {500.0}}; },
                       "3 layers need 3 and 2"},
        LayeredRefusal{"RelativeToleranceOfOne", [](LayeredOptions& o) { o.relativeTolerance = 1.0; },
                       "the relative tolerance 1 must lie from 0 up to (not including) 1"},
        LayeredRefusal{"NegativeRelativeTolerance", [](LayeredOptions& o) { o.relativeTolerance = -1e-9; },
                       "the relative tolerance -1e-09"},
        LayeredRefusal{"NoSettledSteps", [](LayeredOptions& o) { o.settledSteps = 0; }, "settled steps must be at least 1"},
        LayeredRefusal{"NegativeExactChi2", [](LayeredOptions& o) { o.exactChi2PerValue = -1.0; },
                       "exact chi-square per value -1"},
        LayeredRefusal{"InfiniteDampingCeiling",
                       [](LayeredOptions& o) { o.maxDamping = std::numeric_limits<double>::infinity(); },
                       "the damping ceiling inf must be finite"},
        LayeredRefusal{"InitialDampingAtTheCeiling", [](LayeredOptions& o) { o.initialDamping = o.maxDamping = 1.0; },
                       "the initial damping 1 must lie from 1e-12 up to the damping ceiling 1"},
        LayeredRefusal{"InitialDampingBelowTheFloor", [](LayeredOptions& o) { o.initialDamping = 1e-13; },
                       "the initial damping 1e-13"},
        LayeredRefusal{"StartNotPositive",
                       [](LayeredOptions& o) {
                           o.start = StartOf3();
                           o.start->thickness[1] = std::numeric_limits<double>::quiet_NaN();
                       },
                       "thickness of layer 2 is nan"}),
    [](const auto& info) { return info.param.name; });

// The default count grows with the square of the interfaces between its floor and its cap.
TEST(LayeredFit, DefaultStartsGrowWithTheSquareOfTheInterfacesWithinFloorAndCap)
{
    const struct {
        std::size_t layers;
        std::size_t starts;
    } cases[] = {{1, 20}, {2, 20}, {3, 80}, {4, 180}, {5, 320}, {8, 980}, {9, 1000}, {30, 1000}};
    for (const auto& c : cases) EXPECT_EQ(DefaultStarts(c.layers), c.starts) << c.layers << " layers";
}

TEST(LayeredFit, CurveProblemsAreRefusedTheSameWay)
{
    auto curve = CleanCurve();
    curve.rows[4].rhoErrOhmM = 0.0;
    const auto fit = FitLayered(curve, LayeredOptions{});
    EXPECT_EQ(fit.report.status, FitStatus::kInvalidInput);
    EXPECT_THAT(fit.report.message, HasSubstr("row 4"));
}

}  // namespace
