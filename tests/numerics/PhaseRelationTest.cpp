#include "numerics/PhaseRelation.h"

#include <gtest/gtest.h>

namespace {

struct PhasePair {
    double impedanceDeg;
    double classicDeg;
};

// The link through both forward kernels of one layered earth is in LayeredEarthResponseTest.
TEST(PhaseRelation, TableOfKnownPairsBothWays)
{
    // Half-space, purely resistive and purely inductive limits, and values between; all exact
    // in binary, so the comparisons are exact.
    const PhasePair pairs[] = {{45.0, -45.0}, {0.0, 45.0}, {90.0, -135.0}, {22.5, 0.0}, {60.0, -75.0}};
    for (const auto& p : pairs) {
        EXPECT_EQ(mt1d::ClassicPhaseDegrees(p.impedanceDeg), p.classicDeg) << p.impedanceDeg;
        EXPECT_EQ(mt1d::ImpedancePhaseDegrees(p.classicDeg), p.impedanceDeg) << p.classicDeg;
    }
}

}  // namespace
