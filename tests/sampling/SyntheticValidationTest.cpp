// The sampler on a sounding whose earth is known: three layers (100 Ω·m over 500 m, 10 Ω·m
// over 2000 m, a 1000 Ω·m half-space) at 41 frequencies from 1 kHz to 1 mHz, with 5 % noise
// on the impedance (SyntheticSounding.h, noise draw 5).
//
// What a sound posterior shows there: most probability on three layers; the true model inside
// the P10–P90 band at 80 % or more of the depths the data see (above the Niblett–Bostick depth
// of investigation); chains that agree (split R-hat below 1.1).
//
// Noise draws differ, and an 80 % band misses the truth on some of them by design. With these
// settings over draws 1 to 10 (`mt1d_sampling_study synthetic --samples 200000 --burn-in
// 10000 --temperatures 3`): nine peak at three layers (draw 3, whose noise a fourth layer fits
// better, at four); the band holds the truth at 76 % to 100 % of the depths (eight draws at
// 80 % or more; on the others the well-resolved top layer's narrow band sits beside 100 Ω·m);
// R-hat stayed below 1.06. Draw 5 is one whose posterior holds the truth everywhere under
// every sampler setting tried, so that the test fails on a fault, not on a noise draw. Plain
// chains of 10^6 samples give R-hat of the layer count up to 1.3 on some draws (the count
// makes long excursions to many unresolved layers), which is why this test tempers.

#include "fitting/LayeredFit.h"
#include "sampling/Sampler.h"
#include "tests/fitting/SyntheticSounding.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace mt1d::sampling;

const mt1d::earth::LayeredModel kTruth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
constexpr std::uint64_t kNoiseDraw = 5;

double TrueLog10Rho(double depthM)
{
    if (depthM < 500.0) return 2.0;
    if (depthM < 2500.0) return 1.0;
    return 3.0;
}

SamplingOptions Options()
{
    SamplingOptions o;
    o.samples = 200'000;
    o.burnIn = 10'000;
    o.chains = 4;
    o.seed = 1;
    o.tempering.temperatures = 3;
    o.tempering.maxTemperature = 10.0;
    return o;
}

// One run, every figure checked on it (the run is what costs; that the same seed gives the
// same output is SamplerTest's SameSeed, on any number of threads).
TEST(ThreeLayerSounding, PosteriorPeaksAtThreeLayersHoldsTheTruthAndConverges)
{
    mt1d::fitting::SeededRandom random(kNoiseDraw);
    const auto curve = testing_support::SyntheticCurve(kTruth, testing_support::LogFrequencies(1e3, 1e-3, 41), 0.05, &random);
    const auto data = mt1d::fitting::SelectData(curve, {}).data;
    const SamplingResult r = Sample(data, Options());
    ASSERT_EQ(r.status, SamplingStatus::kCompleted) << r.message;

    // The layer count peaks at three, by a margin: not a coin toss; too few layers cannot fit.
    EXPECT_EQ(r.LayerCountMode(), 3u);
    EXPECT_GT(r.layerCount[2].probability, 1.2 * r.layerCount[3].probability);
    EXPECT_LT(r.layerCount[0].probability + r.layerCount[1].probability, 0.01);

    // The truth between P10 and P90 at 80 % of the depths above the depth of investigation.
    ASSERT_GT(r.depthOfInvestigationM, 1e5);  // 1 mHz over a 1000 Ω·m basement
    std::size_t seen = 0, inside = 0;
    for (std::size_t i = 0; i < r.depthM.size(); ++i) {
        if (r.depthM[i] > r.depthOfInvestigationM) continue;
        ++seen;
        const double truth = TrueLog10Rho(r.depthM[i]);
        if (r.p10[i] <= truth && truth <= r.p90[i]) ++inside;
    }
    ASSERT_GT(seen, 50u);
    EXPECT_GE(static_cast<double>(inside), 0.8 * static_cast<double>(seen)) << inside << " of " << seen;

    // The interfaces where the posterior puts them: the most probable interface cells within a
    // factor 1.5 of 500 m and of 2500 m.
    const auto near = [&](double depth) {
        double best = 0.0;
        for (std::size_t i = 0; i < r.depthM.size(); ++i) {
            if (r.depthEdgesM[i] <= depth * 1.5 && r.depthEdgesM[i + 1] >= depth / 1.5) best = std::max(best, r.interfaceProbability[i]);
        }
        return best;
    };
    EXPECT_GT(near(500.0), 0.3);
    EXPECT_GT(near(2500.0), 0.2);

    // Chains agree; sqrt((n − 1)/n) is the least R-hat can be.
    EXPECT_LT(r.rhat.misfit, 1.1);
    EXPECT_LT(r.rhat.layerCount, 1.1);
    EXPECT_GE(r.rhat.misfit, 0.99);

    // The sampler and the layered fit weigh the data alike: the best sampled model fits about
    // as well as the best three-layer model (it may have more layers; 2 % allows for a sampler
    // that visits the minimum's neighbourhood rather than its bottom), and not better than the
    // noise allows.
    mt1d::fitting::LayeredOptions o;
    o.layers = 3;
    const auto fit = mt1d::fitting::FitLayered(data, o);
    EXPECT_LE(r.bestRms, 1.02 * fit.report.rms);
    EXPECT_GT(r.bestRms, 0.8 * fit.report.rms);
}

}  // namespace
