#pragma once
// How the program sets up an inversion engine, in one place: the inversion command, the tests
// and the benchmarks build their engines here, so that what they run is what the window runs.
//
// MakeEngine<Model> builds the engine of a data source on the store's data (Model TMTRes for
// the apparent resistivity, TMTPhase for the phase, TMTResPhase for both): the observed data
// are the store's response at its FreqCount frequencies (for both: the apparent resistivities,
// then the phases, each block with the frequencies), the start is store.InvModel, the bounds
// are the store's, and the set-up constants are those of Defaults.h. The engine is ready to
// run; nothing in the store is written.
//
//     auto engine = MakeEngine<TMTPhase>(store, 2 * store.LayerCount - 1);
//     engine->RunConstrainedInversion();
//     const mt::RunSummary summary = engine->Summary();

#include "classic/Defaults.h"
#include "inversion/Inversion1D.h"
#include "classic/ModelStore.h"

#include <algorithm>
#include <array>
#include <memory>
#include <type_traits>

namespace mt1d {

template <typename Model>
std::unique_ptr<Inversion1D<Model>> MakeEngine(const ModelStore& store, int paramCount)
{
    // Kinds derived from the three (a test's scripted model) are set up as their base.
    constexpr bool joint = std::is_base_of_v<TMTResPhase, Model>;
    constexpr bool phase = std::is_base_of_v<TMTPhase, Model>;
    const int f = std::clamp(store.FreqCount, 1, kFreqCount);
    std::array<float, mt::kMaxSystemRows> freq{};
    std::array<float, mt::kMaxSystemRows> observed{};
    std::copy_n(store.Freq, f, freq.begin());
    std::copy_n(phase ? store.Phase : store.AppRes, f, observed.begin());
    if constexpr (joint) {
        std::copy_n(store.Freq, f, freq.begin() + f);
        std::copy_n(store.Phase, f, observed.begin() + f);
    }
    const int blockSizes[2] = {f, f};
    auto engine = std::make_unique<Inversion1D<Model>>(joint ? 2 : 1, blockSizes, freq.data(),
                                                       observed.data(), paramCount,
                                                       store.InvModel, kInvertThickness, kLogMode);
    engine->SetStepThreshold(kStepThreshold);
    engine->SetBounds(paramCount, store.UpperBound, store.LowerBound);
    if constexpr (phase) {
        std::array<float, mt::kMaxSystemRows> damping{};
        damping.fill(kPhaseDamping);
        engine->SetDamping(damping.data());
    }
    if constexpr (joint) {
        std::array<float, mt::kMaxSystemRows> weights{};
        std::fill_n(weights.begin(), f, kAppResWeight);
        std::fill_n(weights.begin() + f, f, kPhaseWeight);
        engine->SetDataWeights(weights.data());
    }
    return engine;
}

}  // namespace mt1d
