// The batch summary read back: CSV quoting as the writers quote, and refusals naming the line.

#include "section/SummaryCsv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace mt1d::section;

TEST(ParseSummaryTest, RowsByColumnNameWithTheirLines)
{
    const auto rows = ParseSummary("site,status,rms\nA,ok,0.9\n\nB,\"no data, none\",\n", "summary.csv");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Field("site"), "A");
    EXPECT_EQ(rows[0].Field("rms"), "0.9");
    EXPECT_EQ(rows[1].Field("status"), "no data, none");
    EXPECT_EQ(rows[1].line, 4u);
    EXPECT_EQ(rows[1].Field("latitude"), "");
}

class SummaryRefusalTest : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(SummaryRefusalTest, NamesTheFileTheLineAndTheProblem)
{
    const auto [text, expected] = GetParam();
    try {
        ParseSummary(text, "summary.csv");
        FAIL() << "accepted: " << text;
    } catch (const SurveyError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("summary.csv"), std::string::npos) << message;
        EXPECT_NE(message.find(expected), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bad, SummaryRefusalTest,
    ::testing::Values(std::pair{"", "empty"}, std::pair{"name,status\nA,ok\n", "no column \"site\""},
                      std::pair{"site,rms\nA,1\n", "no column \"status\""},
                      std::pair{"site,status\nA,ok\nB,ok,extra\n", "line 3: 3 fields, the header names 2"},
                      std::pair{"site,status\nA,\"ok\n", "line 2: a quoted field is never closed"},
                      std::pair{"site,status\nA,\"ok\"x\n", "line 2: text after a closing quote"}));

}  // namespace
