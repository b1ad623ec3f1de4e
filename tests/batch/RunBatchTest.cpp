// RunBatch on small synthetic surveys: files independent of the worker count, failures
// recorded while the others go on, resuming, stopping and write failures that leave no
// partial file.

#include "batch/Batch.h"
#include "tests/batch/BatchTestSupport.h"
#include "report/FitJsonReader.h"

#include "jobs/SiteSeed.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

namespace {

using namespace mt1d::batch;
namespace fs = std::filesystem;
using batch_testing::FolderFiles;
using batch_testing::PlanFor;
using batch_testing::ReadText;
using batch_testing::TempDir;

class RunBatchTest : public testing::Test {
protected:
    void SetUp() override { WriteSurvey(dir_ / "survey", batch_testing::SmallSurvey(6)); }

    // No hidden temporary file of the atomic writes is left, and every result file reads back.
    static void ExpectOnlyWholeFiles(const fs::path& out)
    {
        for (const auto& [name, bytes] : FolderFiles(out)) {
            EXPECT_NE(name.front(), '.') << "left behind: " << name;
            if (name.ends_with(".json")) {
                EXPECT_NO_THROW(mt1d::report::ReadFitJsonFile(out / name)) << name;
            }
        }
    }

    TempDir dir_;
    fs::path survey_ = dir_ / "survey";
};

TEST_F(RunBatchTest, OneAndTwoWorkersWriteByteIdenticalFolders)
{
    for (const auto method : {mt1d::fitting::Method::kOccam, mt1d::fitting::Method::kLayered}) {
        std::map<std::string, std::string> folders[2];
        for (const std::size_t workers : {1u, 2u}) {
            const fs::path out = dir_ / ("out" + std::to_string(workers));
            BatchPlan plan = PlanFor(survey_, out, workers);
            plan.fit.method = method;
            if (method == mt1d::fitting::Method::kLayered) {
                plan.fit.layers = 2;
                plan.fit.starts = 3;
            }
            const BatchSummary summary = RunBatch(plan, {}, {});
            ASSERT_EQ(summary.status, BatchStatus::kFinished) << summary.message;
            folders[workers - 1] = FolderFiles(out);
            fs::remove_all(out);
        }
        EXPECT_EQ(folders[0].size(), 6u + 2u);  // a result per site, sites.csv, summary.csv
        EXPECT_EQ(folders[0], folders[1]);
    }
}

TEST_F(RunBatchTest, LayeredSitesGetSeedsFromTheirNamesAndTheBatchSeed)
{
    BatchPlan plan = PlanFor(survey_, dir_ / "out", 2);
    plan.fit.method = mt1d::fitting::Method::kLayered;
    plan.fit.layers = 2;
    plan.fit.starts = 2;
    plan.fit.seed = 7;
    ASSERT_EQ(RunBatch(plan, {}, {}).status, BatchStatus::kFinished);
    std::set<std::uint64_t> seeds;
    for (const mt1d::jobs::SiteInput& site : plan.sites) {
        const auto record = mt1d::report::ReadFitJsonFile(dir_ / "out" / (site.name + ".json"));
        EXPECT_EQ(record.settings.seed, mt1d::jobs::SiteSeed(7, site.name));
        seeds.insert(*record.settings.seed);
    }
    EXPECT_EQ(seeds.size(), plan.sites.size());
    EXPECT_NE(mt1d::jobs::SiteSeed(7, "S0001"), mt1d::jobs::SiteSeed(8, "S0001"));
}

TEST_F(RunBatchTest, AFailingSoundingIsRecordedInItsPlaceAndTheOthersGoOn)
{
    dir_.Write("survey/S0003a.txt", "this is not a sounding\n");                   // unreadable
    dir_.Write("survey/S0004a.csv", "frequency,rho,phase\n10,-5,200\n1,-5,200\n");  // read, but no usable row
    const fs::path out = dir_ / "out";
    BatchPlan plan = PlanFor(survey_, out, 2);
    std::vector<std::string> reported;
    std::mutex mutex;
    BatchCallbacks callbacks;
    callbacks.siteDone = [&](const SummaryRow& row) {
        const std::lock_guard lock(mutex);
        reported.push_back(row.site);
    };
    const BatchSummary summary = RunBatch(plan, callbacks, {});
    ASSERT_EQ(summary.status, BatchStatus::kFinished);
    EXPECT_EQ(summary.ok, 6u);
    EXPECT_EQ(summary.failed, 2u);
    EXPECT_FALSE(summary.AllOk());
    EXPECT_EQ(reported.size(), 8u);

    // Input order whatever the completion order: the failures sit between their neighbours.
    const auto rows = ParseSummaryCsv(ReadText(out / kSummaryFileName), "summary.csv");
    EXPECT_EQ(rows, summary.rows);
    std::vector<std::string> sites;
    for (const SummaryRow& row : rows) sites.push_back(row.site);
    EXPECT_EQ(sites, (std::vector<std::string>{"S0001", "S0002", "S0003", "S0003a", "S0004", "S0004a", "S0005", "S0006"}));
    EXPECT_TRUE(rows[3].status.starts_with("cannot read: ")) << rows[3].status;
    EXPECT_TRUE(rows[5].status.starts_with("cannot fit: ")) << rows[5].status;
    EXPECT_EQ(rows[3].rms, "");
    EXPECT_FALSE(fs::exists(out / "S0003a.json"));
    EXPECT_FALSE(fs::exists(out / "S0004a.json"));
    EXPECT_TRUE(rows[4].Ok());
    EXPECT_EQ(rows[4].file, (survey_ / "S0004.edi").string());
    ExpectOnlyWholeFiles(out);
}

TEST_F(RunBatchTest, ResumeSkipsResultsThatReadBackAndRedoesTruncatedAndMissingOnes)
{
    const fs::path out = dir_ / "out";
    BatchPlan plan = PlanFor(survey_, out, 2);
    ASSERT_EQ(RunBatch(plan, {}, {}).status, BatchStatus::kFinished);
    const auto first = FolderFiles(out);

    const std::string truncated = first.at("S0002.json").substr(0, 300);
    std::ofstream(out / "S0002.json", std::ios::binary) << truncated;
    fs::remove(out / "S0005.json");
    fs::remove(out / kSummaryFileName);
    // A result that reads back but was made from another file is not this site's.
    fs::copy_file(out / "S0001.json", out / "S0006.json", fs::copy_options::overwrite_existing);

    plan.resume = true;
    std::vector<std::size_t> resumedSeen;
    BatchCallbacks callbacks;
    callbacks.progress = [&](const BatchProgress& p) { resumedSeen.push_back(p.resumed); };
    const BatchSummary summary = RunBatch(plan, callbacks, {});
    ASSERT_EQ(summary.status, BatchStatus::kFinished);
    EXPECT_EQ(summary.resumed, 3u);  // S0001, S0003, S0004
    EXPECT_EQ(resumedSeen.back(), 3u);
    EXPECT_EQ(FolderFiles(out), first);  // redone alike, and the summary lists the resumed sites too
    ExpectOnlyWholeFiles(out);
}

TEST_F(RunBatchTest, StoppingLosesOnlyUnfinishedSitesAndLeavesNoPartialFile)
{
    const fs::path out = dir_ / "out";
    BatchPlan plan = PlanFor(survey_, out, 1);
    std::stop_source stop;
    BatchCallbacks callbacks;
    callbacks.progress = [&](const BatchProgress& p) {
        if (p.done == 2) stop.request_stop();
    };
    const BatchSummary summary = RunBatch(plan, callbacks, stop.get_token());
    EXPECT_EQ(summary.status, BatchStatus::kCancelled);
    EXPECT_EQ(summary.ok, 2u);
    EXPECT_EQ(summary.cancelled, 4u);
    const auto rows = ParseSummaryCsv(ReadText(out / kSummaryFileName), "summary.csv");
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_TRUE(rows[1].Ok());
    EXPECT_EQ(rows[2].status, kStatusCancelled);
    EXPECT_EQ(rows[5].status, kStatusCancelled);
    EXPECT_EQ(FolderFiles(out).size(), 2u + 2u);
    ExpectOnlyWholeFiles(out);

    // Stopped before it starts: nothing fitted, every site listed.
    std::stop_source early;
    early.request_stop();
    plan.outputDir = dir_ / "out2";
    const BatchSummary none = RunBatch(plan, {}, early.get_token());
    EXPECT_EQ(none.cancelled, 6u);
    EXPECT_EQ(FolderFiles(dir_ / "out2").size(), 2u);
}

TEST_F(RunBatchTest, AFitInFlightIsCancelledWithoutAFile)
{
    // The stop comes from inside the first site's run, when it first reports progress: that run
    // is under way whatever the load of the machine. Each run is far too long to end on its own
    // before its next check of the stop (1000 starts; 10^8 samples), so a run that ignored the
    // stop would write its file and count as ok.
    const auto layered = [](BatchPlan& plan) {
        plan.fit.method = mt1d::fitting::Method::kLayered;
        plan.fit.layers = 4;
        plan.fit.starts = 1000;
    };
    const auto sample = [](BatchPlan& plan) {
        mt1d::sampling::SamplingOptions options;
        options.samples = 100'000'000;
        options.chains = 2;
        plan.sample = options;
    };
    for (const auto& setUp : {std::function<void(BatchPlan&)>(layered), std::function<void(BatchPlan&)>(sample)}) {
        const fs::path out = dir_ / "out";
        BatchPlan plan = PlanFor(survey_, out, 1);
        setUp(plan);
        std::stop_source stop;
        std::mutex mutex;
        std::set<std::string> running;
        BatchCallbacks callbacks;
        callbacks.running = [&](const std::string& site) {
            {
                const std::lock_guard lock(mutex);
                running.insert(site);
            }
            stop.request_stop();
        };
        const BatchSummary summary = RunBatch(plan, callbacks, stop.get_token());
        EXPECT_EQ(summary.status, BatchStatus::kCancelled);
        EXPECT_EQ(running, std::set<std::string>{"S0001"});  // no site started after the stop
        EXPECT_EQ(summary.cancelled, 6u);
        EXPECT_EQ(FolderFiles(out).size(), 2u);  // sites.csv and summary.csv
        fs::remove_all(out);
    }
}

TEST_F(RunBatchTest, AResultThatCannotBeWrittenFailsItsSiteOnlyAndLeavesNoTemporaryFile)
{
    BatchPlan plan = PlanFor(survey_, dir_ / "out", 2);
    const auto system = mt1d::io::FileCalls::System();
    plan.fileCalls.rename = [system](const char* from, const char* to) {
        if (std::string(to).ends_with("S0004.json")) {
            errno = ENOSPC;
            return -1;
        }
        return system.rename(from, to);
    };
    const BatchSummary summary = RunBatch(plan, {}, {});
    ASSERT_EQ(summary.status, BatchStatus::kFinished);
    EXPECT_EQ(summary.failed, 1u);
    EXPECT_NE(summary.rows[3].status.find("S0004.json"), std::string::npos) << summary.rows[3].status;
    EXPECT_NE(summary.rows[3].status.find(std::strerror(ENOSPC)), std::string::npos) << summary.rows[3].status;
    EXPECT_FALSE(fs::exists(dir_ / "out" / "S0004.json"));
    ExpectOnlyWholeFiles(dir_ / "out");

    // When the summary itself cannot be written the run says so.
    plan.fileCalls.rename = [system](const char* from, const char* to) {
        if (std::string(to).ends_with(kSummaryFileName)) return -1;
        return system.rename(from, to);
    };
    EXPECT_EQ(RunBatch(plan, {}, {}).status, BatchStatus::kCannotWrite);
}

TEST_F(RunBatchTest, RefusesPlansItCannotRunWithoutWritingAnything)
{
    const fs::path out = dir_ / "out";
    const BatchPlan good = PlanFor(survey_, out, 1);
    std::vector<BatchPlan> bad(5, good);
    bad[0].sites.clear();
    bad[1].sites[1].name = bad[1].sites[0].name;  // two sites of one name
    bad[2].sites[0].name = "../escape";
    bad[3].shard = {4, 3};
    bad[4].outputDir.clear();
    for (const BatchPlan& plan : bad) {
        const BatchSummary summary = RunBatch(plan, {}, {});
        EXPECT_EQ(summary.status, BatchStatus::kInvalidPlan);
        EXPECT_FALSE(summary.message.empty());
        EXPECT_FALSE(fs::exists(out));
    }
    // An output folder that is a file.
    BatchPlan blocked = good;
    blocked.outputDir = dir_.Write("file", "x");
    EXPECT_EQ(RunBatch(blocked, {}, {}).status, BatchStatus::kCannotWrite);
}

TEST_F(RunBatchTest, ProgressCountsEverySiteOnceWithARateAndTimeLeft)
{
    BatchPlan plan = PlanFor(survey_, dir_ / "out", 2);
    plan.shard = {2, 2};  // sites 4 to 6
    std::vector<BatchProgress> seen;
    BatchCallbacks callbacks;
    callbacks.progress = [&](const BatchProgress& p) { seen.push_back(p); };  // never two at once
    const BatchSummary summary = RunBatch(plan, callbacks, {});
    ASSERT_EQ(seen.size(), 3u);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].done, i + 1);
        EXPECT_EQ(seen[i].total, 3u);
        EXPECT_GT(seen[i].sitesPerSecond, 0.0);
        ASSERT_TRUE(seen[i].secondsLeft.has_value());
    }
    EXPECT_EQ(*seen.back().secondsLeft, 0.0);
    ASSERT_EQ(summary.rows.size(), 3u);
    EXPECT_EQ(summary.rows.front().site, "S0004");
    // Every shard lists the whole plan.
    EXPECT_EQ(ParseSitesCsv(ReadText(dir_ / "out" / kSitesFileName), "sites.csv"), plan.sites);
}

}  // namespace

namespace {

// The results' folder is synced once per group of results, not after each one; every result
// is still synced itself before its rename, and the folder is synced after the last result and
// before summary.csv is renamed into place.
TEST(RunBatchFolderSyncTest, SyncsTheFolderPerGroupAndEveryFileBeforeItsRename)
{
    TempDir dir;
    constexpr std::size_t kSites = 150;
    WriteSurvey(dir / "survey", batch_testing::SmallSurvey(kSites));
    BatchPlan plan = PlanFor(dir / "survey", dir / "out", 1);
    std::vector<std::string> calls;  // "file", "folder" (fsyncs) or the renamed file's name
    const auto system = mt1d::io::FileCalls::System();
    plan.fileCalls.fsync = [&calls, system](int fd) {
        struct stat s {};
        fstat(fd, &s);
        calls.push_back(S_ISDIR(s.st_mode) ? "folder" : "file");
        return system.fsync(fd);
    };
    plan.fileCalls.rename = [&calls, system](const char* from, const char* to) {
        calls.push_back(fs::path(to).filename().string());
        return system.rename(from, to);
    };
    const auto start = std::chrono::steady_clock::now();
    const BatchSummary summary = RunBatch(plan, {}, {});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(summary.status, BatchStatus::kFinished) << summary.message;
    ASSERT_EQ(summary.ok, kSites);

    std::size_t folderSyncs = 0;
    std::size_t results = 0;
    std::string previous;
    bool syncedSinceResult = true;
    for (const std::string& call : calls) {
        if (call == "folder") {
            ++folderSyncs;
            syncedSinceResult = true;
        } else if (call != "file") {
            EXPECT_EQ(previous, "file") << call << " renamed before its bytes were synced";
            if (call.ends_with(".json")) {
                ++results;
                syncedSinceResult = false;
            }
            if (call == kSummaryFileName) {
                EXPECT_TRUE(syncedSinceResult) << "summary.csv before the results' folder sync";
            }
        }
        previous = call;
    }
    EXPECT_EQ(results, kSites);
    // sites.csv and summary.csv sync the folder themselves, the end of the run once, and a
    // group of 64 results or a second of work once each: at most 4 + 150/64 + seconds. A sync
    // per result would make it 150 or more.
    EXPECT_GE(folderSyncs, 3u);
    EXPECT_LE(static_cast<double>(folderSyncs), 4.0 + static_cast<double>(kSites) / 64.0 + seconds);
}

}  // namespace
