// Shards joined by MergeShards equal a single run, byte for byte, and folders that do not
// belong together are refused before anything is written.

#include "batch/Batch.h"
#include "batch/BatchError.h"
#include "tests/batch/BatchTestSupport.h"
#include "batch/Merge.h"

#include <gtest/gtest.h>

namespace {

using namespace mt1d::batch;
namespace fs = std::filesystem;
using batch_testing::FolderFiles;
using batch_testing::PlanFor;
using batch_testing::TempDir;

class MergeTest : public testing::Test {
protected:
    void SetUp() override
    {
        WriteSurvey(dir_ / "survey", batch_testing::SmallSurvey(7));
        dir_.Write("survey/broken.edi", ">HEAD\n");  // a failure travels through the shards too
    }

    BatchPlan Plan(const std::string& out, Shard shard) const
    {
        BatchPlan plan = PlanFor(dir_ / "survey", dir_ / out, 2);
        plan.shard = shard;
        return plan;
    }

    std::vector<fs::path> RunShards(std::size_t count) const
    {
        std::vector<fs::path> folders;
        for (std::size_t i = 1; i <= count; ++i) {
            const std::string name = "shard" + std::to_string(i);
            EXPECT_EQ(RunBatch(Plan(name, {i, count}), {}, {}).status, BatchStatus::kFinished);
            folders.push_back(dir_ / name);
        }
        return folders;
    }

    TempDir dir_;
};

TEST_F(MergeTest, ThreeShardsMergedEqualASingleRun)
{
    ASSERT_EQ(RunBatch(Plan("single", {1, 1}), {}, {}).status, BatchStatus::kFinished);
    std::vector<fs::path> shards = RunShards(3);
    // The order the folders are named in does not matter.
    std::swap(shards[0], shards[2]);
    const MergeResult merged = MergeShards(shards, dir_ / "merged");
    EXPECT_TRUE(merged.missing.empty());
    EXPECT_EQ(merged.rows.size(), 8u);
    EXPECT_EQ(merged.failed, 1u);
    const auto single = FolderFiles(dir_ / "single");
    EXPECT_EQ(single.size(), 7u + 2u);
    EXPECT_EQ(FolderFiles(dir_ / "merged"), single);
}

TEST_F(MergeTest, AShardNotRunLeavesItsSitesMissing)
{
    const std::vector<fs::path> shards = RunShards(3);
    const MergeResult merged = MergeShards({shards[0], shards[2]}, dir_ / "merged");
    // 8 sites in 3 shards: ⌊8i/3⌋ = 0, 2, 5, 8; the second holds sites 3 to 5 (S0003 to S0005).
    EXPECT_EQ(merged.missing, (std::vector<std::string>{"S0003", "S0004", "S0005"}));
    EXPECT_EQ(merged.rows.size(), 5u);
}

TEST_F(MergeTest, RefusesFoldersThatDoNotBelongTogetherBeforeWritingAnything)
{
    const std::vector<fs::path> shards = RunShards(2);
    // Another plan: the same survey without one file.
    fs::remove(dir_ / "survey" / "S0007.edi");
    ASSERT_EQ(RunBatch(Plan("other", {1, 2}), {}, {}).status, BatchStatus::kFinished);
    dir_.Write("not-a-batch/summary.csv", "x\n");
    const struct {
        std::vector<fs::path> shards;
        fs::path out;
        std::string why;
    } cases[] = {
        {{}, dir_ / "merged", "needs the output folders"},
        {{shards[0], dir_ / "other"}, dir_ / "merged", "shards of different batches"},
        {{shards[0], dir_ / "not-a-batch"}, dir_ / "merged", "sites.csv is missing"},
        {{shards[0], shards[1]}, shards[1], "is one of the shard folders"},
    };
    for (const auto& c : cases) {
        try {
            MergeShards(c.shards, c.out);
            ADD_FAILURE() << "accepted: " << c.why;
        } catch (const BatchError& e) {
            EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << e.what();
        }
        EXPECT_FALSE(fs::exists(dir_ / "merged"));
    }
    // A site whose rows differ between two folders (a shard run twice with other options).
    std::ofstream(shards[1] / kSummaryFileName, std::ios::app) << "S0001,x.edi,,,,,,,,,,other\n";
    EXPECT_THROW(MergeShards({shards[0], shards[1]}, dir_ / "merged"), BatchError);
    EXPECT_FALSE(fs::exists(dir_ / "merged"));
}

}  // namespace
