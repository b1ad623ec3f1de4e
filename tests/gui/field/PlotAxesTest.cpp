// The axes of the sounding window's plots, worked out without a window: the ranges that keep one huge error bar from
// squeezing the data, and the choice of an empty corner for a legend.

#include "gui/field/PlotAxes.h"
#include "gui/field/PlotPlacement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <tuple>

namespace mt1d::gui::field {
namespace {

// One bar to 10⁻⁵…10⁵ among points at 10…1000 Ω·m: the range keeps the points and half a decade.
TEST(RangeWithBars, AHugeBarReachesOnlyAsFarAsTheReach)
{
    const double value[] = {10.0, 100.0, 1000.0};
    const double low[] = {9.0, 1e-5, 900.0};
    const double high[] = {11.0, 1e5, 1100.0};
    const AxisRange r = LogRangeWithBars(value, low, high, 0.5, 0.0, {1, 2});
    EXPECT_NEAR(std::log10(r.lower), 0.5, 1e-12);
    EXPECT_NEAR(std::log10(r.upper), 3.5, 1e-12);

    const double phase[] = {30.0, 45.0, 60.0};
    const double phaseLow[] = {28.0, -90.0, 58.0};
    const double phaseHigh[] = {32.0, 180.0, 62.0};
    const AxisRange p = LinearRangeWithBars(phase, phaseLow, phaseHigh, 15.0, 0.0, {0, 90});
    EXPECT_DOUBLE_EQ(p.lower, 15.0);
    EXPECT_DOUBLE_EQ(p.upper, 75.0);
}

// Small bars are taken in whole, as they were before: the reach only cuts.
TEST(RangeWithBars, SmallBarsAreTakenInWhole)
{
    const double value[] = {10.0, 100.0};
    const double low[] = {8.0, 90.0};
    const double high[] = {12.0, 130.0};
    const AxisRange r = LogRangeWithBars(value, low, high, 0.5, 0.0, {1, 2});
    EXPECT_DOUBLE_EQ(r.lower, 8.0);
    EXPECT_NEAR(r.upper, 130.0, 1e-12 * 130.0);
}

// A curve falling from the top left: the top-right corner is empty and preferred; a point in
// it sends the legend to the next empty corner; points in all four corners leave none empty.
TEST(LegendPlace, TheFirstCornerWithoutDataWins)
{
    const QRectF area(0, 0, 400, 300);
    const auto boxes = CornerBoxes(area, QSizeF(100, 60), 0.0);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0], QRectF(300, 0, 100, 60));
    EXPECT_EQ(boxes[3], QRectF(0, 240, 100, 60));

    std::vector<QPointF> falling{{20, 20}, {200, 150}, {380, 280}};
    EXPECT_EQ(LeastCovered(boxes, falling).index, 0u);
    EXPECT_EQ(LeastCovered(boxes, falling).covered, 0u);
    falling.push_back({350, 30});
    EXPECT_EQ(LeastCovered(boxes, falling).index, 3u);  // top left and bottom right hold points
    falling.push_back({20, 290});
    EXPECT_GT(LeastCovered(boxes, falling).covered, 0u);
}

// A bar crossing a corner box with neither end inside it still counts as covered.
TEST(LegendPlace, ABarThroughACornerCoversIt)
{
    const auto boxes = CornerBoxes(QRectF(0, 0, 400, 300), QSizeF(100, 60), 0.0);
    std::vector<QPointF> bar;
    AddSegment(bar, {350, -50}, {350, 120}, 3.0);
    const QRectF first[] = {boxes[0]};
    EXPECT_EQ(LeastCovered(first, bar).covered > 0, true);
}

}  // namespace
}  // namespace mt1d::gui::field
