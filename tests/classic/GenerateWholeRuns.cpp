// Writes WholeRunExpectations.h: the ending, iteration count, misfit and model of every press
// of every whole-run scenario, and of the engine run (WholeRuns.h), as this build computes them. Run it only after a
// deliberate change of the results, and review the difference before committing it:
//
//   cmake --build build --target generate_whole_runs
//   build/tests/generate_whole_runs > tests/classic/WholeRunExpectations.h
//
// Besides the command's results it replays each press with an engine that records its steps
// (built by MakeEngine, as the command builds its own), checks that the replay gives the same
// result, and marks presses that converged on an all-zero step (see Expected::zeroLastStep).

#include "classic/EngineSetup.h"
#include "inversion/Inversion1DImpl.h"
#include "tests/classic/WholeRuns.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace generator {

// A forward model that remembers the last step applied to it and every misfit it was asked:
// the starting misfit, then one per trial.
template <typename Base>
class Recording : public Base {
public:
    void ApplyUpdate(const float* delta)
    {
        const int n = this->InvertThickness == 1 ? 2 * this->NumLayers - 1 : this->NumLayers;
        lastStep.assign(delta, delta + n);
        Base::ApplyUpdate(delta);
    }
    float Misfit(const float* weights)
    {
        misfits.push_back(Base::Misfit(weights));
        return misfits.back();
    }
    std::vector<float> lastStep;
    std::vector<float> misfits;
};

}  // namespace generator

template class Inversion1D<generator::Recording<TMTRes>>;
template class Inversion1D<generator::Recording<TMTPhase>>;
template class Inversion1D<generator::Recording<TMTResPhase>>;

namespace {

using namespace mt1d;
using generator::Recording;
using whole_runs::Models;
using whole_runs::Press;

struct Replay {
    Press press;
    bool zeroLastStep = false;
};

// Runs a recording engine with the method and reads its result and last step.
template <typename Model>
Replay ReplayEngine(std::unique_ptr<Inversion1D<Recording<Model>>> engine, int method)
{
    method == kMethodConstrained ? engine->RunConstrainedInversion() : engine->RunSvdInversion();
    Replay replay;
    const mt::RunSummary summary = engine->Summary();
    replay.press = {summary.ending, summary.iterations, summary.misfit, {}};
    int count = 0;
    replay.press.parameters.resize(mt::kMaxSystemRows);
    engine->GetModel(count, replay.press.parameters.data());
    replay.press.parameters.resize(count);
    const Recording<Model>& model = *engine->ForwardModel;
    const bool allZero = !model.lastStep.empty() &&
                         std::all_of(model.lastStep.begin(), model.lastStep.end(),
                                     [](float d) { return d == 0.0f; });
    // The misfit the last trial was compared with: finite trials no larger than it were
    // accepted.
    const std::vector<float>& misfits = model.misfits;
    float current = misfits.empty() ? 0.0f : misfits.front();
    for (std::size_t k = 1; k + 1 < misfits.size(); ++k) {
        if (std::isfinite(misfits[k]) && !(misfits[k] > current)) current = misfits[k];
    }
    replay.zeroLastStep = summary.ending == mt::RunEnding::kConverged && allZero &&
                          misfits.size() >= 2 && misfits.back() == current;
    return replay;
}

template <typename Model>
Replay ReplayPress(const ModelStore& store, int method)
{
    return ReplayEngine<Model>(MakeEngine<Recording<Model>>(store, 2 * store.LayerCount - 1), method);
}

Replay ReplayPress(const ModelStore& store, int source, int method)
{
    if (source == kSourceAppRes) return ReplayPress<TMTRes>(store, method);
    if (source == kSourcePhase) return ReplayPress<TMTPhase>(store, method);
    return ReplayPress<TMTResPhase>(store, method);
}

const char* EndingConstant(mt::RunEnding ending)
{
    switch (ending) {
    case mt::RunEnding::kNotRun: return "kNotRun";
    case mt::RunEnding::kFittedAtStart: return "kFittedAtStart";
    case mt::RunEnding::kConverged: return "kConverged";
    case mt::RunEnding::kIterationLimit: return "kIterationLimit";
    case mt::RunEnding::kAttemptLimit: return "kAttemptLimit";
    case mt::RunEnding::kDecompositionFailure: return "kDecompositionFailure";
    case mt::RunEnding::kRankZero: return "kRankZero";
    case mt::RunEnding::kNonFinite: return "kNonFinite";
    }
    return "kNotRun";
}

// One Expected initialiser, followed by `end` ("," in a list, ";" alone).
void PrintExpected(std::size_t model, int source, int method, int press, const Press& got, bool zeroLastStep,
                   const char* end)
{
    std::printf("    {%zu, %d, %d, %d, mt::RunEnding::%s, %s, %d, %af,  // misfit %.9g\n     {", model, source,
                method, press, EndingConstant(got.ending), zeroLastStep ? "true" : "false", got.iterations,
                got.misfit, got.misfit);
    for (std::size_t k = 0; k < got.parameters.size(); ++k) {
        std::printf("%s%af", k == 0 ? "" : ", ", got.parameters[k]);
    }
    std::printf("}}%s\n", end);
}

bool Same(const Press& a, const Press& b)
{
    return a.ending == b.ending && a.iterations == b.iterations && a.misfit == b.misfit &&
           a.parameters == b.parameters;
}

}  // namespace

int main()
{
    std::printf(
        "#pragma once\n"
        "// Generated by tests/classic/GenerateWholeRuns.cpp; do not edit by hand. After a deliberate\n"
        "// change of the results, regenerate and review the difference:\n"
        "//   cmake --build build --target generate_whole_runs\n"
        "//   build/tests/generate_whole_runs > tests/classic/WholeRunExpectations.h\n"
        "// Per press: model, source, method, press, ending, zero last step, iterations, misfit,\n"
        "// then the model's parameters (N resistivities, N − 1 thicknesses) as hex floats.\n"
        "\n"
        "#include \"tests/classic/WholeRuns.h\"\n"
        "\n"
        "namespace whole_runs {\n"
        "\n"
        "// clang-format off\n"
        "inline const std::vector<Expected> kExpected = {\n");
    for (std::size_t m = 0; m < Models().size(); ++m) {
        for (int method : {kMethodSvd, kMethodConstrained}) {
            for (int source : {kSourceAppRes, kSourcePhase, kSourceBoth}) {
                auto store = whole_runs::StartedStore(static_cast<int>(m));
                std::printf("    // %s, %s, %s\n", Models()[m].name, whole_runs::kSourceNames[source],
                            whole_runs::kMethodNames[method]);
                for (int press = 1; press <= whole_runs::kPresses; ++press) {
                    const Replay replay = ReplayPress(*store, source, method);
                    const Press got = whole_runs::PressOf(RunInversion(*store, source, method), *store);
                    if (!Same(got, replay.press)) {
                        std::fprintf(stderr, "%s press %d: the replay differs from the command\n",
                                     Models()[m].name, press);
                        return EXIT_FAILURE;
                    }
                    PrintExpected(m, source, method, press, got, replay.zeroLastStep, ",");
                }
            }
        }
    }
    std::printf("};\n\n");

    // The engine run of WholeRuns.h, as model 0, phase, the singular value method, press 1.
    const auto store = whole_runs::StartedStore(0);
    const Replay replay =
        ReplayEngine<TMTPhase>(whole_runs::EngineDampedPhaseEngine<Recording<TMTPhase>>(*store), kMethodSvd);
    const Press got = whole_runs::RunEngineDampedPhase<TMTPhase>();
    if (!Same(got, replay.press)) {
        std::fprintf(stderr, "%s: the replay differs from the run\n", whole_runs::kEngineRunName);
        return EXIT_FAILURE;
    }
    std::printf("// %s\ninline const Expected kExpectedEngineRun =\n", whole_runs::kEngineRunName);
    PrintExpected(0, kSourcePhase, kMethodSvd, 1, got, replay.zeroLastStep, ";");
    std::printf("// clang-format on\n\n}  // namespace whole_runs\n");
    return EXIT_SUCCESS;
}
