// The sampler's speed: the forward evaluations it is built on, one chain step, and whole
// runs of 10^6 samples, plus how quickly a run answers a cancellation and how often it
// reports progress.
//
// Soundings: the three-layer earth of the sampling tests (100 Ω·m over 500 m, 10 Ω·m over
// 2000 m, 1000 Ω·m; 41 frequencies 1 kHz to 1 mHz, 5 % noise, draw 1), and Geoscience
// Australia's AMT site 07E1 (54 frequencies, det curve, 5 % floor) when the shared data are
// present: a typical audio-magnetotelluric sounding.

#include "sampling/Chain.h"
#include "sounding/CurveDerivation.h"
#include "sampling/ModelMisfit.h"
#include "sampling/Sampler.h"
#include "tests/support/SharedData.h"
#include "sounding/SoundingFile.h"
#include "tests/fitting/SyntheticSounding.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace {

using namespace mt1d;

fitting::FitData ThreeLayerData()
{
    fitting::SeededRandom random(1);
    const earth::LayeredModel truth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    const auto curve = testing_support::SyntheticCurve(truth, testing_support::LogFrequencies(1e3, 1e-3, 41), 0.05, &random);
    return fitting::SelectData(curve, {}).data;
}

std::optional<fitting::FitData> SiteData()
{
    const auto dir = testing_support::SharedDataDir();
    if (!dir) return std::nullopt;
    const auto s = sounding::ReadSoundingFile(*dir / "ga-amt-rjmcmcmt" / "07E1_AMT.edi");
    return fitting::SelectData(sounding::DeriveCurve(s, {sounding::Mode::kDet, 5.0}), {}).data;
}

// The misfit a chain calls, counting its calls.
class CountingMisfit final : public sampling::ModelMisfit {
public:
    explicit CountingMisfit(const fitting::FitData& data) : inner_(data) {}
    double ChiSquare(std::span<const double> rho, std::span<const double> h) override
    {
        ++calls;
        return inner_.ChiSquare(rho, h);
    }
    std::uint64_t calls = 0;

private:
    sampling::DataMisfit inner_;
};

// One forward evaluation as the sampler makes it: χ² of a 5-layer model (alternating 100 and
// 10 Ω·m, 300 m each) against 41 frequencies. items_per_second is evaluations per second on
// one core.
void BM_SamplerForward_5Layers_41Frequencies(benchmark::State& state)
{
    sampling::DataMisfit misfit(ThreeLayerData());
    const std::vector<double> rho{100.0, 10.0, 100.0, 10.0, 100.0}, h{300.0, 300.0, 300.0, 300.0};
    for (auto _ : state) benchmark::DoNotOptimize(misfit.ChiSquare(rho, h));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SamplerForward_5Layers_41Frequencies);

// One step of a chain after 20,000 steps of burn-in on the three-layer sounding: the
// proposal, its forward evaluation and the decision. forward_per_second counts only steps
// that needed the forward model (a proposal outside the prior needs none).
void BM_ChainStep_ThreeLayerSounding(benchmark::State& state)
{
    const auto data = ThreeLayerData();
    sampling::PriorFromData prior = sampling::MakePrior(data, {});
    CountingMisfit misfit(data);
    sampling::Chain chain(prior.prior, misfit, 1);
    for (int i = 0; i < 20'000; ++i) chain.Step(true);
    misfit.calls = 0;
    double layers = 0.0;
    for (auto _ : state) {
        chain.Step(false);
        layers += static_cast<double>(chain.State().Layers());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["forward_per_second"] = benchmark::Counter(static_cast<double>(misfit.calls), benchmark::Counter::kIsRate);
    state.counters["mean_layers"] = layers / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ChainStep_ThreeLayerSounding);

// 10^6 samples: 2 chains of 500,000 (one per core of this machine) after 20,000 burn-in steps
// each, on two threads.
void SampleMillion(benchmark::State& state, const fitting::FitData& data)
{
    sampling::SamplingOptions o;
    o.samples = 1'000'000;
    o.chains = 2;
    o.threads = 2;
    sampling::SamplingResult r;
    for (auto _ : state) {
        r = sampling::Sample(data, o);
        benchmark::DoNotOptimize(r.density.data());
    }
    state.counters["mode_layers"] = static_cast<double>(r.LayerCountMode());
    state.counters["rhat_layers"] = r.rhat.layerCount;
    state.counters["rhat_misfit"] = r.rhat.misfit;
}

void BM_Sample1e6_ThreeLayerSounding(benchmark::State& state) { SampleMillion(state, ThreeLayerData()); }
BENCHMARK(BM_Sample1e6_ThreeLayerSounding)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Sample1e6_Site07E1(benchmark::State& state)
{
    const auto data = SiteData();
    if (!data) {
        state.SkipWithError("shared data absent");
        for (auto _ : state) {}
        return;
    }
    SampleMillion(state, *data);
}
BENCHMARK(BM_Sample1e6_Site07E1)->Unit(benchmark::kMillisecond)->UseRealTime();

// From raising the cancel flag (100 ms into a run far too long to finish) to the run's
// return; and the longest gap between progress reports while it ran.
void BM_CancelLatency(benchmark::State& state)
{
    const auto data = ThreeLayerData();
    double longestGap = 0.0;
    for (auto _ : state) {
        std::atomic<bool> cancel{false};
        sampling::SamplingControl control;
        control.cancel = &cancel;
        auto last = std::chrono::steady_clock::now();
        control.progress = [&](const sampling::SamplingProgress&) {
            const auto now = std::chrono::steady_clock::now();
            longestGap = std::max(longestGap, std::chrono::duration<double>(now - last).count());
            last = now;
        };
        sampling::SamplingOptions o;
        o.samples = 1'000'000'000;
        o.chains = 2;
        std::chrono::steady_clock::time_point raised;
        std::jthread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            raised = std::chrono::steady_clock::now();
            cancel = true;
        });
        last = std::chrono::steady_clock::now();
        const auto r = sampling::Sample(data, o, control);
        const auto returned = std::chrono::steady_clock::now();
        canceller.join();
        state.SetIterationTime(std::chrono::duration<double>(returned - raised).count());
        benchmark::DoNotOptimize(r.samples);
    }
    state.counters["longest_progress_gap_ms"] = 1e3 * longestGap;
}
BENCHMARK(BM_CancelLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
