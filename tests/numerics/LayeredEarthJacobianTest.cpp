// The analytic Jacobian of the field kernel: against central differences of the scalar
// textbook recursion, against the scaling law of the layered earth, and at its edges (one
// layer, a parameter that hardly matters, a layer millimetres thin).

#include "numerics/LayeredEarth.h"
#include "tests/numerics/LayeredEarthSupport.h"
#include "tests/numerics/ScalarLayeredEarth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

using mt1d::earth::LayeredEarth;
using testing_support::Earth;
using testing_support::ForEachTarget;
using testing_support::LogFrequencies;
using testing_support::RandomEarth;

constexpr double kEps = std::numeric_limits<double>::epsilon();

struct Jacobian {
    std::size_t rows;     // 2F
    std::size_t columns;  // 2L − 1
    std::vector<double> rhoA, phase, values;

    double At(std::size_t row, std::size_t column) const { return values[row * columns + column]; }
};

Jacobian Analytic(const std::vector<double>& f, const Earth& e)
{
    LayeredEarth kernel(f);
    Jacobian j{2 * f.size(), 2 * e.rho.size() - 1, std::vector<double>(f.size()),
               std::vector<double>(f.size()), {}};
    j.values.assign(j.rows * j.columns, std::numeric_limits<double>::quiet_NaN());
    kernel.ComputeWithJacobian(e.rho, e.h, j.rhoA, j.phase, j.values);
    return j;
}

// log10 ρa at every frequency, then φ, of the scalar recursion.
std::vector<double> ScalarData(const std::vector<double>& f, const Earth& e)
{
    std::vector<double> d(2 * f.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto p = reference::ScalarLayeredEarth(e.rho, e.h, f[i]);
        d[i] = std::log10(p.rhoA);
        d[f.size() + i] = p.phaseDeg;
    }
    return d;
}

// Central differences in log10 of each parameter, with one Richardson step:
//     D(δ) = (d(p·10^δ) − d(p·10^−δ))/(2δ),   (4·D(δ/2) − D(δ))/3 = ∂d/∂log10 p + O(δ⁴).
Jacobian CentralDifferences(const std::vector<double>& f, const Earth& e, double delta)
{
    const std::size_t layers = e.rho.size();
    Jacobian j{2 * f.size(), 2 * layers - 1, {}, {}, {}};
    j.values.resize(j.rows * j.columns);
    for (std::size_t k = 0; k < j.columns; ++k) {
        const auto difference = [&](double step) {
            Earth up = e, down = e;
            double& pu = k < layers ? up.rho[k] : up.h[k - layers];
            double& pd = k < layers ? down.rho[k] : down.h[k - layers];
            pu *= std::pow(10.0, step);
            pd *= std::pow(10.0, -step);
            const auto du = ScalarData(f, up), dd = ScalarData(f, down);
            std::vector<double> d(du.size());
            for (std::size_t r = 0; r < d.size(); ++r) d[r] = (du[r] - dd[r]) / (2 * step);
            return d;
        };
        const auto coarse = difference(delta), fine = difference(delta / 2);
        for (std::size_t r = 0; r < j.rows; ++r) {
            j.values[r * j.columns + k] = (4 * fine[r] - coarse[r]) / 3;
        }
    }
    return j;
}

// Largest |analytic − differences| over the ρa rows and over the phase rows.
struct Gap {
    double rhoA = 0.0;
    double phase = 0.0;
};

Gap Compare(const Jacobian& analytic, const Jacobian& numeric)
{
    Gap g;
    const std::size_t f = analytic.rows / 2;
    for (std::size_t r = 0; r < analytic.rows; ++r) {
        for (std::size_t k = 0; k < analytic.columns; ++k) {
            const double d = std::abs(analytic.At(r, k) - numeric.At(r, k));
            double& worst = r < f ? g.rhoA : g.phase;
            worst = std::isfinite(d) ? std::max(worst, d) : std::numeric_limits<double>::infinity();
        }
    }
    return g;
}

// Richardson-extrapolated differences with δ = 1e-3: the remainder O(δ⁴) ~ 1e-12 times fifth
// derivatives of order 1e2 for phase in degrees, and rounding of 1e-15 relative divided by
// 2δ ~ 1e-12 in log10 ρa and 1e-10° in phase. Measured gaps stay below 1.3e-11 and 8.5e-10°;
// the tolerances leave a factor of about 100. A wrong factor, sign or column in any
// derivative gives gaps of order 0.01 or more.
constexpr double kDelta = 1e-3;
constexpr double kRhoATolerance = 1e-9;   // in log10 ρa per log10 p
constexpr double kPhaseTolerance = 1e-7;  // degrees per log10 p

TEST(LayeredEarthJacobian, MatchesCentralDifferencesOfTheScalarRecursion)
{
    const std::vector<double> f = LogFrequencies(1e-3, 1e3, 19);
    ForEachTarget([&](const std::string& target) {
        std::mt19937_64 rng(424242);
        Gap worst;
        for (int trial = 0; trial < 40; ++trial) {
            const Earth e = RandomEarth(rng, 2 + trial % 8, {1.0, 1e4}, {10.0, 1e4});
            const Gap g = Compare(Analytic(f, e), CentralDifferences(f, e, kDelta));
            EXPECT_LE(g.rhoA, kRhoATolerance) << target << ' ' << e.Describe();
            EXPECT_LE(g.phase, kPhaseTolerance) << target << ' ' << e.Describe();
            worst.rhoA = std::max(worst.rhoA, g.rhoA);
            worst.phase = std::max(worst.phase, g.phase);
        }
        testing_support::RecordFigure("worst_rhoa_gap_" + target, worst.rhoA);
        testing_support::RecordFigure("worst_phase_gap_degrees_" + target, worst.phase);
    });
}

TEST(LayeredEarthJacobian, EdgeCasesMatchCentralDifferences)
{
    struct Case {
        const char* what;
        Earth earth;
    };
    const Case cases[] = {
        // Below 20 km of 1 Ω·m the basement shows only at the lowest frequencies.
        {"basement under a thick conductor", {{1.0, 1000.0}, {2e4}}},
        {"millimetre layer between two others", {{100.0, 5.0, 100.0}, {300.0, 1e-3}}},
        {"strong contrasts", {{1e4, 0.1, 1e4, 0.1}, {50.0, 20.0, 2000.0}}},
        {"two layers", {{10.0, 1000.0}, {700.0}}},
    };
    const std::vector<double> f = LogFrequencies(1e-4, 1e4, 21);
    ForEachTarget([&](const std::string& target) {
        Gap worst;
        for (const Case& c : cases) {
            const Gap g = Compare(Analytic(f, c.earth), CentralDifferences(f, c.earth, kDelta));
            EXPECT_LE(g.rhoA, kRhoATolerance) << target << ' ' << c.what;
            EXPECT_LE(g.phase, kPhaseTolerance) << target << ' ' << c.what;
            worst.rhoA = std::max(worst.rhoA, g.rhoA);
            worst.phase = std::max(worst.phase, g.phase);
        }
        testing_support::RecordFigure("worst_rhoa_gap_" + target, worst.rhoA);
        testing_support::RecordFigure("worst_phase_gap_degrees_" + target, worst.phase);
    });
}

TEST(LayeredEarthJacobian, OneLayerHasUnitResistivityDerivativeAndNoPhaseDerivative)
{
    // ρa = ρ and φ = 45° whatever ρ is: ∂log10 ρa/∂log10 ρ = 1 and ∂φ/∂log10 ρ = 0.
    const std::vector<double> f = LogFrequencies(1e-4, 1e4, 11);
    ForEachTarget([&](const std::string& target) {
        const Jacobian j = Analytic(f, {{123.0}, {}});
        ASSERT_EQ(j.columns, 1u);
        for (std::size_t i = 0; i < f.size(); ++i) {
            EXPECT_NEAR(j.At(i, 0), 1.0, 4 * kEps) << target;
            EXPECT_EQ(j.At(f.size() + i, 0), 0.0) << target;
        }
    });
}

TEST(LayeredEarthJacobian, ParameterWithoutInfluenceHasZeroDerivative)
{
    // The basement lies under 1e5 m of 0.01 Ω·m: at 1 Hz and above θ = 2h·sqrt(ωμ0/2ρ) exceeds
    // 3900, so the basement's influence e^{−θ} is zero in double precision, and so are its
    // derivative and that of the conductor's thickness.
    const std::vector<double> f = LogFrequencies(1.0, 1e4, 9);
    const Earth e{{10.0, 0.01, 1e4}, {100.0, 1e5}};
    ForEachTarget([&](const std::string& target) {
        const Jacobian j = Analytic(f, e);
        double conductor = 0.0;
        for (std::size_t r = 0; r < j.rows; ++r) {
            EXPECT_EQ(j.At(r, 2), 0.0) << target << " row " << r;
            EXPECT_EQ(j.At(r, 4), 0.0) << target << " row " << r;
            conductor = std::max(conductor, std::abs(j.At(r, 1)));
        }
        // The conductor's resistivity does matter, at the lower frequencies.
        EXPECT_GT(conductor, 0.1) << target;
    });
}

TEST(LayeredEarthJacobian, ObeysTheScalingLawOfTheLayeredEarth)
{
    // Multiplying every ρ by c and every h by sqrt(c) leaves every θ_j unchanged and scales the
    // impedance by sqrt(c): ρa → c·ρa, φ unchanged. Differentiating at c = 1,
    //     Σ_j ∂log10 ρa/∂log10 ρ_j + ½·Σ_j ∂log10 ρa/∂log10 h_j = 1,  and the same sum of φ is 0.
    const std::vector<double> f = LogFrequencies(1e-4, 1e4, 27);
    ForEachTarget([&](const std::string& target) {
        std::mt19937_64 rng(1987);
        std::uniform_int_distribution<std::size_t> layerCount(1, 50);
        for (int trial = 0; trial < 100; ++trial) {
            const Earth e = RandomEarth(rng, layerCount(rng), {0.1, 1e5}, {1.0, 1e5});
            const Jacobian j = Analytic(f, e);
            const std::size_t layers = e.rho.size();
            for (std::size_t r = 0; r < j.rows; ++r) {
                double sum = 0.0, size = 0.0;
                for (std::size_t k = 0; k < j.columns; ++k) {
                    const double term = (k < layers ? 1.0 : 0.5) * j.At(r, k);
                    sum += term;
                    size += std::abs(term);
                }
                // Rounding of up to 99 terms, each good to some 1e-14 of the largest.
                const double expected = r < f.size() ? 1.0 : 0.0;
                EXPECT_NEAR(sum, expected, 1e-13 * std::max(size, 1.0))
                    << target << " row " << r << ' ' << e.Describe();
            }
        }
    });
}

TEST(LayeredEarthJacobian, ResponseEqualsThatOfCompute)
{
    const std::vector<double> f = LogFrequencies(1e-4, 1e4, 41);
    ForEachTarget([&](const std::string& target) {
        std::mt19937_64 rng(5);
        for (int trial = 0; trial < 20; ++trial) {
            const Earth e = RandomEarth(rng, 1 + trial, {0.1, 1e5}, {1.0, 1e5});
            const Jacobian j = Analytic(f, e);
            LayeredEarth kernel(f);
            std::vector<double> rho(f.size()), phase(f.size());
            kernel.Compute(e.rho, e.h, rho, phase);
            for (std::size_t i = 0; i < f.size(); ++i) {
                // The same recursion in the same order: equal to the last bit.
                EXPECT_EQ(j.rhoA[i], rho[i]) << target << ' ' << e.Describe();
                EXPECT_EQ(j.phase[i], phase[i]) << target << ' ' << e.Describe();
            }
        }
    });
}

// The column view holds the same numbers as the rows, column k of ∂log10 ρa and of ∂φ at
// k·stride, and the same response.
TEST(LayeredEarthJacobian, ColumnsHoldTheRowsTransposed)
{
    const std::vector<double> f = LogFrequencies(1e-4, 1e4, 23);
    ForEachTarget([&](const std::string& target) {
        std::mt19937_64 rng(9);
        for (int trial = 0; trial < 10; ++trial) {
            const Earth e = RandomEarth(rng, 1 + 3 * trial, {0.1, 1e5}, {1.0, 1e5});
            const Jacobian j = Analytic(f, e);
            LayeredEarth kernel(f);
            std::vector<double> rho(f.size()), phase(f.size());
            const auto columns = kernel.ComputeWithJacobianColumns(e.rho, e.h, rho, phase);
            ASSERT_EQ(columns.columns, j.columns) << target;
            ASSERT_GE(columns.stride, f.size()) << target;
            for (std::size_t i = 0; i < f.size(); ++i) {
                EXPECT_EQ(rho[i], j.rhoA[i]) << target;
                EXPECT_EQ(phase[i], j.phase[i]) << target;
                for (std::size_t c = 0; c < j.columns; ++c) {
                    EXPECT_EQ(columns.dLog10RhoA[c * columns.stride + i], j.At(i, c)) << target << ' ' << e.Describe();
                    EXPECT_EQ(columns.dPhaseDeg[c * columns.stride + i], j.At(f.size() + i, c)) << target << ' ' << e.Describe();
                }
            }
        }
    });
}

}  // namespace
