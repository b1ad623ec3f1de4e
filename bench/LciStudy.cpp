// The synthetic profile study of the laterally constrained inversion (tests/lci/SyntheticProfile.h):
// independent layered and Occam fits of every site against the layered and smooth profile
// fits, the mean log10 ρ error above the depth of investigation at the noisy sites and
// elsewhere, and every site's RMS.
//
//     mt1d_lci_study [sites=40] [frequencies=25] [seed=7] [threads=2] [window=16] [overlap=4]
//
// and the same profile fitted in overlapping windows and joined, against the single run at
// the sites of the overlaps.

#include "lci/LciFit.h"
#include "lci/ProfileWindows.h"
#include "fitting/LayeredFit.h"
#include "fitting/Misfit.h"
#include "fitting/OccamFit.h"
#include "tests/lci/SyntheticProfile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace mt1d;

struct Errors {
    double noisy = 0.0, quiet = 0.0, worstQuietRatio = 0.0;
    double maxRms = 0.0;
};

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t sites = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 40;
    const std::size_t freqs = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 25;
    const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 7;
    const std::size_t threads = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 2;
    const std::size_t windowSites = argc > 5 ? std::strtoul(argv[5], nullptr, 10) : 16;
    const std::size_t overlap = argc > 6 ? std::strtoul(argv[6], nullptr, 10) : 4;
    const std::vector<std::size_t> noisy{sites * 3 / 10, sites * 7 / 10};
    const auto profile = testing_support::MakeSyntheticProfile(
        sites, testing_support::LogFrequencies(1e3, 1e-3, freqs), noisy, seed);

    std::vector<earth::LayeredModel> layered(sites), occam(sites);
    std::vector<double> layeredRms(sites), occamRms(sites), doi(sites);
    auto t0 = std::chrono::steady_clock::now();
    for (std::size_t s = 0; s < sites; ++s) {
        fitting::LayeredOptions lo;
        lo.layers = 3;
        const auto fit = fitting::FitLayered(profile.sites[s].data, lo);
        layered[s] = fit.model;
        layeredRms[s] = fit.report.rms;
        doi[s] = fit.report.depthOfInvestigationM;
    }
    const double layeredSeconds = Seconds(t0);
    t0 = std::chrono::steady_clock::now();
    for (std::size_t s = 0; s < sites; ++s) {
        const auto fit = fitting::FitOccam(profile.sites[s].data, fitting::OccamOptions{});
        occam[s] = fit.model;
        occamRms[s] = fit.report.rms;
    }
    const double occamSeconds = Seconds(t0);

    lci::LciOptions lo;
    lo.form = lci::LciForm::kLayered;
    lo.threads = threads;
    t0 = std::chrono::steady_clock::now();
    const auto lciLayered = lci::FitProfile(profile.sites, lo);
    const double lciLayeredSeconds = Seconds(t0);
    lci::LciOptions so;
    so.threads = threads;
    t0 = std::chrono::steady_clock::now();
    const auto lciSmooth = lci::FitProfile(profile.sites, so);
    const double lciSmoothSeconds = Seconds(t0);

    double worstTruth = 0.0;
    for (std::size_t s = 0; s < sites; ++s) {
        fitting::Misfit misfit(profile.sites[s].data);
        const auto& t = profile.truth[s];
        worstTruth = std::max(worstTruth, fitting::Rms(misfit.Evaluate(t.resistivity, t.thickness), misfit.Count()));
    }
    std::printf("site  km   noisy  doi_km | indep_layered err rms | lci_layered err rms | indep_occam err rms | lci_smooth err rms\n");
    double sums[4][2] = {}, counts[2] = {}, maxRms[4] = {};
    for (std::size_t s = 0; s < sites; ++s) {
        const auto& truth = profile.truth[s];
        const double e[4] = {testing_support::MeanLog10RhoError(layered[s], truth, doi[s]),
                             testing_support::MeanLog10RhoError(lciLayered.sites[s].model, truth, doi[s]),
                             testing_support::MeanLog10RhoError(occam[s], truth, doi[s]),
                             testing_support::MeanLog10RhoError(lciSmooth.sites[s].model, truth, doi[s])};
        const double r[4] = {layeredRms[s], lciLayered.sites[s].report.rms, occamRms[s], lciSmooth.sites[s].report.rms};
        const int g = profile.noisy[s] ? 0 : 1;
        counts[g] += 1.0;
        for (int m = 0; m < 4; ++m) {
            sums[m][g] += e[m];
            maxRms[m] = std::max(maxRms[m], r[m]);
        }
        std::printf("%3zu %5.1f  %s  %7.1f | %.4f %.3f | %.4f %.3f | %.4f %.3f | %.4f %.3f\n", s,
                    profile.sites[s].distanceKm, profile.noisy[s] ? "yes" : " no", doi[s] / 1e3, e[0], r[0], e[1],
                    r[1], e[2], r[2], e[3], r[3]);
    }
    const char* names[4] = {"independent layered", "LCI layered", "independent Occam", "LCI smooth"};
    std::printf("\nmean log10 rho error above the depth of investigation\n");
    for (int m = 0; m < 4; ++m) {
        std::printf("%-20s noisy %.4f  elsewhere %.4f  max site RMS %.3f\n", names[m], sums[m][0] / counts[0],
                    sums[m][1] / counts[1], maxRms[m]);
    }
    std::printf("\nratios: layered noisy %.3f elsewhere %.3f; smooth noisy %.3f elsewhere %.3f\n",
                sums[1][0] / sums[0][0], sums[1][1] / sums[0][1], sums[3][0] / sums[2][0], sums[3][1] / sums[2][1]);
    std::printf("LCI layered: %s\n  W %.4g, mu %.4g, %zu iterations, %.2f s\n", lciLayered.message.c_str(),
                lciLayered.lateralWeight, lciLayered.multiplier, lciLayered.iterations, lciLayeredSeconds);
    std::printf("LCI smooth: %s\n  W %.4g, mu %.4g, %zu iterations, %.2f s\n", lciSmooth.message.c_str(),
                lciSmooth.lateralWeight, lciSmooth.multiplier, lciSmooth.iterations, lciSmoothSeconds);
    std::printf("largest RMS of the true model at a site: %.3f\n", worstTruth);
    std::printf("independent fits: layered %.2f s, Occam %.2f s (one thread)\n", layeredSeconds, occamSeconds);

    // Windows: the largest |Δ log10 ρ| against the single run over the layers above the depth
    // of investigation (and |Δ log10 z| of the interfaces), at the sites two windows share.
    for (const auto* form : {&lo, &so}) {
        const auto& single = form == &lo ? lciLayered : lciSmooth;
        t0 = std::chrono::steady_clock::now();
        const auto plan = lci::SplitProfile(profile.sites, *form, windowSites, overlap);
        if (!plan.Ok()) {
            std::printf("split: %s\n", plan.error.c_str());
            return 1;
        }
        std::vector<lci::ProfileFitResult> results;
        for (std::size_t w = 0; w < plan.windows.size(); ++w) {
            results.push_back(lci::FitProfile(lci::WindowSites(profile.sites, plan, w), lci::WindowOptions(plan, w)));
        }
        const auto joined = lci::JoinWindows(profile.sites, plan, results);
        const double seconds = Seconds(t0);
        std::vector<int> windowsAt(sites, 0);
        for (const auto& w : plan.windows) for (std::size_t i : w.sites) ++windowsAt[i];
        double worstShared = 0.0, worstAll = 0.0, worstDepth = 0.0;
        for (std::size_t s = 0; s < sites; ++s) {
            const auto& a = joined.sites[s].model;
            const auto& b = single.sites[s].model;
            double top = 0.0, diff = 0.0;
            for (std::size_t j = 0; j < a.resistivity.size(); ++j) {
                if (top > doi[s]) break;
                diff = std::max(diff, std::abs(std::log10(a.resistivity[j] / b.resistivity[j])));
                if (j < a.thickness.size()) top += b.thickness[j];
            }
            double za = 0.0, zb = 0.0;
            for (std::size_t j = 0; form == &lo && j < a.thickness.size(); ++j) {
                za += a.thickness[j];
                zb += b.thickness[j];
                worstDepth = std::max(worstDepth, std::abs(std::log10(za / zb)));
            }
            if (std::getenv("LCI_DEBUG") && diff > 0.03) {
                std::printf("  site %zu windows %d diff %.4f:", s, windowsAt[s], diff);
                for (std::size_t j = 0; j < a.resistivity.size(); ++j) std::printf(" %.3f/%.3f", std::log10(a.resistivity[j]), std::log10(b.resistivity[j]));
                std::printf("\n");
            }
            worstAll = std::max(worstAll, diff);
            if (windowsAt[s] > 1) worstShared = std::max(worstShared, diff);
        }
        std::printf("%s in %zu windows of %zu sharing %zu: %.2f s, RMS %.4f (single %.4f); max |d log10 rho| "
                    "above the DOI: shared sites %.4f, all sites %.4f; interfaces %.4f\n  %s\n",
                    form == &lo ? "layered" : "smooth", plan.windows.size(), windowSites, overlap, seconds, joined.rms,
                    single.rms, worstShared, worstAll, worstDepth, joined.message.c_str());
    }
    return 0;
}
