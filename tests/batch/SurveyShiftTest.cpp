// Static shifts of a survey from each site's neighbours.

#include "batch/SurveyShift.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace mt1d::batch {
namespace {

// Sites on a line of latitude 0, `spacingKm` apart, over one earth whose ρa falls from
// `topRho` at 1 kHz by half a decade per decade of frequency (any smooth curve serves); site
// `shifted` has xy times `xyShift` and yx times `yxShift`.
std::vector<SiteLevels> Line(std::size_t count, double spacingKm, std::size_t shifted, double xyShift, double yxShift,
                             double topHz = 1000.0)
{
    const double degPerKm = 1.0 / 111.19508;  // 2π·6371.0088/360 km per degree
    std::vector<SiteLevels> sites;
    for (std::size_t i = 0; i < count; ++i) {
        SiteLevels s;
        s.name = "S" + std::to_string(i);
        s.latitudeDeg = 0.0;
        s.longitudeDeg = static_cast<double>(i) * spacingKm * degPerKm;
        for (const auto& [mode, factor] :
             {std::pair{sounding::Mode::kXy, i == shifted ? xyShift : 1.0}, std::pair{sounding::Mode::kYx, i == shifted ? yxShift : 1.0}}) {
            SiteLevels::Curve c;
            c.mode = mode;
            for (double f = topHz; f >= 1e-3; f /= std::sqrt(10.0)) {
                c.frequencyHz.push_back(f);
                c.rhoOhmM.push_back(factor * 100.0 * std::pow(f / 1000.0, 0.5));
            }
            s.curves.push_back(c);
        }
        sites.push_back(s);
    }
    return sites;
}

struct EstimateCase {
    const char* name;
    double xyShift, yxShift;
    std::optional<double> radiusKm;
    double expectedXy, expectedYx;  // of the shifted site
    bool noted;
};

class SurveyShiftTable : public ::testing::TestWithParam<EstimateCase> {};

TEST_P(SurveyShiftTable, TheShiftedSiteGetsItsFactorAndItsNeighboursKeepOne)
{
    const EstimateCase& t = GetParam();
    const std::vector<SiteLevels> sites = Line(9, 1.0, 4, t.xyShift, t.yxShift);
    SurveyShiftOptions o;
    o.radiusKm = t.radiusKm;
    const SurveyShiftResult r = EstimateSurveyShifts(sites, o);
    ASSERT_TRUE(r.Ok()) << r.error;
    ASSERT_EQ(r.sites.size(), 9u);
    // Noise-free curves of one earth: the levels agree to rounding of log10 and pow.
    EXPECT_NEAR(r.sites[4].factors[0].factor, t.expectedXy, 1e-9 * t.expectedXy);
    EXPECT_NEAR(r.sites[4].factors[1].factor, t.expectedYx, 1e-9 * t.expectedYx);
    EXPECT_EQ(!r.sites[4].notes.empty(), t.noted);
    // Every other site has the shifted one among at most six neighbours: the median sheds it.
    for (std::size_t i = 0; i < 9; ++i) {
        if (i == 4) continue;
        for (const auto& f : r.sites[i].factors) EXPECT_NEAR(f.factor, 1.0, 1e-9) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sites, SurveyShiftTable,
    ::testing::Values(EstimateCase{"up_and_down", 2.0, 0.5, std::nullopt, 2.0, 0.5, false},
                      EstimateCase{"none", 1.0, 1.0, std::nullopt, 1.0, 1.0, false},
                      // Beyond a decade the factor is held on the bound, with a note.
                      EstimateCase{"beyond_the_bound", 30.0, 1.0, std::nullopt, 10.0, 1.0, true},
                      // No neighbour within 0.5 km: the factors stay 1, with a note.
                      EstimateCase{"alone_in_the_radius", 2.0, 0.5, 0.5, 1.0, 1.0, true}),
    [](const ::testing::TestParamInfo<EstimateCase>& info) { return std::string(info.param.name); });

TEST(SurveyShift, NeighboursAreTheNearestKByDistanceThenName)
{
    const std::vector<SiteLevels> sites = Line(9, 1.0, 4, 2.0, 0.5);
    SurveyShiftOptions o;
    o.neighbours = 4;
    const SurveyShiftResult r = EstimateSurveyShifts(sites, o);
    ASSERT_TRUE(r.Ok()) << r.error;
    // S4's nearest: S3 and S5 at 1 km, S2 and S6 at 2 km; ties by name.
    EXPECT_EQ(r.sites[4].neighbours, (std::vector<std::string>{"S3", "S5", "S2", "S6"}));
    EXPECT_EQ(r.sites[0].neighbours, (std::vector<std::string>{"S1", "S2", "S3", "S4"}));
}

TEST(SurveyShift, TheOrderOfTheSitesChangesNothing)
{
    std::vector<SiteLevels> sites = Line(9, 1.0, 4, 2.0, 0.5);
    const SurveyShiftResult a = EstimateSurveyShifts(sites, {});
    std::reverse(sites.begin(), sites.end());
    const SurveyShiftResult b = EstimateSurveyShifts(sites, {});
    ASSERT_TRUE(a.Ok() && b.Ok());
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(a.sites[i].factors, b.sites[8 - i].factors) << i;
        EXPECT_EQ(a.sites[i].neighbours, b.sites[8 - i].neighbours) << i;
    }
}

TEST(SurveyShift, TheDefaultBandIsTheHighestDecadeEverySiteReaches)
{
    // One site's curves start at 100 Hz: the band is 10 to 100 Hz for all.
    std::vector<SiteLevels> sites = Line(5, 1.0, 2, 2.0, 1.0);
    const std::vector<SiteLevels> low = Line(5, 1.0, 2, 2.0, 1.0, 100.0);
    sites[4] = low[4];
    const SurveyShiftResult r = EstimateSurveyShifts(sites, {});
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_DOUBLE_EQ(r.bandHighHz, 100.0);
    EXPECT_DOUBLE_EQ(r.bandLowHz, 10.0);
    // Levels over a common band: the factor is still 2 (a level over all of each curve's
    // rows would compare different parts of the curves).
    EXPECT_NEAR(r.sites[2].factors[0].factor, 2.0, 1e-9);
}

TEST(SurveyShift, RefusesOptionsThatCannotBeUsed)
{
    const std::vector<SiteLevels> sites = Line(3, 1.0, 0, 1.0, 1.0);
    SurveyShiftOptions o;
    o.neighbours = 0;
    EXPECT_NE(EstimateSurveyShifts(sites, o).error.find("--shift-neighbours"), std::string::npos);
    o = {};
    o.radiusKm = -1.0;
    EXPECT_NE(EstimateSurveyShifts(sites, o).error.find("--shift-radius"), std::string::npos);
    o = {};
    o.bandLowHz = 10.0;
    o.bandHighHz = 1.0;
    EXPECT_FALSE(EstimateSurveyShifts(sites, o).Ok());
}

}  // namespace
}  // namespace mt1d::batch
