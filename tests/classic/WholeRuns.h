#pragma once
// The whole inversion runs the tests pin: the window's inversion button pressed twice after
// the forward calculation of each model below, for every data source and method. The
// expected endings, iteration counts, misfits and model values are written by
// GenerateWholeRuns.cpp into WholeRunExpectations.h; the store, window and command-line
// tests compare against them.

#include "classic/Commands.h"
#include "classic/EngineSetup.h"
#include "inversion/RunEnding.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace whole_runs {

struct ScenarioModel {
    const char* name;
    std::vector<mt1d::LayerText> rows;
};

// The default three-layer model, a conductor under a resistive layer, and a half-space.
inline const std::vector<ScenarioModel>& Models()
{
    static const std::vector<ScenarioModel> models = {
        {"ThreeLayers", mt1d::DefaultTable()},
        {"TwoLayers", {{"100", "1000"}, {"10", "100"}}},
        {"OneLayer", {{"100", "100"}}},
    };
    return models;
}

inline constexpr int kPresses = 2;
inline const char* const kSourceNames[] = {"AppRes", "Phase", "Both"};
inline const char* const kMethodNames[] = {"Svd", "Constrained"};

// One press as the tests compare it: how the run ended and the starting model it leaves for
// the next press (InvModel[0..2N−2], the parameters).
struct Press {
    mt::RunEnding ending = mt::RunEnding::kNotRun;
    int iterations = 0;
    float misfit = 0.0f;
    std::vector<float> parameters;
};

// A store after the forward calculation of model `m`, as the window leaves it.
inline std::unique_ptr<mt1d::ModelStore> StartedStore(int m)
{
    auto store = std::make_unique<mt1d::ModelStore>();
    const auto& rows = Models()[m].rows;
    mt1d::RunForward(*store, std::to_string(rows.size()), rows);
    return store;
}

inline Press PressOf(const mt1d::InversionOutcome& outcome, const mt1d::ModelStore& store)
{
    return {outcome.summary.ending, outcome.summary.iterations, outcome.summary.misfit,
            std::vector<float>(store.InvModel, store.InvModel + outcome.paramCount)};
}

// The presses of one scenario, through the inversion command.
inline std::vector<Press> RunPresses(int m, int source, int method)
{
    auto store = StartedStore(m);
    std::vector<Press> presses;
    for (int k = 0; k < kPresses; ++k) {
        presses.push_back(PressOf(mt1d::RunInversion(*store, source, method), *store));
    }
    return presses;
}

// An engine run the window does not make, pinned like the presses (as model 0, phase, the
// singular value method, press 1 of kExpectedEngineRun): the default three-layer model
// (1000/10/1000 Ω·m over 500/500 m) after its forward calculation, its engine built as the
// inversion command builds it (started from 0.2 times the model, bounds 0.1 and 10 times),
// but damped with the engine's own 0.005 in every slot instead of the phase set-up's 0.5.
// Its first five trials step so far that the model overflows; each is rejected and the
// damping raised, and the sixth trial, finite, ends the run at the attempt limit.
inline constexpr const char* kEngineRunName = "ThreeLayersPhaseSvdEngineDamping";
inline constexpr float kEngineOwnDamping = 0.005f;

// The engine of that run (Model TMTPhase, or a kind derived from it), ready to run.
template <typename Model>
std::unique_ptr<Inversion1D<Model>> EngineDampedPhaseEngine(const mt1d::ModelStore& store)
{
    auto engine = mt1d::MakeEngine<Model>(store, 2 * store.LayerCount - 1);
    std::array<float, mt::kMaxSystemRows> damping{};
    damping.fill(kEngineOwnDamping);
    engine->SetDamping(damping.data());
    return engine;
}

// Runs it with Model and returns its result as a press.
template <typename Model>
Press RunEngineDampedPhase()
{
    auto store = StartedStore(0);
    auto engine = EngineDampedPhaseEngine<Model>(*store);
    engine->RunSvdInversion();
    const mt::RunSummary summary = engine->Summary();
    Press press{summary.ending, summary.iterations, summary.misfit, {}};
    int count = 0;
    press.parameters.resize(mt::kMaxSystemRows);
    engine->GetModel(count, press.parameters.data());
    press.parameters.resize(static_cast<std::size_t>(count));
    return press;
}

// What the generator recorded for one press.
struct Expected {
    int model;  // index into Models()
    int source;
    int method;
    int press;  // from 1
    mt::RunEnding ending;
    // The run converged on an all-zero step: its trial, the model itself, was accepted because
    // its misfit did not exceed the last accepted one, which it equals. A last-bit difference
    // in that trial (another libm's exp and log) would reject it instead, and every further
    // zero step with it, until the attempt limit ends the run at the same iteration on the
    // same model with that trial's misfit.
    bool zeroLastStep;
    int iterations;
    float misfit;
    std::vector<float> parameters;
};

// Where a press differs from what was recorded; empty when it matches. Every value must be
// the same bit for bit, except on the other side of a zero-last-step flip: the attempt limit
// at the same iteration, the same model, and a misfit above the recorded one by a last-bit
// difference (at most 4 float ulps: the zero step moves each parameter by an ulp of double,
// which moves a float response by at most one ulp, and the misfit by a few).
inline std::vector<std::string> Differences(const Expected& expected, const Press& got)
{
    std::vector<std::string> found;
    const auto text = [](double value) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.9g", value);
        return std::string(buffer);
    };
    const auto differ = [&](const std::string& what, double want, double have) {
        found.push_back(what + ": expected " + text(want) + ", got " + text(have));
    };
    const bool flipped = expected.zeroLastStep && expected.ending == mt::RunEnding::kConverged &&
                         got.ending == mt::RunEnding::kAttemptLimit;
    if (got.ending != expected.ending && !flipped) {
        found.push_back("ending: expected " + std::string(mt::EndingName(expected.ending)) + ", got " +
                        std::string(mt::EndingName(got.ending)));
    }
    if (got.iterations != expected.iterations) differ("iterations", expected.iterations, got.iterations);
    if (flipped) {
        const float limit = expected.misfit * (1.0f + 4.0f * 0x1p-24f);
        if (!(got.misfit >= expected.misfit && got.misfit <= limit)) {
            differ("misfit on the flipped side", expected.misfit, got.misfit);
        }
    } else if (got.misfit != expected.misfit) {
        differ("misfit", expected.misfit, got.misfit);
    }
    if (got.parameters.size() != expected.parameters.size()) {
        differ("parameter count", static_cast<double>(expected.parameters.size()),
               static_cast<double>(got.parameters.size()));
        return found;
    }
    for (std::size_t k = 0; k < got.parameters.size(); ++k) {
        if (got.parameters[k] != expected.parameters[k]) {
            differ("parameter " + std::to_string(k), expected.parameters[k], got.parameters[k]);
        }
    }
    return found;
}

}  // namespace whole_runs
