// Equivalence ranges of layered fits: against the exact ranges of a half-space, the
// linearised errors where the misfit is nearly quadratic, the conductance of a thin
// conductor, and fits made independently at the ends.

#include "sampling/Equivalence.h"
#include "fitting/Misfit.h"
#include "tests/fitting/SyntheticSounding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace mt1d::sampling;
using mt1d::fitting::FitData;
using mt1d::fitting::LayeredFitResult;
using ::testing::HasSubstr;

FitData Noisy(const mt1d::earth::LayeredModel& truth, std::size_t frequencies, std::uint64_t seed)
{
    mt1d::fitting::SeededRandom random(seed);
    const auto curve =
        testing_support::SyntheticCurve(truth, testing_support::LogFrequencies(1e3, 1e-2, frequencies), 0.05, &random);
    auto selected = mt1d::fitting::SelectData(curve, {});
    EXPECT_TRUE(selected.Ok()) << selected.error;
    return selected.data;
}

LayeredFitResult Fit(const FitData& data, std::size_t layers)
{
    mt1d::fitting::LayeredOptions o;
    o.layers = layers;
    auto fit = mt1d::fitting::FitLayered(data, o);
    EXPECT_NE(fit.report.status, mt1d::fitting::FitStatus::kInvalidInput) << fit.report.message;
    return fit;
}

// A half-space has ρa = ρ and φ = 45° at every frequency, so χ²(x) for x = log10 ρ is exactly
// χ²_min + W·(x − x̂)² with W = Σ 1/σ_i² over the ρa values. The range ends where χ² rises by
// Δχ² = ((1 + t)² − 1)·χ²_min: x̂ ± sqrt(Δχ²/W). The search reports the inner end of an
// interval `resolution` wide, so each end lies inside the exact one by at most that.
TEST(EquivalenceRanges, OfAHalfSpaceAreTheExactQuadraticOnes)
{
    const auto data = Noisy({{300.0}, {}}, 25, 8);
    const auto fit = Fit(data, 1);
    EquivalenceOptions options;
    const auto eq = EquivalenceRanges(fit, data, options);
    ASSERT_EQ(eq.status, EquivalenceStatus::kCompleted) << eq.message;
    mt1d::fitting::Misfit misfit(data);
    const double chi2 = misfit.Evaluate(fit.model.resistivity, fit.model.thickness);
    double w = 0.0;
    for (std::size_t i = 0; i < data.Count(); ++i) {
        if (data.kernelRows[i] < data.FrequencyCount()) w += 1.0 / (data.sigmas[i] * data.sigmas[i]);
    }
    const double half = std::sqrt((1.1 * 1.1 - 1.0) * chi2 / w);
    const double centre = std::log10(fit.model.resistivity[0]);
    ASSERT_EQ(eq.parameters.size(), 1u);
    const auto& r = eq.parameters[0];
    EXPECT_NEAR(eq.bestRms, fit.report.rms, 1e-12);
    EXPECT_NEAR(eq.rmsLimit, 1.1 * fit.report.rms, 1e-12);
    EXPECT_GE(std::log10(r.lower), centre - half - 1e-9);
    EXPECT_LE(std::log10(r.lower), centre - half + options.resolution);
    EXPECT_LE(std::log10(r.upper), centre + half + 1e-9);
    EXPECT_GE(std::log10(r.upper), centre + half - options.resolution);
    EXPECT_FALSE(r.lowerAtBound);
    EXPECT_FALSE(r.upperAtBound);
    EXPECT_FALSE(r.thickness);
}

// Where the misfit is close to quadratic (a small tolerance on a well-resolved layer), the
// profile's half-width is sqrt(Δχ²)·σ, σ the linearised standard error of the fit. The
// quadratic holds to a few percent over such a short stretch; 10 % allows for that and for
// the resolution of the ends.
TEST(EquivalenceRanges, AgreeWithTheLinearisedErrorsWhereTheMisfitIsQuadratic)
{
    const auto data = Noisy({{100.0, 10.0, 1000.0}, {500.0, 2000.0}}, 31, 2);
    const auto fit = Fit(data, 3);
    EquivalenceOptions options;
    options.tolerance = 0.01;
    options.resolution = 1e-4;
    const auto eq = EquivalenceRanges(fit, data, options);
    ASSERT_EQ(eq.status, EquivalenceStatus::kCompleted) << eq.message;
    const double chi2 = fit.report.rms * fit.report.rms * static_cast<double>(data.Count());
    const double deltaChi2 = (1.01 * 1.01 - 1.0) * chi2;
    for (std::size_t i : {0u, 1u, 3u}) {  // ρ of the top two layers and the first thickness
        const auto& r = eq.parameters[i];
        const double halfWidth = 0.5 * (std::log10(r.upper) - std::log10(r.lower));
        EXPECT_NEAR(halfWidth, std::sqrt(deltaChi2) * r.log10Sd, 0.1 * std::sqrt(deltaChi2) * r.log10Sd) << "parameter " << i;
        EXPECT_LT(r.lower, r.value);
        EXPECT_GT(r.upper, r.value);
    }
}

// A thin conductor (1 Ω·m, 100 m: 100 S at 500 m under 100 Ω·m) is seen by its conductance:
// along the whole range of its resistivity and of its thickness the refitted models keep h/ρ
// near the fit's, and the resistivity runs down to its bound. In linear theory no model within
// Δχ² of the best has log10 S further from the fit's than sqrt(Δχ²)·σ(log10 S); the check
// allows 20 % over that for the misfit's departure from a quadratic.
TEST(EquivalenceRanges, FollowTheConductanceOfAThinConductor)
{
    const auto data = Noisy({{100.0, 1.0, 1000.0}, {500.0, 100.0}}, 31, 4);
    const auto fit = Fit(data, 3);
    const auto eq = EquivalenceRanges(fit, data);
    ASSERT_EQ(eq.status, EquivalenceStatus::kCompleted) << eq.message;
    const double s = fit.model.thickness[1] / fit.model.resistivity[1];
    const double chi2 = fit.report.rms * fit.report.rms * static_cast<double>(data.Count());
    const double allowed = 1.2 * std::sqrt((1.1 * 1.1 - 1.0) * chi2) * fit.products[1].log10ConductanceSd;
    EXPECT_LT(allowed, 0.1);  // the data do see the conductance: to within 25 %
    for (std::size_t i : {1u, 4u}) {  // ρ_1 and h_1
        const auto& r = eq.parameters[i];
        for (const auto* m : {&r.lowerModel, &r.upperModel}) {
            EXPECT_NEAR(std::log10(m->thickness[1] / m->resistivity[1]), std::log10(s), allowed) << "parameter " << i;
        }
        EXPECT_GT(r.upper / r.lower, 100.0) << "parameter " << i;  // two decades and more
    }
    const auto& rho = eq.parameters[1];
    EXPECT_TRUE(rho.lowerAtBound);
    EXPECT_DOUBLE_EQ(rho.lower, mt1d::fitting::kDefaultResistivityBounds.lower);
    EXPECT_EQ(rho.layer, 1u);
    EXPECT_FALSE(rho.thickness);
    EXPECT_TRUE(eq.parameters[4].thickness);
    EXPECT_EQ(eq.parameters[4].layer, 1u);
    // The linearised error says far less than the range does.
    EXPECT_LT(rho.sdFactor, rho.upper / rho.lower);
}

// Each end is the edge of the acceptable set: a fit made independently with the parameter
// held there (20 seeded starts, not the search's warm start) stays within the limit, and one
// with the parameter held 4 resolutions further out does not.
TEST(EquivalenceRanges, EndsAreWhereIndependentFitsCrossTheLimit)
{
    const auto data = Noisy({{100.0, 10.0, 1000.0}, {500.0, 2000.0}}, 31, 2);
    const auto fit = Fit(data, 3);
    EquivalenceOptions options;
    const auto eq = EquivalenceRanges(fit, data, options);
    ASSERT_EQ(eq.status, EquivalenceStatus::kCompleted) << eq.message;
    const auto rmsWithFixed = [&](std::size_t i, double value) {
        mt1d::fitting::LayeredOptions o;
        o.layers = 3;
        o.start = fit.model;
        (i < 3 ? o.start->resistivity[i] : o.start->thickness[i - 3]) = value;
        o.fixed.assign(5, false);
        o.fixed[i] = true;
        o.starts = 20;
        o.bounds.assign(5, mt1d::fitting::kDefaultResistivityBounds);
        for (std::size_t k = 3; k < 5; ++k) o.bounds[k] = mt1d::fitting::kDefaultThicknessBounds;
        return mt1d::fitting::FitLayered(data, o).report.rms;
    };
    const double step = std::pow(10.0, 4.0 * options.resolution);
    for (std::size_t i : {0u, 2u, 3u, 4u}) {
        const auto& r = eq.parameters[i];
        ASSERT_FALSE(r.lowerAtBound);
        ASSERT_FALSE(r.upperAtBound);
        EXPECT_LE(rmsWithFixed(i, r.lower), eq.rmsLimit * (1.0 + 1e-9)) << "parameter " << i;
        EXPECT_LE(rmsWithFixed(i, r.upper), eq.rmsLimit * (1.0 + 1e-9)) << "parameter " << i;
        EXPECT_GT(rmsWithFixed(i, r.lower / step), eq.rmsLimit) << "parameter " << i;
        EXPECT_GT(rmsWithFixed(i, r.upper * step), eq.rmsLimit) << "parameter " << i;
    }
}

TEST(EquivalenceRanges, KeepFixedParametersAtTheirValue)
{
    const auto data = Noisy({{100.0, 10.0, 1000.0}, {500.0, 2000.0}}, 31, 2);
    mt1d::fitting::LayeredOptions o;
    o.layers = 3;
    o.start = mt1d::earth::LayeredModel{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    o.fixed = {false, false, true, false, false};
    const auto fit = mt1d::fitting::FitLayered(data, o);
    const auto eq = EquivalenceRanges(fit, data);
    ASSERT_EQ(eq.status, EquivalenceStatus::kCompleted) << eq.message;
    const auto& r = eq.parameters[2];
    EXPECT_TRUE(r.fixed);
    EXPECT_EQ(r.lower, 1000.0);
    EXPECT_EQ(r.upper, 1000.0);
    EXPECT_LT(eq.parameters[0].lower, eq.parameters[0].upper);
}

TEST(EquivalenceRanges, StopWhenCancelledAndSaySo)
{
    const auto data = Noisy({{100.0, 10.0, 1000.0}, {500.0, 2000.0}}, 31, 2);
    const auto fit = Fit(data, 3);
    std::atomic<bool> cancel{true};
    mt1d::fitting::RunControl control;
    control.cancel = &cancel;
    const auto eq = EquivalenceRanges(fit, data, {}, control);
    EXPECT_EQ(eq.status, EquivalenceStatus::kCancelled);
    EXPECT_THAT(eq.message, HasSubstr("cancelled"));
    ASSERT_EQ(eq.parameters.size(), 5u);
    for (const auto& r : eq.parameters) {
        EXPECT_EQ(r.lower, r.value);
        EXPECT_EQ(r.upper, r.value);
    }
}

struct RefusedRanges {
    const char* name;
    EquivalenceOptions options;
    bool emptyFit;
    const char* message;
    friend void PrintTo(const RefusedRanges& c, std::ostream* os) { *os << c.name; }
};

class EquivalenceRefusal : public ::testing::TestWithParam<RefusedRanges> {};

TEST_P(EquivalenceRefusal, SaysWhatIsWrong)
{
    const auto data = Noisy({{100.0, 10.0}, {500.0}}, 15, 2);
    const auto fit = GetParam().emptyFit ? LayeredFitResult{} : Fit(data, 2);
    const auto eq = EquivalenceRanges(fit, data, GetParam().options);
    EXPECT_EQ(eq.status, EquivalenceStatus::kInvalidInput);
    EXPECT_THAT(eq.message, HasSubstr(GetParam().message));
    EXPECT_TRUE(eq.parameters.empty());
}

EquivalenceOptions Options(double tolerance, double resolution, std::size_t bounds = 0)
{
    EquivalenceOptions o;
    o.tolerance = tolerance;
    o.resolution = resolution;
    o.bounds.assign(bounds, mt1d::fitting::ParameterBounds{1.0, 10.0});
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Sampler, EquivalenceRefusal,
    ::testing::Values(RefusedRanges{"NoFit", {}, true, "no layered fit"},
                      RefusedRanges{"ZeroTolerance", Options(0.0, 0.005), false, "tolerance must be finite and positive"},
                      RefusedRanges{"NaNResolution", Options(0.1, std::nan("")), false, "resolution must be finite"},
                      RefusedRanges{"BoundsMiscounted", Options(0.1, 0.005, 2), false, "2 layers have 3 parameters, got 2"},
                      // The fitted 100 Ω·m lies outside 1 to 10 Ω·m: the constrained fits refuse it.
                      RefusedRanges{"ModelOutsideBounds", Options(0.1, 0.005, 3), false, "a constrained fit was refused"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
