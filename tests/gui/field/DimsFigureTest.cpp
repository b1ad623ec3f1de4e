// What the dimensionality tab draws, without a window: ellipse outlines against geometry
// worked by hand, the ellipses of an analysis (size, shape, orientation α − β, fill by β), the
// colour scale, and the rows the exclusion takes.

#include "gui/field/DimsFigure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace mt1d::gui::field {
namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
// Outline points are one sine and cosine from the centre: a few ulps of the unit radius.
constexpr double kTight = 1e-12;

double DistanceFrom(const PlotPoint& p, double cx, double cy) { return std::hypot(p.x - cx, p.y - cy); }

TEST(EllipseOutline, EqualAxesGiveACircleClosedOnItself)
{
    const auto outline = EllipseOutline(2.0, -1.0, 0.3, 0.3, 37.0, 48);
    ASSERT_EQ(outline.size(), 49u);
    for (const PlotPoint& p : outline) EXPECT_NEAR(DistanceFrom(p, 2.0, -1.0), 0.3, kTight);
    EXPECT_DOUBLE_EQ(outline.front().x, outline.back().x);
    EXPECT_DOUBLE_EQ(outline.front().y, outline.back().y);
}

// Azimuth 30° clockwise from north: the major axis ends at centre ± a·(sin 30°, cos 30°) =
// ±a·(0.5, 0.866…), the minor at ± b·(cos 30°, −sin 30°); nothing lies beyond a or within b.
TEST(EllipseOutline, MajorAxisPointsAlongTheAzimuthClockwiseFromNorth)
{
    const double a = 1.0, b = 0.4;
    const auto outline = EllipseOutline(0.0, 0.0, a, b, 30.0, 48);
    EXPECT_NEAR(outline[0].x, 0.5, kTight);
    EXPECT_NEAR(outline[0].y, std::sqrt(3.0) / 2.0, kTight);
    EXPECT_NEAR(outline[12].x, b * std::sqrt(3.0) / 2.0, kTight);  // t = 90°
    EXPECT_NEAR(outline[12].y, -b * 0.5, kTight);
    double far = 0.0, near = 1e9;
    for (const PlotPoint& p : outline) far = std::max(far, DistanceFrom(p, 0, 0)), near = std::min(near, DistanceFrom(p, 0, 0));
    EXPECT_NEAR(far, a, kTight);
    EXPECT_NEAR(near, b, kTight);
}

dims::DimsRow Row(double periodS, double phiMaxDeg, double phiMinDeg, std::optional<double> alphaDeg, double betaDeg,
                  bool oneD)
{
    dims::DimsRow row;
    row.periodS = periodS;
    row.frequencyHz = 1.0 / periodS;
    row.phiMaxDeg = phiMaxDeg;
    row.phiMinDeg = phiMinDeg;
    row.alphaDeg = alphaDeg;
    row.betaDeg = betaDeg;
    row.betaSdDeg = 0.5;
    row.ellipticity = 0.2;
    row.oneD = oneD;
    if (!oneD) row.notOneD = "skew";
    return row;
}

// Rows 0.2 decades apart: the major semi-axis is half of that, 0.1 decade.
dims::DimsResult Analysis()
{
    dims::DimsResult r;
    r.rows.push_back(Row(1.0, 45.0, 45.0, std::nullopt, 0.0, true));  // 1-D: a circle, white
    // Φmax = tan⁻¹ 2, Φmin = tan⁻¹ 1: axes 2 : 1; α = 50°, β = 20°: major axis at 30°.
    r.rows.push_back(Row(std::pow(10.0, 0.2), std::atan(2.0) / kDeg, 45.0, 50.0, 20.0, false));
    dims::DimsRow missing;  // no tensor: neither ellipse nor verdict
    missing.periodS = std::pow(10.0, 0.3);
    missing.note = "Zxx missing";
    r.rows.push_back(missing);
    r.rows.push_back(Row(std::pow(10.0, 0.4), 50.0, 40.0, 10.0, -4.0, false));
    r.computedRows = 3;
    r.oneDRows = 1;
    return r;
}

TEST(DimsFigure, EllipsesHaveTheirAxesRatioAndPointAlphaMinusBeta)
{
    const DimsFigure f = MakeDimsFigure(Analysis());
    ASSERT_EQ(f.ellipses.size(), 3u);
    EXPECT_NEAR(f.ellipseRadius, 0.1, 1e-12);

    const EllipseShape& circle = f.ellipses[0];
    EXPECT_EQ(circle.row, 0u);
    for (const PlotPoint& p : circle.outline) EXPECT_NEAR(DistanceFrom(p, 0.0, 0.0), 0.1, kTight);

    const EllipseShape& tilted = f.ellipses[1];
    EXPECT_EQ(tilted.row, 1u);
    const double cx = 0.2;  // log10 of the period
    // The first outline point ends the major axis: 0.1·(sin 30°, cos 30°) from the centre.
    EXPECT_NEAR(tilted.outline[0].x - cx, 0.1 * 0.5, 1e-12);
    EXPECT_NEAR(tilted.outline[0].y, 0.1 * std::sqrt(3.0) / 2.0, 1e-12);
    double near = 1e9;
    for (const PlotPoint& p : tilted.outline) near = std::min(near, DistanceFrom(p, cx, 0.0));
    // tan(atan 1)/tan(atan 2) = 1/2 to rounding of the two tangents.
    EXPECT_NEAR(near, 0.05, 1e-12);
    EXPECT_FALSE(tilted.oneD);
    EXPECT_EQ(f.ellipses[2].row, 3u);
}

// 201 rows 0.01 decade apart (2 decades): the radius is 2/80 = 0.025 decade rather than half
// the spacing, and from the first row on every fifth one (0.05 decade, a diameter, beyond the
// last drawn) gets an ellipse: rows 0, 5, …, 200, 41 ellipses.
TEST(DimsFigure, DenseRowsShareEllipsesADiameterApart)
{
    dims::DimsResult r;
    for (int i = 0; i <= 200; ++i) r.rows.push_back(Row(std::pow(10.0, -1.0 + 0.01 * i), 45.0, 40.0, 0.0, 0.0, true));
    const DimsFigure f = MakeDimsFigure(r);
    EXPECT_NEAR(f.ellipseRadius, 0.025, 1e-12);
    ASSERT_EQ(f.ellipses.size(), 41u);
    for (std::size_t k = 0; k < f.ellipses.size(); ++k) EXPECT_EQ(f.ellipses[k].row, 5 * k);
    EXPECT_EQ(f.beta.size(), 201u);
}

TEST(DimsFigure, FillIsBetaOnTheDivergingScale)
{
    const DimsFigure f = MakeDimsFigure(Analysis());
    // Largest |β| 20° above twice the 3° threshold: ±20°, a multiple of 5 already.
    EXPECT_DOUBLE_EQ(f.betaLimit, 20.0);
    EXPECT_EQ(f.ellipses[0].fill, (Rgb{247, 247, 247}));   // β = 0: white
    EXPECT_EQ(f.ellipses[1].fill, (Rgb{178, 24, 43}));     // β = +limit: red end
    EXPECT_EQ(DivergingColour(-20.0, 20.0), (Rgb{33, 102, 172}));  // −limit: blue end
    EXPECT_EQ(DivergingColour(-10.0, 20.0), (Rgb{103, 169, 207}));
    EXPECT_EQ(DivergingColour(-99.0, 20.0), (Rgb{33, 102, 172}));  // clamped
    EXPECT_EQ(DivergingColour(5.0, 20.0), (Rgb{243, 193, 173}));   // halfway from white to the 0.5 stop
}

TEST(DimsFigure, BetaColourRangeIsTwiceTheThresholdOrTheLargestSkewRoundedUpToFive)
{
    EXPECT_DOUBLE_EQ(BetaColourLimit(3.0, 1.0), 10.0);   // 6 rounded up
    EXPECT_DOUBLE_EQ(BetaColourLimit(3.0, 10.0), 10.0);  // on the step already
    EXPECT_DOUBLE_EQ(BetaColourLimit(3.0, 12.0), 15.0);
    EXPECT_DOUBLE_EQ(BetaColourLimit(3.0, 80.0), 45.0);
    EXPECT_DOUBLE_EQ(BetaColourLimit(0.0, 0.0), 5.0);
}

TEST(DimsFigure, RowsNotOneDAreThoseWithAVerdictOfNo)
{
    const DimsFigure f = MakeDimsFigure(Analysis());
    EXPECT_EQ(f.notOneDRows, (std::vector<std::size_t>{1, 3}));  // row 2 has no verdict
    ASSERT_EQ(f.beta.size(), 3u);
    EXPECT_FALSE(f.beta[0].flagged);
    EXPECT_TRUE(f.beta[1].flagged);
    EXPECT_DOUBLE_EQ(f.beta[1].low, 19.5);
    EXPECT_DOUBLE_EQ(f.beta[1].high, 20.5);
    EXPECT_NE(f.summary.find("1 / 3"), std::string::npos) << f.summary;
}

}  // namespace
}  // namespace mt1d::gui::field
