#include "LayeredEarth.h"
#include "MTSounding.h"
#include "PhaseRelation.h"
#include "Soundings.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace {

struct PhasePair {
    double impedanceDeg;
    double classicDeg;
};

TEST(PhaseRelation, TableOfKnownPairsBothWays)
{
    // Half-space, purely resistive and purely inductive limits, and a value between.
    const PhasePair pairs[] = {{45.0, -45.0}, {0.0, 45.0}, {90.0, -135.0}, {22.5, 0.0}, {60.0, -75.0}};
    for (const auto& p : pairs) {
        EXPECT_EQ(mt1d::ClassicPhaseDegrees(p.impedanceDeg), p.classicDeg) << p.impedanceDeg;
        EXPECT_EQ(mt1d::ImpedancePhaseDegrees(p.classicDeg), p.impedanceDeg) << p.classicDeg;
    }
}

TEST(PhaseRelation, LinksTheClassicAndTheFieldKernelOfOneLayeredEarth)
{
    TMTRes classic;
    const std::vector<float> observed(testing_support::kFreqCount, 1.0f);
    testing_support::Prepare(classic, {1000.0f, 10.0f, 1000.0f, 500.0f, 500.0f}, observed);
    const auto f = testing_support::SoundingFrequencies();
    mt1d::earth::LayeredEarth field(std::vector<double>(f.begin(), f.end()));
    const auto response = field.Compute({{1000.0, 10.0, 1000.0}, {500.0, 500.0}});
    for (int k = 0; k < testing_support::kFreqCount; ++k) {
        const double classicDeg = classic.CalcPhase[k] * 180.0 / std::numbers::pi;
        // The classic kernel works in float: 1e-6 relative of angles up to 2 rad is 1e-4°.
        EXPECT_NEAR(mt1d::ClassicPhaseDegrees(response.phaseDeg[static_cast<std::size_t>(k)]), classicDeg, 1e-3) << k;
    }
}

}  // namespace
