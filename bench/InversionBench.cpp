// Whole inversions started the way the window starts them after start-up: synthetic data
// of the default three-layer model, start 0.2 times it, bounds 0.1 and 10 times it with
// the top resistivity pinned, step threshold 0.01, phase damping 0.5, joint weights 1/0.1.

#include "Inversion1D.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <type_traits>
#include <vector>

namespace {

constexpr int kFreq = 41;
const float kModel[6] = {1000.0f, 10.0f, 1000.0f, 500.0f, 500.0f, 100.0f};

struct Setup {
    float frequencies[2 * kFreq];
    float response[2 * kFreq];
    float start[5], upper[5], lower[5];

    Setup()
    {
        for (int i = 0; i < kFreq; ++i) {
            frequencies[i] = frequencies[kFreq + i] = static_cast<float>(std::pow(10.0, 0.2 * (i - 20)));
        }
        TMTRes forward;
        const int sizes[1] = {kFreq};
        forward.SetData(1, sizes, frequencies, response);
        forward.SetParameters(6, kModel);
        forward.GetResponse(response);
        for (int k = 0; k < 5; ++k) {
            start[k] = 0.2f * kModel[k];
            upper[k] = 10.0f * kModel[k];
            lower[k] = 0.1f * kModel[k];
        }
        upper[0] = lower[0] = kModel[0];
    }
};

template <typename Model>
std::unique_ptr<Inversion1D<Model>> Configured(const Setup& s)
{
    std::unique_ptr<Inversion1D<Model>> engine;
    if constexpr (std::is_same_v<Model, TMTResPhase>) {
        const int sizes[2] = {kFreq, kFreq};
        engine = std::make_unique<Inversion1D<Model>>(2, sizes, s.frequencies, s.response, 5, s.start, 1, true);
    } else {
        const int sizes[1] = {kFreq};
        const float* observed = std::is_same_v<Model, TMTPhase> ? s.response + kFreq : s.response;
        engine = std::make_unique<Inversion1D<Model>>(1, sizes, s.frequencies, observed, 5, s.start, 1, true);
    }
    engine->SetStepThreshold(0.01f);
    engine->SetBounds(5, s.upper, s.lower);
    if constexpr (std::is_same_v<Model, TMTPhase>) {
        float damping[50];
        std::fill(damping, damping + 50, 0.5f);
        engine->SetDamping(damping);
    }
    if constexpr (std::is_same_v<Model, TMTResPhase>) {
        float weights[2 * kFreq];
        std::fill(weights, weights + kFreq, 1.0f);
        std::fill(weights + kFreq, weights + 2 * kFreq, 0.1f);
        engine->SetDataWeights(weights);
    }
    return engine;
}

enum Method { kSvd, kConstrained };

template <typename Model, Method method>
void BM_WholeInversion(benchmark::State& state)
{
    const Setup setup;
    for (auto _ : state) {
        auto engine = Configured<Model>(setup);
        method == kConstrained ? engine->RunConstrainedInversion() : engine->RunSvdInversion();
        benchmark::DoNotOptimize(engine->FinalMisfit);
        state.counters["iterations"] = engine->Iteration;
    }
}
BENCHMARK_TEMPLATE(BM_WholeInversion, TMTRes, kSvd)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_WholeInversion, TMTPhase, kSvd)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_WholeInversion, TMTResPhase, kSvd)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_WholeInversion, TMTRes, kConstrained)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_WholeInversion, TMTPhase, kConstrained)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_WholeInversion, TMTResPhase, kConstrained)->Unit(benchmark::kMillisecond);

// One iteration: residuals, sensitivities, one decomposition and one trial step.
template <typename Model>
void BM_OneIteration(benchmark::State& state)
{
    const Setup setup;
    for (auto _ : state) {
        state.PauseTiming();
        auto engine = Configured<Model>(setup);
        engine->MaxIterations = 1;
        state.ResumeTiming();
        engine->RunSvdInversion();
        benchmark::DoNotOptimize(engine->FinalMisfit);
    }
}
BENCHMARK_TEMPLATE(BM_OneIteration, TMTRes)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_OneIteration, TMTResPhase)->Unit(benchmark::kMicrosecond);

}  // namespace
