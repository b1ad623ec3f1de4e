#include "tests/cli/CliRun.h"
#include "classic/Commands.h"
#include "tests/cli/CsvReader.h"
#include "tests/classic/WholeRunExpectations.h"

#include <gtest/gtest.h>

#include <memory>

using namespace cli_testing;

namespace {

// The outcomes of `presses` presses of the inversion button after start-up.
std::vector<mt1d::InversionOutcome> WindowInversions(int source, int method, int presses,
                                                     const std::vector<mt1d::BoundsRow>& bounds = {})
{
    auto store = std::make_unique<mt1d::ModelStore>();
    mt1d::RunForward(*store, "3", mt1d::DefaultTable());
    if (!bounds.empty()) mt1d::ApplyBoundsTable(*store, bounds);
    std::vector<mt1d::InversionOutcome> outcomes;
    for (int k = 0; k < presses; ++k) outcomes.push_back(mt1d::RunInversion(*store, source, method));
    return outcomes;
}

// The classic guide's example (docs/guide/classic.md): the report of one press, the layers found again.
TEST(CliInvert, PrintsTheReportOfOnePress)
{
    const ProgramRun run = RunMt1d({"invert", "--source", "res", "--method", "svd"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "模型迭代步长过小。反演完成！\n\n\t反演结果\n\n拟合情况：\n迭代次数：5\n拟 合 差：1.81E-07\n\n"
              "模型参数：\n#      Res       H\n1   1000.0   500.0\n2   10.0   500.0\n3   1000.0   20.0\n");
    EXPECT_EQ(RunMt1d({"invert"}).out, run.out);
}

TEST(CliInvert, RepeatedPressesAreSeparatedByABlankLine)
{
    const ProgramRun run = RunMt1d({"invert", "--source", "phase", "--method", "svd", "--repeat", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto window = WindowInversions(mt1d::kSourcePhase, mt1d::kMethodSvd, 2);
    EXPECT_NE(window[0].report, window[1].report);  // the second run went on from the first
    EXPECT_EQ(run.out, window[0].report + "\n" + window[1].report);
}

TEST(CliInvert, BoundsReplaceTheDefaultsInDialogOrder)
{
    const ProgramRun run = RunMt1d({"invert", "--source", "both", "--method", "constrained", "--bounds",
                                    "1000:1000,100:1000,5:20,100:1000,100:5000,10:50"});
    const auto window = WindowInversions(mt1d::kSourceBoth, mt1d::kMethodConstrained, 1,
                                         {{"1000", "1000", "100", "1000"},
                                          {"5", "20", "100", "1000"},
                                          {"100", "5000", "10", "50"}});
    EXPECT_EQ(run.out, window[0].report);
    EXPECT_EQ(run.status, window[0].summary.succeeded ? 0 : 1) << run.err;
}

TEST(CliInvert, CsvHasTheDataAndOneRowPerResultLayer)
{
    const ProgramRun run = RunMt1d({"invert", "--repeat", "2", "--format", "csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto tables = CsvTables(ParseCsv(run.out));
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].size(), 42u);
    const auto& results = tables[1];
    ASSERT_EQ(results.size(), 7u);
    EXPECT_EQ(results[0], (CsvRecord{"run", "iterations", "misfit", "succeeded", "message", "layer",
                                     "resistivity_ohm_m", "thickness_m"}));
    const auto window = WindowInversions(mt1d::kSourceAppRes, mt1d::kMethodSvd, 2);
    for (std::size_t r = 1; r < results.size(); ++r) {
        ASSERT_EQ(results[r].size(), 8u);
        const std::size_t press = (r - 1) / 3;
        const std::size_t layer = (r - 1) % 3;
        EXPECT_EQ(results[r][0], std::to_string(press + 1));
        EXPECT_EQ(results[r][1], std::to_string(window[press].summary.iterations));
        EXPECT_EQ(std::stof(results[r][2]), window[press].summary.misfit);
        EXPECT_EQ(results[r][3], "true");
        EXPECT_EQ(results[r][4], window[press].message);
        EXPECT_EQ(results[r][5], std::to_string(layer + 1));
    }
    EXPECT_EQ(results[3][7], "20");  // the half-space's start thickness, no parameter
}

// Every run of the JSON output against the pinned whole runs (WholeRunExpectations.h).
TEST(CliInvert, JsonHoldsEveryRunWithItsEnding)
{
    for (const int method : {mt1d::kMethodSvd, mt1d::kMethodConstrained}) {
        const std::string name = method == mt1d::kMethodSvd ? "svd" : "constrained";
        const ProgramRun run = RunMt1d({"invert", "--source", "both", "--method", name, "--repeat", "2",
                                        "--format", "json"});
        const auto doc = ParseJson(run.out);
        EXPECT_EQ(doc["source"], "both");
        EXPECT_EQ(doc["method"], name);
        EXPECT_EQ(doc["response"].size(), 41u);
        const auto window = WindowInversions(mt1d::kSourceBoth, method, 2);
        const auto& runs = doc["inversions"];
        ASSERT_EQ(runs.size(), 2u);
        bool failed = false;
        for (std::size_t k = 0; k < 2; ++k) {
            const mt::RunSummary& summary = window[k].summary;
            EXPECT_EQ(runs[k]["run"], k + 1);
            EXPECT_EQ(runs[k]["ending"], mt::EndingName(summary.ending));
            EXPECT_EQ(runs[k]["message"], window[k].message);  // Chinese survives
            EXPECT_EQ(runs[k]["report"], window[k].report);    // so do "\n" and "\t"
            EXPECT_EQ(runs[k]["iterations"], summary.iterations);
            EXPECT_EQ(runs[k]["misfit"].get<float>(), summary.misfit);
            EXPECT_EQ(runs[k]["succeeded"], summary.succeeded);
            ASSERT_EQ(runs[k]["model"].size(), 3u);
            EXPECT_EQ(runs[k]["model"][2]["thickness"], 20);
            failed = failed || !summary.succeeded;
        }
        EXPECT_EQ(run.status, failed ? 1 : 0) << name;
    }
}

// A run whose engine reports failure exits 1 and names the run on standard error; whatever
// was computed is still printed, and no result is ever INF or NaN.
TEST(CliInvert, FailedRunExitsOneWithFiniteResults)
{
    const struct {
        std::vector<std::string> args;
        const char* ending;
    } cases[] = {
        // The default constrained runs end at the attempt limit (pinned in WholeRunTest), in
        // every format. (A step that overflows the model is a rejected trial, not the end of
        // a run: the engine's own tests walk that.)
        {{"invert", "--method", "constrained"}, "attempt_limit"},
        {{"invert", "--method", "constrained", "--format", "json"}, "attempt_limit"},
        {{"invert", "--method", "constrained", "--format", "csv"}, "attempt_limit"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunMt1d(c.args);
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(std::string("run 1 ended without success: ") + c.ending), std::string::npos)
            << run.err;
        EXPECT_FALSE(run.out.empty());
        for (const char* bad : {"INF", "NAN", "inf", "nan", "null"}) {
            EXPECT_EQ(run.out.find(bad), std::string::npos) << bad;
        }
    }
}

TEST(CliInvert, RepeatIsCappedAtOneThousand)
{
    const ProgramRun most = RunMt1d({"invert", "--model", "100", "--repeat", "1000", "--format", "csv"});
    ASSERT_EQ(most.status, 0) << most.err;
    EXPECT_EQ(CsvTables(ParseCsv(most.out))[1].size(), 1001u);  // heading and one row per run
    for (const char* count : {"1001", "2147483647", "2147483648"}) {
        const ProgramRun run = RunMt1d({"invert", "--repeat", count});
        EXPECT_EQ(run.status, 2) << count;
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("--repeat takes an integer from 1 to 1000"), std::string::npos) << run.err;
    }
}

// An output stream that remembers what it held each time it was flushed.
class FlushLog : public std::stringbuf {
public:
    std::vector<std::string> flushed;

protected:
    int sync() override
    {
        flushed.push_back(str());
        return 0;
    }
};

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// Each run is written and flushed as soon as it has finished, in every format: at the k-th
// flush the output holds k runs, no more.
TEST(CliInvert, WritesEachRunAsItFinishes)
{
    const struct {
        const char* format;
        std::string perRun;  // appears once per run
        std::size_t times;   // … this many times
    } formats[] = {{"text", "迭代次数：", 1}, {"csv", ",true,", 3}, {"json", "\"run\": ", 1}};
    for (const auto& f : formats) {
        FlushLog log;
        std::ostream out(&log);
        std::ostringstream err;
        ASSERT_EQ(mt1d::cli::Main({"invert", "--repeat", "3", "--format", f.format}, out, err), 0) << err.str();
        ASSERT_GE(log.flushed.size(), 3u) << f.format;
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(Count(log.flushed[k], f.perRun), (k + 1) * f.times) << f.format << " flush " << k + 1;
        }
    }
}

}  // namespace
