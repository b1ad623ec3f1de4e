#include "Commands.h"
#include "CsvReader.h"
#include "JsonReader.h"
#include "RunProgram.h"

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
    EXPECT_EQ(run.out, WindowListing("3", {{"1000", "500"}, {"10", "500"}, {"1000", "100"}}));
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 41u);
    EXPECT_EQ(lines.front().substr(0, 8), "1.0E-04 ");
    EXPECT_EQ(lines.back().substr(0, 8), "1.0E+04 ");
    EXPECT_EQ(lines[20], "1.0E+00 4.4E+01 -6.3E-02");
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

TEST(CliForward, OneLayerHasPhaseMinusPiOverFour)
{
    const ProgramRun run = RunMt1d({"forward", "--model", "250"});
    ASSERT_EQ(run.status, 0);
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 41u);
    for (const std::string& line : lines) {
        EXPECT_EQ(line.substr(7), " 2.5E+02 -7.9E-01") << line;
    }
}

TEST(CliForward, CsvTableHasOneRowPerFrequency)
{
    const ProgramRun run = RunMt1d({"forward", "--model", "250", "--format", "csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto records = ParseCsv(run.out);
    ASSERT_EQ(records.size(), 42u);
    EXPECT_EQ(records[0], (CsvRecord{"period_s", "frequency_hz", "apparent_resistivity_ohm_m", "phase_deg"}));
    for (std::size_t k = 1; k < records.size(); ++k) {
        ASSERT_EQ(records[k].size(), 4u);
        const double period = std::stod(records[k][0]);
        const double frequency = std::stod(records[k][1]);
        // Period is 1/f of the float frequency; the texts round-trip exactly.
        EXPECT_EQ(period, 1.0 / static_cast<double>(std::stof(records[k][1])));
        EXPECT_NEAR(frequency, std::pow(10.0, 0.2 * (static_cast<int>(k) - 21)), frequency * 1e-6);
        EXPECT_NEAR(std::stod(records[k][2]), 250.0, 250.0 * 1e-5);
        EXPECT_NEAR(std::stod(records[k][3]), -45.0, 1e-5);
    }
}

TEST(CliForward, JsonHoldsModelAndResponse)
{
    const ProgramRun run = RunMt1d({"forward", "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Json doc = JsonReader::Parse(run.out);
    ASSERT_EQ(doc["model"].items.size(), 3u);
    EXPECT_EQ(doc["model"][1]["layer"].number, 2);
    EXPECT_EQ(doc["model"][1]["resistivity"].number, 10);
    EXPECT_EQ(doc["model"][1]["thickness"].number, 500);
    EXPECT_EQ(doc["model"][2]["thickness"].number, 100);
    const Json& response = doc["response"];
    ASSERT_EQ(response.items.size(), 41u);
    // Frequencies are printed as the shortest text of the stored float.
    EXPECT_EQ(static_cast<float>(response[0]["frequency"].number), 1e-4f);
    EXPECT_NEAR(response[0]["period"].number, 1e4, 1e-2);
    EXPECT_NEAR(response[20]["apparent_resistivity"].number, 44, 0.5);
    EXPECT_NEAR(response[20]["phase_deg"].number, -0.063 * 180 / 3.141592653589793, 0.1);
    EXPECT_FALSE(doc.Has("inversions"));
}

TEST(CliHelp, DocumentsEveryOptionWithAnExample)
{
    for (const auto& args : {std::vector<std::string>{"--help"}, {"-h"}, {"invert", "--help"}}) {
        const ProgramRun run = RunMt1d(args);
        EXPECT_EQ(run.status, 0);
        for (const char* word : {"forward", "invert", "--model", "--source", "--method", "--repeat",
                                 "--bounds", "--format", "csv", "json", "Example"}) {
            EXPECT_NE(run.out.find(word), std::string::npos) << word;
        }
    }
}

}  // namespace
