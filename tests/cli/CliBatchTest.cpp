// mt1d batch: the per-site files equal what mt1d fit prints, exit statuses, failures on
// standard error, shards joined with --merge, and every refusal writing nothing.

#include "tests/cli/CliRun.h"
#include "tests/support/SampleTimings.h"
#include "batch/SiteFit.h"
#include "tests/cli/SoundingFiles.h"
#include "batch/SyntheticSurvey.h"

#include "jobs/SiteSeed.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

namespace {

using cli_testing::Lines;
using cli_testing::RunMt1d;
using cli_testing::TempDir;
namespace fs = std::filesystem;

std::string ReadText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, std::string> FolderFiles(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename().string()] = ReadText(entry.path());
    return files;
}

class CliBatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        mt1d::batch::SurveyOptions options;
        options.sites = 4;
        options.frequenciesPerDecade = 2;
        mt1d::batch::WriteSurvey(survey_, options);
    }

    TempDir dir_;
    std::string survey_ = dir_.Path("survey");
    std::string out_ = dir_.Path("out");
};

TEST_F(CliBatchTest, EachSiteFileIsWhatMt1dFitPrintsForIt)
{
    const auto batch = RunMt1d({"batch", survey_, "--out", out_, "--floor", "4", "--mode", "xy"});
    ASSERT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(batch.err, "");
    EXPECT_EQ(Lines(batch.out), (std::vector<std::string>{out_ + "/summary.csv: 4 sites, 4 ok, 0 failed"}));
    for (const std::string site : {"S0001", "S0004"}) {
        const auto fit = RunMt1d({"fit", survey_ + "/" + site + ".edi", "--floor", "4", "--mode", "xy", "--format", "json"});
        EXPECT_EQ(ReadText(fs::path(out_) / (site + ".json")), fit.out) << site;
    }

    // Layered: the site's seed, recorded in the file, repeats the fit alone.
    const std::string layered = dir_.Path("layered");
    const auto run = RunMt1d({"batch", survey_, "--out", layered, "--method", "layered", "--layers", "2", "--starts",
                              "3", "--seed", "11", "-j", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string seed = std::to_string(mt1d::jobs::SiteSeed(11, "S0003"));
    const auto fit = RunMt1d({"fit", survey_ + "/S0003.edi", "--method", "layered", "--layers", "2", "--starts", "3",
                              "--seed", seed, "--format", "json"});
    EXPECT_EQ(ReadText(fs::path(layered) / "S0003.json"), fit.out);
}

TEST_F(CliBatchTest, EachSampledSiteFileIsWhatMt1dSamplePrintsForItWhateverTheWorkers)
{
    const std::vector<std::string> options = {"--samples", "3000", "--burn-in", "300", "--chains", "2",
                                              "--max-layers", "6", "--max-rho", "5000", "--floor", "4"};
    std::map<std::string, std::string> folders[2];
    for (const std::string jobs : {"1", "2"}) {
        const std::string out = dir_.Path("sample" + jobs);
        std::vector<std::string> args = {"batch", survey_, "--out", out, "--method", "sample", "--seed", "5", "-j", jobs};
        args.insert(args.end(), options.begin(), options.end());
        const auto run = RunMt1d(args);
        // A run this short may not converge: exit 1 with its sites listed, never 2.
        ASSERT_NE(run.status, 2) << run.err;
        EXPECT_EQ(run.out.rfind(out + "/summary.csv: 4 sites, ", 0), 0u) << run.out;
        folders[jobs == "1" ? 0 : 1] = FolderFiles(out);
        // The same to the byte but for the timings of the effective sample size.
        for (auto& [name, text] : folders[jobs == "1" ? 0 : 1]) text = mt1d_testing::WithoutTimings(text);
    }
    EXPECT_EQ(folders[0], folders[1]);
    ASSERT_EQ(folders[0].size(), 4u + 2u);
    for (const std::string site : {"S0001", "S0004"}) {
        std::vector<std::string> args = {"sample", survey_ + "/" + site + ".edi", "--format", "json", "--seed",
                                         std::to_string(mt1d::jobs::SiteSeed(5, site))};
        args.insert(args.end(), options.begin(), options.end());
        const auto sample = RunMt1d(args);
        ASSERT_EQ(sample.status, 0) << sample.err;
        EXPECT_EQ(folders[0].at(site + ".json"), mt1d_testing::WithoutTimings(sample.out)) << site;
    }
    const std::vector<std::string> summary = Lines(folders[0].at("summary.csv"));
    ASSERT_EQ(summary.size(), 5u);
    EXPECT_NE(summary[1].find(",det,sample,"), std::string::npos) << summary[1];  // mode and method
}

TEST_F(CliBatchTest, SomeFailedExitsOneWithALinePerFailureAndTheRestWritten)
{
    const std::string bad = dir_.Write("bad.txt", "not a sounding\n");
    const auto run = RunMt1d({"batch", bad, survey_, "--out", out_});
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 1u) << run.err;
    EXPECT_TRUE(lines[0].starts_with("mt1d: bad (" + bad + "): cannot read: ")) << lines[0];
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{out_ + "/summary.csv: 5 sites, 4 ok, 1 failed"}));
    EXPECT_EQ(FolderFiles(out_).size(), 4u + 2u);
}

TEST_F(CliBatchTest, ThreeShardsMergedEqualASingleRun)
{
    ASSERT_EQ(RunMt1d({"batch", survey_, "--out", out_, "-j", "1"}).status, 0);
    std::vector<std::string> merge = {"batch", "--merge"};
    for (const std::string shard : {"1/3", "2/3", "3/3"}) {
        const std::string folder = dir_.Path("shard" + shard.substr(0, 1));
        ASSERT_EQ(RunMt1d({"batch", survey_, "--out", folder, "--shard", shard}).status, 0);
        merge.push_back(folder);
    }
    merge.insert(merge.end(), {"--out", dir_.Path("merged")});
    const auto run = RunMt1d(merge);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FolderFiles(dir_.Path("merged")), FolderFiles(out_));

    // A missing shard: merged with what there is, named, exit 1.
    const auto partial = RunMt1d({"batch", "--merge", dir_.Path("shard1"), "--out", dir_.Path("partial")});
    EXPECT_EQ(partial.status, 1);
    EXPECT_NE(partial.err.find("S0002"), std::string::npos) << partial.err;
}

TEST_F(CliBatchTest, UnusableArgumentsExitTwoAndWriteNothing)
{
    const std::string file = dir_.Write("blocker", "x");
    const std::vector<std::vector<std::string>> cases = {
        {"batch", survey_},                                         // no --out
        {"batch", "--out", out_},                                   // no input
        {"batch", dir_.Path("missing"), "--out", out_},             // input that does not exist
        {"batch", dir_.Path("empty"), "--out", out_},               // folder without soundings
        {"batch", survey_, "--out", out_, "--shard", "0/3"},
        {"batch", survey_, "--out", out_, "--shard", "4/3"},
        {"batch", survey_, "--out", out_, "-j", "0"},
        {"batch", survey_, "--out", out_, "-j", "two"},
        {"batch", survey_, "--out", out_, "--floor", "101"},
        {"batch", survey_, "--out", out_, "--method", "simplex"},
        {"batch", survey_, "--out", out_, "--method", "Sample"},
        {"batch", survey_, "--out", out_, "--method", "sample", "--starts", "5"},      // fit options
        {"batch", survey_, "--out", out_, "--method", "sample", "--target-rms", "2"},
        {"batch", survey_, "--out", out_, "--method", "sample", "--layers", "3"},
        {"batch", survey_, "--out", out_, "--method", "sample", "--chains", "0"},
        {"batch", survey_, "--out", out_, "--method", "sample", "--seed", "-1"},
        {"batch", survey_, "--out", out_, "--samples", "100"},                         // sample only
        {"batch", survey_, "--out", out_, "--method", "layered", "--max-rho", "100"},
        {"batch", survey_, "--out", out_, "--starts", "5"},          // layered only
        {"batch", survey_, "--out", file},                           // --out is a file
        {"batch", survey_, "--out", survey_},                        // --out is an input folder
        {"batch", "--merge", dir_.Path("a"), "--out", out_, "--resume"},
        {"batch", survey_, "--merge", dir_.Path("a"), "--out", out_},
        {"batch", "--merge", dir_.Path("a"), "--out", out_},        // not a batch folder
    };
    fs::create_directories(dir_.Path("empty"));
    const auto before = FolderFiles(survey_);
    for (const auto& args : cases) {
        const auto run = RunMt1d(args);
        std::string line;
        for (const auto& a : args) line += a + " ";
        EXPECT_EQ(run.status, 2) << line << "\n" << run.err;
        EXPECT_EQ(run.out, "") << line;
        EXPECT_TRUE(run.err.starts_with("mt1d: ")) << line << run.err;
        EXPECT_FALSE(fs::exists(out_)) << line;
    }
    EXPECT_EQ(FolderFiles(survey_), before);
}

TEST_F(CliBatchTest, ResumeListsEarlierSitesAndFitsOnlyTheMissingOnes)
{
    ASSERT_EQ(RunMt1d({"batch", survey_, "--out", out_}).status, 0);
    const auto first = FolderFiles(out_);
    fs::remove(fs::path(out_) / "S0002.json");
    const auto run = RunMt1d({"batch", survey_, "--out", out_, "--resume"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{out_ + "/summary.csv: 4 sites, 4 ok, 0 failed, 3 resumed"}));
    EXPECT_EQ(FolderFiles(out_), first);
}

}  // namespace

#ifdef MT1D_PROGRAM
#include "report/FitJsonReader.h"
#include "batch/Summary.h"

#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace {

// The program itself, interrupted as a user would with Ctrl-C: it stops, exits 1, leaves only
// whole files and a summary, and --resume then completes the folder.
TEST_F(CliBatchTest, InterruptedProgramLeavesWholeFilesAndResumeCompletesThem)
{
    mt1d::batch::SurveyOptions options;
    options.sites = 150;
    const std::string survey = dir_.Path("large");
    mt1d::batch::WriteSurvey(survey, options);
    std::vector<std::string> args = {MT1D_PROGRAM, "batch", survey, "--out", out_, "-j", "1"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(fs::path(out_) / "S0003.json") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(kill(pid, SIGINT), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal instead of stopping";
    EXPECT_EQ(WEXITSTATUS(status), 1);

    const auto rows = mt1d::batch::ParseSummaryCsv(ReadText(fs::path(out_) / "summary.csv"), "summary.csv");
    ASSERT_EQ(rows.size(), 150u);
    std::size_t cancelled = 0;
    for (const auto& row : rows) cancelled += row.status == mt1d::batch::kStatusCancelled ? 1 : 0;
    EXPECT_GT(cancelled, 0u);
    for (const auto& [name, bytes] : FolderFiles(out_)) {
        EXPECT_NE(name.front(), '.') << name;
        if (name.ends_with(".json")) {
            EXPECT_NO_THROW(mt1d::report::ParseFitJson(bytes, name)) << name;
        }
    }
    const auto resumed = RunMt1d({"batch", survey, "--out", out_, "--resume"});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(FolderFiles(out_).size(), 152u);
}

// Two runs into one folder: the second is refused at once, naming the folder and the first
// one's process; once the first is killed (kill -9: its lock file and maybe a temporary stay
// behind) a resumed run takes the folder over and completes it.
TEST_F(CliBatchTest, SecondProgramIntoTheSameFolderIsRefusedUntilTheFirstIsGone)
{
    mt1d::batch::SurveyOptions options;
    options.sites = 150;
    const std::string survey = dir_.Path("large");
    mt1d::batch::WriteSurvey(survey, options);
    std::vector<std::string> args = {MT1D_PROGRAM, "batch", survey, "--out", out_, "-j", "1"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(fs::path(out_) / "S0002.json") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const auto second = RunMt1d({"batch", survey, "--out", out_, "--resume"});
    int status = 0;
    const bool firstStillRunning = waitpid(pid, &status, WNOHANG) == 0;
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    waitpid(pid, &status, 0);
    ASSERT_TRUE(firstStillRunning) << "the first run ended before the second started";
    EXPECT_EQ(second.status, 2) << second.err;
    EXPECT_EQ(second.out, "");
    EXPECT_NE(second.err.find(out_), std::string::npos) << second.err;
    EXPECT_NE(second.err.find("process " + std::to_string(pid)), std::string::npos) << second.err;

    const auto resumed = RunMt1d({"batch", survey, "--out", out_, "--resume"});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    const auto files = FolderFiles(out_);
    EXPECT_EQ(files.size(), 152u);
    for (const auto& [name, bytes] : files) EXPECT_NE(name.front(), '.') << "left behind: " << name;
}

}  // namespace
#endif
