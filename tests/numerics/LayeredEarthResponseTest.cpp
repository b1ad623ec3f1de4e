// The field kernel's response: analytic oracles, an independent two-layer solution, the classic
// forward model, the scalar textbook recursion on random and extreme earths, and the sizes it
// accepts. Every comparison runs on each instruction set the processor offers.

#include "numerics/LayeredEarth.h"
#include "tests/numerics/LayeredEarthSupport.h"
#include "numerics/MTSounding.h"
#include "numerics/PhaseRelation.h"
#include "tests/numerics/ScalarLayeredEarth.h"
#include "tests/numerics/Soundings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

using mt1d::earth::LayeredEarth;
using mt1d::earth::MisfitData;
using testing_support::Earth;
using testing_support::ForEachTarget;
using testing_support::LogFrequencies;
using testing_support::RandomEarth;

constexpr double kEps = std::numeric_limits<double>::epsilon();

struct Result {
    std::vector<double> rhoA;
    std::vector<double> phase;
};

Result Respond(const std::vector<double>& frequencies, const Earth& e)
{
    LayeredEarth kernel(frequencies);
    Result r{std::vector<double>(frequencies.size()), std::vector<double>(frequencies.size())};
    kernel.Compute(e.rho, e.h, r.rhoA, r.phase);
    return r;
}

TEST(LayeredEarthResponse, HalfSpaceHasItsOwnResistivityAndFortyFiveDegrees)
{
    // 0 Hz is the direct-current limit; the padding lanes of the kernel run there too.
    const std::vector<double> f = {0.0, 1e-5, 3e-3, 1.0, 77.0, 1e5};
    ForEachTarget([&](const std::string& target) {
        for (const double rho : {1e-4, 0.37, 100.0, 1e8}) {
            const Result r = Respond(f, {{rho}, {}});
            for (std::size_t i = 0; i < f.size(); ++i) {
                // ρa = (sqrt ρ)²: two roundings, so 2 ulps.
                EXPECT_NEAR(r.rhoA[i], rho, 2 * kEps * rho) << target << " ρ " << rho << " f " << f[i];
                // arg of a real positive W is exactly 0.
                EXPECT_EQ(r.phase[i], 45.0) << target << " ρ " << rho << " f " << f[i];
            }
        }
    });
}

// Far above any skin depth of the layers the top layer alone answers: ρa = ρ_0, 45°, and the
// Jacobian holds ∂log10 ρa/∂log10 ρ_0 = 1 (∂φ/∂log10 ρ_0 = 0) and nothing for deeper layers.
// π·f·μ0 overflows above 5.7e307 Hz, which once made every derivative NaN (∞·0).
TEST(LayeredEarthResponse, FrequenciesNearTheLargestDoubleSeeOnlyTheTopLayer)
{
    const std::vector<double> f = {1e308, std::numeric_limits<double>::max()};
    const Earth e{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    ForEachTarget([&](const std::string& target) {
        LayeredEarth kernel(f);
        std::vector<double> rhoA(2), phase(2), jacobian(2 * 2 * 5);
        kernel.ComputeWithJacobian(e.rho, e.h, rhoA, phase, jacobian);
        for (std::size_t i = 0; i < f.size(); ++i) {
            EXPECT_NEAR(rhoA[i], 100.0, 1e-12 * 100.0) << target << " f " << f[i];
            EXPECT_NEAR(phase[i], 45.0, 1e-12) << target << " f " << f[i];
            for (std::size_t c = 0; c < 5; ++c) {
                EXPECT_NEAR(jacobian[i * 5 + c], c == 0 ? 1.0 : 0.0, 1e-12) << target << " ρa row " << i << " col " << c;
                EXPECT_NEAR(jacobian[(2 + i) * 5 + c], 0.0, 1e-12) << target << " φ row " << i << " col " << c;
            }
        }
    });
}

// The misfit's log10 ρa in SIMD lanes: within 2 ulps of the correctly rounded log10 (taken
// here as std::log10, itself within 1 ulp) over the range of ρa, for every count of values
// (a partial last block included) and in place.
TEST(LayeredEarthLog10, AgreesWithTheLibraryWithinTwoUlpsForEveryCount)
{
    ForEachTarget([&](const std::string& target) {
        for (std::size_t count : {1u, 2u, 3u, 7u, 8u, 9u, 31u, 64u, 65u}) {
            std::vector<double> values(count), out(count, std::numeric_limits<double>::quiet_NaN());
            for (std::size_t i = 0; i < count; ++i) values[i] = std::pow(10.0, -6.0 + 16.0 * static_cast<double>(i) / 64.0) * 1.37;
            LayeredEarth::Log10(values, out);
            for (std::size_t i = 0; i < count; ++i) {
                const double expected = std::log10(values[i]);
                EXPECT_NEAR(out[i], expected, 2.0 * kEps * std::max(std::abs(expected), 1.0)) << target << " " << values[i];
            }
            std::vector<double> inPlace = values;
            LayeredEarth::Log10(inPlace, inPlace);
            EXPECT_EQ(inPlace, out) << target;
        }
        EXPECT_EQ(std::vector<double>{0.0}, [] {
            std::vector<double> v{1.0};
            LayeredEarth::Log10(v, v);
            return v;
        }()) << target;
    });
}

TEST(LayeredEarthResponse, LayersOfOneResistivityActAsAHalfSpace)
{
    const std::vector<double> f = LogFrequencies(1e-4, 1e4, 23);
    const Earth e{{37.0, 37.0, 37.0, 37.0, 37.0}, {1e-3, 20.0, 4e3, 1e7}};
    ForEachTarget([&](const std::string& target) {
        const Result r = Respond(f, e);
        for (std::size_t i = 0; i < f.size(); ++i) {
            // Four steps of a few roundings each: 64 ulps is ample and still catches any
            // step that does not leave W = η alone.
            EXPECT_NEAR(r.rhoA[i], 37.0, 64 * kEps * 37.0) << target << " f " << f[i];
            EXPECT_NEAR(r.phase[i], 45.0, 64 * kEps * 45.0) << target << " f " << f[i];
        }
    });
}

TEST(LayeredEarthResponse, TwoLayerEarthsMatchAnIndependentBoundaryValueSolution)
{
    // From tests/numerics/scripts/two_layer_values.py: the fields in both media solved at 40
    // digits, no recursion involved.
    struct Case {
        double rho1, h, rho2, f, rhoA, phase;
    };
    const Case cases[] = {
        {100, 1000, 10, 0.001, 10.364021841674456, 46.002456928743206},
        {100, 1000, 10, 0.1, 14.196967970561928, 53.270102781938313},
        {100, 1000, 10, 10, 83.583371566521254, 61.040908120765443},
        {10, 500, 1000, 0.001, 822.35128095604209, 39.893539893798227},
        {10, 500, 1000, 0.1, 205.1186560249964, 19.295811500113211},
        {10, 500, 1000, 10, 8.3558953963601332, 33.258661637430514},
    };
    ForEachTarget([&](const std::string& target) {
        for (const Case& c : cases) {
            const Result r = Respond({c.f}, {{c.rho1, c.rho2}, {c.h}});
            // One step of double arithmetic with library exp/sin/cos of at most 4 ulps each:
            // 1e-13 relative leaves a margin of a few hundred ulps.
            EXPECT_NEAR(r.rhoA[0], c.rhoA, 1e-13 * c.rhoA) << target << " f " << c.f;
            EXPECT_NEAR(r.phase[0], c.phase, 1e-11) << target << " f " << c.f;
        }
    });
}

TEST(LayeredEarthResponse, AgreesWithTheClassicForwardModel)
{
    const std::vector<std::vector<float>> models = {
        {1000.0f, 10.0f, 1000.0f, 500.0f, 500.0f},
        {100.0f, 1.0f, 300.0f},
        {10.0f, 5000.0f, 2000.0f},
        {50.0f, 500.0f, 5.0f, 200.0f, 20.0f, 100.0f, 1500.0f, 800.0f, 3000.0f},
        {300.0f, 0.5f, 300.0f, 1000.0f, 10.0f},
        {42.0f},
    };
    // The classic model works with float frequencies; the kernel gets the same values.
    const auto classicFrequencies = testing_support::SoundingFrequencies();
    const std::vector<double> f(classicFrequencies.begin(), classicFrequencies.end());
    const std::vector<float> noData(82, 1.0f);
    for (const auto& params : models) {
        TMTRes classic;
        testing_support::Prepare(classic, params, noData);
        const std::size_t layers = (params.size() + 1) / 2;
        const Earth e{{params.begin(), params.begin() + layers}, {params.begin() + layers, params.end()}};
        const Result r = Respond(f, e);
        for (std::size_t i = 0; i < f.size(); ++i) {
            // The classic model stores float results: 6e-8 relative; 1e-6 is the agreement asked of it.
            EXPECT_NEAR(r.rhoA[i], classic.CalcAppRes[i], 1e-6 * r.rhoA[i])
                << e.Describe() << " f " << f[i];
            // Its phase is a float in radians of magnitude up to 2.4: 1.4e-7 rad = 8e-6°,
            // halved by the relation; 1e-5° covers it.
            const double classicDeg = classic.CalcPhase[i] * 180.0 / M_PI;
            EXPECT_NEAR(r.phase[i], mt1d::ImpedancePhaseDegrees(classicDeg), 1e-5)
                << e.Describe() << " f " << f[i];
        }
    }
}

// Worst relative ρa and absolute φ differences against the scalar recursion.
struct Deviation {
    double rhoA = 0.0;
    double phase = 0.0;
};

Deviation Compare(const std::vector<double>& f, const Earth& e, const Result& r)
{
    Deviation d;
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto expected = reference::ScalarLayeredEarth(e.rho, e.h, f[i]);
        d.rhoA = std::max(d.rhoA, std::abs(r.rhoA[i] / expected.rhoA - 1.0));
        d.phase = std::max(d.phase, std::abs(r.phase[i] - expected.phaseDeg));
        if (!std::isfinite(r.rhoA[i]) || !std::isfinite(r.phase[i])) {
            d.rhoA = d.phase = std::numeric_limits<double>::infinity();
        }
    }
    return d;
}

TEST(LayeredEarthResponse, AgreesWithTheScalarRecursionOnRandomEarths)
{
    // 41 frequencies leave a partial block of lanes at any SIMD width.
    const std::vector<double> f = LogFrequencies(1e-4, 1e4, 41);
    ForEachTarget([&](const std::string& target) {
        std::mt19937_64 rng(20240611);
        std::uniform_int_distribution<std::size_t> layerCount(1, 50);
        Deviation worst;
        for (int trial = 0; trial < 400; ++trial) {
            const Earth e = RandomEarth(rng, layerCount(rng), {0.1, 1e5}, {1.0, 1e5});
            const Deviation d = Compare(f, e, Respond(f, e));
            // The agreement asked of the kernel; both sides are double precision, the
            // difference is rounding in different formulations of the same recursion.
            ASSERT_LE(d.rhoA, 1e-10) << target << ' ' << e.Describe();
            ASSERT_LE(d.phase, 1e-8) << target << ' ' << e.Describe();
            worst.rhoA = std::max(worst.rhoA, d.rhoA);
            worst.phase = std::max(worst.phase, d.phase);
        }
        testing_support::RecordFigure("worst_rhoa_relative_" + target, worst.rhoA);
        testing_support::RecordFigure("worst_phase_degrees_" + target, worst.phase);
    });
}

TEST(LayeredEarthResponse, ExtremeEarthsStayFiniteAndAccurate)
{
    const std::vector<double> f = LogFrequencies(1e-5, 1e5, 31);
    std::vector<Earth> earths = {
        {{1e-4, 1e8}, {1e7}},                      // a thick conductor hides the basement
        {{1e8, 1e-4}, {1e7}},                      // a thick resistor over a conductor
        {{1e-4, 1e8}, {1e-3}},                     // a millimetre of conductor on a resistor
        {{1e8, 1e-4}, {1e-3}},                     // a millimetre of resistor on a conductor
        {{1e8, 1e-4, 1e8, 1e-4, 1e8}, {1e-3, 1e7, 1e-3, 1e-3}},
        {{1e-4, 1e-4, 1e8}, {1e-3, 1e-3}},
        {{1e-4, 10.0, 1e8}, {1e12, 1.0}},          // deeper than any earth: θ up to 1e14
    };
    std::mt19937_64 rng(7);
    for (int k = 0; k < 200; ++k) earths.push_back(RandomEarth(rng, 1 + k % 30, {1e-4, 1e8}, {1e-3, 1e7}));
    ForEachTarget([&](const std::string& target) {
        Deviation worst;
        for (const Earth& e : earths) {
            const Result r = Respond(f, e);
            for (std::size_t i = 0; i < f.size(); ++i) {
                ASSERT_TRUE(std::isfinite(r.rhoA[i]) && r.rhoA[i] > 0.0) << target << ' ' << e.Describe();
                ASSERT_TRUE(r.phase[i] > 0.0 && r.phase[i] < 90.0) << target << ' ' << e.Describe();
            }
            // With tanh(kh) formed from expm1 nothing cancels even at contrasts of 1e12 or in
            // millimetre layers: measured worst 3.3e-15 relative and 4.6e-14°. The bounds
            // leave a factor of some 300 and would fail a form of 1 − e^{−2kh} that loses
            // digits in thin layers (5e-11 relative here).
            const Deviation d = Compare(f, e, r);
            EXPECT_LE(d.rhoA, 1e-12) << target << ' ' << e.Describe();
            EXPECT_LE(d.phase, 1e-11) << target << ' ' << e.Describe();
            worst.rhoA = std::max(worst.rhoA, d.rhoA);
            worst.phase = std::max(worst.phase, d.phase);
        }
        testing_support::RecordFigure("worst_rhoa_relative_" + target, worst.rhoA);
        testing_support::RecordFigure("worst_phase_degrees_" + target, worst.phase);
    });
}

TEST(LayeredEarthResponse, EveryFrequencyCountFillsExactlyItsOwnValues)
{
    const Earth e{{30.0, 3.0, 300.0}, {200.0, 900.0}};
    constexpr double kUntouched = -123.0;
    ForEachTarget([&](const std::string& target) {
        for (std::size_t count = 0; count <= 19; ++count) {
            const std::vector<double> f = LogFrequencies(1e-3, 1e3, count);
            LayeredEarth kernel(f);
            std::vector<double> rho(count + 3, kUntouched), phase(count + 3, kUntouched);
            kernel.Compute(e.rho, e.h, rho, phase);
            for (std::size_t i = 0; i < count; ++i) {
                const auto expected = reference::ScalarLayeredEarth(e.rho, e.h, f[i]);
                EXPECT_NEAR(rho[i], expected.rhoA, 1e-12 * expected.rhoA) << target << " count " << count;
                EXPECT_NEAR(phase[i], expected.phaseDeg, 1e-10) << target << " count " << count;
            }
            for (std::size_t i = count; i < count + 3; ++i) {
                EXPECT_EQ(rho[i], kUntouched) << target << " count " << count;
                EXPECT_EQ(phase[i], kUntouched) << target << " count " << count;
            }
        }
    });
}

TEST(LayeredEarthResponse, WrongSizesAreRefusedAndLeaveTheOutputsAlone)
{
    LayeredEarth kernel(LogFrequencies(1e-2, 1e2, 5));
    const std::vector<double> rho = {10.0, 100.0}, h = {50.0};
    std::vector<double> out(5, 7.0), shortOut(4, 7.0), jac(2 * 5 * 3, 7.0), shortJac(29, 7.0);
    struct Case {
        const char* what;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"no layers", [&] { kernel.Compute({}, {}, out, out); }},
        {"one thickness too many", [&] { kernel.Compute(rho, std::vector<double>{1.0, 2.0}, out, out); }},
        {"one thickness too few", [&] { kernel.Compute(rho, {}, out, out); }},
        {"short ρa span", [&] { kernel.Compute(rho, h, shortOut, out); }},
        {"short phase span", [&] { kernel.Compute(rho, h, out, shortOut); }},
        {"short Jacobian span", [&] { kernel.ComputeWithJacobian(rho, h, out, out, shortJac); }},
        {"Jacobian with a short ρa span", [&] { kernel.ComputeWithJacobian(rho, h, shortOut, out, jac); }},
    };
    for (const Case& c : cases) {
        EXPECT_THROW(c.call(), std::invalid_argument) << c.what;
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](double v) { return v == 7.0; })) << c.what;
        EXPECT_TRUE(std::all_of(shortOut.begin(), shortOut.end(), [](double v) { return v == 7.0; })) << c.what;
        EXPECT_TRUE(std::all_of(shortJac.begin(), shortJac.end(), [](double v) { return v == 7.0; })) << c.what;
    }
}

// χ² summed by hand from Compute with the standard library's log10.
double ChiSquareByHand(const Result& r, const MisfitData& data)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < r.rhoA.size(); ++i) {
        if (data.log10RhoAWeight[i] != 0.0) {
            sum += std::pow(data.log10RhoAWeight[i] * (std::log10(r.rhoA[i]) - data.log10RhoA[i]), 2);
        }
        if (data.phaseWeight[i] != 0.0) {
            sum += std::pow(data.phaseWeight[i] * (r.phase[i] - data.phaseDeg[i]), 2);
        }
    }
    return sum;
}

TEST(LayeredEarthMisfit, ChiSquareSumsTheWeightedResidualsOfTheResponse)
{
    const std::vector<double> f = LogFrequencies(1e-3, 1e3, 37);
    ForEachTarget([&](const std::string& target) {
        std::mt19937_64 rng(99);
        std::normal_distribution<double> noise(0.0, 1.0);
        std::uniform_real_distribution<double> weight(1.0, 50.0);
        for (int trial = 0; trial < 20; ++trial) {
            const Earth e = RandomEarth(rng, 1 + trial % 7, {1.0, 1e4}, {10.0, 1e4});
            const Result r = Respond(f, e);
            MisfitData data;
            for (std::size_t i = 0; i < f.size(); ++i) {
                data.log10RhoA.push_back(std::log10(r.rhoA[i]) + 0.02 * noise(rng));
                data.log10RhoAWeight.push_back(weight(rng));
                data.phaseDeg.push_back(r.phase[i] + noise(rng));
                data.phaseWeight.push_back(weight(rng) / 50.0);
            }
            // Some values missing: weight 0 and a NaN where the value would be.
            for (std::size_t i = 0; i < f.size(); i += 5) {
                data.log10RhoAWeight[i] = 0.0;
                data.log10RhoA[i] = std::numeric_limits<double>::quiet_NaN();
            }
            for (std::size_t i = 2; i < f.size(); i += 7) {
                data.phaseWeight[i] = 0.0;
                data.phaseDeg[i] = std::numeric_limits<double>::quiet_NaN();
            }
            LayeredEarth kernel(f);
            const double chi2 = kernel.ChiSquare(e.rho, e.h, data);
            // 74 terms of O(1), each residual from a log10 within 2 ulps of the standard one
            // over values of O(1): relative 1e-12 of the sum covers the order of summation.
            EXPECT_NEAR(chi2, ChiSquareByHand(r, data), 1e-12 * chi2) << target << ' ' << e.Describe();
        }
    });
}

TEST(LayeredEarthMisfit, MisfitDataOfTheWrongLengthIsRefused)
{
    const std::vector<double> f = LogFrequencies(1e-3, 1e3, 6);
    LayeredEarth kernel(f);
    const MisfitData good{std::vector<double>(6, 1.0), std::vector<double>(6, 1.0),
                          std::vector<double>(6, 45.0), std::vector<double>(6, 1.0)};
    const std::vector<double> one = {100.0}, two = {100.0, 10.0};
    EXPECT_NO_THROW(kernel.ChiSquare(one, {}, good));
    for (int k = 0; k < 4; ++k) {
        MisfitData bad = good;
        std::vector<double>* vectors[] = {&bad.log10RhoA, &bad.log10RhoAWeight, &bad.phaseDeg, &bad.phaseWeight};
        vectors[k]->pop_back();
        EXPECT_THROW(kernel.ChiSquare(one, {}, bad), std::invalid_argument) << "vector " << k;
    }
    EXPECT_THROW(kernel.ChiSquare(two, {}, good), std::invalid_argument);
}

}  // namespace

namespace {

// The kernel picks its instruction set itself (without Highway's shared library): the best the
// processor supports, plain C++ always among them, and a test can hold any of them.
TEST(LayeredEarthTargets, TheBestSupportedSetIsUsedAndEachCanBeHeld)
{
    namespace kernel = mt1d::earth::kernel;
    const std::vector<std::string> available = kernel::AvailableTargets();
    ASSERT_FALSE(available.empty());
    EXPECT_EQ(available.back(), "SCALAR");
    EXPECT_EQ(kernel::CurrentTarget(), available.front());
    for (const std::string& name : available) {
        kernel::HoldTargetForTest(name);
        EXPECT_EQ(kernel::CurrentTarget(), name);
    }
    kernel::HoldTargetForTest("NO-SUCH-SET");
    EXPECT_EQ(kernel::CurrentTarget(), available.front());
}

}  // namespace
