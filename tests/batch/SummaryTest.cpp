// summary.csv: its columns, quoting, the row of a fit and of a failure, and reading it back.

#include "batch/BatchError.h"
#include "batch/Summary.h"

#include <gtest/gtest.h>

namespace {

using namespace mt1d::batch;

mt1d::jobs::FitRecord Record(mt1d::fitting::FitStatus status, bool target)
{
    mt1d::jobs::FitRecord record;
    record.site.name = "IAJ34";
    record.site.sourceFile = "ignored: the row takes the plan's file";
    record.site.latitudeDeg = 43.341153;
    record.site.longitudeDeg = -95.959058;
    record.curve.mode = mt1d::sounding::Mode::kBerd;
    record.settings.method = mt1d::fitting::Method::kOccam;
    record.report.status = status;
    record.report.rms = 0.1 + 0.2;  // 0.30000000000000004: the shortest text that reads back
    record.report.iterations = 7;
    record.report.targetReached = target;
    record.report.message = "the misfit stopped\nfalling at 1.3";
    record.report.depthOfInvestigationM = 12345.5;
    record.dims = mt1d::jobs::DimsSummary{{}, 30, 12, 0.4, 37.25, 2.5};
    return record;
}

TEST(SummaryCsv, HasTheColumnsInOrderAndOneLinePerRow)
{
    const std::string text = SummaryCsv({FailedRow("a", "a.edi", "x"), FailedRow("b", "b.edi", "y")});
    EXPECT_EQ(text,
              "site,file,latitude,longitude,elevation,mode,method,rms,iterations,target_reached,"
              "depth_of_investigation_m,one_d_fraction,strike_deg,status\n"
              "a,a.edi,,,,,,,,,,,,x\n"
              "b,b.edi,,,,,,,,,,,,y\n");
}

TEST(SummaryRow, OfAFitThatReachedItsGoalSaysOkWithEveryValueReadingBack)
{
    const SummaryRow row = FitRow("IAJ34-2", "edi/IAJ34.edi", Record(mt1d::fitting::FitStatus::kTargetReached, true));
    EXPECT_EQ(SummaryLine(row),
              "IAJ34-2,edi/IAJ34.edi,43.341153,-95.959058,,berd,occam,0.30000000000000004,7,true,12345.5,0.4,37.25,ok");
    EXPECT_TRUE(row.Ok());
    // A sounding without a tensor has neither the share of 1-D rows nor a strike.
    mt1d::jobs::FitRecord noTensor = Record(mt1d::fitting::FitStatus::kTargetReached, true);
    noTensor.dims.reset();
    const SummaryRow bare = FitRow("s", "s.edi", noTensor);
    EXPECT_EQ(bare.oneDFraction, "");
    EXPECT_EQ(bare.strikeDeg, "");
}

TEST(SummaryRow, OfAFitShortOfItsGoalGivesTheStatusAndMessageOnOneLine)
{
    const SummaryRow row = FitRow("s", "s.edi", Record(mt1d::fitting::FitStatus::kTargetNotReached, false));
    EXPECT_EQ(row.status, "target-not-reached: the misfit stopped falling at 1.3");
    EXPECT_EQ(row.targetReached, "false");
    EXPECT_FALSE(row.Ok());
    // A layered fit that settled is ok whether or not it reached the target RMS.
    EXPECT_TRUE(FitRow("s", "s.edi", Record(mt1d::fitting::FitStatus::kConverged, false)).Ok());
    EXPECT_FALSE(FitRow("s", "s.edi", Record(mt1d::fitting::FitStatus::kMaxIterations, true)).Ok());
}

TEST(SummaryCsv, QuotesFieldsWithCommasQuotesAndKeepsFailuresOnOneLine)
{
    const SummaryRow row = FailedRow("s", "my data, 2024/s.edi", "cannot read: s.edi, line 3: \"ZXYR\"\r\nexpected");
    EXPECT_EQ(SummaryLine(row), "s,\"my data, 2024/s.edi\",,,,,,,,,,,,\"cannot read: s.edi, line 3: \"\"ZXYR\"\"  expected\"");
}

TEST(ParseSummaryCsv, ReadsBackWhatWasWritten)
{
    const std::vector<SummaryRow> rows = {
        FitRow("IAJ34", "a,b.edi", Record(mt1d::fitting::FitStatus::kTargetReached, true)),
        FailedRow("x", "\"quoted\".edi", "no data for mode xy (the file's modes: det, berd)"),
        FailedRow("y", "y.edi", kStatusCancelled)};
    EXPECT_EQ(ParseSummaryCsv(SummaryCsv(rows), "summary.csv"), rows);
    EXPECT_TRUE(ParseSummaryCsv(SummaryCsv({}), "summary.csv").empty());
}

TEST(ParseSummaryCsv, ReadsSummariesWrittenBeforeTheDimensionalityColumns)
{
    const std::string old = std::string(kSummaryHeaderWithoutDims) +
                            "\nIAJ34,a.edi,43.3,-95.9,,det,occam,0.9,4,true,12345.5,ok\n";
    const std::vector<SummaryRow> rows = ParseSummaryCsv(old, "summary.csv");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].depthOfInvestigationM, "12345.5");
    EXPECT_EQ(rows[0].oneDFraction, "");
    EXPECT_EQ(rows[0].strikeDeg, "");
    EXPECT_EQ(rows[0].status, "ok");
    // Rows must have the old header's field count under the old header.
    EXPECT_THROW(ParseSummaryCsv(std::string(kSummaryHeaderWithoutDims) + "\na,a.edi,,,,,,,,,,,,ok\n", "s.csv"),
                 BatchError);
}

TEST(ParseSummaryCsv, RefusesOtherFilesNamingTheLine)
{
    const std::string header = std::string(kSummaryHeader) + "\n";
    const struct {
        std::string text;
        std::string where;
    } cases[] = {
        {"", "summary.csv: empty"},
        {"site,file\n", "line 1"},
        {header + "a,a.edi,,,,,,,,,,,,ok\na,a.edi,,,,,,,,,,,ok\n", "line 3: 13 fields"},
        {header + "a,\"a.edi,,,,,,,,,,,,,ok\n", "line 2"},
        {header + "a,\"a\"x.edi,,,,,,,,,,,,ok\n", "line 2"},
    };
    for (const auto& c : cases) {
        try {
            ParseSummaryCsv(c.text, "summary.csv");
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const BatchError& e) {
            EXPECT_NE(std::string(e.what()).find(c.where), std::string::npos) << e.what();
        }
    }
}

}  // namespace
