// mt1d batch --resume takes an earlier result only when this run would have made it: the same
// file and every option the result depends on. Each change of such an option fits the site
// again and says which option differs; a site that now fails loses its earlier result.

#include "batch/Batch.h"
#include "report/FitJsonReader.h"
#include "tests/batch/BatchTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

using namespace mt1d::batch;
namespace fs = std::filesystem;
using batch_testing::FolderFiles;
using batch_testing::PlanFor;
using batch_testing::TempDir;

struct OptionChange {
    const char* name;
    std::function<void(BatchPlan&)> change;
    const char* key;  // of "options", named in the reason
};

// Every option a fit's result depends on, each changed alone from a quick layered or Occam fit.
std::vector<OptionChange> Changes()
{
    using mt1d::fitting::Method;
    using mt1d::sounding::Mode;
    return {
        {"Layers", [](BatchPlan& p) { p.fit.layers = 3; }, "layers"},
        {"Starts", [](BatchPlan& p) { p.fit.starts = 3; }, "starts"},
        {"Seed", [](BatchPlan& p) { p.fit.seed = 9; }, "seed"},
        {"Iterations", [](BatchPlan& p) { p.fit.maxIterations = 7; }, "max_iterations"},
        {"Target", [](BatchPlan& p) { p.fit.targetRms = 1.5; }, "target_rms"},
        {"Components", [](BatchPlan& p) { p.fit.components = mt1d::fitting::FitComponents::kPhase; }, "fit"},
        {"Method", [](BatchPlan& p) { p.fit = {}; }, "method"},
        {"Floor", [](BatchPlan& p) { p.data.floorPercent = 7.0; }, "floor_percent"},
        {"Mode", [](BatchPlan& p) { p.data.mode = Mode::kXy; }, "mode"},
        {"Rotation", [](BatchPlan& p) { p.data.rotateDeg = 10.0; }, "rotate_deg"},
        {"RelativeTolerance", [](BatchPlan& p) { p.fit.relativeTolerance = 1e-5; }, "relative_tolerance"},
        {"MaxDamping", [](BatchPlan& p) { p.fit.maxDamping = 1e10; }, "max_damping"},
        {"VarianceReading",
         [](BatchPlan& p) { p.data.varianceConvention = mt1d::sounding::VarianceConvention::kPart; }, "var_convention"},
        {"Exclusions", [](BatchPlan& p) { p.data.excludeFrequencies = {1.0}; }, "exclude_hz"},
        {"AnyPhase", [](BatchPlan& p) { p.data.keepAnyPhase = true; }, "keep_any_phase"},
        {"OnlyOneD", [](BatchPlan& p) { p.data.only1d = mt1d::dims::DimsOptions{}; }, "only_1d"},
        {"BothModes",
         [](BatchPlan& p) {
             p.data.mode = Mode::kXy;
             p.data.bothOffDiagonal = true;
         },
         "mode"},
        // A surface resistivity sets free factors: the earlier results had none.
        {"SurfaceAnchor", [](BatchPlan& p) { p.fit.surfaceRhoOhmM = 100.0; }, "shift"},
        {"ShiftPrior",
         [](BatchPlan& p) {
             p.fit.surfaceRhoOhmM = 100.0;
             p.fit.shiftPriorSd = 0.2;
         },
         "shift_prior_sd"},
    };
}

// The same for the options of the Occam mesh.
std::vector<OptionChange> MeshChanges()
{
    return {
        {"MeshLayers", [](BatchPlan& p) { p.fit.layers = 25; }, "layers"},
        {"TopDepth", [](BatchPlan& p) { p.fit.topDepthM = 20.0; }, "top_depth_m"},
        {"BottomDepth", [](BatchPlan& p) { p.fit.bottomDepthM = 5e4; }, "bottom_depth_m"},
        {"LayerTops", [](BatchPlan& p) { p.fit.layerTops = {0.0, 100.0, 1000.0, 5000.0}; }, "layer_tops"},
        {"RmsTolerance", [](BatchPlan& p) { p.fit.rmsTolerance = 1e-3; }, "rms_tolerance"},
        {"StepCuts", [](BatchPlan& p) { p.fit.stepCuts = 3; }, "step_cuts"},
    };
}

class ResumeTest : public testing::Test {
protected:
    void SetUp() override { WriteSurvey(dir_ / "survey", batch_testing::SmallSurvey(3)); }

    BatchPlan Plan(const fs::path& out, mt1d::fitting::Method method) const
    {
        BatchPlan plan = PlanFor(dir_ / "survey", out, 1);
        plan.fit.method = method;
        if (method == mt1d::fitting::Method::kLayered) {
            plan.fit.layers = 2;
            plan.fit.starts = 2;
        } else {
            plan.fit.layers = 20;
        }
        return plan;
    }

    // Resumes `plan` changed by `change` in a copy of `done`; returns why each site was redone.
    std::map<std::string, std::string> ResumeChanged(const fs::path& done, BatchPlan plan,
                                                     const std::function<void(BatchPlan&)>& change,
                                                     BatchSummary& summary)
    {
        const fs::path copy = dir_ / "copy";
        fs::remove_all(copy);
        fs::copy(done, copy);
        plan.outputDir = copy;
        plan.resume = true;
        change(plan);
        std::map<std::string, std::string> redone;
        BatchCallbacks callbacks;
        callbacks.redone = [&](const std::string& site, const std::string& why) { redone[site] = why; };
        summary = RunBatch(plan, callbacks, {});
        return redone;
    }

    void ExpectEachChangeRedoesEverySite(mt1d::fitting::Method method, const std::vector<OptionChange>& changes)
    {
        const fs::path done = dir_ / ("done-" + std::string(mt1d::fitting::ToString(method)));
        const BatchPlan plan = Plan(done, method);
        ASSERT_EQ(RunBatch(plan, {}, {}).status, BatchStatus::kFinished);

        BatchSummary same;
        EXPECT_TRUE(ResumeChanged(done, plan, [](BatchPlan&) {}, same).empty());
        EXPECT_EQ(same.resumed, 3u) << "the same options resume every site";

        for (const OptionChange& c : changes) {
            BatchSummary summary;
            const auto redone = ResumeChanged(done, plan, c.change, summary);
            EXPECT_EQ(summary.resumed, 0u) << c.name;
            ASSERT_EQ(redone.size(), 3u) << c.name;
            for (const auto& [site, why] : redone) {
                EXPECT_NE(why.find(std::string(c.key) + " "), std::string::npos) << c.name << ": " << why;
            }
        }
    }

    TempDir dir_;
};

TEST_F(ResumeTest, AnyChangedOptionOfALayeredFitFitsEverySiteAgainAndSaysWhich)
{
    ExpectEachChangeRedoesEverySite(mt1d::fitting::Method::kLayered, Changes());
}

TEST_F(ResumeTest, AnyChangedOptionOfAnOccamMeshFitsEverySiteAgainAndSaysWhich)
{
    ExpectEachChangeRedoesEverySite(mt1d::fitting::Method::kOccam, MeshChanges());
}

TEST_F(ResumeTest, MoreLayersReplaceTheEarlierModels)
{
    // The report that started this: --layers 2, then --resume --layers 4 kept the 2-layer models.
    const fs::path out = dir_ / "out";
    BatchPlan plan = Plan(out, mt1d::fitting::Method::kLayered);
    ASSERT_EQ(RunBatch(plan, {}, {}).status, BatchStatus::kFinished);
    plan.resume = true;
    plan.fit.layers = 4;
    const BatchSummary summary = RunBatch(plan, {}, {});
    EXPECT_EQ(summary.resumed, 0u);
    for (const auto& row : summary.rows) {
        const auto record = mt1d::report::ReadFitJsonFile(out / (row.site + ".json"));
        EXPECT_EQ(record.report.layers.size(), 4u) << row.site;
    }
}

TEST_F(ResumeTest, ASiteThatNowFailsLosesItsEarlierResult)
{
    const fs::path out = dir_ / "out";
    BatchPlan plan = Plan(out, mt1d::fitting::Method::kLayered);
    ASSERT_EQ(RunBatch(plan, {}, {}).status, BatchStatus::kFinished);
    ASSERT_TRUE(fs::exists(out / "S0002.json"));
    dir_.Write("survey/S0002.edi", "damaged\n");
    for (const bool resume : {false, true}) {
        plan.resume = resume;
        const BatchSummary summary = RunBatch(plan, {}, {});
        ASSERT_EQ(summary.rows.size(), 3u);
        EXPECT_TRUE(summary.rows[1].status.starts_with("cannot read: ")) << "resume " << resume << ": " << summary.rows[1].status;
        EXPECT_FALSE(fs::exists(out / "S0002.json")) << "resume " << resume;
        EXPECT_TRUE(fs::exists(out / "S0001.json"));
    }
}

}  // namespace
