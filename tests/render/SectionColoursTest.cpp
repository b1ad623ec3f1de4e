// The drawn section against its values: each column's colour where its model is, the grey
// veil below the depth of investigation, the colour map's ends, and clicks mapped to sites.

#include "render/ColourMap.h"
#include "tests/render/RenderFixture.h"
#include "render/SectionLayout.h"

#include <QImage>

#include <cmath>

namespace {

using namespace render_testing;

// Columns are filled without antialiasing into an RGB32 image: exact colours, except that a
// pixel on a cell's edge may take the neighbour's; samples are taken well inside cells.
void ExpectPixel(const QImage& image, QPointF at, QColor expected, int tolerance, const std::string& what)
{
    const QColor got = image.pixelColor(at.toPoint());
    EXPECT_LE(std::abs(got.red() - expected.red()), tolerance) << what;
    EXPECT_LE(std::abs(got.green() - expected.green()), tolerance) << what;
    EXPECT_LE(std::abs(got.blue() - expected.blue()), tolerance) << what;
}

// The veil blended over a colour as QPainter's source-over does: c·(1 − α) + v·α.
QColor Veiled(QColor c)
{
    const QColor v = BelowInvestigationVeil();
    const double a = v.alphaF();
    const auto mix = [a](int x, int y) { return static_cast<int>(std::lround(x * (1 - a) + y * a)); };
    return QColor(mix(c.red(), v.red()), mix(c.green(), v.green()), mix(c.blue(), v.blue()));
}

TEST_F(RenderTest, EachColumnHasTheColourOfItsModelAtEveryDepth)
{
    const Section section = ThreeSites();
    const QImage image = RenderSectionImage(section);
    const SectionLayout layout(section, QSizeF(image.size()));
    // Colour range: log10 3 = 0.48 → 0, log10 3000 = 3.48 → 3.5.
    ASSERT_EQ(section.colours.log10Min, 0.0);
    ASSERT_EQ(section.colours.log10Max, 3.5);
    struct Probe {
        std::size_t site;
        double depthM;
        double rho;
    };
    for (const Probe& p : {Probe{0, 100.0, 3.0}, Probe{0, 450.0, 3000.0}, Probe{1, 100.0, 1000.0},
                           Probe{1, 500.0, 10.0}, Probe{2, 50.0, 100.0}, Probe{2, 950.0, 100.0}}) {
        const auto& site = section.sites[p.site];
        const QPointF at(layout.X(0.5 * (site.leftKm + site.rightKm)), layout.Y(p.depthM));
        ExpectPixel(image, at, ColourOf(section.colours, std::log10(p.rho)), 1,
                    site.name + " at " + std::to_string(p.depthM) + " m");
    }
    // Worked by hand: 100 Ω·m lies 2/3.5 = 0.5714 of the way up, 0.857 of the way from the stop
    // at 0.4 (255, 230, 0) to the one at 0.6 (60, 200, 60): (87.9, 204.3, 51.4).
    const auto& e3 = section.sites[2];
    ExpectPixel(image, {layout.X(e3.distanceKm), layout.Y(500.0)}, QColor(88, 204, 51), 1, "E3 by hand");
}

TEST_F(RenderTest, BelowTheDepthOfInvestigationTheColumnIsGreyed)
{
    const Section section = ThreeSites();
    const QImage image = RenderSectionImage(section);
    const SectionLayout layout(section, QSizeF(image.size()));
    const auto centre = [&](std::size_t i) { return layout.X(0.5 * (section.sites[i].leftKm + section.sites[i].rightKm)); };
    // W1: 3000 Ω·m from 300 m, DOI 600 m: bare at 500 m, veiled at 700 m.
    const QColor resistor = ColourOf(section.colours, std::log10(3000.0));
    ExpectPixel(image, {centre(0), layout.Y(500.0)}, resistor, 1, "W1 above its DOI");
    // Blending rounds once per channel: ±2.
    ExpectPixel(image, {centre(0), layout.Y(700.0)}, Veiled(resistor), 2, "W1 below its DOI");
    // M2: DOI 800 m; 10 Ω·m at 750 m is bare, at 900 m veiled.
    const QColor conductor = ColourOf(section.colours, 1.0);
    ExpectPixel(image, {centre(1), layout.Y(750.0)}, conductor, 1, "M2 above its DOI");
    ExpectPixel(image, {centre(1), layout.Y(900.0)}, Veiled(conductor), 2, "M2 below its DOI");
    // E3: no depth of investigation known, nothing veiled.
    ExpectPixel(image, {centre(2), layout.Y(950.0)}, ColourOf(section.colours, 2.0), 1, "E3 at the bottom");
    // The veil is visibly grey: much less saturated than the colour it covers.
    EXPECT_LT(image.pixelColor(QPointF(centre(0), layout.Y(700.0)).toPoint()).hsvSaturation(), resistor.hsvSaturation() / 2);
}

TEST(ColourMapTest, ConductorsAreRedResistorsBlueAndTheMiddleBetweenYellowAndGreen)
{
    EXPECT_EQ(ColourAtFraction(0.0), QColor(200, 0, 0));
    EXPECT_EQ(ColourAtFraction(1.0), QColor(0, 40, 200));
    EXPECT_EQ(ColourAtFraction(-3.0), QColor(200, 0, 0));
    EXPECT_EQ(ColourAtFraction(7.0), QColor(0, 40, 200));
    // Halfway between the stops at 0.4 (255, 230, 0) and 0.6 (60, 200, 60).
    EXPECT_EQ(ColourAtFraction(0.5), QColor(158, 215, 30));
    // On a range of 10 to 1000 Ω·m, 10 Ω·m is red, 1000 Ω·m blue, 25.1 Ω·m (0.2 of the way) orange.
    const ColourRange range{1.0, 3.0};
    EXPECT_EQ(ColourOf(range, 1.0), QColor(200, 0, 0));
    EXPECT_EQ(ColourOf(range, 3.0), QColor(0, 40, 200));
    EXPECT_EQ(ColourOf(range, 1.4), QColor(255, 128, 0));
}

TEST_F(RenderTest, AClickFindsTheSiteOfItsColumnOrName)
{
    const Section section = ThreeSites();
    const SectionLayout layout(section, QSizeF(kDefaultFigureSize));
    for (std::size_t i = 0; i < section.sites.size(); ++i) {
        const double x = layout.X(section.sites[i].distanceKm);
        EXPECT_EQ(layout.SiteAt({x, layout.Y(500.0)}), i);
        EXPECT_EQ(layout.SiteAt({x, layout.NameBand().center().y()}), i);
        // Just inside either edge of the column.
        EXPECT_EQ(layout.SiteAt({layout.X(section.sites[i].leftKm) + 0.5, layout.Y(10.0)}), i);
        EXPECT_EQ(layout.SiteAt({layout.X(section.sites[i].rightKm) - 0.5, layout.Y(10.0)}), i);
    }
    EXPECT_FALSE(layout.SiteAt({layout.Plot().left() - 5.0, layout.Y(500.0)}));
    EXPECT_FALSE(layout.SiteAt({layout.Plot().right() + 5.0, layout.Y(500.0)}));
    EXPECT_FALSE(layout.SiteAt({layout.X(section.sites[1].distanceKm), layout.Plot().bottom() + 5.0}));
}

}  // namespace
