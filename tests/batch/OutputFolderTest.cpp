// The output folder belongs to one run at a time, and what a killed run left half-written in
// it goes before the next run writes.

#include "batch/Batch.h"
#include "batch/OutputFolder.h"
#include "tests/batch/BatchTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using namespace mt1d::batch;
namespace fs = std::filesystem;
using batch_testing::FolderFiles;
using batch_testing::PlanFor;
using batch_testing::ReadText;
using batch_testing::TempDir;

class OutputFolderTest : public testing::Test {
protected:
    void SetUp() override { WriteSurvey(dir_ / "survey", batch_testing::SmallSurvey(3)); }

    TempDir dir_;
    fs::path out_ = dir_ / "out";
};

TEST_F(OutputFolderTest, SecondRunIntoAHeldFolderIsRefusedAtOnceAndWritesNothing)
{
    fs::create_directories(out_);
    {
        // Held as another run would hold it (a second open file description of the lock file).
        const mt1d::io::FolderLock other = ClaimOutputFolder(out_);
        const BatchSummary refused = RunBatch(PlanFor(dir_ / "survey", out_, 1), {}, {});
        EXPECT_EQ(refused.status, BatchStatus::kFolderBusy);
        EXPECT_NE(refused.message.find(out_.string()), std::string::npos) << refused.message;
        EXPECT_NE(refused.message.find("process " + std::to_string(::getpid())), std::string::npos) << refused.message;
        const auto files = FolderFiles(out_);
        ASSERT_EQ(files.size(), 1u) << "only the holder's lock file";
        EXPECT_EQ(files.begin()->first, kLockFileName);
    }
    const BatchSummary summary = RunBatch(PlanFor(dir_ / "survey", out_, 1), {}, {});
    EXPECT_EQ(summary.status, BatchStatus::kFinished) << summary.message;
    EXPECT_FALSE(fs::exists(out_ / kLockFileName)) << "a finished run leaves no lock behind";
}

TEST_F(OutputFolderTest, TemporariesOfAKilledRunAreRemovedOtherHiddenFilesStay)
{
    for (const bool resume : {false, true}) {
        SCOPED_TRACE(resume ? "resume" : "new run");
        fs::create_directories(out_);
        const std::vector<std::string> stale = {".S0001.json.ZSCpze", ".summary.csv.Ab12Cd", ".sites.csv.000000",
                                                "." + std::string(200, 'q') + "~.json.xyzXYZ"};
        const std::vector<std::string> kept = {".notes.txt.Ab12Cd", ".keep", ".S0001.json.bak"};
        for (const std::string& name : stale) dir_.Write("out/" + name, "{\"partial");
        for (const std::string& name : kept) dir_.Write("out/" + name, "mine");
        fs::create_directories(out_ / ".S0002.json.Folder");  // a folder is never removed
        BatchPlan plan = PlanFor(dir_ / "survey", out_, 1);
        plan.resume = resume;
        ASSERT_EQ(RunBatch(plan, {}, {}).status, BatchStatus::kFinished);
        for (const std::string& name : stale) EXPECT_FALSE(fs::exists(out_ / name)) << name;
        for (const std::string& name : kept) EXPECT_EQ(ReadText(out_ / name), "mine") << name;
        EXPECT_TRUE(fs::is_directory(out_ / ".S0002.json.Folder"));
    }
}

TEST_F(OutputFolderTest, SiteNameOf245CharactersIsWritten)
{
    // <site>.json is 250 bytes, within the 255 of a name; its temporary must fit as well.
    const std::string site(245, 'L');
    fs::rename(dir_ / "survey" / "S0002.edi", dir_ / "survey" / (site + ".edi"));
    const BatchSummary summary = RunBatch(PlanFor(dir_ / "survey", out_, 1), {}, {});
    ASSERT_EQ(summary.status, BatchStatus::kFinished) << summary.message;
    EXPECT_EQ(summary.failed, 0u);
    for (const SummaryRow& row : summary.rows) EXPECT_TRUE(row.Ok()) << row.site << ": " << row.status;
    EXPECT_TRUE(fs::exists(out_ / (site + ".json")));
}

}  // namespace
