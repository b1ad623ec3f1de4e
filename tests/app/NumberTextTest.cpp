#include "NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
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

TEST(NumberTextParse, RejectsAnythingElseNamingTheText)
{
    const char* const texts[] = {"",    " ",  "abc", "1x",   "1.2.3", "1e",   "inf",
                                 "nan", "0x10", "--1", "1,5", "1e400", "1e39", "+-2"};
    for (const char* text : texts) {
        try {
            ParseFloat(text);
            ADD_FAILURE() << "accepted “" << text << "”";
        } catch (const InputError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("“") + text + "”"), std::string::npos)
                << e.what();
        }
    }
}

TEST(NumberTextParse, IntegersAreStrict)
{
    EXPECT_EQ(ParseInt("3"), 3);
    EXPECT_EQ(ParseInt(" 12 "), 12);
    EXPECT_EQ(ParseInt("+5"), 5);
    EXPECT_EQ(ParseInt("-7"), -7);
    for (const char* text : {"", "x", "3.0", "1e2", "+-1", "99999999999", "0x10"}) {
        EXPECT_THROW(ParseInt(text), InputError) << text;
    }
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
