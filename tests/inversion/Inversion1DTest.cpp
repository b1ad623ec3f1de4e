#include "EngineSetup.h"
#include "Inversion1D.h"
#include "Inversion1DImpl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

// A resistivity model whose misfits follow a script, so that every ending and damping
// rule can be walked without searching for data that provoke it.
class ScriptedRes : public TMTRes {
public:
    float Misfit(const float* weights)
    {
        if (next < script.size()) return script[next++];
        return TMTRes::Misfit(weights);
    }
    std::vector<float> script;
    std::size_t next = 0;
};
template class Inversion1D<ScriptedRes>;

namespace {

using engine_setup::Configured;
using engine_setup::DefaultModel;
using engine_setup::kFreq;
using engine_setup::Scaled;

const std::vector<float> kStart = Scaled(DefaultModel(), 0.2f, 5);

std::string MessageOf(const std::ostringstream& message) { return message.str(); }

template <typename Model>
std::vector<float> ResultModel(Inversion1D<Model>& engine)
{
    int count = 0;
    std::vector<float> values(100);
    engine.GetModel(count, values.data());
    values.resize(count);
    return values;
}

TEST(EngineConstruction, ReadsTheStartBackAndHoldsItsResponse)
{
    const std::vector<float> start = {200.123456789f, 2.0f, 200.0f, 100.0f, 100.0f};
    auto engine = Configured<TMTRes>(DefaultModel(), start);
    EXPECT_EQ(engine->ParamCount, 5);
    EXPECT_EQ(engine->DataCount, kFreq);
    EXPECT_EQ(engine->Params[0], 200.123456789f);
    const auto data = engine_setup::ResponseOf({200.123456789f, 2.0f, 200.0f, 100.0f, 100.0f});
    for (int k = 0; k < kFreq; ++k) EXPECT_EQ(engine->ForwardModel->CalcAppRes[k], data.response[k]);
    EXPECT_EQ(engine->MaxIterations, 20);
    EXPECT_EQ(engine->MisfitTarget, 0.0001f);
    EXPECT_EQ(engine->StepThreshold, 0.01f);  // set by the configuration
    EXPECT_FALSE(engine->Succeeded);
}

TEST(EngineConstruction, BoundsOfTheWrongCountBecomeTheDefaultRange)
{
    auto engine = Configured<TMTRes>(DefaultModel(), kStart);
    const float upper[4] = {1, 2, 3, 4}, lower[4] = {0, 0, 0, 0};
    engine->SetBounds(4, upper, lower);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(engine->UpperBound[k], 100000.0f);
        EXPECT_EQ(engine->LowerBound[k], 0.001f);
    }
}

TEST(EngineConstruction, PhaseDampingAndJointWeightsCoverTheDataCount)
{
    auto phase = Configured<TMTPhase>(DefaultModel(), kStart);
    for (int k = 0; k < kFreq; ++k) EXPECT_EQ(phase->Damping[k], 0.5f) << k;
    for (int k = kFreq; k < 100; ++k) EXPECT_EQ(phase->Damping[k], 0.005f) << k;

    auto joint = Configured<TMTResPhase>(DefaultModel(), kStart);
    EXPECT_EQ(joint->DataCount, 2 * kFreq);
    for (int k = 0; k < kFreq; ++k) EXPECT_EQ(joint->DataWeight[k], 1.0f) << k;
    for (int k = kFreq; k < 2 * kFreq; ++k) EXPECT_EQ(joint->DataWeight[k], 0.1f) << k;
    EXPECT_EQ(joint->Damping[0], 0.005f);
}

TEST(EngineCapacity, RefusesSystemsThatDoNotFitBeforeWritingAnything)
{
    const auto data = engine_setup::ResponseOf(DefaultModel());
    const int one[1] = {kFreq};
    const int two[2] = {kFreq, kFreq};
    const std::vector<float> start(40, 100.0f);
    struct Case {
        const char* name;
        int blockCount;
        const int* sizes;
        int params;
        bool joint;
        const char* limit;
    };
    const Case tooLarge[] = {
        {"16 layers exceed 30 parameters", 1, one, 31, false, "30"},
        {"10 layers exceed 100 rows with 82 data", 2, two, 19, true, "100"},
    };
    for (const auto& c : tooLarge) {
        try {
            if (c.joint) {
                Inversion1D<TMTResPhase> e(c.blockCount, c.sizes, data.frequencies.data(),
                                           data.response.data(), c.params, start.data(), 1, true);
            } else {
                Inversion1D<TMTRes> e(c.blockCount, c.sizes, data.frequencies.data(),
                                      data.response.data(), c.params, start.data(), 1, true);
            }
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const std::length_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.limit), std::string::npos) << e.what();
        }
    }
    // The largest systems that fit are accepted.
    EXPECT_NO_THROW(Inversion1D<TMTRes>(1, one, data.frequencies.data(), data.response.data(), 29,
                                        start.data(), 1, true));
    EXPECT_NO_THROW(Inversion1D<TMTResPhase>(2, two, data.frequencies.data(), data.response.data(),
                                             17, start.data(), 1, true));

    const int empty[1] = {0};
    EXPECT_THROW(Inversion1D<TMTRes>(1, empty, data.frequencies.data(), data.response.data(), 5,
                                     start.data(), 1, true),
                 std::invalid_argument);
    EXPECT_THROW(Inversion1D<TMTRes>(0, one, data.frequencies.data(), data.response.data(), 5,
                                     start.data(), 1, true),
                 std::invalid_argument);
    EXPECT_THROW(Inversion1D<TMTRes>(1, one, data.frequencies.data(), data.response.data(), 0,
                                     start.data(), 1, true),
                 std::invalid_argument);
}

TEST(EngineRecovery, SingularValueMethodRecoversTheTrueModelFromNoiseFreeData)
{
    auto res = Configured<TMTRes>(DefaultModel(), kStart);
    auto joint = Configured<TMTResPhase>(DefaultModel(), kStart);
    res->RunSvdInversion();
    joint->RunSvdInversion();
    const auto check = [](const std::vector<float>& got, const std::string& name) {
        ASSERT_EQ(got.size(), 5u) << name;
        for (int k = 0; k < 5; ++k) {
            // Noise-free data: the fit is limited by the float response, well within 0.1 %.
            EXPECT_NEAR(got[k], DefaultModel()[k], 1e-3 * DefaultModel()[k]) << name << " parameter " << k;
        }
    };
    check(ResultModel(*res), "apparent resistivity");
    check(ResultModel(*joint), "joint");
    EXPECT_EQ(MessageOf(res->Message), "模型迭代步长过小。反演完成！");
    EXPECT_TRUE(res->Succeeded);
    EXPECT_LT(res->FinalMisfit, 1e-4f);
}

template <typename Model>
void ExpectWithinBoundsAndPinned(Inversion1D<Model>& engine, const std::string& name)
{
    const auto model = ResultModel(engine);
    EXPECT_EQ(model[0], 1000.0f) << name << ": the pinned top resistivity moved";
    for (int k = 1; k < 5; ++k) {
        // Landing on a bound goes through exp(ln): a few float ulps.
        EXPECT_LE(model[k], engine.UpperBound[k] * (1 + 1e-6f)) << name << " parameter " << k;
        EXPECT_GE(model[k], engine.LowerBound[k] * (1 - 1e-6f)) << name << " parameter " << k;
    }
}

TEST(EngineConstrained, KeepsEveryParameterInItsBoundsAndThePinnedOneFixed)
{
    auto res = Configured<TMTRes>(DefaultModel(), kStart);
    auto phase = Configured<TMTPhase>(DefaultModel(), kStart);
    auto joint = Configured<TMTResPhase>(DefaultModel(), kStart);
    res->RunConstrainedInversion();
    phase->RunConstrainedInversion();
    joint->RunConstrainedInversion();
    ExpectWithinBoundsAndPinned(*res, "apparent resistivity");
    ExpectWithinBoundsAndPinned(*phase, "phase");
    ExpectWithinBoundsAndPinned(*joint, "joint");
    // The apparent-resistivity data pin the model down close to the truth.
    const auto model = ResultModel(*res);
    for (int k = 1; k < 5; ++k) EXPECT_NEAR(model[k], DefaultModel()[k], 0.02 * DefaultModel()[k]) << k;
}

TEST(EngineConstrained, PullsAStartOutsideItsBoundsToTheMidpoint)
{
    std::vector<float> start = kStart;
    start[2] = 1e6f;                                     // above its upper bound 10000
    start[3] = std::numeric_limits<float>::quiet_NaN();  // not a number
    auto engine = Configured<TMTRes>(DefaultModel(), start);
    engine->MaxIterations = 0;
    engine->RunConstrainedInversion();
    EXPECT_EQ(engine->Params[0], (1000.0f + 1000.0f) * 0.5f);  // 200 is below the pinned 1000
    EXPECT_EQ(engine->Params[1], 2.0f);                        // inside [1, 100]: kept
    EXPECT_EQ(engine->Params[2], (10000.0f + 100.0f) * 0.5f);
    EXPECT_EQ(engine->Params[3], (5000.0f + 50.0f) * 0.5f);
    EXPECT_EQ(ResultModel(*engine)[2], 5050.0f);
    EXPECT_EQ(engine->Iteration, 1);
    EXPECT_EQ(MessageOf(engine->Message), "迭代次数超限.\n");
}

struct StartEnding {
    bool constrained;
    const char* fitted;
};

TEST(EngineEndings, ModelThatFitsAtTheStartEndsAtOnceUnchanged)
{
    const std::vector<float> truth5(DefaultModel().begin(), DefaultModel().begin() + 5);
    for (const StartEnding c : {StartEnding{false, "数据拟合差达到精度要求。反演完成！"},
                                StartEnding{true, "拟合差达到要求，反演结束."}}) {
        auto engine = Configured<TMTRes>(DefaultModel(), truth5);
        c.constrained ? engine->RunConstrainedInversion() : engine->RunSvdInversion();
        EXPECT_EQ(MessageOf(engine->Message), c.fitted);
        EXPECT_TRUE(engine->Succeeded);
        EXPECT_EQ(engine->Iteration, 1);
        EXPECT_EQ(engine->FinalMisfit, 0.0f);
        EXPECT_EQ(ResultModel(*engine), truth5);
    }
}

TEST(EngineEndings, IterationLimitReportsOneMoreThanTheLimitAsSuccess)
{
    for (const bool constrained : {false, true}) {
        auto engine = Configured<TMTPhase>(DefaultModel(), kStart);
        engine->MaxIterations = 2;
        constrained ? engine->RunConstrainedInversion() : engine->RunSvdInversion();
        EXPECT_EQ(MessageOf(engine->Message), "迭代次数超限.\n") << constrained;
        EXPECT_EQ(engine->Iteration, 3);
        EXPECT_TRUE(engine->Succeeded);
        EXPECT_GT(engine->FinalMisfit, 0.0f);
    }
}

TEST(EngineEndings, SensitivityOfRankZeroEndsTheRun)
{
    // A half-space's phase does not depend on its resistivity: with no damping the stacked
    // matrix is zero.
    std::vector<float> freq(kFreq), observed(kFreq, -0.5f);
    for (int i = 0; i < kFreq; ++i) freq[i] = static_cast<float>(std::pow(10.0, 0.2 * (i - 20)));
    const int sizes[1] = {kFreq};
    const float start[1] = {100.0f};
    for (const bool constrained : {false, true}) {
        Inversion1D<TMTPhase> engine(1, sizes, freq.data(), observed.data(), 1, start, 1, true);
        const std::vector<float> noDamping(kFreq, 0.0f);
        engine.SetDamping(noDamping.data());
        const float upper[1] = {1000.0f}, lower[1] = {1.0f};
        engine.SetBounds(1, upper, lower);
        const float startMisfit = engine.ForwardModel->Misfit(engine.DataWeight);
        constrained ? engine.RunConstrainedInversion() : engine.RunSvdInversion();
        EXPECT_EQ(MessageOf(engine.Message), "灵敏度矩阵秩为零,可能是模型不正确.\n");
        EXPECT_FALSE(engine.Succeeded);
        EXPECT_EQ(engine.FinalMisfit, startMisfit);
        EXPECT_EQ(engine.Iteration, 1);
        EXPECT_EQ(ResultModel(engine), std::vector<float>{100.0f});
    }
}

TEST(EngineEndings, DecompositionFailureEndsTheRunOnTheLastAcceptedModel)
{
    for (const bool constrained : {false, true}) {
        auto engine = Configured<TMTRes>(DefaultModel(), kStart);
        engine->Svd->SweepLimit = 0;  // every decomposition fails
        constrained ? engine->RunConstrainedInversion() : engine->RunSvdInversion();
        EXPECT_EQ(MessageOf(engine->Message), "奇异值分解错误.");
        EXPECT_FALSE(engine->Succeeded);
        EXPECT_EQ(engine->Iteration, 1);
        EXPECT_EQ(engine->FinalMisfit, engine->ForwardModel->Misfit(engine->DataWeight));
        const auto model = ResultModel(*engine);
        for (int k = 1; k < 5; ++k) EXPECT_EQ(model[k], engine->Params[k]);
    }
}

// ---------------------------------------------------------------- scripted misfits

std::unique_ptr<Inversion1D<ScriptedRes>> Scripted(std::vector<float> script)
{
    const auto data = engine_setup::ResponseOf(DefaultModel());
    const int sizes[1] = {kFreq};
    auto engine = std::make_unique<Inversion1D<ScriptedRes>>(
        1, sizes, data.frequencies.data(), data.response.data(), 5, kStart.data(), 1, true);
    const std::vector<float> damping(kFreq, 0.125f);
    engine->SetDamping(damping.data());
    std::vector<float> upper(5), lower(5);
    for (int k = 0; k < 5; ++k) {
        upper[k] = 10.0f * DefaultModel()[k];
        lower[k] = 0.01f * DefaultModel()[k];
    }
    engine->SetBounds(5, upper.data(), lower.data());
    engine->SetStepThreshold(0.01f);
    engine->ForwardModel->script = std::move(script);
    return engine;
}

TEST(EngineAttempts, SixthAttemptEndsTheRunWhateverItsMisfit)
{
    // Start 1.0, five worse trials, then a better one: the run still ends.
    const std::vector<float> script = {1.0f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f, 0.5f};
    auto svd = Scripted(script);
    svd->RunSvdInversion();
    EXPECT_EQ(MessageOf(svd->Message), "Initial model not appropriate.");
    EXPECT_FALSE(svd->Succeeded);
    EXPECT_EQ(svd->FinalMisfit, 0.5f);
    EXPECT_EQ(svd->Iteration, 1);
    // Five raises of 0.125 with n = 5 (see the damping-rule test).
    const float expected[5] = {32, 48, 56, 60, 62};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(svd->Damping[k], 0.125f * expected[k]) << k;
    // The result is the sixth trial, not the last accepted model.
    EXPECT_NE(ResultModel(*svd)[1], svd->Params[1]);

    auto constrained = Scripted(script);
    constrained->RunConstrainedInversion();
    EXPECT_EQ(MessageOf(constrained->Message), "反演结束，但初始模型不合适.");
    EXPECT_FALSE(constrained->Succeeded);
    EXPECT_EQ(constrained->FinalMisfit, 0.5f);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(constrained->Damping[k], 0.125f * 3125.0f) << k;
    EXPECT_EQ(constrained->Damping[5], 0.125f) << "only the parameters' slots are raised";
}

TEST(EngineAttempts, AcceptedIterationRelaxesTheDampingByZeroPointFour)
{
    // One rejection, then an accepted trial; the limit of one iteration ends the run.
    auto svd = Scripted({1.0f, 2.0f, 0.9f});
    svd->MaxIterations = 1;
    svd->RunSvdInversion();
    EXPECT_EQ(MessageOf(svd->Message), "迭代次数超限.\n");
    EXPECT_EQ(svd->FinalMisfit, 0.9f);
    EXPECT_EQ(svd->Damping[0], static_cast<float>(0.25f * 0.4));

    auto constrained = Scripted({1.0f, 2.0f, 0.9f});
    constrained->MaxIterations = 1;
    int repaints = 0;
    constrained->ProcessMessages = [&] { ++repaints; };
    constrained->RunConstrainedInversion();
    EXPECT_EQ(MessageOf(constrained->Message), "迭代次数超限.\n");
    EXPECT_EQ(constrained->Damping[0], 0.25f);  // 0.125 · 5 · 0.4
    // Start of the iteration, before each of the two decompositions, after each trial.
    EXPECT_EQ(repaints, 5);
}

TEST(EngineAttempts, MisfitTargetEndsAtTheStartWhenEqualButNotInsideTheLoop)
{
    auto atStart = Scripted({0.0001f});
    atStart->RunSvdInversion();
    EXPECT_EQ(MessageOf(atStart->Message), "数据拟合差达到精度要求。反演完成！");

    auto inside = Scripted({1.0f, 0.0001f});
    inside->MaxIterations = 1;
    inside->RunSvdInversion();
    EXPECT_EQ(MessageOf(inside->Message), "迭代次数超限.\n");
    EXPECT_EQ(inside->FinalMisfit, 0.0001f);

    auto below = Scripted({1.0f, 0.00009f});
    below->RunSvdInversion();
    EXPECT_EQ(MessageOf(below->Message), "模型迭代步长过小。反演完成！");
    EXPECT_EQ(below->Iteration, 1);
}

TEST(EngineAttempts, SingularValueRunNeverLetsTheWindowRepaint)
{
    auto svd = Scripted({1.0f, 2.0f, 0.9f});
    svd->MaxIterations = 1;
    int repaints = 0;
    svd->ProcessMessages = [&] { ++repaints; };
    svd->RunSvdInversion();
    EXPECT_EQ(repaints, 0);
}

}  // namespace
