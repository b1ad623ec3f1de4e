// The section made from a survey: order along the profile, each column's extent, the shared
// depth grid and colour range, and the sites that cannot be placed.

#include "section/Section.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace mt1d;
using namespace mt1d::section;

// Distances to 1 m, as in ProfileTest.
constexpr double kOneMetreKm = 1e-3;
// 0.1° of arc on the sphere of radius 6371.0088 km.
constexpr double kTenthDegreeKm = 11.11950802335329;

SiteModel Site(std::string name, std::optional<double> lat, std::optional<double> lon,
               std::vector<fitting::ReportLayer> layers = {{0.0, 100.0, 10.0, {}, {}}, {100.0, {}, 1000.0, {}, {}}},
               double doiM = 1000.0)
{
    SiteModel s;
    s.site.name = std::move(name);
    s.site.latitudeDeg = lat;
    s.site.longitudeDeg = lon;
    s.layers = std::move(layers);
    s.depthOfInvestigationM = doiM;
    return s;
}

std::vector<std::string> Names(const Section& section)
{
    std::vector<std::string> names;
    for (const auto& s : section.sites) names.push_back(s.name);
    return names;
}

TEST(MakeSectionTest, SitesAreOrderedAlongTheFittedLineFromTheFirstAtZero)
{
    Survey survey;
    survey.sites = {Site("east", 0.0, 0.2), Site("west", 0.0, 0.0), Site("middle", 0.0, 0.1)};
    const Section section = MakeSection(survey);
    EXPECT_EQ(Names(section), (std::vector<std::string>{"west", "middle", "east"}));
    EXPECT_FALSE(section.byOrder);
    EXPECT_NEAR(section.sites[0].distanceKm, 0.0, kOneMetreKm);
    EXPECT_NEAR(section.sites[1].distanceKm, kTenthDegreeKm, kOneMetreKm);
    EXPECT_NEAR(section.sites[2].distanceKm, 2 * kTenthDegreeKm, kOneMetreKm);
}

TEST(MakeSectionTest, ColumnsReachHalfwayToTheirNeighboursAndAsFarBeyondTheEnds)
{
    // Sites at 0, 2 and 6 tenths of a degree on an explicit equator line: distances 0, 2a, 6a.
    Survey survey;
    survey.sites = {Site("a", 0.0, 0.0), Site("b", 0.0, 0.2), Site("c", 0.0, 0.6)};
    SectionOptions options;
    options.profile = ProfileLine{{0.0, 0.0}, {0.0, 1.0}};
    const Section section = MakeSection(survey, options);
    const double a = kTenthDegreeKm;
    const double expected[3][2] = {{-a, a}, {a, 4 * a}, {4 * a, 8 * a}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(section.sites[i].leftKm, expected[i][0], kOneMetreKm) << i;
        EXPECT_NEAR(section.sites[i].rightKm, expected[i][1], kOneMetreKm) << i;
    }
}

TEST(MakeSectionTest, AnExplicitProfileCountsFromItsStartAndKeepsSitesBeforeIt)
{
    Survey survey;
    survey.sites = {Site("before", 0.0, -0.1), Site("on", 0.05, 0.3)};
    SectionOptions options;
    options.profile = ProfileLine{{0.0, 0.0}, {0.0, 1.0}};
    const Section section = MakeSection(survey, options);
    EXPECT_NEAR(section.sites[0].distanceKm, -kTenthDegreeKm, kOneMetreKm);
    EXPECT_NEAR(section.sites[1].distanceKm, 3 * kTenthDegreeKm, kOneMetreKm);
    EXPECT_NEAR(section.sites[1].offsetKm, 0.5 * kTenthDegreeKm, kOneMetreKm);
}

TEST(MakeSectionTest, SitesAtOneDistanceShareTheirColumnInSummaryOrder)
{
    Survey survey;
    survey.sites = {Site("p", 0.0, 0.0), Site("q", 0.0, 0.0), Site("r", 0.0, 0.1)};
    const Section section = MakeSection(survey);
    ASSERT_EQ(Names(section), (std::vector<std::string>{"p", "q", "r"}));
    const double half = 0.5 * kTenthDegreeKm;
    EXPECT_NEAR(section.sites[0].leftKm, -half, kOneMetreKm);
    EXPECT_NEAR(section.sites[0].rightKm, 0.0, kOneMetreKm);
    EXPECT_NEAR(section.sites[1].leftKm, 0.0, kOneMetreKm);
    EXPECT_NEAR(section.sites[1].rightKm, half, kOneMetreKm);
    EXPECT_NEAR(section.sites[2].leftKm, half, kOneMetreKm);
}

TEST(MakeSectionTest, OneSiteHasAOneKilometreColumn)
{
    Survey survey;
    survey.sites = {Site("only", 45.0, 7.0)};
    const Section section = MakeSection(survey);
    EXPECT_NEAR(section.sites[0].distanceKm, 0.0, 1e-9);
    EXPECT_NEAR(section.sites[0].leftKm, -0.5, 1e-9);
    EXPECT_NEAR(section.sites[0].rightKm, 0.5, 1e-9);
}

TEST(MakeSectionTest, SitesWithoutLocationAreLeftOutWhileOthersHaveOne)
{
    Survey survey;
    survey.notes = {"x: not fitted (cannot read); left out"};
    survey.sites = {Site("placed", 0.0, 0.0), Site("lost", std::nullopt, std::nullopt), Site("half", 1.0, std::nullopt),
                    Site("placed2", 0.0, 0.1)};
    const Section section = MakeSection(survey);
    EXPECT_EQ(Names(section), (std::vector<std::string>{"placed", "placed2"}));
    ASSERT_EQ(section.notes.size(), 3u);
    EXPECT_EQ(section.notes[0], survey.notes[0]);
    EXPECT_EQ(section.notes[1], "lost: no location; left out of the section");
    EXPECT_EQ(section.notes[2], "half: no location; left out of the section");
}

TEST(MakeSectionTest, WithoutAnyLocationSitesArePlacedByTheirOrder)
{
    Survey survey;
    survey.sites = {Site("c", std::nullopt, std::nullopt), Site("a", std::nullopt, std::nullopt),
                    Site("b", std::nullopt, std::nullopt)};
    const Section section = MakeSection(survey);
    EXPECT_TRUE(section.byOrder);
    EXPECT_FALSE(section.profile.has_value());
    EXPECT_EQ(Names(section), (std::vector<std::string>{"c", "a", "b"}));
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(section.sites[i].distanceKm, static_cast<double>(i));
        EXPECT_EQ(section.sites[i].leftKm, static_cast<double>(i) - 0.5);
    }
    ASSERT_EQ(section.notes.size(), 1u);
    EXPECT_NE(section.notes[0].find("placed by their order"), std::string::npos);
}

TEST(MakeSectionTest, TheGridReachesTheDeepestDepthOfInvestigationAndHoldsEachModel)
{
    Survey survey;
    survey.sites = {Site("shallow", 0.0, 0.0, {{0.0, 100.0, 10.0, {}, {}}, {100.0, {}, 1000.0, {}, {}}}, 1500.0),
                    Site("deep", 0.0, 0.1, {{0.0, {}, 100.0, {}, {}}}, 3400.0)};
    SectionOptions options;
    options.depthCells = 50;
    const Section section = MakeSection(survey, options);
    EXPECT_EQ(section.grid.bottomM, 5000.0);
    EXPECT_EQ(section.grid.cells, 50u);
    EXPECT_EQ(section.sites[0].depthOfInvestigationM, 1500.0);
    // Cells of 100 m: the first centre (50 m) in the 10 Ω·m layer, the second (150 m) below it.
    ASSERT_EQ(section.sites[0].log10Rho.size(), 50u);
    EXPECT_EQ(section.sites[0].log10Rho[0], 1.0);
    EXPECT_EQ(section.sites[0].log10Rho[1], 3.0);
    EXPECT_EQ(section.sites[1].log10Rho[49], 2.0);
    EXPECT_EQ(section.colours.log10Min, 1.0);
    EXPECT_EQ(section.colours.log10Max, 3.0);

    options.bottomM = 250.0;
    EXPECT_EQ(MakeSection(survey, options).grid.bottomM, 250.0);
}

TEST(ColourRangeTest, RoundsOutwardsToHalfDecadesAndIsNeverEmpty)
{
    SectionSite a, b;
    a.log10Rho = {std::log10(3.0), 1.2};
    b.log10Rho = {std::log10(40.0)};
    const ColourRange range = ColourRangeOf({a, b});
    EXPECT_EQ(range.log10Min, 0.0);  // log10 3 = 0.477 → 0
    EXPECT_EQ(range.log10Max, 2.0);  // log10 40 = 1.602 → 2
    EXPECT_EQ(range.Fraction(1.0), 0.5);
    EXPECT_EQ(range.Fraction(-1.0), 0.0);
    EXPECT_EQ(range.Fraction(9.0), 1.0);

    SectionSite mid;
    mid.log10Rho = {std::log10(5.0), std::log10(20.0)};  // 0.699 and 1.301
    EXPECT_EQ(ColourRangeOf({mid}).log10Min, 0.5);
    EXPECT_EQ(ColourRangeOf({mid}).log10Max, 1.5);

    SectionSite flat;
    flat.log10Rho = {2.0, 2.0};
    const ColourRange one = ColourRangeOf({flat});
    EXPECT_EQ(one.log10Min, 2.0);
    EXPECT_EQ(one.log10Max, 2.5);
}

TEST(MakeSectionTest, RefusesADepthOrGridThatCannotBeDrawn)
{
    Survey survey;
    survey.sites = {Site("s", 0.0, 0.0)};
    for (const double bottom : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::infinity()}) {
        SectionOptions options;
        options.bottomM = bottom;
        EXPECT_THROW(MakeSection(survey, options), SurveyError) << bottom;
    }
    SectionOptions noCells;
    noCells.depthCells = 0;
    EXPECT_THROW(MakeSection(survey, noCells), SurveyError);
}

}  // namespace
