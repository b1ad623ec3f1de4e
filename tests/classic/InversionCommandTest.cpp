#include "classic/Commands.h"
#include "classic/InputChecks.h"
#include "tests/classic/StoreTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <algorithm>

using namespace mt1d;
using store_testing::ExpectRefusal;
using store_testing::ExpectSameStore;
using store_testing::StartedStore;

namespace {

const std::string kHeading = "\n\n\t反演结果\n\n拟合情况：\n";
const std::string kModelHeading = "\n\n模型参数：\n#      Res       H\n";

TEST(InversionReportText, HasTheExactLayout)
{
    const float res[] = {1000.04f, 10.26f, 999.95f};
    const float thick[] = {500.0f, 12.34f, 20.0f};
    EXPECT_EQ(InversionReport("拟合成功.", 7, 0.000123f, 5, res, thick),
              "拟合成功.\n\n\t反演结果\n\n拟合情况：\n"
              "迭代次数：7\n"
              "拟 合 差：1.23E-04\n\n模型参数：\n#      Res       H\n"
              "1   1000.0   500.0\n"
              "2   10.3   12.3\n"
              "3   1000.0   20.0\n");
}

TEST(InversionReportText, ListsCountOverTwoPlusOneLayers)
{
    const float values[4] = {1, 2, 3, 4};
    const struct {
        int count;
        int lines;
    } cases[] = {{1, 1}, {5, 3}, {6, 4}, {0, 1}};
    for (const auto& c : cases) {
        const std::string report = InversionReport("", 1, 0.0f, c.count, values, values);
        const std::string tail = report.substr(report.find(kModelHeading) + kModelHeading.size());
        EXPECT_EQ(std::count(tail.begin(), tail.end(), '\n'), c.lines) << c.count;
    }
}

TEST(InversionReportText, FailureMessageLeadsStraightIntoTheHeading)
{
    const float values[3] = {1, 2, 3};
    const std::string report = InversionReport("奇异值分解错误.", 3, 2.5f, 5, values, values);
    EXPECT_EQ(report.rfind("奇异值分解错误." + kHeading, 0), 0u);
    EXPECT_NE(report.find("拟 合 差：2.50E+00\n\n模型参数："), std::string::npos);
}

struct Selection {
    int source;
    int method;
};

class InversionCommandFor : public testing::TestWithParam<Selection> {};

// What the runs give is pinned by WholeRunTest; here, what the command does with it.
TEST_P(InversionCommandFor, WritesOnlyTheResultAndReportsTheEngineEnding)
{
    auto store = StartedStore();
    const auto before = std::make_unique<ModelStore>(*store);
    const bool constrained = GetParam().method == kMethodConstrained;

    const InversionOutcome outcome = RunInversion(*store, GetParam().source, GetParam().method);
    EXPECT_EQ(outcome.paramCount, 5);
    EXPECT_NE(outcome.summary.ending, mt::RunEnding::kNotRun);
    EXPECT_EQ(outcome.summary.succeeded, mt::EndingSucceeded(outcome.summary.ending));
    EXPECT_EQ(outcome.message, mt::EndingMessage(outcome.summary.ending, constrained));
    EXPECT_EQ(outcome.report, InversionReport(outcome.message, outcome.summary.iterations,
                                              outcome.summary.misfit, 5, store->InvRes,
                                              store->InvThick));
    // The half-space entry is no parameter: it keeps 0.2 × 100.
    EXPECT_EQ(store->InvModel[5], 20.0f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(store->InvRes[i], store->InvModel[i]) << i;
        EXPECT_EQ(store->InvThick[i], store->InvModel[3 + i]) << i;
    }
    // Only the inversion's own members change.
    std::copy_n(before->InvModel, 5, store->InvModel);
    std::fill_n(store->InvRes, 3, 0.0f);
    std::fill_n(store->InvThick, 3, 0.0f);
    ExpectSameStore(*store, *before);
}

std::string SelectionName(const testing::TestParamInfo<Selection>& info)
{
    const char* const sources[] = {"AppRes", "Phase", "Both"};
    const char* const methods[] = {"Svd", "Constrained"};
    return std::string(sources[info.param.source]) + methods[info.param.method];
}

INSTANTIATE_TEST_SUITE_P(EachSourceAndMethod, InversionCommandFor,
                         testing::Values(Selection{kSourceAppRes, kMethodSvd},
                                         Selection{kSourceAppRes, kMethodConstrained},
                                         Selection{kSourcePhase, kMethodSvd},
                                         Selection{kSourcePhase, kMethodConstrained},
                                         Selection{kSourceBoth, kMethodSvd},
                                         Selection{kSourceBoth, kMethodConstrained}),
                         SelectionName);

TEST(InversionCommand, AnyOtherSourceIndexFitsBoth)
{
    auto a = StartedStore();
    auto b = StartedStore();
    const InversionOutcome both = RunInversion(*a, kSourceBoth, kMethodSvd);
    const InversionOutcome other = RunInversion(*b, 7, 5);  // method 5: singular value
    EXPECT_EQ(both.report, other.report);
    ExpectSameStore(*a, *b);
}

TEST(InversionCommand, SingularValueRunOnTheDefaultDataFindsTheModel)
{
    auto store = StartedStore();
    const InversionOutcome outcome = RunInversion(*store, kSourceAppRes, kMethodSvd);
    const auto& model = kDefaultModel;
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(store->InvModel[k], model[k], model[k] * 1e-3) << k;
    EXPECT_NE(outcome.report.find("1   1000.0   500.0\n2   10.0   500.0\n3   1000.0   20.0\n"),
              std::string::npos)
        << outcome.report;
}

TEST(InversionCommand, ResetRestoresTheDefaultSetup)
{
    auto store = StartedStore();
    RunInversion(*store, kSourceBoth, kMethodSvd);
    ApplyBoundsTable(*store, {{"1", "2", "3", "4"}, {"5", "6", "7", "8"}, {"9", "10", "11", "12"}});
    ResetInversion(*store);
    auto expected = StartedStore();
    // The report arrays keep the last inversion; everything else is as after start-up.
    std::copy_n(store->InvRes, 100, expected->InvRes);
    std::copy_n(store->InvThick, 100, expected->InvThick);
    ExpectSameStore(*store, *expected);
}

std::unique_ptr<ModelStore> StoreOfLayers(int layers)
{
    auto store = std::make_unique<ModelStore>();
    RunForward(*store, std::to_string(layers),
               std::vector<LayerText>(layers, LayerText{"100", "50"}));
    return store;
}

TEST(InversionCommand, RefusesModelsTooLargeForTheEngine)
{
    const struct {
        int source;
        int layers;
        std::vector<std::string> named;
    } cases[] = {
        {kSourceAppRes, 16, {"视电阻率反演最多 15 层", "apparent resistivity allows at most 15 layers", "has 16"}},
        {kSourcePhase, 16, {"相位反演最多 15 层", "phase allows at most 15 layers"}},
        {kSourceBoth, 10, {"视电阻率+相位反演最多 9 层", "together allows at most 9 layers", "has 10"}},
        {kSourceBoth, 50, {"at most 9 layers", "has 50"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layers);
        for (const int method : {kMethodSvd, kMethodConstrained}) {
            auto store = StoreOfLayers(c.layers);
            const auto before = std::make_unique<ModelStore>(*store);
            ExpectRefusal([&] { RunInversion(*store, c.source, method); }, c.named);
            ExpectSameStore(*store, *before);
        }
    }
}

TEST(InversionCommand, LargestModelsOfEachEngineRun)
{
    for (const auto& [source, layers] : {std::pair{kSourceAppRes, 15}, std::pair{kSourcePhase, 15},
                                         std::pair{kSourceBoth, 9}}) {
        auto store = StoreOfLayers(layers);
        const InversionOutcome outcome = RunInversion(*store, source, kMethodConstrained);
        EXPECT_EQ(outcome.paramCount, 2 * layers - 1) << source;
    }
}

// Bounds the constrained method cannot use; the singular value method ignores bounds.
TEST(InversionCommand, ConstrainedMethodRefusesUnusableBounds)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        int slot;
        float lower;
        float upper;
        std::vector<std::string> named;
    } cases[] = {
        {0, 0.0f, 1000.0f, {"第 1 层电阻率的下限", "lower bound of the resistivity of layer 1", "not 0"}},
        {4, 50.0f, -3.0f, {"第 2 层厚度的上限", "upper bound of the thickness of layer 2", "not -3"}},
        {1, 200.0f, 100.0f, {"下限 200 高于上限 100",
                             "lower bound 200 of the resistivity of layer 2 is above its upper bound 100"}},
        {2, inf, inf, {"lower bound of the resistivity of layer 3", "not inf"}},
        {3, 50.0f, nan, {"upper bound of the thickness of layer 1", "not nan"}},
        {3, -1.0f, -0.5f, {"lower bound of the thickness of layer 1", "not -1"}},
        // One decade beyond the accepted model ranges, and no further.
        {2, 9e-6f, 1000.0f, {"第 3 层电阻率的下限必须在 1e-5 到 1e9 ohm-m 之间",
                             "lower bound of the resistivity of layer 3 must lie between 1e-5 and 1e9 ohm-m, not 9e-06"}},
        {1, 1.0f, 2e9f, {"upper bound of the resistivity of layer 2 must lie between 1e-5 and 1e9 ohm-m"}},
        {4, 5e-5f, 10.0f, {"lower bound of the thickness of layer 2 must lie between 1e-4 and 1e8 m"}},
        {3, 50.0f, 3e38f, {"upper bound of the thickness of layer 1", "not 3e+38"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        auto store = StartedStore();
        store->LowerBound[c.slot] = c.lower;
        store->UpperBound[c.slot] = c.upper;
        const auto before = std::make_unique<ModelStore>(*store);
        ExpectRefusal([&] { RunInversion(*store, kSourceAppRes, kMethodConstrained); }, c.named);
        ExpectSameStore(*store, *before);
        EXPECT_NO_THROW(RunInversion(*store, kSourceAppRes, kMethodSvd));
    }
}

// The default bounds of any model the forward command accepts are bounds the constrained
// method accepts: models at each edge of the accepted ranges.
TEST(InversionCommand, DefaultBoundsOfModelsAtTheRangeEdgesAreAccepted)
{
    const std::vector<std::vector<LayerText>> tables = {
        {{"1e-4", "1e-3"}, {"1e8", "1e7"}, {"1e-4", "1e-3"}},
        {{"1e8", "1e7"}, {"1e-4", "1e-3"}, {"1e8", "1e7"}},
    };
    for (const auto& table : tables) {
        auto store = std::make_unique<ModelStore>();
        RunForward(*store, "3", table);
        EXPECT_NO_THROW(RunInversion(*store, kSourceAppRes, kMethodConstrained)) << table[0].resistivity;
    }
}

TEST(InversionCommand, HalfSpaceBoundsAreNoParameterBounds)
{
    auto store = StartedStore();
    store->LowerBound[5] = -1.0f;
    store->UpperBound[5] = 0.0f;
    EXPECT_NO_THROW(RunInversion(*store, kSourceAppRes, kMethodConstrained));
}

TEST(InversionCommand, LetsTheWindowRepaint)
{
    int calls = 0;
    const std::function<void()> hook = [&] { ++calls; };
    auto store = StartedStore();
    RunInversion(*store, kSourceAppRes, kMethodSvd, hook);
    EXPECT_EQ(calls, 0);  // the singular value run lets nothing through
    ResetInversion(*store);
    const InversionOutcome outcome = RunInversion(*store, kSourceAppRes, kMethodConstrained, hook);
    // Each iteration lets messages through at its start, before its decomposition and
    // after its trial misfit.
    EXPECT_GE(calls, 3 * outcome.summary.iterations);
    EXPECT_GT(outcome.summary.iterations, 0);
}

}  // namespace
