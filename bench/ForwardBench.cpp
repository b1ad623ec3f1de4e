// Forward response and sensitivities of the layered-earth model.

#include "classic/Defaults.h"
#include "numerics/MTSounding.h"

#include <benchmark/benchmark.h>

#include <type_traits>
#include <vector>

namespace {

constexpr int kFreq = mt1d::kFreqCount;

// The sounding frequencies twice, for the joint kind.
std::vector<float> Frequencies()
{
    const auto once = mt1d::SoundingFrequencies();
    std::vector<float> f(once.begin(), once.end());
    f.insert(f.end(), once.begin(), once.end());
    return f;
}

// N layers alternating 1000 and 10 ohm-m, 500 m thick each.
std::vector<float> Layers(int n)
{
    std::vector<float> p(2 * n - 1);
    for (int k = 0; k < n; ++k) p[k] = k % 2 == 0 ? 1000.0f : 10.0f;
    for (int k = 0; k < n - 1; ++k) p[n + k] = 500.0f;
    return p;
}

template <typename Model>
void Prepare(Model& model, int layers)
{
    const auto f = Frequencies();
    const std::vector<float> observed(2 * kFreq, 1.0f);
    if constexpr (std::is_same_v<Model, TMTResPhase>) {
        const int sizes[2] = {kFreq, kFreq};
        model.SetData(2, sizes, f.data(), observed.data());
    } else {
        const int sizes[1] = {kFreq};
        model.SetData(1, sizes, f.data(), observed.data());
    }
    const auto p = Layers(layers);
    model.SetParameters(static_cast<int>(p.size()), p.data());
}

void BM_ComputeResponse(benchmark::State& state)
{
    TMTRes model;
    Prepare(model, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        model.ComputeResponse();
        benchmark::DoNotOptimize(model.CalcAppRes[0]);
    }
    state.SetItemsProcessed(state.iterations() * kFreq * (state.range(0) - 1));
}
BENCHMARK(BM_ComputeResponse)->ArgName("layers")->Arg(1)->Arg(3)->Arg(5)->Arg(15)->Arg(50)->Arg(300);

template <typename Model>
void BM_ComputeSensitivities(benchmark::State& state)
{
    Model model;
    Prepare(model, static_cast<int>(state.range(0)));
    const std::vector<float> weights(100, 1.0f);
    for (auto _ : state) {
        model.ComputeSensitivities(weights.data());
        benchmark::DoNotOptimize(model.Jacobian[0][0]);
    }
}
BENCHMARK_TEMPLATE(BM_ComputeSensitivities, TMTRes)->ArgName("layers")->Arg(3)->Arg(15);
BENCHMARK_TEMPLATE(BM_ComputeSensitivities, TMTPhase)->ArgName("layers")->Arg(3)->Arg(15);
BENCHMARK_TEMPLATE(BM_ComputeSensitivities, TMTResPhase)->ArgName("layers")->Arg(3)->Arg(15);

}  // namespace
