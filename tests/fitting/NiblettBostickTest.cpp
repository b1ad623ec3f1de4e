#include "fitting/NiblettBostick.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using mt1d::fitting::DepthOfInvestigation;
using mt1d::fitting::DepthPoint;
using mt1d::fitting::NiblettBostick;
using mt1d::fitting::SkinDepth;

// Bostick depth sqrt(ρa/(ωμ0)) = sqrt(ρa·T)/(π·sqrt(8e-7)) = 355.88·sqrt(ρa·T) m, and over a
// uniform earth (φ = 45°) the transformed resistivity is ρa itself.
TEST(NiblettBostick, HalfSpaceGivesItsResistivityAtTheBostickDepth)
{
    const std::vector<double> f{1000.0, 1.0, 0.001}, rho{100.0, 100.0, 100.0}, phase{45.0, 45.0, 45.0};
    const auto points = NiblettBostick(f, rho, phase);
    ASSERT_EQ(points.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const double expected = 355.8812717 * std::sqrt(rho[i] / f[i]);
        EXPECT_NEAR(points[i].depthM / expected, 1.0, 1e-8) << i;
        EXPECT_NEAR(points[i].resistivityOhmM, 100.0, 1e-12) << i;
        EXPECT_EQ(points[i].frequencyHz, f[i]);
    }
}

// ρNB = ρa (90°/φ − 1): half ρa at 60°, twice ρa at 30°.
TEST(NiblettBostick, PhaseAboveFortyFiveLowersTheResistivityBelowRaisesIt)
{
    const auto points = NiblettBostick(std::vector<double>{1.0, 1.0}, std::vector<double>{80.0, 80.0},
                                       std::vector<double>{60.0, 30.0});
    EXPECT_NEAR(points[0].resistivityOhmM, 40.0, 1e-12);
    EXPECT_NEAR(points[1].resistivityOhmM, 160.0, 1e-12);
}

TEST(NiblettBostick, PhasesOutsideTheQuadrantAreHeldToOneAndEightyNineDegrees)
{
    const auto points = NiblettBostick(std::vector<double>{1.0, 1.0, 1.0}, std::vector<double>{10.0, 10.0, 10.0},
                                       std::vector<double>{95.0, 90.0, -5.0});
    EXPECT_NEAR(points[0].resistivityOhmM, 10.0 * (90.0 / 89.0 - 1.0), 1e-12);
    EXPECT_NEAR(points[1].resistivityOhmM, 10.0 * (90.0 / 89.0 - 1.0), 1e-12);
    EXPECT_NEAR(points[2].resistivityOhmM, 10.0 * 89.0, 1e-9);
}

TEST(NiblettBostick, CurveOverloadUsesOnlyUsableRows)
{
    mt1d::sounding::Curve curve;
    curve.rows.resize(3);
    for (std::size_t i = 0; i < 3; ++i) {
        curve.rows[i].frequencyHz = 10.0 / std::pow(10.0, static_cast<double>(i));
        curve.rows[i].rhoOhmM = 50.0;
        curve.rows[i].phaseDeg = 45.0;
        curve.rows[i].usable = i != 1;
    }
    const auto points = NiblettBostick(curve);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].frequencyHz, 10.0);
    EXPECT_EQ(points[1].frequencyHz, 0.1);
}

TEST(DepthOfInvestigation, IsTheDeepestBostickDepthOrZero)
{
    const std::vector<DepthPoint> points{{10.0, 500.0, 3.0}, {0.01, 9000.0, 4.0}, {0.1, 7000.0, 5.0}};
    EXPECT_EQ(DepthOfInvestigation(points), 9000.0);
    EXPECT_EQ(DepthOfInvestigation(std::vector<DepthPoint>{}), 0.0);
}

// The rule of thumb δ = 503.29·sqrt(ρ/f) m (503.2921 = 1/(π·sqrt(4e-7))).
TEST(SkinDepth, FollowsTheFiveHundredThreeRule)
{
    EXPECT_NEAR(SkinDepth(100.0, 1.0), 5032.921, 1e-3);
    EXPECT_NEAR(SkinDepth(1.0, 100.0), 50.32921, 1e-5);
}

}  // namespace
