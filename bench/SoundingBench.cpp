// Reading a real sounding file and deriving its curve. The largest sample, Phoenix2025.edi,
// is a spectra EDI of 104 frequencies and 7 channels (79 kB); target ≤ 2 ms for reading it
// from disk and deriving the det curve. Registered only when the shared data are present
// (../shared/data beside the source tree, or MT1D_SHARED_DATA); otherwise skipped with a
// line on standard error.

#include "sounding/CurveDerivation.h"
#include "tests/support/SharedData.h"
#include "sounding/SoundingFile.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

using namespace mt1d::sounding;

void ReadAndDerive(benchmark::State& state, std::filesystem::path path)
{
    for (auto _ : state) {
        const Sounding s = ReadSoundingFile(path);
        Curve c = DeriveCurve(s, {Mode::kDet, 5.0});
        benchmark::DoNotOptimize(c.rows.data());
    }
}

void ParseInMemory(benchmark::State& state, std::filesystem::path path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string bytes = text.str();
    for (auto _ : state) {
        const Sounding s = ParseSounding(bytes, path.string());
        benchmark::DoNotOptimize(s.tensor.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

const bool kRegistered = [] {
    const auto data = testing_support::SharedDataDir();
    if (!data) {
        std::cerr << "SoundingBench skipped: " << testing_support::kNoSharedData << "\n";
        return false;
    }
    const auto phoenix = *data / "edi" / "Phoenix2025.edi";
    const auto impedance = *data / "edi" / "15125A_imp.edi";
    benchmark::RegisterBenchmark("Sounding/ReadAndDeriveDet/Phoenix2025_spectra_104f", ReadAndDerive, phoenix)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Sounding/ParseInMemory/Phoenix2025_spectra_104f", ParseInMemory, phoenix)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Sounding/ReadAndDeriveDet/15125A_impedance_60f", ReadAndDerive, impedance)
        ->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace
