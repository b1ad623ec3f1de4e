#include "report/Formatting.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {

using namespace mt1d::report;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

double ReadBack(const std::string& text)
{
    double v = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    EXPECT_EQ(r.ptr, text.data() + text.size()) << text;
    return v;
}

// Every writer leaves out what is not a finite number instead of printing nan or inf.
TEST(Formatting, ValuesThatAreNotFiniteAreAbsentInEveryForm)
{
    for (const double v : {kNan, kInf, -kInf}) {
        EXPECT_TRUE(JsonNumber(v).is_null());
        EXPECT_EQ(NumberText(v), "");
        EXPECT_EQ(Significant(v, 4), "-");
        EXPECT_EQ(Rounded(v, 4), "-");
    }
    EXPECT_TRUE(JsonNumber(std::optional<double>{}).is_null());
    EXPECT_EQ(NumberText(std::optional<double>{}), "");
}

// CSV and JSON carry every bit of a double: what they print reads back as the same value.
TEST(Formatting, NumbersReadBackAsTheSameDouble)
{
    for (const double v : {0.1, 1.0 / 3.0, 2.0 / 3.0 * 1e-300, 5e-324, 1.7976931348623157e308, -45.123456789012345,
                           0.1367187, 884.4444106057136}) {
        EXPECT_EQ(ReadBack(NumberText(v)), v) << NumberText(v);
        const Json parsed = Json::parse(JsonLayout(Json{{"x", JsonNumber(v)}}));
        EXPECT_EQ(parsed["x"].get<double>(), v);
    }
}

TEST(Formatting, RoundedKeepsTrailingZerosAndTakesTheDecadeOfTheRoundedValue)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {1.0, "1.000"},        {0.999999995, "1.000"},  // not "1.0000": 0.99999… rounds into the next decade
        {0.44845, "0.4485"},   {18.79, "18.79"},      {24904.3, "24904"}, {9.99996, "10.00"},
        {-2.5, "-2.500"},      {0.001, "0.001000"},   {1e-4, "0.0001"},   {2.5e7, "2.5e+07"},
        {0.0, "0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Rounded(c.value, 4), c.text) << c.value;
}

TEST(Formatting, SignificantDropsTrailingZeros)
{
    EXPECT_EQ(Significant(884.4444, 5), "884.44");
    EXPECT_EQ(Significant(5.0, 6), "5");
    EXPECT_EQ(Significant(12345678.0, 5), "1.2346e+07");
    EXPECT_EQ(Significant(0.000012345, 3), "1.23e-05");
}

// Restores the C locale however the test ends.
struct LocaleGuard {
    ~LocaleGuard() { std::setlocale(LC_ALL, "C"); }
};

TEST(Formatting, DecimalPointWhateverTheLocale)
{
    LocaleGuard guard;
    bool comma = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            comma = true;
            break;
        }
    }
    if (!comma) GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(Significant(884.4444, 5), "884.44");
    EXPECT_EQ(Rounded(1.0, 4), "1.000");
    EXPECT_EQ(NumberText(0.25), "0.25");
    EXPECT_EQ(JsonLayout(Json{{"x", 0.25}}), "{\"x\": 0.25}");
}

TEST(Formatting, CsvFieldsAreQuotedOnlyWhenTheyMustBe)
{
    EXPECT_EQ(CsvField("plain text"), "plain text");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
}

TEST(Formatting, AlignmentCountsCharactersNotBytes)
{
    EXPECT_EQ(AlignRight("ρa", 4), "  ρa");
    EXPECT_EQ(AlignLeft("45°", 5), "45°  ");
    EXPECT_EQ(AlignRight("toolong", 3), "toolong");
}

TEST(Formatting, JsonLayoutPutsRowsOnOneLineAndReadsBackUnchanged)
{
    const Json document = {{"site", {{"name", "A"}, {"latitude_deg", nullptr}}},
                           {"rows", Json::array({Json{{"f", 1.5}, {"ok", true}}, Json{{"f", 0.25}, {"ok", false}}})},
                           {"depths", Json::array({0.0, 10.0, 20.0})},
                           {"notes", Json::array({std::string(60, 'a'), std::string(60, 'b')})},
                           {"empty", Json::array()}};
    const std::string text = JsonLayout(document);
    EXPECT_EQ(Json::parse(text), document);
    EXPECT_NE(text.find("\n  \"site\": {\"name\": \"A\", \"latitude_deg\": null},\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n    {\"f\": 1.5, \"ok\": true},\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"depths\": [0.0, 10.0, 20.0]"), std::string::npos) << text;
    // Long texts get a line each.
    EXPECT_NE(text.find("\"notes\": [\n    \"aaa"), std::string::npos) << text;
    EXPECT_NE(text.find("\"empty\": []"), std::string::npos) << text;
}

TEST(Formatting, JsonLayoutReplacesBytesThatAreNotUtf8)
{
    const std::string text = JsonLayout(Json{{"name", std::string("site\xff")}});
    Json parsed;
    ASSERT_NO_THROW(parsed = Json::parse(text));
    EXPECT_TRUE(parsed["name"].is_string());
}

}  // namespace
