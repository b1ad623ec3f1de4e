// Whole inversions started the way the window starts them after start-up: the store after the
// forward calculation of the default model, engines built by MakeEngine (the program's one
// engine set-up).

#include "classic/Commands.h"
#include "classic/EngineSetup.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::unique_ptr<mt1d::ModelStore> StartedStore()
{
    auto store = std::make_unique<mt1d::ModelStore>();
    mt1d::RunForward(*store, std::to_string(mt1d::kDefaultLayerCount), mt1d::DefaultTable());
    return store;
}

template <typename Model>
std::unique_ptr<Inversion1D<Model>> Configured(const mt1d::ModelStore& store)
{
    return mt1d::MakeEngine<Model>(store, 2 * store.LayerCount - 1);
}

enum Method { kSvd, kConstrained };

template <typename Model, Method method>
void BM_WholeInversion(benchmark::State& state)
{
    const auto store = StartedStore();
    for (auto _ : state) {
        auto engine = Configured<Model>(*store);
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
    const auto store = StartedStore();
    for (auto _ : state) {
        state.PauseTiming();
        auto engine = Configured<Model>(*store);
        engine->MaxIterations = 1;
        state.ResumeTiming();
        engine->RunSvdInversion();
        benchmark::DoNotOptimize(engine->FinalMisfit);
    }
}
BENCHMARK_TEMPLATE(BM_OneIteration, TMTRes)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_OneIteration, TMTResPhase)->Unit(benchmark::kMicrosecond);

}  // namespace
