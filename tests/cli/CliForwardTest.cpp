#include "tests/cli/CliRun.h"
#include "classic/Commands.h"
#include "tests/cli/CsvReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace cli_testing;

namespace {

// The listing the window shows for a table, one line per frequency.
std::string WindowListing(const std::string& layerCount, const std::vector<mt1d::LayerText>& rows)
{
    auto store = std::make_unique<mt1d::ModelStore>();
    std::string text;
    for (const std::string& line : mt1d::RunForward(*store, layerCount, rows).listing) {
        text += line + "\n";
    }
    return text;
}

TEST(CliForward, DefaultModelPrintsTheWindowsListing)
{
    const ProgramRun run = RunMt1d({"forward"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, WindowListing("3", mt1d::DefaultTable()));
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 41u);
    EXPECT_EQ(lines[20], "1.0E+00 4.4E+01 -6.3E-02");  // the classic guide's example (docs/guide/classic.md)
}

TEST(CliForward, ModelOptionIsTheTable)
{
    const struct {
        std::vector<std::string> args;
        std::string layerCount;
        std::vector<mt1d::LayerText> rows;
    } cases[] = {
        {{"--model", "100:1000,10"}, "2", {{"100", "1000"}, {"10", "100"}}},
        {{"--model=100:1000,10:5"}, "2", {{"100", "1000"}, {"10", "5"}}},
        {{"--model", "30:20,300:200,3:2,3000"}, "4",
         {{"30", "20"}, {"300", "200"}, {"3", "2"}, {"3000", "100"}}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"forward"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProgramRun run = RunMt1d(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, WindowListing(c.layerCount, c.rows)) << c.args[0];
    }
}

TEST(CliForward, CsvTableHasOneRowPerFrequency)
{
    const ProgramRun run = RunMt1d({"forward", "--model", "250", "--format", "csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto records = ParseCsv(run.out);
    ASSERT_EQ(records.size(), 42u);
    EXPECT_EQ(records[0], (CsvRecord{"period_s", "frequency_hz", "apparent_resistivity_ohm_m", "phase_deg"}));
    const auto frequencies = mt1d::SoundingFrequencies();
    for (std::size_t k = 1; k < records.size(); ++k) {
        ASSERT_EQ(records[k].size(), 4u);
        // The texts read back as the float frequency and as 1/f of it, exactly.
        EXPECT_EQ(std::stof(records[k][1]), frequencies[k - 1]);
        EXPECT_EQ(std::stod(records[k][0]), 1.0 / static_cast<double>(frequencies[k - 1]));
        // A half-space: ρa is its resistivity and the classic phase −45° (float response of a
        // double computation: a few float ulps).
        EXPECT_NEAR(std::stod(records[k][2]), 250.0, 250.0 * 1e-5);
        EXPECT_NEAR(std::stod(records[k][3]), -45.0, 1e-5);
    }
}

TEST(CliForward, JsonHoldsModelAndResponse)
{
    const ProgramRun run = RunMt1d({"forward", "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto doc = ParseJson(run.out);
    ASSERT_EQ(doc["model"].size(), 3u);
    EXPECT_EQ(doc["model"][1]["layer"], 2);
    EXPECT_EQ(doc["model"][1]["resistivity"], 10);
    EXPECT_EQ(doc["model"][1]["thickness"], 500);
    EXPECT_EQ(doc["model"][2]["thickness"], 100);
    const auto& response = doc["response"];
    ASSERT_EQ(response.size(), 41u);
    auto store = std::make_unique<mt1d::ModelStore>();
    const mt1d::ResponseView view = mt1d::RunForward(*store, "3", mt1d::DefaultTable());
    for (std::size_t k = 0; k < 41; ++k) {
        // Floats are written so that they read back as the same float.
        EXPECT_EQ(response[k]["frequency"].get<float>(), store->Freq[k]);
        EXPECT_EQ(response[k]["apparent_resistivity"].get<float>(), store->AppRes[k]);
        EXPECT_EQ(response[k]["period"].get<double>(), view.appResCurve[k].x);
        EXPECT_EQ(response[k]["phase_deg"].get<double>(), view.phaseCurve[k].y);
    }
    EXPECT_FALSE(doc.contains("inversions"));
}

TEST(CliHelp, DocumentsEveryOptionThePhaseAndTheExitStatus)
{
    for (const auto& args : {std::vector<std::string>{"--help"}, {"-h"}, {"forward", "--model", "x", "-h"}}) {
        const ProgramRun run = RunMt1d(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        for (const char* word : {"forward", "--model MODEL", "--format F", "csv", "json", "Example",
                                 "45° − 2φ", "−45°", "Exit status", "1 when an inversion run ends without success",
                                 "1e-4 to 1e8 ohm-m", "1e-3 to 1e7 m"}) {
            EXPECT_NE(run.out.find(word), std::string::npos) << word;
        }
    }
    const ProgramRun all = RunMt1d({"--help"});
    for (const char* word : {"invert:", "--source S", "--method M", "--repeat K", "1 to 1000", "--bounds BOUNDS"}) {
        EXPECT_NE(all.out.find(word), std::string::npos) << word;
    }
    // A command's help is about that command.
    const ProgramRun forward = RunMt1d({"forward", "--help"});
    EXPECT_EQ(forward.out.find("invert"), std::string::npos);
    const ProgramRun invert = RunMt1d({"invert", "-h"});
    EXPECT_NE(invert.out.find("--bounds BOUNDS"), std::string::npos);
    EXPECT_EQ(invert.out.find("forward:"), std::string::npos);
}

}  // namespace
