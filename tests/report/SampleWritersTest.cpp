// The sampling run as JSON and CSV, from a record made by hand: a 3-depth × 4-bin posterior
// whose every value is known, so that a shifted row, a swapped key or a lost digit shows.

#include "report/SampleCsv.h"
#include "report/SampleJson.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace mt1d;
using namespace mt1d::report;
namespace jobs = mt1d::jobs;
using ::testing::HasSubstr;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

jobs::SampleRecord HandRecord()
{
    sampling::SamplingResult r;
    r.status = sampling::SamplingStatus::kCompleted;
    r.message = "kept 12 samples from 2 chains";
    r.depthM = {10.0, 100.0, 1000.0};
    r.depthEdgesM = {5.0, 31.6, 316.0, 3160.0};
    r.log10RhoGrid = {-0.25, 0.75, 1.75, 2.75};
    r.density = {0.5, 0.5, 0.0, 0.0,  //
                 0.0, 1.0 / 3.0, 2.0 / 3.0, 0.0,  //
                 0.1, 0.2, 0.3, 0.4};
    r.p10 = {-0.6, 0.5, 0.1};
    r.p50 = {0.25, 1.4, 1.9};
    r.p90 = {1.1, 2.2, 3.1};
    r.mean = {0.3, 1.25, 1.8};
    r.interfaceProbability = {0.0, 0.75, 0.125};
    r.layerCount = {{1, 0.25}, {2, 0.5}, {3, 0.25}};
    r.acceptance = {{sampling::Move::kBirth, 10, 3, 0.3},
                    {sampling::Move::kDeath, 10, 4, 0.4},
                    {sampling::Move::kMove, 10, 5, 0.5},
                    {sampling::Move::kChange, 10, 6, 0.6}};
    r.rhat = {1.01, 1.05};
    r.ess.misfit = {{4.0, 5.0}, 8.0};
    r.ess.layerCount = {{std::nan(""), 3.0}, std::nan("")};
    r.ess.depthM = {10.0, 100.0, 1000.0};
    r.ess.log10Rho = {{{1.0, 2.0}, 2.5}, {{3.0, 4.0}, 6.0}, {{5.0, 6.0}, 12.0}};
    r.ess.stride = 3;
    r.ess.seconds = 0.5;
    r.samples = 12;
    r.seed = 18446744073709551615ull;  // the largest seed, beyond a double's integers
    r.chains = 2;
    r.burnIn = 100;
    r.temperatures = 1;
    r.dataCount = 46;
    r.prior = {2, 0.5, 3.5, -1.0, 5.0};
    r.depthOfInvestigationM = 2500.0;
    r.bestModel = {{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    r.bestRms = 0.875;
    const jobs::SiteSummary site{"S1", "data/s1.edi", 43.5, -95.25, std::nullopt};
    const jobs::DataOptions curve{sounding::Mode::kDet, 5.0, {}, 30.0};
    return jobs::MakeSampleRecord(site, curve, 12, 46, {"2 of 25 rows not usable for mode det"}, r);
}

std::vector<std::string> Keys(const Json& object)
{
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.push_back(key);
    return keys;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

Json Written(const jobs::SampleRecord& record) { return Json::parse(SampleJsonText(record)); }

TEST(SampleJson, HasEveryKeyInOrderWithTheSiteAndTheOptionsUsed)
{
    const Json json = Written(HandRecord());
    EXPECT_EQ(Keys(json), (std::vector<std::string>{
                              "format", "format_version", "site", "options", "status", "message", "values_fitted",
                              "notes", "warnings", "depth_m", "log10_rho_grid", "density", "p10", "p50", "p90",
                              "mean", "interface_probability", "layer_count", "acceptance", "rhat", "ess",
                              "samples", "seed", "depth_of_investigation_m", "best_rms", "best_model"}));
    EXPECT_EQ(json["format"], "mt1d sample");
    // The effective sample sizes: per second of the chains' 0.5 s, NaN as null, each depth's
    // figure with its depth.
    const Json& ess = json["ess"];
    EXPECT_EQ(Keys(ess), (std::vector<std::string>{"seconds", "stride", "misfit", "layer_count", "log10_rho"}));
    EXPECT_EQ(ess["stride"], 3);
    EXPECT_EQ(ess["misfit"], Json::parse(R"({"combined": 8.0, "per_second": 16.0, "chains": [4.0, 5.0]})"));
    EXPECT_EQ(ess["layer_count"], Json::parse(R"({"combined": null, "per_second": null, "chains": [null, 3.0]})"));
    ASSERT_EQ(ess["log10_rho"].size(), 3u);
    EXPECT_EQ(ess["log10_rho"][1],
              Json::parse(R"({"depth_m": 100.0, "combined": 6.0, "per_second": 12.0, "chains": [3.0, 4.0]})"));
    EXPECT_EQ(json["format_version"], 1);
    EXPECT_EQ(json["site"]["name"], "S1");
    EXPECT_EQ(Keys(json["options"]),
              (std::vector<std::string>{"mode", "floor_percent", "columns", "rotate_deg", "var_convention", "rho_err",
                                        "exclude_hz", "keep_any_phase", "only_1d", "samples", "burn_in",
                                        "chains", "temperatures", "max_layers", "min_depth_m", "max_depth_m",
                                        "min_rho_ohmm", "max_rho_ohmm", "seed"}));
    const Json& o = json["options"];
    EXPECT_EQ(o["mode"], "det");
    EXPECT_EQ(o["rotate_deg"], 30.0);
    EXPECT_EQ(o["burn_in"], 100);
    EXPECT_EQ(o["chains"], 2);
    // Two interfaces at most: three layers with the half-space.
    EXPECT_EQ(o["max_layers"], 3);
    // The prior's bounds back from log10: 10^0.5, 10^3.5, 10^−1 and 10^5, to a few ulps.
    EXPECT_NEAR(o["min_depth_m"].get<double>(), std::sqrt(10.0), 1e-14 * 3.2);
    EXPECT_NEAR(o["max_depth_m"].get<double>(), 1000.0 * std::sqrt(10.0), 1e-14 * 3200.0);
    EXPECT_EQ(o["min_rho_ohmm"], 0.1);
    EXPECT_EQ(o["max_rho_ohmm"], 1e5);
    EXPECT_EQ(o["seed"].get<std::uint64_t>(), 18446744073709551615ull);
    EXPECT_EQ(json["seed"].get<std::uint64_t>(), 18446744073709551615ull);
    EXPECT_EQ(json["samples"], 12);
    EXPECT_EQ(json["values_fitted"], 46);
    EXPECT_EQ(json["notes"], (std::vector<std::string>{"2 of 25 rows not usable for mode det"}));
    EXPECT_TRUE(json["warnings"].empty());
}

TEST(SampleJson, PosteriorArraysKeepTheirShapesAndEveryDigit)
{
    const jobs::SampleRecord record = HandRecord();
    const Json json = Written(record);
    EXPECT_EQ(json["depth_m"], (std::vector<double>{10.0, 100.0, 1000.0}));
    EXPECT_EQ(json["log10_rho_grid"], (std::vector<double>{-0.25, 0.75, 1.75, 2.75}));
    // One row per depth, one value per resistivity bin, in the order of the grid.
    const Json& density = json["density"];
    ASSERT_EQ(density.size(), 3u);
    for (const Json& row : density) ASSERT_EQ(row.size(), 4u);
    EXPECT_EQ(density[1][1].get<double>(), 1.0 / 3.0);
    EXPECT_EQ(density[1][2].get<double>(), 2.0 / 3.0);
    EXPECT_EQ(density[2][3].get<double>(), 0.4);
    EXPECT_EQ(json["p10"], (std::vector<double>{-0.6, 0.5, 0.1}));
    EXPECT_EQ(json["p50"], (std::vector<double>{0.25, 1.4, 1.9}));
    EXPECT_EQ(json["p90"], (std::vector<double>{1.1, 2.2, 3.1}));
    EXPECT_EQ(json["mean"], (std::vector<double>{0.3, 1.25, 1.8}));
    EXPECT_EQ(json["interface_probability"], (std::vector<double>{0.0, 0.75, 0.125}));
    ASSERT_EQ(json["layer_count"].size(), 3u);
    EXPECT_EQ(Keys(json["layer_count"][0]), (std::vector<std::string>{"layers", "probability"}));
    EXPECT_EQ(json["layer_count"][1]["layers"], 2);
    EXPECT_EQ(json["layer_count"][1]["probability"], 0.5);
    EXPECT_EQ(Keys(json["acceptance"]), (std::vector<std::string>{"birth", "death", "move", "change"}));
    EXPECT_EQ(json["acceptance"]["death"], 0.4);
    EXPECT_EQ(json["acceptance"]["change"], 0.6);
    EXPECT_EQ(Keys(json["rhat"]), (std::vector<std::string>{"misfit", "layer_count"}));
    EXPECT_EQ(json["rhat"]["misfit"], 1.01);
    EXPECT_EQ(json["rhat"]["layer_count"], 1.05);
    EXPECT_EQ(json["depth_of_investigation_m"], 2500.0);
    EXPECT_EQ(json["best_rms"], 0.875);
    // The best model's layers from the top; the half-space has no thickness.
    const Json& best = json["best_model"];
    ASSERT_EQ(best.size(), 3u);
    EXPECT_EQ(Keys(best[0]), (std::vector<std::string>{"top_m", "thickness_m", "resistivity_ohmm"}));
    EXPECT_EQ(best[1]["top_m"], 500.0);
    EXPECT_EQ(best[2]["top_m"], 2500.0);
    EXPECT_TRUE(best[2]["thickness_m"].is_null());
    EXPECT_EQ(best[2]["resistivity_ohmm"], 1000.0);
    // Each density row stands on one line of the text, so the file reads as the image.
    const std::string text = SampleJsonText(record);
    EXPECT_THAT(text, HasSubstr("[0.0, 0.3333333333333333, 0.6666666666666666, 0.0]"));
}

// Whether R-hat is NaN, infinite or too high, the file holds null or the number, never NaN or
// infinity, and "warnings" says what it means; the limit 1.1 itself already warns.
struct RhatCase {
    const char* name;
    double misfit;
    double layerCount;
    bool misfitNull;
    bool layerCountNull;
    const char* warning;  // a part of the one warning, or null for none
};

class SampleJsonRhat : public ::testing::TestWithParam<RhatCase> {};

TEST_P(SampleJsonRhat, NotFiniteIsNullAndEveryDoubtIsExplained)
{
    const RhatCase& c = GetParam();
    jobs::SampleRecord record = HandRecord();
    record.result.rhat = {c.misfit, c.layerCount};
    const std::string text = SampleJsonText(record);
    for (const char* bad : {"NaN", "nan,", "inf,", "inf}", "Infinity"}) EXPECT_EQ(text.find(bad), std::string::npos) << bad;
    const Json json = Json::parse(text);
    EXPECT_EQ(json["rhat"]["misfit"].is_null(), c.misfitNull);
    EXPECT_EQ(json["rhat"]["layer_count"].is_null(), c.layerCountNull);
    if (c.warning == nullptr) {
        EXPECT_TRUE(json["warnings"].empty()) << json["warnings"].dump();
    } else {
        ASSERT_EQ(json["warnings"].size(), 1u);
        EXPECT_THAT(json["warnings"][0].get<std::string>(), HasSubstr(c.warning));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SampleJsonRhat,
    ::testing::Values(RhatCase{"Agreeing", 1.0, 1.0999, false, false, nullptr},
                      RhatCase{"AtTheLimit", 1.1, 1.0, false, false, "R-hat of the misfit is 1.10, not below 1.1"},
                      RhatCase{"LayerCountHigh", 1.0, 1.44, false, false, "R-hat of the layer count is 1.44"},
                      RhatCase{"TooFewSamples", kNaN, 1.0, true, false, "misfit is not defined (written as null)"},
                      RhatCase{"StuckApart", 1.0, kInf, false, true, "layer count is infinite (written as null)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SampleJson, ACancelledRunSaysSoAndARunWithoutSamplesHasEmptyArrays)
{
    jobs::SampleRecord record = HandRecord();
    sampling::SamplingResult& r = record.result;
    r.status = sampling::SamplingStatus::kCancelled;
    r.message = "cancelled after 10 of 200 steps; no samples were kept yet (still in burn-in)";
    r.density.clear();
    r.p10.clear(), r.p50.clear(), r.p90.clear(), r.mean.clear(), r.interfaceProbability.clear();
    r.samples = 0;
    r.rhat = {kNaN, kNaN};
    r.bestModel = {};
    const Json json = Written(record);
    EXPECT_EQ(json["status"], "cancelled");
    EXPECT_THAT(json["warnings"][0].get<std::string>(), HasSubstr("the run was cancelled: cancelled after 10"));
    EXPECT_EQ(json["warnings"].size(), 3u);
    EXPECT_TRUE(json["density"].empty());
    EXPECT_TRUE(json["p50"].empty());
    EXPECT_TRUE(json["best_rms"].is_null());
    EXPECT_TRUE(json["best_model"].empty());
    EXPECT_EQ(json["depth_m"].size(), 3u);  // the grid is known before any sample
    EXPECT_EQ(Lines(SampleProfileCsv(record)).size(), 1u);
    EXPECT_EQ(Lines(SampleDensityCsv(record)).size(), 1u);
}

TEST(SampleCsv, ProfileHasOneRowPerDepthWithThePercentilesMeanAndInterfaceProbability)
{
    jobs::SampleRecord record = HandRecord();
    record.result.p90[2] = kNaN;  // written as an empty field
    const std::vector<std::string> lines = Lines(SampleProfileCsv(record));
    EXPECT_EQ(lines, (std::vector<std::string>{"depth_m,p10,p50,p90,mean,interface_probability",
                                               "10,-0.6,0.25,1.1,0.3,0", "100,0.5,1.4,2.2,1.25,0.75",
                                               "1000,0.1,1.9,,1.8,0.125"}));
}

TEST(SampleCsv, DensityInLongFormHasEveryDepthAndBinDepthOuter)
{
    const std::vector<std::string> lines = Lines(SampleDensityCsv(HandRecord()));
    ASSERT_EQ(lines.size(), 1u + 3u * 4u);
    EXPECT_EQ(lines[0], "depth_m,log10_rho,probability");
    EXPECT_EQ(lines[1], "10,-0.25,0.5");
    EXPECT_EQ(lines[4], "10,2.75,0");
    EXPECT_EQ(lines[6], "100,0.75,0.3333333333333333");
    EXPECT_EQ(lines[12], "1000,2.75,0.4");
}

}  // namespace
