// Whole inversion runs through the inversion command, pinned bit for bit: every data source and
// method, two presses each, on three models (WholeRuns.h). The expectations come from
// GenerateWholeRuns.cpp; a change in the engine's arithmetic, its thresholds or its set-up
// shows here as a changed ending, iteration count, misfit or model value.

#include "tests/classic/WholeRunExpectations.h"
#include "tests/classic/WholeRuns.h"

#include <gtest/gtest.h>

namespace {

using namespace whole_runs;

struct Scenario {
    int model;
    int source;
    int method;
};

void PrintTo(const Scenario& s, std::ostream* out)
{
    *out << Models()[s.model].name << ", " << kSourceNames[s.source] << ", " << kMethodNames[s.method];
}

class WholeRun : public testing::TestWithParam<Scenario> {};

TEST_P(WholeRun, EndsAsRecordedWithTheRecordedModel)
{
    const Scenario s = GetParam();
    const std::vector<Press> presses = RunPresses(s.model, s.source, s.method);
    int compared = 0;
    for (const Expected& expected : kExpected) {
        if (expected.model != s.model || expected.source != s.source || expected.method != s.method) {
            continue;
        }
        ASSERT_LE(expected.press, static_cast<int>(presses.size()));
        for (const std::string& difference : Differences(expected, presses[expected.press - 1])) {
            ADD_FAILURE() << "press " << expected.press << ": " << difference;
        }
        ++compared;
    }
    EXPECT_EQ(compared, kPresses) << "no recorded presses: regenerate WholeRunExpectations.h";
}

std::vector<Scenario> AllScenarios()
{
    std::vector<Scenario> all;
    for (int m = 0; m < static_cast<int>(Models().size()); ++m) {
        for (int method : {mt1d::kMethodSvd, mt1d::kMethodConstrained}) {
            for (int source : {mt1d::kSourceAppRes, mt1d::kSourcePhase, mt1d::kSourceBoth}) {
                all.push_back({m, source, method});
            }
        }
    }
    return all;
}

std::string ScenarioName(const testing::TestParamInfo<Scenario>& info)
{
    return std::string(Models()[info.param.model].name) + kSourceNames[info.param.source] +
           kMethodNames[info.param.method];
}

INSTANTIATE_TEST_SUITE_P(EveryModelSourceAndMethod, WholeRun, testing::ValuesIn(AllScenarios()),
                         ScenarioName);

// Trials whose model overflows are rejected like worse ones, not the end of the run: with the
// engine's own damping the phase run meets five of them and ends at the attempt limit on a
// finite sixth trial (see WholeRuns.h).
TEST(WholeEngineRun, PhaseRunWithTheEnginesDampingEndsAsRecorded)
{
    for (const std::string& difference : Differences(kExpectedEngineRun, RunEngineDampedPhase<TMTPhase>())) {
        ADD_FAILURE() << kEngineRunName << ": " << difference;
    }
}

// The flip the expectations allow for, walked on made-up values: the attempt limit at the same
// iteration on the same model with a misfit a few ulps higher passes, anything else fails.
TEST(WholeRunComparison, AllowsOnlyTheOtherSideOfAZeroLastStepFlip)
{
    const Expected converged{0, 0, 1, 1, mt::RunEnding::kConverged, true, 4, 0.5f, {1.0f, 2.0f}};
    const Press flipped{mt::RunEnding::kAttemptLimit, 4, 0.5f * (1.0f + 0x1p-23f), {1.0f, 2.0f}};
    EXPECT_TRUE(Differences(converged, flipped).empty());

    Press otherEnding = flipped;
    otherEnding.ending = mt::RunEnding::kDecompositionFailure;
    Press laterIteration = flipped;
    laterIteration.iterations = 5;
    Press lowerMisfit = flipped;
    lowerMisfit.misfit = 0.5f * (1.0f - 0x1p-24f);
    Press farMisfit = flipped;
    farMisfit.misfit = 0.5f * (1.0f + 0x1p-20f);
    Press otherModel = flipped;
    otherModel.parameters[1] = 2.0f * (1.0f + 0x1p-23f);
    for (const Press& wrong : {otherEnding, laterIteration, lowerMisfit, farMisfit, otherModel}) {
        EXPECT_FALSE(Differences(converged, wrong).empty());
    }

    // Without the mark, or from any other ending, only the recorded values pass.
    Expected unmarked = converged;
    unmarked.zeroLastStep = false;
    EXPECT_FALSE(Differences(unmarked, flipped).empty());
    Press exact{mt::RunEnding::kConverged, 4, 0.5f, {1.0f, 2.0f}};
    EXPECT_TRUE(Differences(unmarked, exact).empty());
    exact.misfit = 0.5f * (1.0f + 0x1p-23f);
    EXPECT_FALSE(Differences(unmarked, exact).empty());
}

}  // namespace
