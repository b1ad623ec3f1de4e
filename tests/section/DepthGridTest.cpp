// A model sampled on the section's depth grid, and the grid's default bottom.

#include "section/DepthGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using namespace mt1d;
using section::DepthGrid;

// 10 Ω·m to 100 m, 1000 Ω·m to 300 m, then 1 Ω·m.
const std::vector<fitting::ReportLayer> kThreeLayers{
    {0.0, 100.0, 10.0, {}, {}}, {100.0, 200.0, 1000.0, {}, {}}, {300.0, {}, 1.0, {}, {}}};

struct DepthValue {
    double depthM;
    double log10Rho;
};

class Log10RhoAtTest : public ::testing::TestWithParam<DepthValue> {};

TEST_P(Log10RhoAtTest, GivesTheLayerHoldingTheDepthWithBoundariesBelongingBelow)
{
    // log10 of 10, 1000 and 1 are exact in binary.
    EXPECT_EQ(section::Log10RhoAt(kThreeLayers, GetParam().depthM), GetParam().log10Rho);
}

INSTANTIATE_TEST_SUITE_P(ThreeLayers, Log10RhoAtTest,
                         ::testing::Values(DepthValue{0.0, 1.0}, DepthValue{99.999, 1.0}, DepthValue{100.0, 3.0},
                                           DepthValue{299.0, 3.0}, DepthValue{300.0, 0.0}, DepthValue{1e6, 0.0}));

TEST(SampleColumnTest, AStaircaseSampledAtCellCentres)
{
    // Cells of 50 m: centres 25, 75, …, 475 m.
    const DepthGrid grid{500.0, 10};
    const std::vector<double> column = section::SampleColumn(kThreeLayers, grid);
    const std::vector<double> expected{1, 1, 3, 3, 3, 3, 0, 0, 0, 0};
    EXPECT_EQ(column, expected);
}

TEST(SampleColumnTest, AHalfSpaceFillsTheColumn)
{
    const std::vector<fitting::ReportLayer> halfSpace{{0.0, {}, 100.0, {}, {}}};
    EXPECT_EQ(section::SampleColumn(halfSpace, DepthGrid{2000.0, 3}), (std::vector<double>{2, 2, 2}));
}

class NiceCeilingTest : public ::testing::TestWithParam<std::pair<double, double>> {};

TEST_P(NiceCeilingTest, RoundsUpToOneTwoOrFiveTimesAPowerOfTen)
{
    EXPECT_DOUBLE_EQ(section::NiceCeiling(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Values, NiceCeilingTest,
                         ::testing::Values(std::pair{1000.0, 1000.0}, std::pair{1001.0, 2000.0},
                                           std::pair{2000.0, 2000.0}, std::pair{2001.0, 5000.0},
                                           std::pair{4999.0, 5000.0}, std::pair{5001.0, 10000.0},
                                           std::pair{0.03, 0.05}, std::pair{730.0, 1000.0},
                                           std::pair{18400.0, 20000.0}));

// The median, not the deepest: one site reaching 100 km does not set the depth. With an even
// count the mean of the middle two (2000 m here; the lower one would give 1000 m, the upper
// 5000 m).
TEST(DefaultBottomTest, TheMedianDepthOfInvestigationRoundedUp)
{
    EXPECT_EQ(section::DefaultBottomM(std::vector<double>{1200.0, 100000.0, 800.0}), 2000.0);
    EXPECT_EQ(section::DefaultBottomM(std::vector<double>{3000.0, 800.0, 100000.0, 1000.0}), 2000.0);
}

TEST(DefaultBottomTest, UnknownDepthsAreIgnoredAndNoneGivesOneKilometre)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(section::DefaultBottomM(std::vector<double>{0.0, nan, 1500.0, -1e9, inf, 3000.0}), 5000.0);
    EXPECT_EQ(section::DefaultBottomM(std::vector<double>{0.0, nan}), 1000.0);
    EXPECT_EQ(section::DefaultBottomM(std::vector<double>{}), 1000.0);
}

}  // namespace
