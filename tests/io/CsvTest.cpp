// CSV as every file of this program is read: quoting as the writers quote, line numbers, and
// refusals naming the line.

#include "io/Csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace mt1d::io;
using Records = std::vector<std::vector<std::string>>;

Records Fields(const std::vector<CsvRecord>& records, std::vector<std::size_t>* lines = nullptr)
{
    Records out;
    for (const CsvRecord& r : records) {
        out.push_back(r.fields);
        if (lines) lines->push_back(r.line);
    }
    return out;
}

TEST(ParseCsvTest, QuotedFieldsKeepCommasQuotesAndLineBreaks)
{
    const std::string text = "a,b,c\n\"x, y\",\"say \"\"hi\"\"\",\"two\nlines\"\r\n,,\n";
    std::vector<std::size_t> lines;
    const Records records = Fields(ParseCsv(text, "s.csv"), &lines);
    EXPECT_EQ(records, (Records{{"a", "b", "c"}, {"x, y", "say \"hi\"", "two\nlines"}, {"", "", ""}}));
    // The third record starts on line 4: the quoted line break counts.
    EXPECT_EQ(lines, (std::vector<std::size_t>{1, 2, 4}));
}

TEST(ParseCsvTest, BlankLinesAndAMissingFinalLineBreakAreHarmless)
{
    EXPECT_EQ(Fields(ParseCsv("a,b\n\n1,2", "s.csv")), (Records{{"a", "b"}, {"1", "2"}}));
}

TEST(ParseCsvTest, RefusesAnOpenQuoteOrTextAfterAClosingOneNamingTheLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a,b\n\"open,2\n", "s.csv, line 2: a quoted field is never closed"},
        {"a,b\n\"x\"y,2\n", "s.csv, line 2: text after a closing quote"},
    };
    for (const auto& [text, expected] : cases) {
        try {
            ParseCsv(text, "s.csv");
            FAIL() << "accepted: " << text;
        } catch (const CsvError& e) {
            EXPECT_EQ(std::string(e.what()), expected);
        }
    }
}

TEST(CsvFieldTest, QuotesOnlyWhatNeedsItAndReadsBack)
{
    const std::vector<std::string> fields = {"plain", "a,b", "say \"hi\"", "two\nlines", ""};
    EXPECT_EQ(CsvLine(fields), "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",");
    EXPECT_EQ(Fields(ParseCsv(CsvLine(fields) + "\n", "t.csv")), Records{fields});
}

}  // namespace
