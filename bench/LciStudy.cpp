// The synthetic profile study of the laterally constrained inversion (tests/lci/SyntheticProfile.h).
//
//     mt1d_lci_study [sites=40] [frequencies=25] [seed=2] [threads=2] [window=16] [overlap=4]
//                    [independent=1] [forms=smooth,layered]
//
// With independent=1: independent layered (three layers) and Occam fits of every site against
// the layered and smooth profile fits: the mean log10 ρ error above the depth of investigation
// at the noisy sites and elsewhere, and every site's RMS. Then, for each form: the time of the
// profile fit, and the same profile fitted in overlapping windows and joined, against the
// single run at the sites the windows share (the largest |Δ log10 ρ| over the layers above the
// depth of investigation, and of log10 interface depth in the layered form).
//
// The 1,000-site timing of the smooth form: sites=1000 frequencies=40 window=100 overlap=10
// independent=0 forms=smooth (window=0 leaves the windows out).

#include "lci/LciFit.h"
#include "lci/ProfileWindows.h"
#include "fitting/LayeredFit.h"
#include "fitting/Misfit.h"
#include "fitting/NiblettBostick.h"
#include "fitting/OccamFit.h"
#include "tests/lci/SyntheticProfile.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace mt1d;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::map<std::string, std::string> Arguments(int argc, char** argv)
{
    std::map<std::string, std::string> a{{"sites", "40"},   {"frequencies", "25"}, {"seed", "2"},
                                         {"threads", "2"},  {"window", "16"},      {"overlap", "4"},
                                         {"independent", "1"}, {"forms", "smooth,layered"}};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto eq = arg.find('=');
        if (eq == std::string::npos || !a.count(arg.substr(0, eq))) {
            std::fprintf(stderr, "unknown argument %s\n", arg.c_str());
            std::exit(2);
        }
        a[arg.substr(0, eq)] = arg.substr(eq + 1);
    }
    return a;
}

// The independent fits against the profile fits, site by site and in summary.
void Compare(const testing_support::SyntheticProfile& profile, const lci::ProfileFitResult& lciLayered,
             const lci::ProfileFitResult& lciSmooth, const std::vector<double>& doi)
{
    const std::size_t sites = profile.sites.size();
    std::vector<earth::LayeredModel> layered(sites), occam(sites);
    std::vector<double> layeredRms(sites), occamRms(sites);
    double worstTruth = 0.0;
    for (std::size_t s = 0; s < sites; ++s) {
        fitting::LayeredOptions lo;
        lo.layers = 3;
        const auto fit = fitting::FitLayered(profile.sites[s].data, lo);
        layered[s] = fit.model;
        layeredRms[s] = fit.report.rms;
        const auto occamFit = fitting::FitOccam(profile.sites[s].data, fitting::OccamOptions{});
        occam[s] = occamFit.model;
        occamRms[s] = occamFit.report.rms;
        fitting::Misfit misfit(profile.sites[s].data);
        const auto& t = profile.truth[s];
        worstTruth = std::max(worstTruth, fitting::Rms(misfit.Evaluate(t.resistivity, t.thickness), misfit.Count()));
    }
    std::printf("site    km noisy  doi_km | indep layered err  rms | LCI layered err  rms | indep Occam err  rms | "
                "LCI smooth err  rms\n");
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
        if (sites <= 100) {
            std::printf("%4zu %5.1f  %s %7.1f |      %.4f %.3f |    %.4f %.3f |    %.4f %.3f |   %.4f %.3f\n", s,
                        profile.sites[s].distanceKm, profile.noisy[s] ? "yes" : " no", doi[s] / 1e3, e[0], r[0], e[1],
                        r[1], e[2], r[2], e[3], r[3]);
        }
    }
    const char* names[4] = {"independent layered", "LCI layered", "independent Occam", "LCI smooth"};
    std::printf("\nmean log10 rho error above the depth of investigation\n");
    for (int m = 0; m < 4; ++m) {
        std::printf("%-20s noisy %.4f  elsewhere %.4f  largest site RMS %.3f\n", names[m], sums[m][0] / counts[0],
                    sums[m][1] / counts[1], maxRms[m]);
    }
    std::printf("ratios LCI/independent: layered noisy %.3f elsewhere %.3f; smooth noisy %.3f elsewhere %.3f\n",
                sums[1][0] / sums[0][0], sums[1][1] / sums[0][1], sums[3][0] / sums[2][0], sums[3][1] / sums[2][1]);
    std::printf("largest RMS of the true model at a site: %.3f\n\n", worstTruth);
}

void Windows(const testing_support::SyntheticProfile& profile, const lci::LciOptions& options,
             const lci::ProfileFitResult& single, const std::vector<double>& doi, std::size_t windowSites,
             std::size_t overlap)
{
    const auto t0 = std::chrono::steady_clock::now();
    const auto plan = lci::SplitProfile(profile.sites, options, windowSites, overlap);
    if (!plan.Ok()) {
        std::printf("split: %s\n", plan.error.c_str());
        return;
    }
    std::vector<lci::ProfileFitResult> results;
    for (std::size_t w = 0; w < plan.windows.size(); ++w) {
        results.push_back(lci::FitProfile(lci::WindowSites(profile.sites, plan, w), lci::WindowOptions(plan, w)));
    }
    const auto joined = lci::JoinWindows(profile.sites, plan, results);
    const double seconds = Seconds(t0);
    std::vector<int> windowsAt(profile.sites.size(), 0);
    for (const auto& w : plan.windows) {
        for (std::size_t i : w.sites) ++windowsAt[i];
    }
    double shared = 0.0, all = 0.0, depth = 0.0;
    for (std::size_t s = 0; s < profile.sites.size(); ++s) {
        const auto& a = joined.sites[s].model;
        const auto& b = single.sites[s].model;
        double top = 0.0, diff = 0.0, za = 0.0, zb = 0.0;
        for (std::size_t j = 0; j < a.resistivity.size() && top < doi[s]; ++j) {
            diff = std::max(diff, std::abs(std::log10(a.resistivity[j] / b.resistivity[j])));
            if (j < b.thickness.size()) top += b.thickness[j];
        }
        for (std::size_t j = 0; options.form == lci::LciForm::kLayered && j < a.thickness.size(); ++j) {
            za += a.thickness[j];
            zb += b.thickness[j];
            if (windowsAt[s] > 1) depth = std::max(depth, std::abs(std::log10(za / zb)));
        }
        all = std::max(all, diff);
        if (windowsAt[s] > 1) shared = std::max(shared, diff);
    }
    std::printf("  %zu windows of up to %zu sites sharing %zu: %.2f s one after another, RMS %.4f (single run "
                "%.4f)\n  largest |d log10 rho| above the DOI against the single run: %.4f at shared sites, %.4f "
                "anywhere",
                plan.windows.size(), windowSites, overlap, seconds, joined.rms, single.rms, shared, all);
    if (options.form == lci::LciForm::kLayered) std::printf("; |d log10 z| at shared sites %.4f", depth);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    const auto a = Arguments(argc, argv);
    const std::size_t sites = std::stoul(a.at("sites"));
    const std::size_t threads = std::stoul(a.at("threads"));
    const std::vector<std::size_t> noisy{sites * 3 / 10, sites * 7 / 10};
    const auto profile = testing_support::MakeSyntheticProfile(
        sites, testing_support::LogFrequencies(1e3, 1e-3, std::stoul(a.at("frequencies"))), noisy,
        std::stoull(a.at("seed")));
    std::vector<double> doi;
    for (const auto& s : profile.sites) doi.push_back(fitting::DepthOfInvestigation(fitting::NiblettBostick(s.data)));

    std::map<lci::LciForm, lci::ProfileFitResult> fits;
    for (const auto form : {lci::LciForm::kSmooth, lci::LciForm::kLayered}) {
        const char* name = form == lci::LciForm::kSmooth ? "smooth" : "layered";
        if (a.at("forms").find(name) == std::string::npos) continue;
        lci::LciOptions options;
        options.form = form;
        options.threads = threads;
        const auto t0 = std::chrono::steady_clock::now();
        fits[form] = lci::FitProfile(profile.sites, options);
        const auto& fit = fits[form];
        std::printf("LCI %s, %zu sites, %zu threads: %.2f s; %s\n  W %.4g, d_ref %.3g km, mu %.4g, %zu forward and "
                    "%zu Jacobian site runs\n",
                    name, sites, threads, Seconds(t0), fit.message.c_str(), fit.lateralWeight,
                    fit.referenceDistanceKm, fit.multiplier, fit.forwardRuns, fit.jacobianRuns);
        if (a.at("window") != "0") {
            Windows(profile, options, fit, doi, std::stoul(a.at("window")), std::stoul(a.at("overlap")));
        }
    }
    std::printf("\n");
    if (a.at("independent") == "1" && fits.size() == 2) {
        Compare(profile, fits[lci::LciForm::kLayered], fits[lci::LciForm::kSmooth], doi);
    }
    return 0;
}
