// The cost of fitting both off-diagonal curves with static-shift factors against fitting one
// curve: the joint fit shares one kernel evaluation per frequency between the curves, so it
// should cost at most about twice the single-mode fit (twice the values, one more unknown).
//
// Sounding: the three-layer earth of FittingBench (100, 10, 1000 Ω·m; 500 and 2000 m) at 31
// frequencies (1 kHz to 1 mHz), 2 % Gaussian noise on the impedance, xy shifted by 2.5 and yx
// by 1 (seeds 11 and 12). Layered fits of 3 layers with the default 80 starts.

#include "fitting/FitData.h"
#include "fitting/LayeredFit.h"
#include "fitting/OccamFit.h"
#include "tests/fitting/SyntheticSounding.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace mt1d::fitting;

const mt1d::earth::LayeredModel kTruth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};

mt1d::sounding::Curve Curve(mt1d::sounding::Mode mode, double shift, std::uint64_t seed)
{
    SeededRandom random(seed);
    auto c = testing_support::SyntheticCurve(kTruth, testing_support::LogFrequencies(1e3, 1e-3, 31), 0.02, &random);
    c.mode = mode;
    for (auto& r : c.rows) {
        r.rhoOhmM *= shift;
        r.rhoErrOhmM *= shift;
    }
    return c;
}

const mt1d::sounding::Curve& Xy()
{
    static const auto c = Curve(mt1d::sounding::Mode::kXy, 2.5, 11);
    return c;
}
const mt1d::sounding::Curve& Yx()
{
    static const auto c = Curve(mt1d::sounding::Mode::kYx, 1.0, 12);
    return c;
}

FitData Both()
{
    const std::vector<CurveSelection> curves{{&Xy(), {}}, {&Yx(), {}}};
    return SelectCurves(curves, FitComponents::kBoth).data;
}

void Report(benchmark::State& state, const FitReport& report, std::size_t forwards, std::size_t jacobians)
{
    if (report.status == FitStatus::kInvalidInput) state.SkipWithError(report.message.c_str());
    state.counters["rms"] = report.rms;
    state.counters["forward_runs"] = static_cast<double>(forwards);
    state.counters["jacobian_runs"] = static_cast<double>(jacobians);
    if (report.staticShift) state.counters["xy_factor"] = report.staticShift->curves[0].factor;
}

void BM_LayeredSingleMode(benchmark::State& state)
{
    const FitData data = SelectData(Xy(), {}).data;
    LayeredOptions o;
    o.layers = 3;
    LayeredFitResult fit;
    for (auto _ : state) {
        fit = FitLayered(data, o);
        benchmark::DoNotOptimize(fit.model.resistivity.data());
    }
    Report(state, fit.report, fit.forwardRuns, fit.jacobianRuns);
}
BENCHMARK(BM_LayeredSingleMode)->Unit(benchmark::kMillisecond);

void BM_LayeredBothModesWithShifts(benchmark::State& state)
{
    const FitData data = Both();
    LayeredOptions o;
    o.layers = 3;
    o.shift.mode = ShiftMode::kFree;
    o.shift.reference = ShiftReference::kYx;
    LayeredFitResult fit;
    for (auto _ : state) {
        fit = FitLayered(data, o);
        benchmark::DoNotOptimize(fit.model.resistivity.data());
    }
    Report(state, fit.report, fit.forwardRuns, fit.jacobianRuns);
}
BENCHMARK(BM_LayeredBothModesWithShifts)->Unit(benchmark::kMillisecond);

void BM_OccamSingleMode(benchmark::State& state)
{
    const FitData data = SelectData(Xy(), {}).data;
    OccamFitResult fit;
    for (auto _ : state) {
        fit = FitOccam(data, OccamOptions{});
        benchmark::DoNotOptimize(fit.model.resistivity.data());
    }
    Report(state, fit.report, fit.forwardRuns, fit.jacobianRuns);
}
BENCHMARK(BM_OccamSingleMode)->Unit(benchmark::kMillisecond);

void BM_OccamBothModesWithShifts(benchmark::State& state)
{
    const FitData data = Both();
    OccamOptions o;
    o.shift.mode = ShiftMode::kFree;
    o.shift.reference = ShiftReference::kYx;
    OccamFitResult fit;
    for (auto _ : state) {
        fit = FitOccam(data, o);
        benchmark::DoNotOptimize(fit.model.resistivity.data());
    }
    Report(state, fit.report, fit.forwardRuns, fit.jacobianRuns);
}
BENCHMARK(BM_OccamBothModesWithShifts)->Unit(benchmark::kMillisecond);

}  // namespace
