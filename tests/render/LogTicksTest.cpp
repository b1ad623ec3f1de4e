// Which values a log axis labels, over a table of ranges and lengths on screen (render/LogTicks.h).

#include "render/LogTicks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <tuple>

namespace mt1d::render {
namespace {

// The value a label reads as, the way a user reads "2e-5" (drawn 2·10⁻⁵) or "0.05".
double ReadLabel(const std::string& label) { return std::strtod(label.c_str(), nullptr); }

// Range (decades, starting power of ten with a fractional offset), length, orientation.
using TickCase = std::tuple<double, double, double, bool>;

class LogTickTable : public testing::TestWithParam<TickCase> {};

TEST_P(LogTickTable, LabelsAreDistinctTwoOrMoreInsideAndEveryDecadeWhenDecadesAreLabelled)
{
    const auto [decades, start, length, horizontal] = GetParam();
    const double lower = std::pow(10.0, start), upper = std::pow(10.0, start + decades);
    LogTickRoom room;
    room.lengthPx = length;
    room.horizontal = horizontal;
    const LogTickChoice choice = ChooseLogTicks(lower, upper, room);

    ASSERT_GE(choice.labelled.size(), 2u);
    std::set<std::string> texts;
    for (std::size_t i = 0; i < choice.labelled.size(); ++i) {
        const LogTick& tick = choice.labelled[i];
        EXPECT_TRUE(texts.insert(tick.label).second) << "label " << tick.label << " twice";
        // Inside the range (a relative 1e-9 of slack at the ends, the tolerance of the choice).
        EXPECT_GE(tick.value, lower * (1 - 1e-9));
        EXPECT_LE(tick.value, upper * (1 + 1e-9));
        // The text says the value: labels carry one or two significant digits, printed exactly.
        EXPECT_NEAR(ReadLabel(tick.label), tick.value, 1e-9 * tick.value) << tick.label;
        if (i > 0) {
            EXPECT_LT(choice.labelled[i - 1].value, tick.value);
        }
    }
    // Where whole decades (or finer sets that hold 1) are labelled, no decade inside the range
    // is left without its label.
    if (choice.decadeStep <= 1) {
        for (int k = static_cast<int>(std::ceil(start - 1e-9)); k <= std::floor(start + decades + 1e-9); ++k) {
            const double decade = std::pow(10.0, k);
            bool found = false;
            for (const LogTick& tick : choice.labelled) found = found || std::abs(tick.value / decade - 1.0) < 1e-9;
            EXPECT_TRUE(found) << "decade 1e" << k << " unlabelled";
        }
    }
    // Density follows the length: neighbours leave the room their texts need, except where
    // two labels are all the axis can hold.
    if (choice.labelled.size() > 2) {
        const double pxPerDecade = length / decades;
        for (std::size_t i = 1; i < choice.labelled.size(); ++i) {
            const auto& a = choice.labelled[i - 1];
            const auto& b = choice.labelled[i];
            EXPECT_GE(std::log10(b.value / a.value) * pxPerDecade + 1e-9, LabelSpacingNeeded(a.label, b.label, room))
                << a.label << " and " << b.label << " overlap at " << length << " px";
        }
    }
}

// Starts with a fraction (−3.3, 0.15) so that decades fall inside, at the ends and nowhere.
INSTANTIATE_TEST_SUITE_P(RangesAndLengths, LogTickTable,
                         testing::Combine(testing::Values(0.5, 1.0, 2.0, 3.0, 5.0, 8.0, 12.0),
                                          testing::Values(-3.3, -3.0, 0.15, 1.0, 4.6),
                                          testing::Values(150.0, 300.0, 600.0, 1200.0), testing::Bool()));

// Short axes label fewer values than long ones over the same range.
TEST(LogTicks, ALongerAxisLabelsAtLeastAsManyValues)
{
    for (double decades : {0.5, 2.0, 6.0, 12.0}) {
        std::size_t before = 0;
        for (double length : {150.0, 300.0, 600.0, 1200.0}) {
            LogTickRoom room;
            room.lengthPx = length;
            const std::size_t n = ChooseLogTicks(0.01, 0.01 * std::pow(10.0, decades), room).labelled.size();
            EXPECT_GE(n, before) << decades << " decades at " << length << " px";
            before = n;
        }
    }
}

// Decades at the very ends of a range that misses them by rounding (a range set to 0.001 comes
// back from the axis's pixel round trip a relative 1e-12 off): they keep their labels.
TEST(LogTicks, KeepsADecadeAtTheExactEndOfTheRange)
{
    const LogTickChoice choice = ChooseLogTicks(0.001 * (1 + 1e-12), 1000.0 * (1 - 1e-12), LogTickRoom{});
    ASSERT_FALSE(choice.labelled.empty());
    EXPECT_EQ(choice.labelled.front().label, "0.001");
    EXPECT_EQ(choice.labelled.back().label, "1000");
}

TEST(LogTicks, RangesTooNarrowForAnyMantissaStillGetTwoDistinctLabels)
{
    for (const auto& [lower, upper] : {std::pair{2.01, 2.09}, {1.0001, 1.0002}, {4.2e-7, 4.3e-7}}) {
        const LogTickChoice choice = ChooseLogTicks(lower, upper, LogTickRoom{});
        ASSERT_EQ(choice.labelled.size() >= 2, true) << lower;
        EXPECT_NE(choice.labelled[0].label, choice.labelled[1].label);
    }
}

TEST(LogTicks, NoLabelsForRangesThatAreNotPositive)
{
    EXPECT_TRUE(ChooseLogTicks(0.0, 10.0, LogTickRoom{}).labelled.empty());
    EXPECT_TRUE(ChooseLogTicks(10.0, 1.0, LogTickRoom{}).labelled.empty());
    EXPECT_TRUE(ChooseLogTicks(1.0, HUGE_VAL, LogTickRoom{}).labelled.empty());
}

}  // namespace
}  // namespace mt1d::render
