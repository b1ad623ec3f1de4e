// Longer studies of the sampler than the test suite runs, printed as tables (and, for the
// real soundings, written as CSV for plotting):
//
//   mt1d_sampling_study synthetic [--draws N] [options]
//       The three-layer sounding of tests/sampling/SyntheticValidationTest.cpp (100 Ω·m over
//       500 m, 10 Ω·m over 2000 m, 1000 Ω·m; 41 frequencies 1 kHz to 1 mHz; 5 % noise) for
//       noise draws 1..N (default 10): per draw the layer-count mode and P(3 layers), split
//       R-hat, the share of depths above the depth of investigation where the true model lies
//       between P10 and P90, and the best sampled RMS beside the three-layer fit's.
//
//   mt1d_sampling_study real [--out DIR] [options]
//       The four Geoscience Australia AMT soundings (shared/data/ga-amt-rjmcmcmt, det curve,
//       5 % error floor): per site the layer-count posterior and its mode, R-hat, acceptance,
//       and where the posterior median (P50) agrees with or departs from the smooth (Occam)
//       fit and the layered fit, above the depth of investigation. The layered fit has the
//       fewest layers (2 to 6) whose RMS is within 10 % of the best of them; its equivalence
//       ranges are listed beside its standard errors. With --out, writes per site
//       <site>_profile.csv (depth_m, p10, p50, p90, mean, interface_probability, smooth,
//       layered; log10 Ω·m) and <site>_layers.csv (layers, probability).
//
//   options: --samples N (default 1000000) --burn-in N (20000) --chains K (4)
//            --temperatures T (1) --seed S (1)
//
// Chains are fixed at 4 by default (not one per core) so that the figures are the same on
// any machine.

#include "sounding/CurveDerivation.h"
#include "sampling/Equivalence.h"
#include "fitting/LayeredFit.h"
#include "sampling/Sampler.h"
#include "tests/support/SharedData.h"
#include "fitting/OccamFit.h"
#include "sounding/SoundingFile.h"
#include "tests/fitting/SyntheticSounding.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace mt1d;

struct Arguments {
    std::string mode;
    std::size_t draws = 10;
    std::filesystem::path out;
    sampling::SamplingOptions options;
};

bool Parse(int argc, char** argv, Arguments& a)
{
    if (argc < 2) return false;
    a.mode = argv[1];
    a.options.chains = 4;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char* value = argv[i + 1];
        if (key == "--draws") a.draws = std::strtoull(value, nullptr, 10);
        else if (key == "--out") a.out = value;
        else if (key == "--samples") a.options.samples = std::strtoull(value, nullptr, 10);
        else if (key == "--burn-in") a.options.burnIn = std::strtoull(value, nullptr, 10);
        else if (key == "--chains") a.options.chains = std::strtoull(value, nullptr, 10);
        else if (key == "--temperatures") a.options.tempering.temperatures = std::strtoull(value, nullptr, 10);
        else if (key == "--seed") a.options.seed = std::strtoull(value, nullptr, 10);
        else return false;
    }
    return (argc % 2 == 0) && (a.mode == "synthetic" || a.mode == "real");
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// log10 ρ of a layered model at a depth.
double Log10RhoAt(const earth::LayeredModel& m, double depth)
{
    double bottom = 0.0;
    for (std::size_t j = 0; j < m.thickness.size(); ++j) {
        bottom += m.thickness[j];
        if (depth < bottom) return std::log10(m.resistivity[j]);
    }
    return std::log10(m.resistivity.back());
}

void PrintSettings(const sampling::SamplingOptions& o)
{
    std::printf("samples %llu over %zu chains, burn-in %llu per chain, %zu temperature%s, seed %llu\n\n",
                static_cast<unsigned long long>(o.samples), o.chains, static_cast<unsigned long long>(o.burnIn),
                o.tempering.temperatures, o.tempering.temperatures == 1 ? "" : "s",
                static_cast<unsigned long long>(o.seed));
}

int Synthetic(const Arguments& a)
{
    const earth::LayeredModel truth{{100.0, 10.0, 1000.0}, {500.0, 2000.0}};
    const auto trueLog10 = [](double z) { return z < 500.0 ? 2.0 : z < 2500.0 ? 1.0 : 3.0; };
    PrintSettings(a.options);
    std::printf("draw  mode  P(3)  P(4)  rhat_misfit  rhat_layers  covered      best_rms  fit3_rms  seconds\n");
    std::size_t peakAtThree = 0, covered80 = 0, converged = 0;
    double worstCover = 1.0, worstRhat = 0.0;
    for (std::size_t draw = 1; draw <= a.draws; ++draw) {
        fitting::SeededRandom random(draw);
        const auto curve = testing_support::SyntheticCurve(truth, testing_support::LogFrequencies(1e3, 1e-3, 41), 0.05, &random);
        const auto data = fitting::SelectData(curve, {}).data;
        const auto start = std::chrono::steady_clock::now();
        const auto r = sampling::Sample(data, a.options);
        const double seconds = Seconds(start);
        std::size_t seen = 0, inside = 0;
        for (std::size_t i = 0; i < r.depthM.size(); ++i) {
            if (r.depthM[i] > r.depthOfInvestigationM) continue;
            ++seen;
            const double t = trueLog10(r.depthM[i]);
            inside += (r.p10[i] <= t && t <= r.p90[i]) ? 1 : 0;
        }
        fitting::LayeredOptions lo;
        lo.layers = 3;
        const auto fit = fitting::FitLayered(data, lo);
        const double cover = seen == 0 ? 0.0 : static_cast<double>(inside) / static_cast<double>(seen);
        peakAtThree += r.LayerCountMode() == 3 ? 1 : 0;
        covered80 += cover >= 0.8 ? 1 : 0;
        converged += (r.rhat.misfit < 1.1 && r.rhat.layerCount < 1.1) ? 1 : 0;
        worstCover = std::min(worstCover, cover);
        worstRhat = std::max({worstRhat, r.rhat.misfit, r.rhat.layerCount});
        std::printf("%4zu  %4zu  %.2f  %.2f  %11.3f  %11.3f  %3zu/%3zu %3.0f%%  %8.3f  %8.3f  %7.2f\n", draw,
                    r.LayerCountMode(), r.layerCount[2].probability, r.layerCount[3].probability, r.rhat.misfit,
                    r.rhat.layerCount, inside, seen, 100.0 * cover, r.bestRms, fit.report.rms, seconds);
    }
    std::printf("\npeak at 3 layers: %zu of %zu draws; >= 80 %% of depths covered: %zu (least %.0f %%); "
                "R-hat < 1.1: %zu (largest %.3f)\n",
                peakAtThree, a.draws, covered80, 100.0 * worstCover, converged, worstRhat);
    return 0;
}

// The depth intervals (m) where `differs` holds for consecutive cells, as text.
std::string Intervals(const sampling::SamplingResult& r, const std::vector<bool>& differs)
{
    std::string s;
    for (std::size_t i = 0; i < differs.size();) {
        if (!differs[i]) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j + 1 < differs.size() && differs[j + 1]) ++j;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%s%.0f-%.0f m", s.empty() ? "" : ", ", r.depthEdgesM[i], r.depthEdgesM[j + 1]);
        s += buffer;
        i = j + 1;
    }
    return s.empty() ? "none" : s;
}

struct Comparison {
    double inside = 0.0;       // share of cells with the model between P10 and P90
    double medianDiff = 0.0;   // median |P50 − model|, decades
    double maxDiff = 0.0;
    std::string departs;       // intervals where |P50 − model| > kDeparture
};

constexpr double kDeparture = 0.3;  // decades: a factor of 2 in resistivity

Comparison Compare(const sampling::SamplingResult& r, const earth::LayeredModel& model)
{
    Comparison c;
    std::vector<double> diffs;
    std::vector<bool> departs(r.depthM.size(), false);
    std::size_t seen = 0, inside = 0;
    for (std::size_t i = 0; i < r.depthM.size(); ++i) {
        if (r.depthM[i] > r.depthOfInvestigationM) continue;
        const double v = Log10RhoAt(model, r.depthM[i]);
        ++seen;
        inside += (r.p10[i] <= v && v <= r.p90[i]) ? 1 : 0;
        const double d = std::abs(r.p50[i] - v);
        diffs.push_back(d);
        departs[i] = d > kDeparture;
    }
    if (seen == 0) return c;
    std::sort(diffs.begin(), diffs.end());
    c.inside = static_cast<double>(inside) / static_cast<double>(seen);
    c.medianDiff = diffs[diffs.size() / 2];
    c.maxDiff = diffs.back();
    c.departs = Intervals(r, departs);
    return c;
}

void WriteCsv(const std::filesystem::path& dir, const std::string& site, const sampling::SamplingResult& r,
              const earth::LayeredModel& smooth, const earth::LayeredModel& layered)
{
    std::filesystem::create_directories(dir);
    std::ofstream p(dir / (site + "_profile.csv"));
    p << "depth_m,p10,p50,p90,mean,interface_probability,smooth,layered\n";
    for (std::size_t i = 0; i < r.depthM.size(); ++i) {
        p << r.depthM[i] << ',' << r.p10[i] << ',' << r.p50[i] << ',' << r.p90[i] << ',' << r.mean[i] << ','
          << r.interfaceProbability[i] << ',' << Log10RhoAt(smooth, r.depthM[i]) << ','
          << Log10RhoAt(layered, r.depthM[i]) << '\n';
    }
    std::ofstream l(dir / (site + "_layers.csv"));
    l << "layers,probability\n";
    for (const auto& c : r.layerCount) l << c.layers << ',' << c.probability << '\n';
}

int Real(const Arguments& a)
{
    const auto shared = testing_support::SharedDataDir();
    if (!shared) {
        std::fprintf(stderr, "%s\n", testing_support::kNoSharedData);
        return 1;
    }
    PrintSettings(a.options);
    for (const char* site : {"07E1_AMT", "CD1_2", "Adv1_AMT", "NAN1_AMT"}) {
        const auto sounding = sounding::ReadSoundingFile(*shared / "ga-amt-rjmcmcmt" / (std::string(site) + ".edi"));
        const auto curve = sounding::DeriveCurve(sounding, {sounding::Mode::kDet, 5.0});
        const auto selected = fitting::SelectData(curve, {});
        if (!selected.Ok()) {
            std::printf("%s: %s\n", site, selected.error.c_str());
            continue;
        }
        const auto& data = selected.data;
        const auto smooth = fitting::FitOccam(data, fitting::OccamOptions{});
        std::map<std::size_t, fitting::LayeredFitResult> fits;
        double bestLayeredRms = 1e300;
        for (std::size_t layers = 2; layers <= 6; ++layers) {
            fitting::LayeredOptions lo;
            lo.layers = layers;
            fits[layers] = fitting::FitLayered(data, lo);
            bestLayeredRms = std::min(bestLayeredRms, fits[layers].report.rms);
        }
        std::size_t chosen = 6;
        for (std::size_t layers = 2; layers <= 6; ++layers) {
            if (fits[layers].report.rms <= 1.1 * bestLayeredRms) {
                chosen = layers;
                break;
            }
        }
        const auto& layered = fits[chosen];
        const auto start = std::chrono::steady_clock::now();
        const auto r = sampling::Sample(data, a.options);
        const double seconds = Seconds(start);
        const auto ranges = sampling::EquivalenceRanges(layered, data);

        std::printf("== %s: %zu frequencies (%.3g to %.3g Hz), %zu values; depths %.0f to %.0f m; "
                    "depth of investigation %.0f m\n",
                    site, data.FrequencyCount(), data.frequencies.back(), data.frequencies.front(), data.Count(),
                    r.depthEdgesM.front(), r.depthEdgesM.back(), r.depthOfInvestigationM);
        std::printf("   sampling: %s in %.2f s\n", r.message.c_str(), seconds);
        std::printf("   layer-count mode %zu; P(layers):", r.LayerCountMode());
        for (const auto& c : r.layerCount) {
            if (c.probability >= 0.02) std::printf(" %zu:%.2f", c.layers, c.probability);
        }
        std::printf("\n   split R-hat: misfit %.3f, layer count %.3f; best sampled RMS %.3f\n", r.rhat.misfit,
                    r.rhat.layerCount, r.bestRms);
        std::printf("   acceptance:");
        for (const auto& m : r.acceptance) std::printf(" %s %.3f", std::string(sampling::ToString(m.move)).c_str(), m.rate);
        std::printf("\n   smooth fit: RMS %.3f (%s); layered fits RMS:", smooth.report.rms,
                    std::string(fitting::ToString(smooth.report.status)).c_str());
        for (const auto& [layers, f] : fits) std::printf(" %zu:%.3f", layers, f.report.rms);
        std::printf("; compared: %zu layers\n", chosen);
        for (const auto& [name, model] : {std::pair{"smooth", &smooth.model}, std::pair{"layered", &layered.model}}) {
            const Comparison c = Compare(r, *model);
            std::printf("   P50 vs %-7s: inside P10-P90 at %3.0f %% of depths; |P50 - fit| median %.2f, max %.2f "
                        "decades; departs by > %.1f decades at: %s\n",
                        name, 100.0 * c.inside, c.medianDiff, c.maxDiff, kDeparture, c.departs.c_str());
        }
        std::printf("   layered model and equivalence ranges (RMS within %.3f):\n", ranges.rmsLimit);
        for (const auto& p : ranges.parameters) {
            std::printf("     %s %zu: %10.4g  sd x%-8.3g range %.4g%s to %.4g%s\n", p.thickness ? "h  " : "rho",
                        p.layer + 1, p.value, p.sdFactor, p.lower, p.lowerAtBound ? " (bound)" : "", p.upper,
                        p.upperAtBound ? " (bound)" : "");
        }
        if (!a.out.empty()) WriteCsv(a.out, site, r, smooth.model, layered.model);
        std::printf("\n");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Arguments a;
    if (!Parse(argc, argv, a)) {
        std::fprintf(stderr, "usage: mt1d_sampling_study synthetic|real [--draws N] [--out DIR] [--samples N] "
                             "[--burn-in N] [--chains K] [--temperatures T] [--seed S]\n");
        return 2;
    }
    return a.mode == "synthetic" ? Synthetic(a) : Real(a);
}
