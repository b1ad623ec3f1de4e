// mt1d sample: the posterior of a sounding file as JSON and CSV, reproducibility by seed,
// every refusal, convergence warnings, Ctrl-C, and the four GA soundings. Runs are kept small
// (a few thousand samples): the sampler's own tests and the study tool check its statistics.

#include "tests/cli/CliRun.h"
#include "tests/support/SampleTimings.h"
#include "tests/cli/CsvReader.h"
#include "tests/cli/SoundingFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <future>
#include <numeric>
#include <utility>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace cli_testing;

namespace {

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// A CSV text with a header line: its fields by row and column name, as numbers.
class CsvTable {
public:
    explicit CsvTable(const std::string& text) : records_(ParseCsv(text)) {}
    std::size_t RowCount() const { return records_.empty() ? 0 : records_.size() - 1; }
    double Number(std::size_t row, const std::string& column) const
    {
        const CsvRecord& header = records_.at(0);
        const auto at = std::find(header.begin(), header.end(), column);
        if (at == header.end()) throw std::runtime_error("no column " + column);
        return std::strtod(records_.at(row + 1).at(static_cast<std::size_t>(at - header.begin())).c_str(), nullptr);
    }

private:
    std::vector<CsvRecord> records_;
};

// A small run: 2 chains of 2,000 samples after 1,000 burn-in steps, at most 8 layers.
const std::vector<std::string> kSmallRun = {"--samples", "4000", "--burn-in", "1000", "--chains", "2",
                                            "--max-layers", "8"};

class CliSample : public ::testing::Test {
protected:
    ProgramRun Run(const std::vector<std::string>& options) { return RunMt1d(With({"sample", file_}, options)); }

    nlohmann::json Json(const std::vector<std::string>& options)
    {
        const ProgramRun run = Run(options);
        EXPECT_EQ(run.status, 0) << run.err;
        return ParseJson(run.out);
    }

    TempDir dir_;
    std::string file_ = dir_.Write("three.txt", SyntheticColumnFile());
};

// The shapes that tie the arrays together, and what makes each a probability.
void ExpectConsistentPosterior(const nlohmann::json& json, std::size_t maxLayers)
{
    const std::size_t depths = json["depth_m"].size();
    const std::size_t bins = json["log10_rho_grid"].size();
    ASSERT_GE(depths, 2u);
    ASSERT_GE(bins, 2u);
    ASSERT_EQ(json["density"].size(), depths);
    for (const char* key : {"p10", "p50", "p90", "mean", "interface_probability"}) {
        ASSERT_EQ(json[key].size(), depths) << key;
    }
    const double lowest = json["log10_rho_grid"].front().get<double>();
    const double highest = json["log10_rho_grid"].back().get<double>();
    const double halfBin = 0.5 * (highest - lowest) / static_cast<double>(bins - 1);
    for (std::size_t i = 0; i < depths; ++i) {
        SCOPED_TRACE("depth cell " + std::to_string(i));
        if (i > 0) {
            EXPECT_GT(json["depth_m"][i].get<double>(), json["depth_m"][i - 1].get<double>());
        }
        const auto row = json["density"][i].get<std::vector<double>>();
        ASSERT_EQ(row.size(), bins);
        // Each row is a probability distribution; 100 terms of at most 1 add up with a
        // rounding error of at most 100 · 2^−53 ≈ 1.1e-14, well inside 1e-12.
        EXPECT_NEAR(std::accumulate(row.begin(), row.end(), 0.0), 1.0, 1e-12);
        for (const double p : row) EXPECT_GE(p, 0.0);
        const double p10 = json["p10"][i], p50 = json["p50"][i], p90 = json["p90"][i], mean = json["mean"][i];
        EXPECT_LE(p10, p50);
        EXPECT_LE(p50, p90);
        // Percentiles and mean lie within the grid's outer bin edges.
        EXPECT_GE(p10, lowest - halfBin);
        EXPECT_LE(p90, highest + halfBin);
        EXPECT_GE(mean, lowest - halfBin);
        EXPECT_LE(mean, highest + halfBin);
        const double interface = json["interface_probability"][i];
        EXPECT_GE(interface, 0.0);
        EXPECT_LE(interface, 1.0);
    }
    const nlohmann::json& counts = json["layer_count"];
    ASSERT_EQ(counts.size(), maxLayers);
    double total = 0.0;
    for (std::size_t k = 0; k < counts.size(); ++k) {
        EXPECT_EQ(counts[k]["layers"], k + 1);
        total += counts[k]["probability"].get<double>();
    }
    // maxLayers terms: rounding well below 1e-12.
    EXPECT_NEAR(total, 1.0, 1e-12);
    for (const char* move : {"birth", "death", "move", "change"}) {
        ASSERT_TRUE(json["acceptance"].contains(move)) << move;
        EXPECT_GE(json["acceptance"][move].get<double>(), 0.0);
        EXPECT_LE(json["acceptance"][move].get<double>(), 1.0);
    }
}

TEST_F(CliSample, JsonHoldsEveryKeyOfTheRunWithConsistentShapes)
{
    const nlohmann::json json = Json(With(kSmallRun, {"--seed", "11", "--min-depth", "20", "--max-depth", "8000"}));
    for (const char* key : {"format", "format_version", "site", "options", "status", "message", "values_fitted",
                            "notes", "warnings", "depth_m", "log10_rho_grid", "density", "p10", "p50", "p90",
                            "mean", "interface_probability", "layer_count", "acceptance", "rhat", "ess", "samples",
                            "seed", "depth_of_investigation_m", "best_rms", "best_model"}) {
        EXPECT_TRUE(json.contains(key)) << key;
    }
    // The effective sample sizes: of each of the 2 chains and together, per second of the run,
    // for log10 ρ at the quarter points of 20 … 8000 m in log depth: 20 · 400^(1/4, 1/2, 3/4).
    const nlohmann::json& ess = json["ess"];
    const double seconds = ess["seconds"].get<double>();
    EXPECT_GT(seconds, 0.0);
    EXPECT_EQ(ess["stride"], 1);
    std::vector<nlohmann::json> figures{ess["misfit"], ess["layer_count"]};
    ASSERT_EQ(ess["log10_rho"].size(), 3u);
    const double depths[] = {20.0 * std::pow(400.0, 0.25), 400.0, 20.0 * std::pow(400.0, 0.75)};
    for (std::size_t d = 0; d < 3; ++d) {
        EXPECT_NEAR(ess["log10_rho"][d]["depth_m"].get<double>(), depths[d], 1e-9 * depths[d]);
        figures.push_back(ess["log10_rho"][d]);
    }
    for (const nlohmann::json& f : figures) {
        ASSERT_EQ(f["chains"].size(), 2u) << f;
        EXPECT_GT(f["combined"].get<double>(), 0.0) << f;
        EXPECT_LE(f["combined"].get<double>(), 4000.0) << f;
        EXPECT_DOUBLE_EQ(f["per_second"].get<double>(), f["combined"].get<double>() / seconds) << f;
    }
    ExpectConsistentPosterior(json, 8);
    EXPECT_EQ(json["format"], "mt1d sample");
    EXPECT_EQ(json["status"], "completed");
    EXPECT_EQ(json["samples"], 4000);
    EXPECT_EQ(json["seed"], 11);
    // 25 rows, ρa and phase each.
    EXPECT_EQ(json["values_fitted"], 50);
    EXPECT_TRUE(json["rhat"]["misfit"].is_number());
    EXPECT_TRUE(json["rhat"]["layer_count"].is_number());
    // What was asked comes back in the options, and the depth grid lies within the bounds.
    const nlohmann::json& o = json["options"];
    EXPECT_EQ(o["samples"], 4000);
    EXPECT_EQ(o["burn_in"], 1000);
    EXPECT_EQ(o["chains"], 2);
    EXPECT_EQ(o["temperatures"], 1);
    EXPECT_EQ(o["max_layers"], 8);
    EXPECT_EQ(o["seed"], 11);
    EXPECT_EQ(o["floor_percent"], 5.0);
    // Bounds through log10 and back: a few ulps.
    EXPECT_NEAR(o["min_depth_m"].get<double>(), 20.0, 1e-12);
    EXPECT_NEAR(o["max_depth_m"].get<double>(), 8000.0, 1e-9);
    EXPECT_NEAR(o["min_rho_ohmm"].get<double>(), 0.1, 1e-15);
    EXPECT_NEAR(o["max_rho_ohmm"].get<double>(), 1e5, 1e-9);
    EXPECT_GT(json["depth_m"].front().get<double>(), 20.0);
    EXPECT_LT(json["depth_m"].back().get<double>(), 8000.0);
    EXPECT_EQ(json["site"]["name"], "three");
}

// The whole path, from the file's columns to the posterior: exact data of the three-layer
// earth (100 Ω·m over 500 m, 10 Ω·m over 2000 m, 1000 Ω·m) with 10 % errors on ρa. The
// top layer and the half-space are resolved: the truth lies between P10 and P90 there. The
// conductor is known by its conductance only, so its resistivity spreads; its median still
// lies within half a decade of 10 Ω·m, nearer to it than to the layers around it.
TEST_F(CliSample, PosteriorHoldsTheEarthThatMadeTheData)
{
    const nlohmann::json json = Json({"--samples", "20000", "--burn-in", "5000", "--chains", "2", "--seed", "3"});
    const auto depths = json["depth_m"].get<std::vector<double>>();
    const auto cellAt = [&depths](double depthM) {
        std::size_t cell = 0;
        while (cell + 1 < depths.size() && depths[cell + 1] < depthM) ++cell;
        return cell;
    };
    for (const auto& [depthM, log10Rho] : {std::pair{150.0, 2.0}, std::pair{30000.0, 3.0}}) {
        const std::size_t cell = cellAt(depthM);
        SCOPED_TRACE("depth " + std::to_string(depths[cell]) + " m");
        EXPECT_LE(json["p10"][cell].get<double>(), log10Rho);
        EXPECT_GE(json["p90"][cell].get<double>(), log10Rho);
    }
    EXPECT_NEAR(json["p50"][cellAt(1000.0)].get<double>(), 1.0, 0.5);
    // Exact data with their errors: the best model reaches RMS well below 1.
    EXPECT_LT(json["best_rms"].get<double>(), 1.0);
    // Neither one layer nor two can fit the data: never kept.
    EXPECT_EQ(json["layer_count"][0]["probability"], 0.0);
    EXPECT_EQ(json["layer_count"][1]["probability"], 0.0);
}

TEST_F(CliSample, SameSeedGivesTheSameOutputToTheByteAndAnotherSeedAnother)
{
    for (const char* format : {"json", "csv", "csv-density"}) {
        SCOPED_TRACE(format);
        const ProgramRun first = Run(With(kSmallRun, {"--seed", "5", "--format", format}));
        const ProgramRun again = Run(With(kSmallRun, {"--seed", "5", "--format", format}));
        const ProgramRun other = Run(With(kSmallRun, {"--seed", "6", "--format", format}));
        ASSERT_EQ(first.status, 0) << first.err;
        EXPECT_FALSE(first.out.empty());
        // To the byte but for the timings of the effective sample size (ess.seconds, per_second).
        EXPECT_EQ(mt1d_testing::WithoutTimings(first.out), mt1d_testing::WithoutTimings(again.out));
        EXPECT_NE(first.out, other.out);
    }
}

// The CSV formats hold the numbers of the JSON of the same run, row by row.
TEST_F(CliSample, CsvFormatsHoldTheProfileAndTheDensityOfTheJson)
{
    const nlohmann::json json = Json(kSmallRun);
    const std::size_t depths = json["depth_m"].size();
    const std::size_t bins = json["log10_rho_grid"].size();

    const ProgramRun profile = Run(With(kSmallRun, {"--format", "csv"}));
    ASSERT_EQ(profile.status, 0) << profile.err;
    const std::vector<std::string> lines = Lines(profile.out);
    ASSERT_EQ(lines.size(), depths + 1);
    EXPECT_EQ(lines[0], "depth_m,p10,p50,p90,mean,interface_probability");
    const CsvTable table(profile.out);
    for (std::size_t i = 0; i < depths; ++i) {
        EXPECT_EQ(table.Number(i, "depth_m"), json["depth_m"][i].get<double>());
        EXPECT_EQ(table.Number(i, "p10"), json["p10"][i].get<double>());
        EXPECT_EQ(table.Number(i, "p90"), json["p90"][i].get<double>());
        EXPECT_EQ(table.Number(i, "interface_probability"), json["interface_probability"][i].get<double>());
    }

    const ProgramRun density = Run(With(kSmallRun, {"--format", "csv-density"}));
    ASSERT_EQ(density.status, 0) << density.err;
    const CsvTable long_form(density.out);
    ASSERT_EQ(long_form.RowCount(), depths * bins);
    for (const std::size_t i : {std::size_t{0}, depths / 2, depths - 1}) {
        for (const std::size_t b : {std::size_t{0}, bins / 3, bins - 1}) {
            const std::size_t row = i * bins + b;
            EXPECT_EQ(long_form.Number(row, "depth_m"), json["depth_m"][i].get<double>());
            EXPECT_EQ(long_form.Number(row, "log10_rho"), json["log10_rho_grid"][b].get<double>());
            EXPECT_EQ(long_form.Number(row, "probability"), json["density"][i][b].get<double>());
        }
    }
}

// Too few samples per chain to split: R-hat is not defined. The result is still written,
// with null and a warning, and the exit status stays 0.
TEST_F(CliSample, ChainsThatDisagreeOrAreTooShortWarnButSucceed)
{
    const ProgramRun run = Run({"--samples", "4", "--chains", "4", "--burn-in", "10"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = ParseJson(run.out);
    EXPECT_TRUE(json["rhat"]["misfit"].is_null());
    EXPECT_TRUE(json["rhat"]["layer_count"].is_null());
    ASSERT_EQ(json["warnings"].size(), 2u);
    EXPECT_NE(run.err.find("mt1d: warning: R-hat of the misfit is not defined (written as null)"), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("mt1d: warning: R-hat of the layer count"), std::string::npos) << run.err;
    // A run whose chains agree says nothing on standard error (no terminal: no progress).
    const ProgramRun quiet = Run({"--samples", "20000", "--burn-in", "5000", "--chains", "2", "--max-layers", "4"});
    ASSERT_EQ(quiet.status, 0);
    EXPECT_TRUE(ParseJson(quiet.out)["warnings"].empty()) << quiet.err;
    EXPECT_EQ(quiet.err, "");
}

TEST_F(CliSample, TakesEveryOptionOfData)
{
    const std::string cullFile = dir_.Write("cull.txt", "0.1 1.5 0.05 60 3\n1 1.7 0.05 55 3\n10 2.0 0.05 50 3\n"
                                                        "100 2.2 0.05 52 3\n1000 2.1 0.05 48 3\n");
    const ProgramRun run = RunMt1d(With(With({"sample", cullFile}, kCullColumns),
                                        With(kSmallRun, {"--floor", "0", "--mode", "xy"})));
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = ParseJson(run.out);
    EXPECT_EQ(json["options"]["floor_percent"], 0.0);
    EXPECT_EQ(json["options"]["mode"], "xy");
    EXPECT_EQ(json["options"]["columns"].size(), 5u);
    EXPECT_EQ(json["values_fitted"], 10);
}

TEST_F(CliSample, RefusesUnusableInputWithExitTwoAndNoOutput)
{
    const std::string bare = dir_.Write("bare.txt", "period rho phase\n0.1 100 45\n1 120 50\n10 150 55\n");
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"sample"}, "a sounding file is needed"},
        {{"sample", dir_.Path("absent.txt")}, "absent.txt"},
        {{"sample", file_, "--samples", "0"}, "--samples takes a whole number from 1 to 1000000000, not '0'"},
        {{"sample", file_, "--samples", "1e6"}, "--samples takes a whole number from 1 to 1000000000, not '1e6'"},
        {{"sample", file_, "--samples", "3", "--chains", "4"}, "every chain must keep at least one sample"},
        {{"sample", file_, "--burn-in", "-1"}, "--burn-in takes a whole number from 0 to 1000000000"},
        {{"sample", file_, "--chains", "0"}, "--chains takes a whole number from 1 to 256, not '0'"},
        {{"sample", file_, "--chains", "257"}, "--chains takes a whole number from 1 to 256, not '257'"},
        {{"sample", file_, "--max-layers", "0"}, "--max-layers takes a whole number from 1 to 201, not '0'"},
        {{"sample", file_, "--max-layers", "202"}, "--max-layers takes a whole number from 1 to 201, not '202'"},
        {{"sample", file_, "--temperatures", "0"}, "--temperatures takes a whole number from 1 to 64, not '0'"},
        {{"sample", file_, "--temperatures", "65"}, "from 1 to 64, not '65'"},
        {{"sample", file_, "--seed", "-3"}, "--seed takes a whole number from 0 to 18446744073709551615"},
        {{"sample", file_, "--min-depth", "0"}, "--min-depth takes a positive number, not '0'"},
        {{"sample", file_, "--max-depth", "x"}, "--max-depth takes a positive number, not 'x'"},
        {{"sample", file_, "--min-depth", "500", "--max-depth", "100"}, "depth bounds: the lower bound 500 m"},
        {{"sample", file_, "--min-rho", "-1"}, "--min-rho takes a positive number, not '-1'"},
        {{"sample", file_, "--min-rho", "10", "--max-rho", "10"}, "resistivity bounds: the lower bound 10 ohm-m"},
        {{"sample", file_, "--format", "text"}, "--format takes json|csv|csv-density, not 'text'"},
        {{"sample", file_, "--floor", "200"}, "--floor takes a number from 0 to 100"},
        {{"sample", file_, "--mode", "det"}, "has no data for mode det"},
        // A curve without a usable row: no errors and no floor.
        {{"sample", bare, "--floor", "0"}, "the sounding cannot be sampled: "},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunMt1d(c.args);
        SCOPED_TRACE(c.named);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("mt1d: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    }
}

// Ctrl-C during a run that would take minutes: it stops within a moment, writes nothing on
// standard output and exits 130. The signal is raised only once the command's handler is
// in place (otherwise it would end the test program).
TEST_F(CliSample, CtrlCStopsTheRunWithoutWritingAnything)
{
    std::future<ProgramRun> running = std::async(std::launch::async, [this] {
        return Run({"--samples", "1000000000", "--chains", "2", "--seed", "1"});
    });
    bool raised = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!raised && std::chrono::steady_clock::now() < deadline) {
        struct sigaction current {};
        sigaction(SIGINT, nullptr, &current);
        if (current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN) {
            std::raise(SIGINT);
            raised = true;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ASSERT_TRUE(raised) << "the command never took over Ctrl-C";
    // 10^9 samples would take minutes; a cancelled run returns within a second.
    ASSERT_EQ(running.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const ProgramRun run = running.get();
    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("sampling interrupted; nothing was written"), std::string::npos) << run.err;
    // The handler before the run is back.
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_DFL);
}

// ---------------------------------------------------------------- real soundings

// The four GA AMT soundings (det, 5 % floor) sample without a refusal and give a consistent
// posterior whose depth range follows the data (AMT: metres to kilometres).
TEST(CliSampleRealData, GeoscienceAustraliaSoundingsSample)
{
    for (const char* site : {"07E1_AMT", "CD1_2", "Adv1_AMT", "NAN1_AMT"}) {
        const auto file = SharedFile(std::string("ga-amt-rjmcmcmt/") + site + ".edi");
        if (!file) GTEST_SKIP() << testing_support::kNoSharedData;
        SCOPED_TRACE(site);
        const ProgramRun run = RunMt1d(With({"sample", *file}, kSmallRun));
        ASSERT_EQ(run.status, 0) << run.err;
        const nlohmann::json json = ParseJson(run.out);
        EXPECT_EQ(json["status"], "completed");
        EXPECT_EQ(json["options"]["mode"], "det");
        ExpectConsistentPosterior(json, 8);
        EXPECT_GT(json["values_fitted"].get<int>(), 100);
        const double top = json["options"]["min_depth_m"], bottom = json["options"]["max_depth_m"];
        EXPECT_GT(top, 0.1);
        EXPECT_LT(top, 100.0);
        EXPECT_GT(bottom, 1000.0);
        EXPECT_LT(bottom, 1e6);
    }
}

}  // namespace
