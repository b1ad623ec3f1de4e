#include "inversion/Inversion1D.h"
#include "tests/inversion/TestEngines.h"
#include "inversion/Inversion1DImpl.h"

#include <Eigen/Dense>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

// A resistivity model that follows a script, so that every ending and rule of the iteration can
// be walked without searching for data that provoke it: the misfits it reports, and optionally
// the residuals and sensitivities it hands the engine. It records every step applied to it.
class ScriptedRes : public TMTRes {
public:
    float Misfit(const float* weights)
    {
        if (next < script.size()) return script[next++];
        return TMTRes::Misfit(weights);
    }
    void Residuals(float* out, const float* weights)
    {
        if (residuals.empty()) return TMTRes::Residuals(out, weights);
        std::copy(residuals.begin(), residuals.end(), out);
    }
    void ComputeSensitivities(const float* weights) override
    {
        if (jacobian.empty()) return TMTRes::ComputeSensitivities(weights);
        for (std::size_t i = 0; i < jacobian.size(); ++i) {
            std::copy(jacobian[i].begin(), jacobian[i].end(), Jacobian[i]);
        }
    }
    void ApplyUpdate(const float* delta) override
    {
        steps.emplace_back(delta, delta + 2 * NumLayers - 1);
        TMTRes::ApplyUpdate(delta);
    }

    std::vector<float> script;
    std::size_t next = 0;
    std::vector<float> residuals;              // one per datum, when scripted
    std::vector<std::vector<float>> jacobian;  // one row per datum, when scripted
    std::vector<std::vector<float>> steps;
};
template class Inversion1D<ScriptedRes>;

namespace {

using engine_setup::Configured;
using engine_setup::DefaultModel;
using engine_setup::kFreq;
using engine_setup::Scaled;
using mt::RunEnding;

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

// The 41 frequencies twice and the response of a model (2N or 2N − 1 values): 41 apparent
// resistivities, then 41 phases.
struct Synthetic {
    std::array<float, 2 * kFreq> frequencies{};
    std::array<float, 2 * kFreq> response{};
};

Synthetic ResponseOf(const std::vector<float>& model)
{
    Synthetic s;
    const auto f = mt1d::SoundingFrequencies();
    std::copy(f.begin(), f.end(), s.frequencies.begin());
    std::copy(f.begin(), f.end(), s.frequencies.begin() + kFreq);
    TMTRes forward;
    const int sizes[1] = {kFreq};
    forward.SetData(1, sizes, s.frequencies.data(), s.response.data());
    forward.SetParameters(static_cast<int>(model.size()), model.data());
    forward.GetResponse(s.response.data());
    return s;
}

TEST(EngineConstruction, ReadsTheStartBackAndHoldsItsResponse)
{
    const std::vector<float> start = {200.123456789f, 2.0f, 200.0f, 100.0f, 100.0f};
    auto engine = Configured<TMTRes>(DefaultModel(), start);
    EXPECT_EQ(engine->ParamCount, 5);
    EXPECT_EQ(engine->DataCount, kFreq);
    EXPECT_EQ(engine->Params[0], 200.123456789f);
    const auto data = ResponseOf({200.123456789f, 2.0f, 200.0f, 100.0f, 100.0f});
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
    const auto data = ResponseOf(DefaultModel());
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
    EXPECT_EQ(res->Ending, RunEnding::kConverged);
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
    const auto frequencies = mt1d::SoundingFrequencies();
    const std::vector<float> freq(frequencies.begin(), frequencies.end()), observed(kFreq, -0.5f);
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
        EXPECT_EQ(engine.Ending, RunEnding::kRankZero);
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
        EXPECT_EQ(engine->Ending, RunEnding::kDecompositionFailure);
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
    const auto data = ResponseOf(DefaultModel());
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
    EXPECT_EQ(svd->Ending, RunEnding::kAttemptLimit);
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

// ---------------------------------------------------------------- scripted systems

// An engine on the default data whose model hands it `jacobian` (41 rows) and `residuals`
// (41 values) instead of its own, reports the misfits of `script` and is not damped unless
// `damping` says so. One iteration at most.
std::unique_ptr<Inversion1D<ScriptedRes>> ScriptedSystem(const std::vector<std::vector<float>>& jacobian,
                                                          const std::vector<float>& residuals,
                                                          std::vector<float> script, float damping)
{
    auto engine = Scripted(std::move(script));
    const std::vector<float> dampingSlots(kFreq, damping);
    engine->SetDamping(dampingSlots.data());
    engine->ForwardModel->jacobian = jacobian;
    engine->ForwardModel->residuals = residuals;
    engine->MaxIterations = 1;
    return engine;
}

// Sensitivities with one non-zero entry per column, row k of column k: the singular values are
// `sigma` exactly and the step of a truncated decomposition is residual[k] / sigma[k] for the
// values kept and 0 for the others.
std::vector<std::vector<float>> DiagonalSensitivities(const std::vector<float>& sigma)
{
    std::vector<std::vector<float>> rows(kFreq, std::vector<float>(sigma.size(), 0.0f));
    for (std::size_t k = 0; k < sigma.size(); ++k) rows[k][k] = sigma[k];
    return rows;
}

TEST(EngineRank, SingularValuesBelowOneHundredThousandthAreLeftOut)
{
    // 3e-5 lies a factor 3 above the threshold of 1e-5 and 3e-6 a factor 3.3 below it; the
    // last parameter has no influence at all.
    const std::vector<float> sigma = {1.0f, 0.5f, 3e-5f, 3e-6f, 0.0f};
    std::vector<float> residuals(kFreq, 0.0f);
    const float wanted[5] = {0.2f, 0.2f, 0.1f, 0.1f, 0.0f};  // the step each would take
    for (int k = 0; k < 5; ++k) residuals[k] = wanted[k] * sigma[k];
    residuals[4] = 0.3f;  // outside the range of the sensitivities: no step can fit it
    auto engine = ScriptedSystem(DiagonalSensitivities(sigma), residuals, {1.0f, 0.5f}, 0.0f);
    engine->RunSvdInversion();
    ASSERT_EQ(engine->ForwardModel->steps.size(), 1u);
    const std::vector<float>& step = engine->ForwardModel->steps[0];
    // Float arithmetic on exact singular values: a few ulps of each component.
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(step[k], wanted[k], 1e-6f) << "kept component " << k;
    EXPECT_EQ(step[3], 0.0f) << "3e-6 lies below the rank threshold";
    EXPECT_EQ(step[4], 0.0f) << "a parameter without influence takes no step";
}

// The step converges when every component it kept is small: the count of small components
// (those left out included) must equal the rank, so a step of only small components in a
// rank-deficient system does not count as converged and the run goes on.
TEST(EngineRank, SmallStepConvergesOnlyWhenItsSmallComponentsNumberTheRank)
{
    const struct {
        std::vector<float> sigma;
        RunEnding ending;
    } cases[] = {
        {{1.0f, 1.0f, 1.0f, 1.0f, 1.0f}, RunEnding::kConverged},      // rank 5, 5 small
        {{1.0f, 1.0f, 1.0f, 1.0f, 0.0f}, RunEnding::kIterationLimit},  // rank 4, 5 small
        {{1.0f, 1.0f, 0.0f, 0.0f, 0.0f}, RunEnding::kIterationLimit},  // rank 2, 5 small
    };
    for (const auto& c : cases) {
        std::vector<float> residuals(kFreq, 0.0f);
        // Components of 0.005 and 0.01: small, the second exactly at the limit.
        for (int k = 0; k < 5; ++k) residuals[k] = (k % 2 == 0 ? 0.005f : 0.01f) * c.sigma[k];
        auto engine = ScriptedSystem(DiagonalSensitivities(c.sigma), residuals, {1.0f, 0.5f}, 0.0f);
        engine->RunSvdInversion();
        EXPECT_EQ(engine->Ending, c.ending) << "rank " << std::count(c.sigma.begin(), c.sigma.end(), 1.0f);
    }
    // One component just above 0.01 is not small: a full-rank step does not converge.
    std::vector<float> residuals(kFreq, 0.0f);
    for (int k = 0; k < 5; ++k) residuals[k] = 0.005f;
    residuals[2] = 0.0101f;
    auto engine = ScriptedSystem(DiagonalSensitivities({1, 1, 1, 1, 1}), residuals, {1.0f, 0.5f}, 0.0f);
    engine->RunSvdInversion();
    EXPECT_EQ(engine->Ending, RunEnding::kIterationLimit);
}

// The step the engine takes solves the damped least-squares system as accurately as a float
// decomposition can: compared with the same system solved in double by Eigen.
TEST(EngineStep, SolvesTheDampedSystemToFloatAccuracy)
{
    std::mt19937 generator(2024u);
    std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
    double worst = 0.0;
    for (int trial = 0; trial < 8; ++trial) {
        std::vector<std::vector<float>> jacobian(kFreq, std::vector<float>(5));
        std::vector<float> residuals(kFreq);
        for (auto& row : jacobian) {
            for (float& x : row) x = uniform(generator);
        }
        for (float& r : residuals) r = uniform(generator);
        auto engine = ScriptedSystem(jacobian, residuals, {1.0f, 0.5f}, 0.125f);
        engine->RunSvdInversion();
        ASSERT_EQ(engine->ForwardModel->steps.size(), 1u);
        const std::vector<float>& step = engine->ForwardModel->steps[0];

        Eigen::MatrixXd a = Eigen::MatrixXd::Zero(kFreq + 5, 5);
        Eigen::VectorXd b = Eigen::VectorXd::Zero(kFreq + 5);
        for (int i = 0; i < kFreq; ++i) {
            for (int k = 0; k < 5; ++k) a(i, k) = jacobian[i][k];
            b(i) = residuals[i];
        }
        for (int k = 0; k < 5; ++k) a(kFreq + k, k) = 0.125;
        const Eigen::VectorXd exact = a.jacobiSvd(Eigen::ComputeThinU | Eigen::ComputeThinV).solve(b);
        for (int k = 0; k < 5; ++k) {
            worst = std::max(worst, std::fabs(step[k] - exact(k)) / exact.norm());
        }
    }
    // These systems are well conditioned (singular values between about 1 and 6): a
    // backward-stable float decomposition solves them to a few eps = 6e-8 (observed: below
    // 8 eps); 16 eps leaves room for other rounding. A decomposition that stops splitting at a
    // looser relative tolerance than the engine's 1e-7 (1e-5 already) leaves errors above it.
    EXPECT_LT(worst, 16.0 * 0x1p-24);
}

// After every accepted iteration but the last, the constrained method sets the model back to
// the float values the engine holds; the singular value method keeps the double values the
// step produced.
TEST(EngineStep, ConstrainedMethodHoldsTheFloatModelAfterAnIteration)
{
    for (const bool constrained : {false, true}) {
        auto engine = Scripted({1.0f, 0.5f});
        engine->MaxIterations = 1;
        constrained ? engine->RunConstrainedInversion() : engine->RunSvdInversion();
        ASSERT_EQ(engine->Ending, RunEnding::kIterationLimit);
        const ScriptedRes& model = *engine->ForwardModel;
        int doubleValues = 0;
        for (int k = 0; k < model.NumLayers; ++k) {
            doubleValues += model.Resistivity[k] != static_cast<float>(model.Resistivity[k]);
            doubleValues += k + 1 < model.NumLayers && model.Thickness[k] != static_cast<float>(model.Thickness[k]);
        }
        if (constrained) {
            EXPECT_EQ(doubleValues, 0) << "constrained: every parameter a float value";
            // and the response is that of those float values
            TMTRes reference;
            const auto f = mt1d::SoundingFrequencies();
            const int sizes[1] = {kFreq};
            reference.SetData(1, sizes, f.data(), f.data());
            reference.SetParameters(5, engine->Params);
            for (int i = 0; i < kFreq; ++i) EXPECT_EQ(model.CalcAppRes[i], reference.CalcAppRes[i]) << i;
        } else {
            EXPECT_GT(doubleValues, 0) << "singular value method: the step's double values";
        }
    }
}

// A constrained step whose every component is cut to zero leaves the model as it is. Its
// trial misfit then equals the last accepted one, or differs from it in the last bits only;
// the run converges in the first case and ends at the attempt limit in the second.
TEST(EngineStep, AllZeroStepConvergesOnAnEqualMisfitAndReachesTheAttemptLimitOnAHigherOne)
{
    const float above = std::nextafter(1.0f, 2.0f);
    const struct {
        float trial;
        RunEnding ending;
        float misfit;
    } sides[] = {{1.0f, RunEnding::kConverged, 1.0f}, {above, RunEnding::kAttemptLimit, above}};
    for (const auto& side : sides) {
        auto engine = Scripted({1.0f, side.trial, side.trial, side.trial, side.trial, side.trial, side.trial});
        engine->SetStepThreshold(100.0f);  // every component is at most this: cut to zero
        const std::vector<float> start(engine->Params, engine->Params + 5);
        engine->RunConstrainedInversion();
        EXPECT_EQ(engine->Ending, side.ending);
        EXPECT_EQ(engine->Iteration, 1);
        EXPECT_EQ(engine->FinalMisfit, side.misfit);
        for (const auto& step : engine->ForwardModel->steps) {
            EXPECT_EQ(step, std::vector<float>(5, 0.0f));
        }
        EXPECT_EQ(ResultModel(*engine), start);
    }
}

// ---------------------------------------------------------------- values that are not finite

TEST(EngineNonFinite, ConstructionRefusesDataAndFrequenciesThatAreNotFinite)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        int index;
        float datum;
        float frequency;
        const char* named;
    } cases[] = {
        {0, nan, 1.0f, "observed datum 1 of 41"},
        {40, -inf, 1.0f, "observed datum 41 of 41"},
        {7, 1.0f, 0.0f, "frequency 8 of 41"},
        {7, 1.0f, -1.0f, "frequency 8 of 41"},
        {20, 1.0f, inf, "frequency 21 of 41"},
    };
    for (const auto& c : cases) {
        auto data = ResponseOf(DefaultModel());
        data.response[c.index] = c.datum;
        data.frequencies[c.index] = c.frequency;
        const int sizes[1] = {kFreq};
        try {
            Inversion1D<TMTRes> engine(1, sizes, data.frequencies.data(), data.response.data(), 5,
                                       kStart.data(), 1, true);
            ADD_FAILURE() << c.named << ": accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
    }
}

// A trial whose misfit is not a finite number is no better than the accepted model: it is
// rejected like a worse trial (model restored, damping raised, step retried), never kept, and
// does not end the run by itself.
TEST(EngineNonFinite, TrialThatIsNotFiniteIsRejectedLikeAWorseOne)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* name;
        std::vector<float> script;
        RunEnding ending;
        int iterations;
        float misfit;
        int rejections;  // trials rejected in the iteration that ended the run
    } cases[] = {
        // One iteration allowed: the accepted retry ends it at the iteration limit.
        {"not a number at the first trial, then better", {1.0f, nan, 0.9f}, RunEnding::kIterationLimit, 2, 0.9f, 1},
        {"infinite twice, then better", {1.0f, inf, -inf, 0.9f}, RunEnding::kIterationLimit, 2, 0.9f, 2},
        // Five rejections, then a sixth trial that is finite: the attempt limit keeps it.
        {"five trials not finite, a finite sixth", {1.0f, nan, inf, nan, inf, nan, 0.5f}, RunEnding::kAttemptLimit,
         1, 0.5f, 5},
        // A sixth trial that is not finite is not kept: the last accepted model and its misfit.
        {"not a number at the sixth attempt", {1.0f, 2.0f, 2.0f, 2.0f, 2.0f, 2.0f, nan}, RunEnding::kAttemptLimit,
         1, 1.0f, 5},
    };
    for (const bool constrained : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (constrained ? ", constrained" : ", svd"));
            auto engine = Scripted(c.script);
            engine->MaxIterations = 1;
            const std::vector<float> start(engine->Params, engine->Params + 5);
            constrained ? engine->RunConstrainedInversion() : engine->RunSvdInversion();
            EXPECT_EQ(engine->Ending, c.ending);
            EXPECT_EQ(engine->Iteration, c.iterations);
            EXPECT_EQ(engine->FinalMisfit, c.misfit);
            EXPECT_EQ(MessageOf(engine->Message), mt::EndingMessage(c.ending, constrained));
            // Every rejection raised the damping as a worse trial does: 0.125 · 5 per rejection
            // (constrained), or the slot rule of the singular value method, whose fifth raise
            // leaves slot 0 at 32 · 0.125 (see SixthAttemptEndsTheRunWhateverItsMisfit).
            const double relaxed = c.ending == RunEnding::kIterationLimit ? 0.4 : 1.0;
            const float svdSlot0[6] = {1, 2, 4, 8, 16, 32};
            const float expected = constrained
                                       ? static_cast<float>(0.125f * std::pow(5.0f, c.rejections) * relaxed)
                                       : static_cast<float>(0.125f * svdSlot0[c.rejections] * relaxed);
            EXPECT_EQ(engine->Damping[0], expected);
            // One step per trial: the rejected ones and the last.
            EXPECT_EQ(engine->ForwardModel->steps.size(), static_cast<std::size_t>(c.rejections + 1));
            const auto model = ResultModel(*engine);
            if (c.misfit == 1.0f) {
                EXPECT_EQ(model, start) << "a trial that is not finite is never kept";
            } else {
                for (const float v : model) EXPECT_TRUE(std::isfinite(v));
            }
        }
    }
}

TEST(EngineNonFinite, StepThatOverflowsTheModelIsRejectedAndRetriedWithMoreDamping)
{
    // A parameter of weak influence (σ = 1e-4) asked to explain a residual of 100, damped by λ:
    // its step is d = σ·100/(σ² + λ²). With λ = 0.008 that is 156 in its natural logarithm,
    // and 200 Ω·m · e^156 overflows a float; the scripted misfit of that trial is finite, the
    // model is not. The rejection doubles every slot (all equal), and with 2λ the retry is
    // d = 39: a finite model, accepted, and the one allowed iteration ends the run.
    const std::vector<float> sigma = {1.0f, 1.0f, 1e-4f, 1.0f, 1.0f};
    std::vector<float> residuals(kFreq, 0.0f);
    residuals[2] = 100.0f;
    auto engine = ScriptedSystem(DiagonalSensitivities(sigma), residuals, {1.0f, 0.5f, 0.5f}, 0.008f);
    const std::vector<float> start(engine->Params, engine->Params + 5);
    engine->RunSvdInversion();
    const auto& steps = engine->ForwardModel->steps;
    ASSERT_EQ(steps.size(), 2u);
    // Float solves of a 1e-4-scaled system: 1e-3 relative is far above their rounding.
    EXPECT_NEAR(steps[0][2], 1e-2 / (1e-8 + 0.008 * 0.008), 0.156);
    EXPECT_NEAR(steps[1][2], 1e-2 / (1e-8 + 0.016 * 0.016), 0.039);
    EXPECT_EQ(engine->Ending, RunEnding::kIterationLimit);
    EXPECT_EQ(engine->FinalMisfit, 0.5f);
    const auto model = ResultModel(*engine);
    EXPECT_NEAR(std::log(model[2] / start[2]), steps[1][2], 1e-3 * steps[1][2]);
    for (const float v : model) EXPECT_TRUE(std::isfinite(v));
}

TEST(EngineNonFinite, StartOrSensitivityThatIsNotFiniteEndsTheRunAtOnce)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto atStart = Scripted({nan});
    atStart->RunSvdInversion();
    EXPECT_EQ(atStart->Ending, RunEnding::kNonFinite);
    EXPECT_EQ(atStart->Iteration, 1);
    EXPECT_TRUE(atStart->ForwardModel->steps.empty());

    // Without the check the decomposition would never converge and say so instead.
    auto sensitivity = ScriptedSystem(DiagonalSensitivities({1, 1, nan, 1, 1}),
                                      std::vector<float>(kFreq, 0.1f), {1.0f, 0.5f}, 0.125f);
    sensitivity->RunConstrainedInversion();
    EXPECT_EQ(sensitivity->Ending, RunEnding::kNonFinite);
    EXPECT_EQ(sensitivity->FinalMisfit, 1.0f);
    EXPECT_TRUE(sensitivity->ForwardModel->steps.empty());
}

// The engine's message is the one text of its ending, and the summary gathers the rest.
TEST(EngineSummary, GathersTheEndingItsSuccessIterationsAndMisfit)
{
    auto engine = Scripted({1.0f, 2.0f, 0.9f});
    engine->MaxIterations = 1;
    engine->RunSvdInversion();
    const mt::RunSummary summary = engine->Summary();
    EXPECT_EQ(summary.ending, RunEnding::kIterationLimit);
    EXPECT_TRUE(summary.succeeded);
    EXPECT_EQ(summary.iterations, 2);
    EXPECT_EQ(summary.misfit, 0.9f);
    EXPECT_EQ(MessageOf(engine->Message), mt::EndingMessage(summary.ending, false));
}

}  // namespace
