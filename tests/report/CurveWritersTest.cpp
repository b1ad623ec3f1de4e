#include "report/CurveWriters.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace mt1d::report;
namespace jobs = mt1d::jobs;
using mt1d::sounding::Curve;
using mt1d::sounding::CurveRow;
using mt1d::sounding::Mode;
using ::testing::HasSubstr;

const jobs::SiteSummary kSite{"S1", "data/s1.edi", 43.5, -95.25, std::nullopt};

// A usable row, a row without errors (floor 0) whose phase is a known 0°, a row whose
// frequency is unknown, and a row whose impedance is missing (no phase known).
Curve SampleCurve()
{
    Curve curve;
    curve.mode = Mode::kYx;
    curve.floorPercent = 0.0;
    curve.rows = {
        CurveRow{10.0, 0.1, 100.0, 1.0 / 3.0, 45.0, 2.8659839825988622, true, "", true},
        CurveRow{1.0, 1.0, 50.0, 0.0, 0.0, 0.0, false, "no error given and the error floor is 0", true},
        CurveRow{0.0, 0.0, 0.0, 0.0, 30.0, 0.0, false, "frequency is not a positive number", true},
        CurveRow{0.5, 2.0, 0.0, 0.0, 0.0, 0.0, false, "Zyx missing", false},
    };
    curve.notes = {"the file gives no variances for ZYX"};
    return curve;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(CurveWriters, JsonHasTheSiteModeFloorRowsAndNotes)
{
    const Json json = Json::parse(JsonLayout(CurveJson(kSite, SampleCurve())));
    EXPECT_EQ(json["site"]["name"], "S1");
    EXPECT_EQ(json["site"]["file"], "data/s1.edi");
    EXPECT_EQ(json["site"]["latitude_deg"], 43.5);
    EXPECT_EQ(json["site"]["longitude_deg"], -95.25);
    EXPECT_TRUE(json["site"]["elevation_m"].is_null());
    EXPECT_EQ(json["mode"], "yx");
    EXPECT_EQ(json["floor_percent"], 0.0);
    ASSERT_EQ(json["rows"].size(), 4u);
    const Json& first = json["rows"][0];
    const std::vector<std::string> keys = {"frequency_hz",  "period_s", "rho_ohmm", "rho_err_ohmm",
                                           "phase_deg", "phase_err_deg", "usable"};
    std::vector<std::string> found;
    for (const auto& [key, value] : first.items()) found.push_back(key);
    EXPECT_EQ(found, keys);
    EXPECT_EQ(first["rho_err_ohmm"].get<double>(), 1.0 / 3.0);  // every digit
    EXPECT_EQ(first["usable"], true);
}

// In an unusable row a quantity that must be positive and is held as 0 is unknown: null, not 0.
// The phase, which may be 0, stays when the row knows it and is null when it does not.
TEST(CurveWriters, UnknownValuesOfUnusableRowsAreNullAndSayWhy)
{
    const Json json = CurveJson(kSite, SampleCurve());
    const Json& noError = json["rows"][1];
    EXPECT_EQ(noError["rho_ohmm"], 50.0);
    EXPECT_TRUE(noError["rho_err_ohmm"].is_null());
    EXPECT_TRUE(noError["phase_err_deg"].is_null());
    EXPECT_EQ(noError["phase_deg"], 0.0);
    EXPECT_EQ(noError["usable"], false);
    const Json& noFrequency = json["rows"][2];
    EXPECT_TRUE(noFrequency["frequency_hz"].is_null());
    EXPECT_TRUE(noFrequency["period_s"].is_null());
    EXPECT_TRUE(noFrequency["rho_ohmm"].is_null());
    EXPECT_EQ(noFrequency["phase_deg"], 30.0);
    const Json& noImpedance = json["rows"][3];
    EXPECT_EQ(noImpedance["frequency_hz"], 0.5);
    EXPECT_TRUE(noImpedance["rho_ohmm"].is_null());
    EXPECT_TRUE(noImpedance["phase_deg"].is_null());
    const std::vector<std::string> notes = json["notes"];
    EXPECT_EQ(notes, (std::vector<std::string>{"the file gives no variances for ZYX",
                                               "row 2 (1 Hz): no error given and the error floor is 0",
                                               "row 3: frequency is not a positive number",
                                               "row 4 (0.5 Hz): Zyx missing"}));
}

TEST(CurveWriters, CsvHasTheSevenColumnsAndEmptyFieldsForUnknownValues)
{
    const std::vector<std::string> lines = SplitLines(CurveCsv(SampleCurve()));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "frequency_hz,period_s,rho_ohmm,rho_err_ohmm,phase_deg,phase_err_deg,usable");
    EXPECT_EQ(lines[1], "10,0.1,100,0.3333333333333333,45,2.8659839825988622,true");
    EXPECT_EQ(lines[2], "1,1,50,,0,,false");
    EXPECT_EQ(lines[3], ",,,,30,,false");
    EXPECT_EQ(lines[4], "0.5,2,,,,,false");
}

TEST(CurveWriters, TextShowsTheSiteTheRowsWithReasonsAndTheNotes)
{
    const std::string text = CurveText(kSite, SampleCurve());
    EXPECT_THAT(text, HasSubstr("site S1 (data/s1.edi)"));
    EXPECT_THAT(text, HasSubstr("latitude 43.5°, longitude -95.25°, elevation -"));
    EXPECT_THAT(text, HasSubstr("mode yx, error floor 0 % of |Z|"));
    EXPECT_THAT(text, HasSubstr("impedance phase in degrees"));
    EXPECT_THAT(text, HasSubstr("  yes\n"));
    EXPECT_THAT(text, HasSubstr("  no: no error given and the error floor is 0\n"));
    EXPECT_THAT(text, HasSubstr("1 of 4 rows usable"));
    // ρa, its error, the phase and its error of the row without an impedance: four "-" in
    // columns 14 wide.
    std::string unknown;
    for (int k = 0; k < 4; ++k) unknown += std::string(13, ' ') + "-";
    EXPECT_THAT(text, HasSubstr(unknown + "  no: Zyx missing\n"));
    EXPECT_THAT(text, HasSubstr("notes:\n  the file gives no variances for ZYX\n"));
    EXPECT_THAT(CurveText(jobs::SiteSummary{"S2", "s2.dat", {}, {}, {}}, SampleCurve()), HasSubstr("location unknown"));
}

}  // namespace
