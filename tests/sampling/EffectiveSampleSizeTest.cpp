// Effective sample size against autoregressive series whose ESS is known: for
// x_t = φ x_{t−1} + ε_t the autocorrelation is ρ_t = φ^t, so τ = (1 + φ)/(1 − φ) and
// ESS = n (1 − φ)/(1 + φ).
//
// Tolerance: the variance of an autocorrelation time summed over a window of M lags is about
// 2(2M + 1)/n · τ² (Sokal; Priestley, Spectral Analysis and Time Series, §6.2). Geyer's
// sequence stops within a few τ, M ≤ 5τ + 5 here: for φ = 0.9 (τ = 19) and n = 200,000 the
// relative standard error is about sqrt(2·201/2e5) = 4.5 %, for the others below 2.5 %. The
// tolerances (15 % and 10 %) are over three standard errors.

#include "sampling/EffectiveSampleSize.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using mt1d::sampling::CombinedEffectiveSampleSize;
using mt1d::sampling::EffectiveSampleSize;

std::vector<double> Ar1(double phi, std::size_t n, std::uint64_t seed, double offset = 0.0)
{
    std::mt19937_64 random(seed);
    std::normal_distribution<double> noise;
    std::vector<double> x(n);
    double v = noise(random) / std::sqrt(1.0 - phi * phi);  // from the stationary distribution
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = v + offset;
        v = phi * v + noise(random);
    }
    return x;
}

double KnownEss(double phi, double n) { return n * (1.0 - phi) / (1.0 + phi); }

struct Ar1Case {
    double phi;
    double tolerance;  // relative
};

class EffectiveSampleSizeTest : public testing::TestWithParam<Ar1Case> {};

TEST_P(EffectiveSampleSizeTest, MatchesTheAutoregressiveSeries)
{
    const auto [phi, tolerance] = GetParam();
    constexpr std::size_t n = 200'000;
    const double known = KnownEss(phi, n);
    EXPECT_NEAR(EffectiveSampleSize(Ar1(phi, n, 7)), known, tolerance * known);
    // Four such chains together are worth four times one.
    std::vector<std::vector<double>> chains;
    for (std::uint64_t seed = 11; seed < 15; ++seed) chains.push_back(Ar1(phi, n / 4, seed));
    EXPECT_NEAR(CombinedEffectiveSampleSize(chains), known, tolerance * known);
}

INSTANTIATE_TEST_SUITE_P(Ar1, EffectiveSampleSizeTest,
                         testing::Values(Ar1Case{0.0, 0.10}, Ar1Case{0.5, 0.10}, Ar1Case{0.9, 0.15},
                                         Ar1Case{-0.5, 0.10}),
                         [](const auto& info) {
                             const double phi = info.param.phi;
                             return std::string(phi < 0 ? "Minus" : "") + "Phi" +
                                    std::to_string(static_cast<int>(std::round(std::abs(phi) * 10)));
                         });

// Chains that sample different values are worth little together, however good each is alone.
TEST(CombinedEffectiveSampleSize, CountsChainsThatDisagreeForLittle)
{
    std::vector<std::vector<double>> chains{Ar1(0.5, 20'000, 1), Ar1(0.5, 20'000, 2, 10.0)};
    const double alone = EffectiveSampleSize(chains[0]) + EffectiveSampleSize(chains[1]);
    EXPECT_GT(alone, 10'000.0);
    EXPECT_LT(CombinedEffectiveSampleSize(chains), 0.01 * alone);
}

TEST(EffectiveSampleSize, ConstantShortAndUnequalChains)
{
    const std::vector<double> constant(100, 3.0);
    EXPECT_DOUBLE_EQ(EffectiveSampleSize(constant), 100.0);
    EXPECT_DOUBLE_EQ(CombinedEffectiveSampleSize({constant, std::vector<double>(100, 4.0)}), 0.0);
    EXPECT_TRUE(std::isnan(EffectiveSampleSize(std::vector<double>(3, 1.0))));
    // Chains are cut to the shortest: a long one adds no more than its first part.
    const std::vector<double> a = Ar1(0.5, 10'000, 3);
    std::vector<double> b = Ar1(0.5, 30'000, 4);
    const double cut = CombinedEffectiveSampleSize({a, std::vector<double>(b.begin(), b.begin() + 10'000)});
    EXPECT_DOUBLE_EQ(CombinedEffectiveSampleSize({a, b}), cut);
}

}  // namespace
