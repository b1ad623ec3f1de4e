#include "classic/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

using namespace mt1d;

namespace {

struct FormatCase {
    double value;
    std::string (*format)(double);
    const char* expected;
};

std::string Listing(double v) { return FormatListing(v); }
std::string Misfit(double v) { return FormatMisfit(v); }
std::string Fixed(double v) { return FormatFixed1(v); }

TEST(NumberTextFormat, PatternsGiveTheDisplayedTexts)
{
    const FormatCase cases[] = {
        {1e-4, Listing, "1.0E-04"},
        {static_cast<float>(1.5848931924611136e-4), Listing, "1.6E-04"},  // second frequency
        {-0.7853981633974483, Listing, "-7.9E-01"},                         // −π/4
        {1.0, Listing, "1.0E+00"},
        {1e4, Listing, "1.0E+04"},
        {9.96, Listing, "1.0E+01"},  // rounding carries into the exponent
        {2.5, Misfit, "2.50E+00"},
        {0.0, Misfit, "0.00E+00"},
        {0.000123, Misfit, "1.23E-04"},
        {1000.0, Fixed, "1000.0"},
        {12.34, Fixed, "12.3"},
        {0.04, Fixed, "0.0"},
        {static_cast<float>(0.16), Fixed, "0.2"},
        {-0.04, Fixed, "0.0"},  // no "-0.0"
        {1e7, Fixed, "10000000.0"},  // no digit grouping
    };
    for (const FormatCase& c : cases) {
        EXPECT_EQ(c.format(c.value), c.expected) << "value " << c.value;
    }
}

TEST(NumberTextParse, AcceptsCompleteDecimalNumbers)
{
    const struct {
        const char* text;
        float value;
    } cases[] = {
        {"1000", 1000.0f}, {" 12 ", 12.0f}, {"+5", 5.0f},     {"-1.5e3", -1500.0f},
        {"1.0E-04", 1e-4f}, {"0.5", 0.5f},  {"\t7\t", 7.0f}, {"2.", 2.0f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseFloat(c.text), c.value) << c.text;
    }
}

// Expects `parse(text)` to throw InputError whose message names the text and says `why`.
template <typename Parse>
void ExpectRejected(Parse parse, const std::string& text, const std::string& why)
{
    try {
        parse(text);
        ADD_FAILURE() << "accepted “" << text << "”";
    } catch (const InputError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("“" + text + "”"), std::string::npos) << message;
        EXPECT_NE(message.find("'" + text + "' is " + why), std::string::npos) << message;
    }
}

TEST(NumberTextParse, RejectsAnythingElseNamingTheText)
{
    for (const char* text : {"", " ", "abc", "1x", "1.2.3", "1e", "inf", "nan", "0x10", "--1", "1,5", "+-2"}) {
        ExpectRejected(ParseFloat, text, "not a valid number");
    }
}

// The float nearest the number; a number that would round to infinity, or a non-zero one that
// would round to zero, is out of range rather than invalid.
TEST(NumberTextParse, FloatRangeEndsWhereRoundingWouldGiveInfinityOrZero)
{
    const float max = std::numeric_limits<float>::max();
    EXPECT_EQ(ParseFloat("3.4028235e+38"), max);  // the largest float as the tool prints it
    EXPECT_EQ(ParseFloat("-3.4028235e38"), -max);
    EXPECT_EQ(ParseFloat("3.40282356e38"), max);  // below max + half an ulp: rounds down
    EXPECT_EQ(ParseFloat("1.4e-45"), std::numeric_limits<float>::denorm_min());
    EXPECT_EQ(ParseFloat("0e-999"), 0.0f);
    for (const char* text : {"3.4028236e38", "1e39", "-1e39", "1e400", "1e-46", "-1e-50", "1e-400"}) {
        ExpectRejected(ParseFloat, text, "out of range");
    }
}

TEST(NumberTextParse, IntegersAreStrict)
{
    EXPECT_EQ(ParseInt("3"), 3);
    EXPECT_EQ(ParseInt(" 12 "), 12);
    EXPECT_EQ(ParseInt("+5"), 5);
    EXPECT_EQ(ParseInt("-7"), -7);
    EXPECT_EQ(ParseInt("2147483647"), 2147483647);
    for (const char* text : {"", "x", "3.0", "1e2", "+-1", "0x10"}) {
        ExpectRejected(ParseInt, text, "not a valid integer");
    }
    for (const char* text : {"2147483648", "99999999999", "-2147483649"}) {
        ExpectRejected(ParseInt, text, "out of range");
    }
}

// A message quotes at most 40 characters of what was typed, each printable.
TEST(NumberTextExcerpt, QuotesAShortPrintableExcerpt)
{
    const struct {
        std::string text;
        std::string excerpt;
    } cases[] = {
        {"abc", "abc"},
        {std::string(40, 'x'), std::string(40, 'x')},
        {std::string(41, 'x'), std::string(40, 'x') + "…"},
        {"a\nb\tc\rd", "a\\nb\\tc\\rd"},
        {std::string("a\0b", 3) + "\x1b[31m\x7f", "a\\x00b\\x1b[31m\\x7f"},
        {"电阻率", "电阻率"},                       // UTF-8 kept, counted as characters
        {std::string(40, 'x') + "电", std::string(40, 'x') + "…"},
        {std::string(39, 'x') + "电阻", std::string(39, 'x') + "电…"},
        {"\xff\xc3(\xe2\x82", "\\xff\\xc3(\\xe2\\x82"},  // not UTF-8: escaped
        {"\xc0\xaf", "\\xc0\\xaf"},                         // overlong '/'
    };
    for (const auto& c : cases) EXPECT_EQ(Excerpt(c.text), c.excerpt) << c.excerpt;
}

TEST(NumberTextExcerpt, RefusalOfAHugeTextStaysShort)
{
    const std::string huge(130000, '7');
    std::string bad = huge + "x\n";
    try {
        ParseFloat(bad);
        ADD_FAILURE() << "accepted";
    } catch (const InputError& e) {
        // Two excerpts of 40 characters and the words around them.
        EXPECT_LT(std::string(e.what()).size(), 200u);
    }
}

TEST(NumberTextFormat, LimitsHaveABareExponent)
{
    EXPECT_EQ(FormatLimit(1e-4f), "1e-4");
    EXPECT_EQ(FormatLimit(1e8f), "1e8");
    EXPECT_EQ(FormatLimit(1.0f), "1");
    EXPECT_EQ(FormatLimit(2500.0f), "2.5e3");
    EXPECT_EQ(FormatLimit(-1e-12f), "-1e-12");
}

// Restores the C locale however the test ends.
struct LocaleGuard {
    ~LocaleGuard() { std::setlocale(LC_ALL, "C"); }
};

TEST(NumberTextLocale, DecimalPointWhateverTheLocale)
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
    EXPECT_EQ(FormatFixed1(12.34), "12.3");
    EXPECT_EQ(FormatMisfit(2.5), "2.50E+00");
    EXPECT_EQ(ParseFloat("1.5"), 1.5f);
    EXPECT_THROW(ParseFloat("1,5"), InputError);
}

}  // namespace
