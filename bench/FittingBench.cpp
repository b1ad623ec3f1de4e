// Whole fits of the fitting engine, and the kernel calls they are made of, so that the share
// of a fit spent in the kernel can be read off: each fit reports how many responses
// (forward_runs) and responses with Jacobian (jacobian_runs) it asked for.
//
// Soundings: a three-layer earth (100, 10, 1000 Ω·m; 500 and 2000 m) with 5 % Gaussian noise
// on the impedance (seed 2024), at 31 frequencies (1 kHz to 1 mHz, five per decade) for the
// layered fit and at 60 for the smooth one; and the Cull (1985) sounding when the shared data
// are present.

#include "numerics/LayeredEarth.h"
#include "fitting/LayeredFit.h"
#include "fitting/OccamFit.h"
#include "tests/fitting/RealSoundings.h"
#include "tests/fitting/SyntheticSounding.h"

#include <benchmark/benchmark.h>

// The fits are kept from being optimised away through a pointer into their model: Google
// Benchmark 1.7.1's DoNotOptimize on a double member corrupted it under g++ 12 here (the RMS
// read back as 0 or as garbage), through its "+m,r" register constraint.

#include <optional>
#include <vector>

namespace {

using namespace mt1d::fitting;

const mt1d::earth::LayeredModel kTruth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};

mt1d::sounding::Curve Noisy(std::size_t frequencies)
{
    SeededRandom random(2024);
    return testing_support::SyntheticCurve(kTruth, testing_support::LogFrequencies(1e3, 1e-3, frequencies), 0.05,
                                           &random);
}

std::optional<mt1d::sounding::Curve> Cull() { return testing_support::CullCurve(); }

void Count(benchmark::State& state, std::size_t forwards, std::size_t jacobians, double rms)
{
    state.counters["forward_runs"] = static_cast<double>(forwards);
    state.counters["jacobian_runs"] = static_cast<double>(jacobians);
    state.counters["rms"] = rms;
}

// `starts` empty: the default count for the layers (DefaultStarts).
void LayeredFit(benchmark::State& state, const mt1d::sounding::Curve& curve, std::size_t layers,
                std::optional<std::size_t> starts)
{
    LayeredOptions options;
    options.layers = layers;
    options.starts = starts;
    LayeredFitResult fit;
    for (auto _ : state) {
        fit = FitLayered(curve, options);
        benchmark::DoNotOptimize(fit.model.resistivity.data());
    }
    if (fit.report.status == FitStatus::kInvalidInput) state.SkipWithError(fit.report.message.c_str());
    Count(state, fit.forwardRuns, fit.jacobianRuns, fit.report.rms);
}

void OccamFit(benchmark::State& state, const mt1d::sounding::Curve& curve, OccamOptions options = {})
{
    OccamFitResult fit;
    for (auto _ : state) {
        fit = FitOccam(curve, options);
        benchmark::DoNotOptimize(fit.model.resistivity.data());
    }
    if (!fit.report.targetReached) state.SkipWithError(fit.report.message.c_str());
    Count(state, fit.forwardRuns, fit.jacobianRuns, fit.report.rms);
    state.counters["iterations"] = static_cast<double>(fit.report.iterations);
}

// Three layers, 20 seeded starts.
void BM_LayeredFit_3Layers_20Starts(benchmark::State& state) { LayeredFit(state, Noisy(31), 3, 20); }
BENCHMARK(BM_LayeredFit_3Layers_20Starts)->Unit(benchmark::kMillisecond);

// Occam with its default 50 layers on 60 frequencies, to the target RMS 1.
void BM_OccamFit_50Layers_60Frequencies(benchmark::State& state) { OccamFit(state, Noisy(60)); }
BENCHMARK(BM_OccamFit_50Layers_60Frequencies)->Unit(benchmark::kMillisecond);

// Occam on the same 60 frequencies with more layers, to the target RMS 1: how the fit grows
// with the mesh.
void BM_OccamFit_Layers(benchmark::State& state)
{
    OccamOptions options;
    options.mesh.layers = static_cast<std::size_t>(state.range(0));
    OccamFit(state, Noisy(60), options);
}
BENCHMARK(BM_OccamFit_Layers)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_Cull_LayeredFit(benchmark::State& state)
{
    const auto curve = Cull();
    if (!curve) {
        state.SkipWithError("shared data absent");
        for (auto _ : state) {}
        return;
    }
    LayeredFit(state, *curve, static_cast<std::size_t>(state.range(0)), std::nullopt);
}
// Two to four layers with the default number of starts (20, 80, 180).
BENCHMARK(BM_Cull_LayeredFit)->DenseRange(2, 4)->Unit(benchmark::kMillisecond);

void BM_Cull_OccamFit(benchmark::State& state)
{
    const auto curve = Cull();
    if (!curve) {
        state.SkipWithError("shared data absent");
        for (auto _ : state) {}
        return;
    }
    OccamFit(state, *curve);
}
BENCHMARK(BM_Cull_OccamFit)->Unit(benchmark::kMillisecond);

// The kernel calls of those fits, one each: (layers, frequencies).
void BM_FitKernel_Response(benchmark::State& state)
{
    const auto layers = static_cast<std::size_t>(state.range(0));
    mt1d::earth::LayeredEarth earth(testing_support::LogFrequencies(1e3, 1e-3, static_cast<std::size_t>(state.range(1))));
    std::vector<double> rho(layers, 100.0), h(layers - 1, 200.0), rhoA(earth.FrequencyCount()), phase(rhoA.size());
    for (auto _ : state) {
        earth.Compute(rho, h, rhoA, phase);
        benchmark::DoNotOptimize(rhoA.data());
    }
}
BENCHMARK(BM_FitKernel_Response)->Args({3, 31})->Args({50, 60})->Args({3, 23})->Args({50, 23})->Unit(benchmark::kMicrosecond);

void BM_FitKernel_Jacobian(benchmark::State& state)
{
    const auto layers = static_cast<std::size_t>(state.range(0));
    mt1d::earth::LayeredEarth earth(testing_support::LogFrequencies(1e3, 1e-3, static_cast<std::size_t>(state.range(1))));
    std::vector<double> rho(layers, 100.0), h(layers - 1, 200.0), rhoA(earth.FrequencyCount()), phase(rhoA.size());
    std::vector<double> jacobian(2 * rhoA.size() * (2 * layers - 1));
    for (auto _ : state) {
        earth.ComputeWithJacobian(rho, h, rhoA, phase, jacobian);
        benchmark::DoNotOptimize(jacobian.data());
    }
}
BENCHMARK(BM_FitKernel_Jacobian)->Args({3, 31})->Args({50, 60})->Args({3, 23})->Args({50, 23})->Unit(benchmark::kMicrosecond);

}  // namespace
