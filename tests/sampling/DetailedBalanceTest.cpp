// Does the chain sample the distribution it should? With a misfit whose posterior is known
// in closed form, the sampled layer counts, interface depths and resistivities must match it.
// A wrong factor in the birth or death ratio (a missing 1/Δr, the proposal density left out
// or inverted, the (k + 1) not cancelled) tilts the layer-count distribution by tens of
// percent; a move or change that loses symmetry bends the uniform marginals.
//
// Tolerances. Each estimate below was computed over 20 seeds while writing this test (4
// chains, 400,000 samples unless said otherwise); the standard deviation across seeds is
// given beside each tolerance, which is five of them, so a correct sampler passes with any
// seed and a wrong ratio, off by far more, fails.

#include "tests/sampling/KnownTargets.h"
#include "sampling/Sampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <vector>

namespace {

using namespace mt1d::sampling;
using testing_support::FactoryOf;

// 4 interfaces at most, 10 m to 10 km (3 decades), 1 to 10⁴ Ω·m (4 decades).
Prior TestPrior(std::size_t maxInterfaces)
{
    PriorOptions o;
    o.maxInterfaces = maxInterfaces;
    o.minDepthM = 10.0;
    o.maxDepthM = 1e4;
    o.minRhoOhmM = 1.0;
    o.maxRhoOhmM = 1e4;
    const auto made = MakePrior(o);
    EXPECT_TRUE(made.Ok()) << made.error;
    return made.prior;
}

SamplingOptions TestOptions(std::size_t temperatures)
{
    SamplingOptions o;
    o.samples = 400'000;
    o.burnIn = 2'000;
    o.chains = 4;
    o.seed = 11;
    o.depthCells = 30;
    o.rhoBins = 10;
    o.tempering.temperatures = temperatures;
    o.tempering.maxTemperature = 4.0;
    return o;
}

struct Tempering {
    std::size_t temperatures;
    friend void PrintTo(const Tempering& t, std::ostream* os)
    {
        *os << (t.temperatures == 1 ? "plain chains" : std::to_string(t.temperatures) + " temperatures");
    }
};

class DetailedBalance : public ::testing::TestWithParam<Tempering> {};

// Without data the chain must give back the prior: every layer count equally likely,
// 1/(K + 1); interfaces uniform in log depth, so that a cell which is a fraction w of the
// log-depth range holds at least one with probability 1 − (1/(K + 1)) Σ_k (1 − w)^k; and the
// resistivity at every depth uniform in log10 over the bounds (10 bins of 0.1 each; P10, P50
// and P90 at 0.4, 2.0 and 3.6 decades). The prior samples cheaply, so this run is four times
// longer than the others (1.6 million samples; standard deviations over 20 seeds beside each
// tolerance). Plain chains only: tempered ones exchange models freely when there are no data,
// and are tested on the targets below.
TEST(DetailedBalance, PriorAloneIsGivenBack)
{
    SamplingOptions options = TestOptions(1);
    options.samples = 1'600'000;
    const auto r = SampleModels(FactoryOf<testing_support::ZeroMisfit>(), TestPrior(4), 0, options);
    ASSERT_EQ(r.status, SamplingStatus::kCompleted) << r.message;
    ASSERT_EQ(r.layerCount.size(), 5u);
    for (const auto& c : r.layerCount) {
        EXPECT_NEAR(c.probability, 0.2, 0.012) << c.layers << " layers";  // sd 0.0023
    }
    ASSERT_EQ(r.interfaceProbability.size(), 30u);
    double none = 0.0;
    for (int k = 0; k <= 4; ++k) none += std::pow(1.0 - 1.0 / 30.0, k) / 5.0;
    for (std::size_t i = 0; i < 30; ++i) {
        EXPECT_NEAR(r.interfaceProbability[i], 1.0 - none, 0.007) << "cell " << i;  // sd ≤ 0.0014
    }
    for (std::size_t cell : {0u, 15u, 29u}) {
        for (double p : r.DensityRow(cell)) EXPECT_NEAR(p, 0.1, 0.008) << "cell " << cell;  // sd ≤ 0.0016
        EXPECT_NEAR(r.p10[cell], 0.4, 0.025) << cell;  // sd 0.0050
        EXPECT_NEAR(r.p50[cell], 2.0, 0.047) << cell;  // sd 0.0094
        EXPECT_NEAR(r.p90[cell], 3.6, 0.032) << cell;  // sd 0.0063
    }
}

// A likelihood on the number of interfaces alone: p(k) ∝ exp(−(k − 2)²/2) on 0..6 (the
// ratio of neighbouring counts is what birth and death must get right).
TEST_P(DetailedBalance, LayerCountsFollowATargetOnTheInterfaceCount)
{
    const auto r = SampleModels(FactoryOf<testing_support::InterfaceCountMisfit>(1.0, 2.0), TestPrior(6), 0,
                                TestOptions(GetParam().temperatures));
    ASSERT_EQ(r.layerCount.size(), 7u);
    double norm = 0.0;
    for (int k = 0; k <= 6; ++k) norm += std::exp(-0.5 * (k - 2) * (k - 2));
    for (int k = 0; k <= 6; ++k) {
        const double expected = std::exp(-0.5 * (k - 2) * (k - 2)) / norm;
        EXPECT_NEAR(r.layerCount[static_cast<std::size_t>(k)].probability, expected, 0.012)  // sd ≤ 0.0023
            << k << " interfaces";
    }
    EXPECT_EQ(r.LayerCountMode(), 3u);
}

// A likelihood on the resistivity at one depth, N(2, 0.3²) in log10: its percentiles are
// 2 ∓ 1.2816·0.3 (the normal's 10 % point) and 2, whatever the layering above or below.
TEST_P(DetailedBalance, ResistivityAtADepthFollowsItsLikelihood)
{
    const Prior prior = TestPrior(4);
    const SamplingOptions options = TestOptions(GetParam().temperatures);
    // The centre of cell 15, where the tally reads the resistivity.
    const double depth = std::pow(10.0, prior.minLog10Depth + 15.5 * prior.DepthSpan() / 30.0);
    const auto r = SampleModels(FactoryOf<testing_support::RhoAtDepthMisfit>(depth, 2.0, 0.3), prior, 0, options);
    ASSERT_EQ(r.status, SamplingStatus::kCompleted) << r.message;
    EXPECT_NEAR(r.depthM[15], depth, 1e-9 * depth);
    EXPECT_NEAR(r.p10[15], 2.0 - 1.2816 * 0.3, 0.02);   // sd 0.0040
    EXPECT_NEAR(r.p50[15], 2.0, 0.018);                 // sd 0.0035
    EXPECT_NEAR(r.p90[15], 2.0 + 1.2816 * 0.3, 0.023);  // sd 0.0046
    EXPECT_NEAR(r.mean[15], 2.0, 0.018);                // as the median's
}

INSTANTIATE_TEST_SUITE_P(Sampler, DetailedBalance, ::testing::Values(Tempering{1}, Tempering{3}),
                         [](const auto& info) { return info.param.temperatures == 1 ? "PlainChains" : "Tempered"; });

}  // namespace
