// The inversion command, its report and the reset of the inversion set-up.

#include "classic/Commands.h"
#include "classic/EngineSetup.h"
#include "classic/InputChecks.h"

#include <algorithm>
#include <array>

namespace mt1d {

namespace {

// What one engine run hands back, before anything is written to the store.
struct EngineResult {
    mt::RunSummary summary;
    int paramCount = 0;
    std::array<float, kStoreSlots> model{};
};

// Builds the engine of kind Model on the store's data the way every inversion is set up,
// runs the method and reads the result.
template <typename Model>
EngineResult RunEngine(const ModelStore& store, int paramCount, bool constrained,
                       const std::function<void()>& processMessages)
{
    auto engine = MakeEngine<Model>(store, paramCount);
    engine->ProcessMessages = processMessages;
    if (constrained) {
        engine->RunConstrainedInversion();
    } else {
        engine->RunSvdInversion();
    }

    EngineResult result;
    result.summary = engine->Summary();
    engine->GetModel(result.paramCount, result.model.data());
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
    outcome.summary = result.summary;
    // The report opens with the text of the ending, the one the engine wrote.
    outcome.message = std::string(mt::EndingMessage(result.summary.ending, constrained));
    outcome.paramCount = result.paramCount;
    outcome.report = InversionReport(outcome.message, outcome.summary.iterations,
                                     outcome.summary.misfit, outcome.paramCount, store.InvRes,
                                     store.InvThick);
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
