// The dimensionality of a sounding (dims/Dimensionality.h): phase tensor, skews, errors, 1-D
// flags and site strike of every row. Target ≤ 50 µs for a sounding of 104 frequencies.
//
// - Phoenix2025.edi (../shared/data/edi, 104 frequencies, a spectra EDI whose impedances carry
//   no errors): registered when the shared data are present.
// - A synthetic sounding of 104 frequencies with a variance on every element, so that the
//   error propagation and the weighted site strike run on every row: always registered.
// The file is read once, outside the timing; only the analysis is timed.

#include "dims/Dimensionality.h"
#include "dims/OneDMask.h"
#include "sounding/CurveDerivation.h"
#include "sounding/SoundingFile.h"
#include "tests/support/SharedData.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <iostream>
#include <numbers>

namespace {

using namespace mt1d;

// 104 frequencies from 10 kHz down, 12 per decade; a tensor that turns from 1-D to 2-D with a
// little skew, every element with a variance of 1 % of |Z|².
sounding::Sounding Synthetic104()
{
    sounding::Sounding s;
    s.sourceName = "synthetic";
    s.kind = sounding::DataKind::kImpedance;
    for (int i = 0; i < 104; ++i) {
        const double f = 1e4 * std::pow(10.0, -i / 12.0);
        const double ellipticity = 0.3 * i / 103.0;
        const double te = (45.0 + 10.0 * std::sin(i / 9.0)) * std::numbers::pi / 180.0;
        const double tm = te * (1.0 - ellipticity);
        const double m = std::sqrt(5.0 * f * 100.0);
        const double strike = 30.0 * std::numbers::pi / 180.0, c = std::cos(strike), sn = std::sin(strike);
        const std::complex<double> zte = std::polar(m, te), ztm = -std::polar(m, tm);
        const std::complex<double> skew = std::polar(0.02 * m, 1.0);
        sounding::TensorRow row;
        row.frequencyHz = f;
        // [[skew, zte], [ztm, skew]] turned to north: Rᵀ·Z·R with R the strike rotation.
        const std::complex<double> a = skew, b = zte, d = ztm, e = skew;
        row.z[0].value = c * c * a - c * sn * (b + d) + sn * sn * e;
        row.z[1].value = c * sn * (a - e) + c * c * b - sn * sn * d;
        row.z[2].value = c * sn * (a - e) + c * c * d - sn * sn * b;
        row.z[3].value = sn * sn * a + c * sn * (b + d) + c * c * e;
        for (auto& el : row.z) el.variance = 0.01 * m * m;
        s.tensor.push_back(row);
    }
    return s;
}

void Analyse(benchmark::State& state, sounding::Sounding s)
{
    for (auto _ : state) {
        const dims::DimsResult r = dims::AnalyseDimensionality(s);
        benchmark::DoNotOptimize(r.rows.data());
    }
}

// The analysis and the mask of the det curve, what --only-1d adds to a fit.
void AnalyseAndMask(benchmark::State& state, sounding::Sounding s)
{
    const sounding::Curve curve = sounding::DeriveCurve(s, {});
    for (auto _ : state) {
        sounding::Curve c = curve;
        dims::ApplyOneDMask(c, dims::AnalyseDimensionality(s));
        benchmark::DoNotOptimize(c.rows.data());
    }
}

const bool kRegistered = [] {
    benchmark::RegisterBenchmark("Dims/Analyse/synthetic_104f_with_errors", Analyse, Synthetic104())
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Dims/AnalyseAndMask/synthetic_104f_with_errors", AnalyseAndMask, Synthetic104())
        ->Unit(benchmark::kMicrosecond);
    const auto data = testing_support::SharedDataDir();
    if (!data) {
        std::cerr << "DimsBench on real files skipped: " << testing_support::kNoSharedData << "\n";
        return true;
    }
    const auto phoenix = sounding::ReadSoundingFile(*data / "edi" / "Phoenix2025.edi");
    benchmark::RegisterBenchmark("Dims/Analyse/Phoenix2025_spectra_104f", Analyse, phoenix)
        ->Unit(benchmark::kMicrosecond);
    const auto ga = sounding::ReadSoundingFile(*data / "ga-amt-rjmcmcmt" / "CD1_2.edi");
    benchmark::RegisterBenchmark("Dims/Analyse/CD1_2_impedance_81f_with_errors", Analyse, ga)
        ->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace
