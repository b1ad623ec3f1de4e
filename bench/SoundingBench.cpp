// Reading a real sounding file and deriving its curve. The largest sample, Phoenix2025.edi,
// is a spectra EDI of 104 frequencies and 7 channels (79 kB); target ≤ 2 ms for reading it
// from disk and deriving the det curve. Registered only when the shared data are present
// (../shared/data beside the source tree, or MT1D_SHARED_DATA); otherwise skipped with a
// line on standard error.
//
// Reading an EMTF XML file of 100 periods laid out as the archives write them (Z, T, their
// variances and the inverse signal and residual covariances, about 43 lines per period,
// 290 kB), synthesised in memory: target ≤ 5 ms. And writing such a sounding as EMTF XML and
// as EDI.

#include "sounding/CurveDerivation.h"
#include "sounding/SoundingFile.h"
#include "sounding/SoundingWriter.h"
#include "tests/support/SharedData.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
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

// A 100 Ω·m half-space with a little 3D in it, 100 periods from 1e-3 to 1e4 s.
std::string SyntheticEmtfXml(int periods)
{
    auto num = [](double v) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.6e", v);
        return std::string(buffer);
    };
    auto value = [&](const char* name, const char* out, const char* in, const std::string& text) {
        return std::string("        <value name=\"") + name + "\" output=\"" + out + "\" input=\"" + in + "\">" + text +
               "</value>\n";
    };
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<EM_TF>\n  <Description>Magnetotelluric Transfer "
                    "Functions</Description>\n  <ProductId>BENCH.S100.2024</ProductId>\n  <Site>\n    <Id>S100</Id>\n"
                    "    <Location datum=\"WGS84\"><Latitude>-30</Latitude><Longitude>135</Longitude>"
                    "<Elevation units=\"meters\">200</Elevation></Location>\n"
                    "    <Orientation angle_to_geographic_north=\"0.0\">orthogonal</Orientation>\n  </Site>\n"
                    "  <ProcessingInfo><SignConvention>exp(+ i\\omega t)</SignConvention></ProcessingInfo>\n"
                    "  <DataTypes><DataType name=\"Z\" units=\"[mV/km]/[nT]\"/><DataType name=\"T\" units=\"[]\"/></DataTypes>\n"
                    "  <Data count=\"" + std::to_string(periods) + "\">\n";
    const char* outs[] = {"Ex", "Ex", "Ey", "Ey"};
    const char* ins[] = {"Hx", "Hy", "Hx", "Hy"};
    const char* names[] = {"Zxx", "Zxy", "Zyx", "Zyy"};
    for (int k = 0; k < periods; ++k) {
        const double period = std::pow(10.0, -3.0 + 7.0 * k / (periods - 1));
        const double a = std::sqrt(5.0 * 100.0 / period) / std::sqrt(2.0);
        const double z[4][2] = {{0.02 * a, -0.01 * a}, {a, a}, {-1.1 * a, -0.9 * a}, {0.01 * a, 0.03 * a}};
        x += "    <Period value=\"" + num(period) + "\" units=\"secs\">\n      <Z type=\"complex\" size=\"2 2\" units=\"[mV/km]/[nT]\">\n";
        for (int c = 0; c < 4; ++c) x += value(names[c], outs[c], ins[c], num(z[c][0]) + " " + num(z[c][1]));
        x += "      </Z>\n      <Z.VAR type=\"real\" size=\"2 2\">\n";
        for (int c = 0; c < 4; ++c) x += value(names[c], outs[c], ins[c], num(0.001 * a * a));
        x += "      </Z.VAR>\n      <Z.INVSIGCOV type=\"complex\" size=\"2 2\">\n";
        for (int c = 0; c < 4; ++c) x += value("", ins[c / 2], ins[c % 2], "8.745101e-1 -2.905133e-8");
        x += "      </Z.INVSIGCOV>\n      <Z.RESIDCOV type=\"complex\" size=\"2 2\">\n";
        for (int c = 0; c < 4; ++c) x += value("", outs[2 * (c / 2)], outs[2 * (c % 2)], "1.286460e-3 8.470329e-22");
        x += "      </Z.RESIDCOV>\n      <T type=\"complex\" size=\"1 2\" units=\"[]\">\n";
        x += value("Tx", "Hz", "Hx", "-9.386985e-2 6.206708e-3") + value("Ty", "Hz", "Hy", "4.601304e-2 3.035755e-2");
        x += "      </T>\n      <T.VAR type=\"real\" size=\"1 2\">\n";
        x += value("Tx", "Hz", "Hx", "8.415410e-5") + value("Ty", "Hz", "Hy", "1.339127e-4");
        x += "      </T.VAR>\n      <T.INVSIGCOV type=\"complex\" size=\"2 2\">\n";
        for (int c = 0; c < 4; ++c) x += value("", ins[c / 2], ins[c % 2], "8.745101e-1 -2.905133e-8");
        x += "      </T.INVSIGCOV>\n      <T.RESIDCOV type=\"complex\" size=\"1 1\">\n";
        x += value("", "Hz", "Hz", "9.623000e-5 0.000000e0");
        x += "      </T.RESIDCOV>\n    </Period>\n";
    }
    return x + "  </Data>\n</EM_TF>\n";
}

void ParseSyntheticEmtfXml(benchmark::State& state)
{
    const std::string bytes = SyntheticEmtfXml(100);
    for (auto _ : state) {
        const Sounding s = ParseSounding(bytes, "synthetic.xml");
        benchmark::DoNotOptimize(s.tensor.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(ParseSyntheticEmtfXml)->Name("Sounding/ParseEmtfXml/synthetic_100_periods")->Unit(benchmark::kMicrosecond);

void WriteSynthetic(benchmark::State& state, TargetFormat format)
{
    const Sounding s = ParseSounding(SyntheticEmtfXml(100), "synthetic.xml");
    for (auto _ : state) {
        WrittenText w = WriteSounding(s, format);
        benchmark::DoNotOptimize(w.text.data());
    }
}
BENCHMARK_CAPTURE(WriteSynthetic, xml, TargetFormat::kEmtfXml)
    ->Name("Sounding/WriteEmtfXml/synthetic_100_periods")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(WriteSynthetic, edi, TargetFormat::kEdi)
    ->Name("Sounding/WriteEdi/synthetic_100_periods")
    ->Unit(benchmark::kMicrosecond);

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
