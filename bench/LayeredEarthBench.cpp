// The field kernel: response, analytic Jacobian and the χ² fast path for the sizes the fitting
// and sampling code use. Layers alternate 1000 and 10 Ω·m, 500 m each, as in ForwardBench;
// frequencies are spread evenly in log from 1e-4 to 1e4 Hz.

#include "numerics/LayeredEarth.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

using mt1d::earth::LayeredEarth;

std::vector<double> Frequencies(int count)
{
    std::vector<double> f(count);
    for (int i = 0; i < count; ++i) f[i] = std::pow(10.0, -4.0 + 8.0 * i / (count - 1));
    return f;
}

struct Model {
    std::vector<double> rho, h;
};

Model Layers(int n)
{
    Model m;
    for (int k = 0; k < n; ++k) m.rho.push_back(k % 2 == 0 ? 1000.0 : 10.0);
    m.h.assign(n - 1, 500.0);
    return m;
}

// Arguments: layers, frequencies.
void Sizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"layers", "freqs"});
    for (const auto& [layers, freqs] : {std::pair{1, 41}, {3, 41}, {5, 41}, {15, 41}, {50, 60}}) {
        b->Args({layers, freqs});
    }
}

void BM_LayeredEarthCompute(benchmark::State& state)
{
    const Model m = Layers(static_cast<int>(state.range(0)));
    LayeredEarth kernel(Frequencies(static_cast<int>(state.range(1))));
    std::vector<double> rho(kernel.FrequencyCount()), phase(kernel.FrequencyCount());
    for (auto _ : state) {
        kernel.Compute(m.rho, m.h, rho, phase);
        benchmark::DoNotOptimize(rho.data());
        benchmark::DoNotOptimize(phase.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LayeredEarthCompute)->Apply(Sizes);

void BM_LayeredEarthJacobian(benchmark::State& state)
{
    const Model m = Layers(static_cast<int>(state.range(0)));
    LayeredEarth kernel(Frequencies(static_cast<int>(state.range(1))));
    const std::size_t f = kernel.FrequencyCount();
    std::vector<double> rho(f), phase(f), jacobian(2 * f * (2 * m.rho.size() - 1));
    for (auto _ : state) {
        kernel.ComputeWithJacobian(m.rho, m.h, rho, phase, jacobian);
        benchmark::DoNotOptimize(jacobian.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LayeredEarthJacobian)->Apply(Sizes);

// χ² of a model against data at every frequency (what a sampler evaluates per step),
// including the log10 of ρa and the weighting.
void BM_LayeredEarthChiSquare(benchmark::State& state)
{
    const Model m = Layers(static_cast<int>(state.range(0)));
    LayeredEarth kernel(Frequencies(static_cast<int>(state.range(1))));
    const std::size_t f = kernel.FrequencyCount();
    const mt1d::earth::MisfitData data{std::vector<double>(f, 2.0), std::vector<double>(f, 50.0),
                                       std::vector<double>(f, 45.0), std::vector<double>(f, 0.5)};
    for (auto _ : state) {
        benchmark::DoNotOptimize(kernel.ChiSquare(m.rho, m.h, data));
    }
}
BENCHMARK(BM_LayeredEarthChiSquare)->Apply(Sizes);

}  // namespace
