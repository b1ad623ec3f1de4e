// Sites on a profile: distances and offsets against values worked out with the spherical
// triangle formulas (bearings and haversine distances, tan δat = tan δ13 · cos(θ13 − θ12)),
// an independent route from the program's vector construction.

#include "section/Profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace mt1d::section;

// Distances "to 1 m": the computations differ only by rounding (about 1e-12 of 10^3 km).
constexpr double kOneMetreKm = 1e-3;
// 0.1° of arc on the sphere of radius 6371.0088 km: 6371.0088 × π / 1800.
constexpr double kTenthDegreeKm = 11.11950802335329;

struct Placement {
    const char* name;
    ProfileLine line;
    GeoPoint point;
    double distanceKm;
    double offsetKm;
};

class PlaceOnProfileTest : public ::testing::TestWithParam<Placement> {};

TEST_P(PlaceOnProfileTest, DistanceAlongAndOffsetMatchSphericalTrigonometry)
{
    const Placement& c = GetParam();
    const ProfilePlace place = PlaceOnProfile(c.line, c.point);
    EXPECT_NEAR(place.distanceKm, c.distanceKm, kOneMetreKm);
    EXPECT_NEAR(place.offsetKm, c.offsetKm, kOneMetreKm);
}

INSTANTIATE_TEST_SUITE_P(
    KnownLines, PlaceOnProfileTest,
    ::testing::Values(
        Placement{"EquatorOnTheLine", {{0, 0}, {0, 1}}, {0, 0.5}, 55.597540, 0.0},
        // North of an eastward line is its left; the foot keeps the longitude.
        Placement{"EquatorNorthOfTheLine", {{0, 0}, {0, 1}}, {0.1, 0.5}, 55.597540, 11.119508},
        Placement{"EquatorBeforeTheStart", {{0, 0}, {0, 1}}, {0, -0.2}, -22.239016, 0.0},
        // East of a northward line is its right: a negative offset.
        Placement{"MeridianEastOfTheLine", {{10, 20}, {11, 20}}, {10.5, 20.2}, 55.604495, -21.866620},
        Placement{"DiagonalAtTheEnd", {{-30, 140}, {-29, 141}}, {-29, 141}, 147.411158, 0.0},
        Placement{"DiagonalOffTheLine", {{-30, 140}, {-29, 141}}, {-29.5, 140.2}, 54.537969, 22.124603},
        Placement{"LongLineAt45North", {{45, -120}, {45, -110}}, {46, -115}, 392.884153, 99.050181}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<double> SortedDistances(const ProfileLine& line, const std::vector<GeoPoint>& points)
{
    std::vector<double> d;
    for (const auto& p : points) d.push_back(PlaceOnProfile(line, p).distanceKm);
    std::sort(d.begin(), d.end());
    const double first = d.front();
    for (double& x : d) x -= first;
    return d;
}

TEST(FitProfileLineTest, SitesAlongTheEquatorGiveAWestToEastLineWithTheirSpacing)
{
    // Listed east first: the line still runs west to east.
    const std::vector<GeoPoint> sites{{0, 0.3}, {0, 0.0}, {0, 0.2}, {0, 0.1}};
    const ProfileLine line = FitProfileLine(sites);
    EXPECT_LT(line.start.longitudeDeg, line.end.longitudeDeg);
    EXPECT_NEAR(line.start.longitudeDeg, 0.0, 1e-9);
    EXPECT_NEAR(line.end.longitudeDeg, 0.3, 1e-9);
    const auto d = SortedDistances(line, sites);
    for (std::size_t i = 0; i < d.size(); ++i) EXPECT_NEAR(d[i], kTenthDegreeKm * static_cast<double>(i), kOneMetreKm) << i;
}

TEST(FitProfileLineTest, SitesAlongAMeridianGiveASouthToNorthLine)
{
    const std::vector<GeoPoint> sites{{-20.2, 30}, {-20.0, 30}, {-20.1, 30}};
    const ProfileLine line = FitProfileLine(sites);
    EXPECT_LT(line.start.latitudeDeg, line.end.latitudeDeg);
    const auto d = SortedDistances(line, sites);
    EXPECT_NEAR(d[1], kTenthDegreeKm, kOneMetreKm);
    EXPECT_NEAR(d[2], 2 * kTenthDegreeKm, kOneMetreKm);
}

TEST(FitProfileLineTest, DiagonalSitesLieOnTheFittedLineAtTheirGreatCircleDistance)
{
    // Five sites 0.1° apart in latitude and longitude, south-west to north-east, listed backwards.
    std::vector<GeoPoint> sites;
    for (int k = 4; k >= 0; --k) sites.push_back({-30.0 + 0.1 * k, 140.0 + 0.1 * k});
    const ProfileLine line = FitProfileLine(sites);
    EXPECT_LT(line.start.longitudeDeg, line.end.longitudeDeg);
    EXPECT_LT(line.start.latitudeDeg, line.end.latitudeDeg);
    // Haversine, first to last site (worked out separately): 58.88949 km. Equal steps in
    // degrees do not follow a great circle: the middle site lies 40.1 m from the circle
    // through the outer two (worked out separately), so no site is more than 45 m off the
    // fitted line; that bend shortens the distance along it by ~(0.04 km)²/59 km, far below 1 m.
    const auto d = SortedDistances(line, sites);
    EXPECT_NEAR(d.back(), 58.889487, kOneMetreKm);
    for (const auto& s : sites) EXPECT_LT(std::abs(PlaceOnProfile(line, s).offsetKm), 0.045);
}

TEST(FitProfileLineTest, CoincidentSitesGiveAOneKilometreWestEastLine)
{
    const std::vector<GeoPoint> sites{{12.0, 77.0}, {12.0, 77.0}};
    const ProfileLine line = FitProfileLine(sites);
    EXPECT_NEAR(GreatCircleKm(line.start, line.end), 1.0, 1e-6);
    EXPECT_LT(line.start.longitudeDeg, line.end.longitudeDeg);
    EXPECT_NEAR(PlaceOnProfile(line, sites[0]).distanceKm, 0.5, 1e-6);
}

TEST(ParseProfileLineTest, ReadsFourNumbersWithSpaces)
{
    const ProfileLine line = ParseProfileLine(" -30.5, 140 ,-29,141.25");
    EXPECT_EQ(line.start.latitudeDeg, -30.5);
    EXPECT_EQ(line.start.longitudeDeg, 140.0);
    EXPECT_EQ(line.end.latitudeDeg, -29.0);
    EXPECT_EQ(line.end.longitudeDeg, 141.25);
}

class ParseProfileRefusalTest : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(ParseProfileRefusalTest, RefusesWithAMessageSayingWhatIsWrong)
{
    const auto [text, expected] = GetParam();
    try {
        ParseProfileLine(text);
        FAIL() << "accepted " << text;
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    BadLines, ParseProfileRefusalTest,
    ::testing::Values(std::pair{"1,2,3", "got 3"}, std::pair{"1,2,3,4,5", "got more"},
                      std::pair{"1,x,3,4", "\"x\" is not a number"}, std::pair{"1,,3,4", "\"\" is not a number"},
                      std::pair{"1,2e,3,4", "\"2e\" is not a number"}, std::pair{"90.5,0,0,1", "latitude"},
                      std::pair{"0,0,-91,1", "latitude"}, std::pair{"0,361,0,1", "longitude"},
                      std::pair{"10,20,10,20.000001", "less than 1 m"}, std::pair{"0,0,0,180", "antipodal"}));

}  // namespace
