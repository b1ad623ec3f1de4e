// Batches that sample each site: files independent of the worker count and seeded per site,
// the summary row read off the result file, resuming only runs made alike, and sites that
// cannot be sampled recorded while the others go on.

#include "batch/Batch.h"
#include "batch/BatchError.h"
#include "tests/batch/BatchTestSupport.h"
#include "tests/support/SampleTimings.h"
#include "batch/SiteSample.h"
#include "report/Formatting.h"

#include "jobs/SiteSeed.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <set>

namespace {

using namespace mt1d::batch;
namespace fs = std::filesystem;
using batch_testing::FolderFiles;
using batch_testing::PlanFor;
using batch_testing::ReadText;
using batch_testing::TempDir;
using nlohmann::json;

// A short run: enough for every part of the result, a few milliseconds a site.
mt1d::sampling::SamplingOptions SmallRun()
{
    mt1d::sampling::SamplingOptions options;
    options.samples = 3000;
    options.burnIn = 500;
    options.chains = 2;
    options.seed = 7;
    return options;
}

// Every file of the folder, the results without their timings.
std::map<std::string, std::string> SampleFiles(const fs::path& folder)
{
    std::map<std::string, std::string> files = batch_testing::FolderFiles(folder);
    for (auto& [name, text] : files) text = mt1d_testing::WithoutTimings(text);
    return files;
}

class SampleBatchTest : public testing::Test {
protected:
    void SetUp() override { WriteSurvey(survey_, batch_testing::SmallSurvey(4)); }

    BatchPlan SamplePlan(const fs::path& out, std::size_t workers) const
    {
        BatchPlan plan = PlanFor(survey_, out, workers);
        plan.sample = SmallRun();
        return plan;
    }

    TempDir dir_;
    fs::path survey_ = dir_ / "survey";
};

TEST_F(SampleBatchTest, OneAndTwoWorkersWriteByteIdenticalFoldersSeededPerSite)
{
    std::map<std::string, std::string> folders[2];
    for (const std::size_t workers : {1u, 2u}) {
        const fs::path out = dir_ / ("out" + std::to_string(workers));
        const BatchSummary summary = RunBatch(SamplePlan(out, workers), {}, {});
        ASSERT_EQ(summary.status, BatchStatus::kFinished) << summary.message;
        EXPECT_EQ(summary.failed + summary.ok, 4u);
        folders[workers - 1] = SampleFiles(out);
    }
    EXPECT_EQ(folders[0].size(), 4u + 2u);  // a result per site, sites.csv, summary.csv
    EXPECT_EQ(folders[0], folders[1]);

    std::set<std::uint64_t> seeds;
    const auto rows = ParseSummaryCsv(folders[0].at(kSummaryFileName), "summary.csv");
    ASSERT_EQ(rows.size(), 4u);
    for (const SummaryRow& row : rows) {
        const json doc = json::parse(folders[0].at(row.site + ".json"));
        EXPECT_EQ(doc.at("format"), "mt1d sample");
        EXPECT_EQ(doc.at("options").at("seed").get<std::uint64_t>(), mt1d::jobs::SiteSeed(7, row.site)) << row.site;
        seeds.insert(doc.at("options").at("seed").get<std::uint64_t>());
        EXPECT_EQ(row.method, "sample");
        EXPECT_EQ(row.iterations, "3000");
        EXPECT_EQ(row.rms, mt1d::io::NumberText(doc.at("best_rms").get<double>()));
        const json& where = doc.at("site");
        EXPECT_EQ(row.latitude, mt1d::io::NumberText(where.at("latitude_deg").get<double>()));
        EXPECT_EQ(row.longitude, mt1d::io::NumberText(where.at("longitude_deg").get<double>()));
    }
    EXPECT_EQ(seeds.size(), 4u);
}

// The row's judgement of a result, case by case, on a real result with its fields changed.
TEST_F(SampleBatchTest, RowSaysTargetReachedOnlyWhenBothRhatsAreBelowTheLimit)
{
    ASSERT_EQ(RunBatch(SamplePlan(dir_ / "out", 1), {}, {}).status, BatchStatus::kFinished);
    const json real = json::parse(ReadText(dir_ / "out" / "S0002.json"));
    struct Case {
        json misfit;
        json layers;
        json warnings;
        const char* targetReached;
        const char* status;
    };
    const std::vector<Case> cases = {
        {1.0, 1.09, json::array(), "true", "ok"},
        {1.1, 1.0, json::array(), "false", "ok"},     // the limit itself does not agree
        {1.0, 1.1, json::array(), "false", "ok"},
        {nullptr, 1.0, json::array(), "false", "ok"},  // not finite
        {1.0, 1.0, json::array({"one", "two"}), "true", "not-converged: one; two"},
    };
    for (const Case& c : cases) {
        json doc = real;
        doc["rhat"]["misfit"] = c.misfit;
        doc["rhat"]["layer_count"] = c.layers;
        doc["warnings"] = c.warnings;
        const SummaryRow row = SampleRow("S0002", "f.edi", doc.dump());
        EXPECT_EQ(row.targetReached, c.targetReached) << c.misfit << " " << c.layers;
        EXPECT_EQ(row.status, c.status) << c.misfit << " " << c.layers;
    }
    json unplaced = real;
    unplaced["site"]["latitude_deg"] = nullptr;
    unplaced["depth_of_investigation_m"] = 1234.5;
    const SummaryRow row = SampleRow("S0002", "f.edi", unplaced.dump());
    EXPECT_EQ(row.latitude, "");
    EXPECT_EQ(row.depthOfInvestigationM, "1234.5");
    EXPECT_THROW(SampleRow("S0002", "f.edi", R"({"format": "mt1d fit"})"), BatchError);
    EXPECT_THROW(SampleRow("S0002", "f.edi", real.dump().substr(0, 200)), BatchError);
}

TEST_F(SampleBatchTest, ResumeTakesOnlyResultsSampledAlikeAndNeverAnotherMethods)
{
    const fs::path out = dir_ / "out";
    BatchPlan plan = SamplePlan(out, 2);
    ASSERT_EQ(RunBatch(plan, {}, {}).status, BatchStatus::kFinished);
    const auto first = SampleFiles(out);
    plan.resume = true;

    // The same run: every site taken from its file, the folder unchanged.
    BatchSummary again = RunBatch(plan, {}, {});
    EXPECT_EQ(again.resumed, 4u);
    EXPECT_EQ(SampleFiles(out), first);

    // A change of any option the result depends on samples again.
    const std::vector<std::function<void(BatchPlan&)>> changes = {
        [](BatchPlan& p) { p.sample->samples = 2000; },
        [](BatchPlan& p) { p.sample->burnIn = 400; },
        [](BatchPlan& p) { p.sample->seed = 8; },
        [](BatchPlan& p) { p.sample->prior.maxRhoOhmM = 1e4; },
        [](BatchPlan& p) { p.sample->prior.maxInterfaces = 5; },
        [](BatchPlan& p) { p.data.floorPercent = 7; },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        BatchPlan other = plan;
        changes[i](other);
        other.outputDir = dir_ / "copy";
        fs::remove_all(other.outputDir);
        fs::copy(out, other.outputDir);
        EXPECT_EQ(RunBatch(other, {}, {}).resumed, 0u) << "change " << i;
    }

    // A fit's folder resumed by a sampling run, and the other way round: all run again.
    BatchPlan fit = PlanFor(survey_, dir_ / "fits", 2);
    ASSERT_EQ(RunBatch(fit, {}, {}).status, BatchStatus::kFinished);
    BatchPlan sampleOverFits = SamplePlan(dir_ / "fits", 2);
    sampleOverFits.resume = true;
    EXPECT_EQ(RunBatch(sampleOverFits, {}, {}).resumed, 0u);
    EXPECT_EQ(SampleFiles(dir_ / "fits"), first);  // now sampled over, as the first folder
    fit.resume = true;
    EXPECT_EQ(RunBatch(fit, {}, {}).resumed, 0u);

    // A truncated result is sampled again and replaced.
    std::ofstream(out / "S0003.json", std::ios::binary) << first.at("S0003.json").substr(0, 100);
    again = RunBatch(plan, {}, {});
    EXPECT_EQ(again.resumed, 3u);
    EXPECT_EQ(SampleFiles(out), first);
}

TEST_F(SampleBatchTest, SitesThatCannotBeSampledAreRecordedAndTheOthersGoOn)
{
    const std::string bad = (dir_ / "bad.txt").string();
    std::ofstream(bad) << "not a sounding\n";
    BatchPlan plan = SamplePlan(dir_ / "out", 2);
    plan.sites.insert(plan.sites.begin(), mt1d::jobs::SiteInput{"bad", bad});
    BatchSummary summary = RunBatch(plan, {}, {});
    ASSERT_EQ(summary.rows.size(), 5u);
    EXPECT_TRUE(summary.rows[0].status.starts_with("cannot read: ")) << summary.rows[0].status;
    EXPECT_EQ(summary.rows[1].method, "sample");
    EXPECT_FALSE(fs::exists(dir_ / "out" / "bad.json"));

    // Bounds that make no prior: every site refused by the sampler, with its reason.
    plan.sample->prior.minRhoOhmM = 1000;
    plan.sample->prior.maxRhoOhmM = 10;
    plan.outputDir = dir_ / "out2";
    summary = RunBatch(plan, {}, {});
    EXPECT_EQ(summary.failed, 5u);
    EXPECT_TRUE(summary.rows[2].status.starts_with("cannot sample: ")) << summary.rows[2].status;
    EXPECT_EQ(SampleFiles(dir_ / "out2").size(), 2u);
}

}  // namespace
