#include "sounding/EdiHeader.h"
#include "sounding/TextScan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace mt1d::sounding;

struct NumberCase {
    const char* token;
    bool parses;
    double value;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << "'" << c.token << "'";
}

class NumberTokens : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberTokens, ParseAsTheWritersOfSoundingFilesMeanThem)
{
    const auto& c = GetParam();
    const auto v = ParseNumber(c.token);
    ASSERT_EQ(v.has_value(), c.parses) << c.token;
    if (c.parses) {
        EXPECT_EQ(*v, c.value) << c.token;  // exact: each is the correctly rounded double
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, NumberTokens,
    testing::Values(NumberCase{"+1.367187e-01", true, 0.1367187}, NumberCase{"1.000000e+032", true, 1e32},
                    NumberCase{"1E+32", true, 1e32}, NumberCase{"0.1000000E+33", true, 1e32},
                    NumberCase{"1.0D+02", true, 100.0}, NumberCase{"-2.5d-1", true, -0.25},
                    NumberCase{".5", true, 0.5}, NumberCase{"7.", true, 7.0}, NumberCase{"-0", true, 0.0},
                    NumberCase{"1e-400", true, 0.0}, NumberCase{"1.2.3", false, 0}, NumberCase{"1e", false, 0},
                    NumberCase{"++1", false, 0}, NumberCase{"+-1", false, 0}, NumberCase{"12x", false, 0},
                    NumberCase{"0x10", false, 0}, NumberCase{"******", false, 0}, NumberCase{"", false, 0}));

TEST(NumberTokens, OverflowAndNanSpellingsAreNumbersThatAreNotFinite)
{
    for (const char* t : {"1e400", "-1e400", "nan", "NaN", "-inf", "Infinity"}) {
        const auto v = ParseNumber(t);
        ASSERT_TRUE(v.has_value()) << t;
        EXPECT_FALSE(std::isfinite(*v)) << t;
    }
}

TEST(NumberTokens, ClassifiedAsNumberMalformedNumberOrWord)
{
    double v = 0;
    EXPECT_EQ(ClassifyToken("3.5", v), TokenKind::kNumber);
    EXPECT_EQ(v, 3.5);
    EXPECT_EQ(ClassifyToken("******", v), TokenKind::kMalformedNumber);
    EXPECT_EQ(ClassifyToken("1.#QNAN", v), TokenKind::kMalformedNumber);
    EXPECT_TRUE(std::isnan(v));
    EXPECT_EQ(ClassifyToken("ZXYI", v), TokenKind::kWord);
    EXPECT_EQ(ClassifyToken("information", v), TokenKind::kWord);  // starts like "inf"
}

std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> out;
    LineCursor c(text);
    std::string_view line;
    while (c.Next(line)) out.emplace_back(line);
    return out;
}

TEST(LineCursor, LfCrlfAndLoneCrEndLinesAlike)
{
    const std::vector<std::string> expected = {"a 1", "", "b 2", "c"};
    EXPECT_EQ(Lines("a 1\n\nb 2\nc"), expected);
    EXPECT_EQ(Lines("a 1\r\n\r\nb 2\r\nc\r\n"), expected);
    EXPECT_EQ(Lines("a 1\r\rb 2\rc\r"), expected);
    EXPECT_EQ(Lines("a 1\r\n\nb 2\rc"), expected);
}

TEST(LineCursor, CountsLinesFromTheGivenNumber)
{
    LineCursor c("x\r\ny\rz", 10);
    std::string_view line;
    int last = 0;
    while (c.Next(line)) last = c.LineNumber();
    EXPECT_EQ(last, 12);
}

TEST(TokenCursor, SplitsAtBlanksTabsAndCommas)
{
    TokenCursor t(" 1.0\t2,3 ,, 4 ");
    std::vector<std::string> got;
    std::string_view token;
    while (t.Next(token)) got.emplace_back(token);
    EXPECT_EQ(got, (std::vector<std::string>{"1.0", "2", "3", "4"}));
}

TEST(Utf8, ValidUtf8IsKeptAndLatin1IsConverted)
{
    EXPECT_EQ(ToUtf8("54\xC2\xB0 44'"), "54\xC2\xB0 44'");  // UTF-8 degree sign
    EXPECT_EQ(ToUtf8("54\xB0 44'"), "54\xC2\xB0 44'");      // Latin-1 degree sign
    EXPECT_EQ(ToUtf8("caf\xC3"), "caf\xC3\x83");            // a sequence cut off is not UTF-8
    EXPECT_EQ(ToUtf8("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xC2\x80");  // a surrogate is not either
}

struct AngleCase {
    const char* text;
    bool parses;
    double degrees;
};

void PrintTo(const AngleCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class EdiAngles : public testing::TestWithParam<AngleCase> {};

TEST_P(EdiAngles, ReadDmsDecimalAndHemispheres)
{
    const auto& c = GetParam();
    const auto v = ParseEdiAngle(c.text);
    ASSERT_EQ(v.has_value(), c.parses) << c.text;
    // Inputs carry at most 4 decimals of seconds: 1e-9° is far below that and far above
    // double rounding.
    if (c.parses) {
        EXPECT_NEAR(*v, c.degrees, 1e-9) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, EdiAngles,
    testing::Values(AngleCase{"-19:25:58.74", true, -(19 + 25 / 60.0 + 58.74 / 3600.0)},
                    AngleCase{"139:11:19.1", true, 139 + 11 / 60.0 + 19.1 / 3600.0},
                    AngleCase{"-0:30:00", true, -0.5},       // the sign of a zero degree field
                    AngleCase{"45:10:60.00", true, 45 + 11 / 60.0},  // 60.00 seconds occur
                    AngleCase{"45.931", true, 45.931}, AngleCase{"22:22:14.9S", true, -(22 + 22 / 60.0 + 14.9 / 3600.0)},
                    AngleCase{"6.5 W", true, -6.5}, AngleCase{"10:30", true, 10.5},
                    AngleCase{"10:60:00", false, 0}, AngleCase{"10:-5:00", false, 0},
                    AngleCase{"1:2:3:4", false, 0}, AngleCase{"north", false, 0}, AngleCase{"", false, 0}));

TEST(EdiMissing, LargeMarksMatchFromBelowAndSmallMarksAsValues)
{
    for (const double v : {1e32, 1.0e32 * 0.995, -1e32, 1e33}) EXPECT_TRUE(IsEdiMissing(v, 1e32)) << v;
    EXPECT_FALSE(IsEdiMissing(0.98e32, 1e32));
    EXPECT_FALSE(IsEdiMissing(0.0, 1e32));  // zero is a value, never the mark
    EXPECT_TRUE(IsEdiMissing(-999.0, -999.0));
    EXPECT_FALSE(IsEdiMissing(-998.0, -999.0));
    EXPECT_TRUE(IsEdiMissing(1e32, -999.0));  // the standard's mark holds whatever EMPTY says
    EXPECT_TRUE(IsEdiMissing(std::nan(""), 1e32));
}

}  // namespace
