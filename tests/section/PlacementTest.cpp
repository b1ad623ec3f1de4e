// Sites far off the profile: the threshold from the sites' spacing and the profile's length,
// and the section's note naming such a site.

#include "section/Placement.h"
#include "section/Section.h"
#include "tests/section/SurveyFixture.h"

#include <gtest/gtest.h>

namespace {

using namespace section_testing;

struct Spread {
    std::vector<double> distancesKm;
    double threshold;
};

class FarOffsetTest : public ::testing::TestWithParam<Spread> {};

// Twice the median spacing, or a tenth of the length when that is more; sites at one place
// (within 1 mm) add no spacing; fewer than two places give 0.
TEST_P(FarOffsetTest, IsTwiceTheMedianSpacingOrATenthOfTheLength)
{
    EXPECT_DOUBLE_EQ(section::FarOffsetKm(GetParam().distancesKm), GetParam().threshold);
}

std::vector<double> Evenly(std::size_t n)
{
    std::vector<double> d;
    for (std::size_t i = 0; i < n; ++i) d.push_back(static_cast<double>(i));
    return d;
}

INSTANTIATE_TEST_SUITE_P(Table, FarOffsetTest,
                         ::testing::Values(Spread{{3, 0, 1, 2, 4}, 2.0},        // 2 · 1 km > 0.4 km
                                           Spread{Evenly(101), 10.0},           // 100 km / 10 > 2 km
                                           Spread{{0, 1, 1, 1, 2, 10}, 2.0},    // gaps 1, 1, 8: median 1
                                           Spread{{0, 0.5, 1.5, 3.5}, 2.0},     // gaps 0.5, 1, 2: median 1
                                           Spread{{5}, 0.0}, Spread{{2, 2}, 0.0}));

// Twenty sites 0.01° apart on the parallel 30° S (0.96 km) and one 0.05° (5.6 km) north of
// their middle: the line that fits them best stays within 0.3 km of the twenty (the outlier
// moves their mean that far north), far below the threshold of 1.9 km (twice the spacing),
// while the outlier is 5.3 km off. The note names it alone.
TEST(FarOffSiteTest, SectionNamesTheSiteFarOffTheLine)
{
    TempFolder folder;
    const std::vector<Layer> model{{100.0, std::nullopt}};
    std::vector<SiteSpec> sites;
    for (int i = 0; i < 20; ++i) sites.push_back({"S" + std::to_string(i + 1), -30.0, 140.0 + 0.01 * i, model});
    sites.push_back({"FAR", -29.95, 140.095, model});
    WriteSurvey(folder.Path(), sites);
    const auto section = section::MakeSection(section::ReadSurvey(folder.Path()), {});
    std::vector<std::string> named;
    for (const auto& note : section.notes) {
        if (note.find("off the profile") != std::string::npos) named.push_back(note);
    }
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].rfind("FAR: ", 0), 0u) << named[0];
    for (const auto& site : section.sites) EXPECT_EQ(site.farOff, site.name == "FAR") << site.name;
}

}  // namespace
