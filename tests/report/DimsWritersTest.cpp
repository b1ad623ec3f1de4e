#include "report/DimsWriters.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace mt1d::report;
using mt1d::dims::DimsResult;
using mt1d::dims::DimsRow;
using ::testing::HasSubstr;

const mt1d::jobs::SiteSummary kSite{"S1", "data/s1.edi", 43.5, -95.25, std::nullopt};

// A 1-D row, a 2-D row, a row lacking two elements (a comma in its reason) and one whose
// frequency is not known.
DimsResult SampleResult()
{
    DimsResult r;
    DimsRow oneD;
    oneD.frequencyHz = 100.0;
    oneD.periodS = 0.01;
    oneD.phiMaxDeg = 45.5;
    oneD.phiMinDeg = 44.5;
    oneD.alphaDeg = -12.0;
    oneD.betaDeg = 0.25;
    oneD.betaSdDeg = 0.1;
    oneD.strikeDeg = 1.0 / 3.0;
    oneD.strikeSdDeg = 4.0;
    oneD.ellipticity = 0.011;
    oneD.ellipticitySd = 0.002;
    oneD.swiftSkew = 0.05;
    oneD.bahrSkew = 0.02;
    oneD.oneD = true;
    DimsRow twoD = oneD;
    twoD.frequencyHz = 10.0;
    twoD.periodS = 0.1;
    twoD.strikeDeg = 25.0;
    twoD.ellipticity = 0.5;
    twoD.oneD = false;
    twoD.twoD = true;
    twoD.notOneD = "ellipticity 0.5 > 0.1";
    DimsRow missing;
    missing.frequencyHz = 1.0;
    missing.periodS = 1.0;
    missing.note = "Zxx, Zyy missing";
    DimsRow noFrequency;
    noFrequency.note = "Zxx missing";
    r.rows = {oneD, twoD, missing, noFrequency};
    r.computedRows = 2;
    r.oneDRows = 1;
    r.twoDRows = 1;
    r.oneDFraction = 0.5;
    r.strikeDeg = 25.0;
    r.strikeSdDeg = 0.5;
    r.strikeWeighted = true;
    r.notes = {"impedances conjugated", "site strike from 1 2-D rows"};
    return r;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The fields of a CSV line, with quoted fields unquoted.
std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') quoted = !quoted;
        else if (c == ',' && !quoted) fields.emplace_back();
        else fields.back() += c;
    }
    return fields;
}

const std::vector<std::string> kKeys = {"frequency_hz", "period_s",      "phi_max_deg", "phi_min_deg",
                                        "alpha_deg",    "beta_deg",      "beta_sd_deg", "strike_deg",
                                        "strike_sd_deg", "ellipticity",  "ellipticity_sd", "swift_skew",
                                        "bahr_skew",    "one_d",         "two_d",       "reason"};

TEST(DimsWriters, JsonHasEveryRowKeyInOrderAndTheSiteSummary)
{
    const Json json = Json::parse(JsonLayout(DimsJson(kSite, SampleResult())));
    EXPECT_EQ(json["site"]["name"], "S1");
    EXPECT_EQ(json["limits"]["max_skew_deg"], 3.0);
    EXPECT_EQ(json["limits"]["max_ellipticity"], 0.1);
    EXPECT_EQ(json["limits"]["within_errors"], false);
    ASSERT_EQ(json["rows"].size(), 4u);
    std::vector<std::string> found;
    for (const auto& [key, value] : json["rows"][0].items()) found.push_back(key);
    EXPECT_EQ(found, kKeys);
    EXPECT_EQ(json["rows"][0]["strike_deg"].get<double>(), 1.0 / 3.0);  // every digit
    EXPECT_EQ(json["rows"][0]["one_d"], true);
    EXPECT_EQ(json["rows"][0]["two_d"], false);
    EXPECT_EQ(json["rows"][0]["reason"], "");
    EXPECT_EQ(json["rows"][1]["two_d"], true);
    EXPECT_EQ(json["rows"][1]["reason"], "ellipticity 0.5 > 0.1");
    EXPECT_EQ(json["one_d_fraction"], 0.5);
    EXPECT_EQ(json["strike_deg"], 25.0);
    EXPECT_EQ(json["strike_sd_deg"], 0.5);
    EXPECT_EQ(json["strike_weighted"], true);
    EXPECT_EQ(json["computed_rows"], 2);
    EXPECT_EQ(json["notes"].size(), 2u);
}

TEST(DimsWriters, AbsentValuesAreNullInJsonAndEmptyInCsv)
{
    const DimsResult r = SampleResult();
    const Json json = DimsJson(kSite, r);
    const Json& missing = json["rows"][2];
    EXPECT_EQ(missing["frequency_hz"], 1.0);
    for (const char* key : {"phi_max_deg", "beta_deg", "strike_deg", "ellipticity", "swift_skew", "one_d", "two_d"})
        EXPECT_TRUE(missing[key].is_null()) << key;
    EXPECT_EQ(missing["reason"], "Zxx, Zyy missing");
    EXPECT_TRUE(json["rows"][3]["frequency_hz"].is_null());

    DimsResult none;
    const Json empty = DimsJson(kSite, none);
    EXPECT_TRUE(empty["one_d_fraction"].is_null());
    EXPECT_TRUE(empty["strike_deg"].is_null());

    const auto lines = SplitLines(DimsCsv(r));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Fields(lines[0]), kKeys);
    for (const auto& line : lines) EXPECT_EQ(Fields(line).size(), kKeys.size()) << line;
    const auto first = Fields(lines[1]);
    EXPECT_EQ(first[0], "100");
    EXPECT_EQ(first[7], "0.3333333333333333");
    EXPECT_EQ(first[13], "true");
    EXPECT_EQ(first[14], "false");
    const auto third = Fields(lines[3]);
    EXPECT_EQ(third[0], "1");
    EXPECT_EQ(third[5], "");
    EXPECT_EQ(third[13], "");
    EXPECT_EQ(third[15], "Zxx, Zyy missing");
    EXPECT_EQ(Fields(lines[4])[0], "");
}

TEST(DimsWriters, TextGivesEachVerdictTheFractionAndTheStrike)
{
    const std::string text = DimsText(kSite, SampleResult());
    EXPECT_THAT(text, HasSubstr("site S1 (data/s1.edi)"));
    EXPECT_THAT(text, HasSubstr("1-D where |β| ≤ 3° and ellipticity ≤ 0.1"));
    EXPECT_THAT(text, HasSubstr("1-D\n"));
    EXPECT_THAT(text, HasSubstr("2-D: ellipticity 0.5 > 0.1\n"));
    EXPECT_THAT(text, HasSubstr("-: Zxx, Zyy missing\n"));
    EXPECT_THAT(text, HasSubstr("0.25 ± 0.10"));
    EXPECT_THAT(text, HasSubstr("1 of 2 rows 1-D (50 %), 1 2-D"));
    EXPECT_THAT(text, HasSubstr("site strike 25.0° ± 0.5° from north (or 115.0°)"));
    EXPECT_THAT(text, HasSubstr("notes:\n  impedances conjugated\n"));
    DimsResult none;
    const std::string empty = DimsText(kSite, none);
    EXPECT_THAT(empty, HasSubstr("no row has a phase tensor"));
    EXPECT_THAT(empty, HasSubstr("site strike: none"));
}

TEST(DimsWriters, ReasonJoinsWhatIsMissingAndWhyNotOneD)
{
    DimsRow row;
    EXPECT_EQ(DimsReason(row), "");
    row.note = "Φmax = Φmin: no strike";
    EXPECT_EQ(DimsReason(row), "Φmax = Φmin: no strike");
    row.notOneD = "skew 5.2° > 3°";
    EXPECT_EQ(DimsReason(row), "Φmax = Φmin: no strike; skew 5.2° > 3°");
}

}  // namespace
