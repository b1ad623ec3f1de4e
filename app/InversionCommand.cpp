// The inversion command, its report and the reset of the inversion set-up.

#include "Commands.h"
#include "InputChecks.h"
#include "Inversion1D.h"

#include <algorithm>
#include <array>
#include <type_traits>

namespace mt1d {

namespace {

constexpr float kStepThreshold = 0.01f;
constexpr float kPhaseDamping = 0.5f;
constexpr int kPhaseDampingSlots = 50;
constexpr float kAppResWeight = 1.0f;
constexpr float kPhaseWeight = 0.1f;

// What one engine run hands back, before anything is written to the store.
struct EngineResult {
    std::string message;
    int iterations = 0;
    float misfit = 0.0f;
    int paramCount = 0;
    bool succeeded = false;
    std::array<float, kStoreSlots> model{};
};

// Builds the engine of kind Model on the store's data, configures it the way the window
// does, runs the method and reads the result.
template <typename Model>
EngineResult RunEngine(const ModelStore& store, int paramCount, bool constrained,
                       const std::function<void()>& processMessages)
{
    constexpr bool joint = std::is_same_v<Model, TMTResPhase>;
    const int f = std::clamp(store.FreqCount, 1, kFreqCount);
    std::array<float, kStoreSlots> freq{};
    std::array<float, kStoreSlots> observed{};
    std::copy_n(store.Freq, f, freq.begin());
    if constexpr (std::is_same_v<Model, TMTPhase>) {
        std::copy_n(store.Phase, f, observed.begin());
    } else {
        std::copy_n(store.AppRes, f, observed.begin());
    }
    if constexpr (joint) {
        std::copy_n(store.Freq, f, freq.begin() + f);
        std::copy_n(store.Phase, f, observed.begin() + f);
    }
    const int blockSizes[2] = {f, f};
    const int blockCount = joint ? 2 : 1;

    auto engine = std::make_unique<Inversion1D<Model>>(blockCount, blockSizes, freq.data(),
                                                       observed.data(), paramCount,
                                                       store.InvModel, 1, true);
    engine->SetStepThreshold(kStepThreshold);
    if constexpr (std::is_same_v<Model, TMTPhase>) {
        engine->SetBounds(paramCount, store.UpperBound, store.LowerBound);
        std::array<float, kPhaseDampingSlots> damping{};
        damping.fill(kPhaseDamping);
        engine->SetDamping(damping.data());
    } else if constexpr (joint) {
        std::array<float, kStoreSlots> weights{};
        std::fill_n(weights.begin(), f, kAppResWeight);
        std::fill_n(weights.begin() + f, f, kPhaseWeight);
        engine->SetBounds(paramCount, store.UpperBound, store.LowerBound);
        engine->SetDataWeights(weights.data());
    } else {
        engine->SetBounds(paramCount, store.UpperBound, store.LowerBound);
    }
    engine->ProcessMessages = processMessages;

    if (constrained) {
        engine->RunConstrainedInversion();
    } else {
        engine->RunSvdInversion();
    }

    EngineResult result;
    engine->GetResult(result.iterations, result.misfit);
    engine->GetModel(result.paramCount, result.model.data());
    result.message = engine->Message.str();
    result.succeeded = engine->Succeeded;
    return result;
}

}  // namespace

InversionOutcome RunInversion(ModelStore& store, int sourceIndex, int methodIndex,
                              const std::function<void()>& processMessages)
{
    const int n = store.LayerCount;
    CheckInversionSize(n, sourceIndex);
    const int paramCount = 2 * n - 1;
    const bool constrained = methodIndex == kMethodConstrained;
    if (constrained) CheckBounds(store.LowerBound, store.UpperBound, n, paramCount);

    EngineResult result;
    if (sourceIndex == kSourceAppRes) {
        result = RunEngine<TMTRes>(store, paramCount, constrained, processMessages);
    } else if (sourceIndex == kSourcePhase) {
        result = RunEngine<TMTPhase>(store, paramCount, constrained, processMessages);
    } else {
        result = RunEngine<TMTResPhase>(store, paramCount, constrained, processMessages);
    }

    // The result becomes the next starting model; the half-space entry 2N − 1 is no
    // parameter and keeps its value. N is the one the run started with, even if a command
    // run from processMessages changed the store meanwhile.
    const int count = std::clamp(result.paramCount, 0, kStoreSlots);
    std::copy_n(result.model.begin(), count, store.InvModel);
    for (int i = 0; i < n; ++i) {
        store.InvRes[i] = store.InvModel[i];
        store.InvThick[i] = store.InvModel[n + i];
    }

    InversionOutcome outcome;
    outcome.message = result.message;
    outcome.iterations = result.iterations;
    outcome.misfit = result.misfit;
    outcome.paramCount = result.paramCount;
    outcome.succeeded = result.succeeded;
    outcome.report = InversionReport(outcome.message, outcome.iterations, outcome.misfit,
                                     outcome.paramCount, store.InvRes, store.InvThick);
    return outcome;
}

std::string InversionReport(const std::string& message, int iterations, float misfit,
                            int paramCount, const float* invRes, const float* invThick)
{
    std::string report = message;
    report += "\n\n\t反演结果\n\n拟合情况：\n";
    report += "迭代次数：" + std::to_string(iterations) + "\n";
    report += "拟 合 差：" + FormatMisfit(misfit);
    report += "\n\n模型参数：\n#      Res       H\n";
    const int layers = std::clamp(paramCount / 2 + 1, 0, kStoreSlots);
    for (int i = 1; i <= layers; ++i) {
        report += std::to_string(i) + "   " + FormatFixed1(invRes[i - 1]) + "   " +
                  FormatFixed1(invThick[i - 1]) + "\n";
    }
    return report;
}

void ResetInversion(ModelStore& store) { store.ApplyDefaultInversionSetup(); }

}  // namespace mt1d
