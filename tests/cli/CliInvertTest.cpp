#include "Commands.h"
#include "CsvReader.h"
#include "JsonReader.h"
#include "RunProgram.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>

using namespace cli_testing;

namespace {

const std::vector<mt1d::LayerText> kDefaultTable = {{"1000", "500"}, {"10", "500"}, {"1000", "100"}};

// The reports of `presses` presses of the inversion button after start-up.
std::vector<mt1d::InversionOutcome> WindowInversions(int source, int method, int presses,
                                                     const std::vector<mt1d::BoundsRow>& bounds = {})
{
    auto store = std::make_unique<mt1d::ModelStore>();
    mt1d::RunForward(*store, "3", kDefaultTable);
    if (!bounds.empty()) mt1d::ApplyBoundsTable(*store, bounds);
    std::vector<mt1d::InversionOutcome> outcomes;
    for (int k = 0; k < presses; ++k) outcomes.push_back(mt1d::RunInversion(*store, source, method));
    return outcomes;
}

TEST(CliInvert, PrintsTheReportOfOnePress)
{
    const ProgramRun run = RunMt1d({"invert"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto window = WindowInversions(mt1d::kSourceAppRes, mt1d::kMethodSvd, 1);
    EXPECT_EQ(run.out, window[0].report);
    // Synthetic data of the default model: the singular value run finds the model again.
    EXPECT_EQ(run.out.rfind("模型迭代步长过小。反演完成！\n\n\t反演结果\n", 0), 0u) << run.out;
    const std::regex layerLine("\\d+   \\d+\\.\\d   \\d+\\.\\d\n");
    const auto lines = std::distance(std::sregex_iterator(run.out.begin(), run.out.end(), layerLine),
                                     std::sregex_iterator());
    EXPECT_EQ(lines, 3);
    EXPECT_NE(run.out.find("1   1000.0   500.0\n2   10.0   500.0\n3   1000.0   20.0\n"),
              std::string::npos);
}

TEST(CliInvert, RepeatedPressesAreSeparatedByABlankLine)
{
    const ProgramRun run = RunMt1d({"invert", "--source", "phase", "--method", "constrained", "--repeat", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto window = WindowInversions(mt1d::kSourcePhase, mt1d::kMethodConstrained, 2);
    EXPECT_NE(window[0].report, window[1].report);  // the second run went on from the first
    EXPECT_EQ(run.out, window[0].report + "\n" + window[1].report);
}

TEST(CliInvert, BoundsReplaceTheDefaultsInDialogOrder)
{
    const ProgramRun run = RunMt1d({"invert", "--source", "both", "--method", "constrained", "--bounds",
                                    "1000:1000,100:1000,5:20,100:1000,100:5000,10:50"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto window = WindowInversions(mt1d::kSourceBoth, mt1d::kMethodConstrained, 1,
                                         {{"1000", "1000", "100", "1000"},
                                          {"5", "20", "100", "1000"},
                                          {"100", "5000", "10", "50"}});
    EXPECT_EQ(run.out, window[0].report);
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
        EXPECT_EQ(results[r][0], std::to_string(press + 1));
        EXPECT_EQ(results[r][1], std::to_string(window[press].iterations));
        EXPECT_EQ(std::stof(results[r][2]), window[press].misfit);
        EXPECT_EQ(results[r][4], window[press].message);
        EXPECT_EQ(results[r][5], std::to_string((r - 1) % 3 + 1));
    }
    EXPECT_NEAR(std::stod(results[2][6]), 10.0, 0.01);
    EXPECT_EQ(results[3][7], "20");
}

TEST(CliInvert, JsonHoldsEveryRun)
{
    const ProgramRun run = RunMt1d({"invert", "--source", "both", "--repeat", "2", "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Json doc = JsonReader::Parse(run.out);
    EXPECT_EQ(doc["source"].text, "both");
    EXPECT_EQ(doc["method"].text, "svd");
    EXPECT_EQ(doc["response"].items.size(), 41u);
    const auto window = WindowInversions(mt1d::kSourceBoth, mt1d::kMethodSvd, 2);
    const Json& runs = doc["inversions"];
    ASSERT_EQ(runs.items.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(runs[k]["run"].number, static_cast<double>(k + 1));
        EXPECT_EQ(runs[k]["message"].text, window[k].message);  // Chinese survives the escaping
        EXPECT_EQ(runs[k]["report"].text, window[k].report);    // so do "\n" and "\t"
        EXPECT_EQ(runs[k]["iterations"].number, window[k].iterations);
        EXPECT_EQ(static_cast<float>(runs[k]["misfit"].number), window[k].misfit);
        EXPECT_EQ(runs[k]["succeeded"].kind, Json::Kind::kBool);
        ASSERT_EQ(runs[k]["model"].items.size(), 3u);
        EXPECT_EQ(runs[k]["model"][2]["thickness"].number, 20);
    }
}

}  // namespace
