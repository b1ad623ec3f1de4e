#pragma once
// A synthetic profile for the laterally constrained inversion: sites 1 km apart over a
// three-layer earth (100 Ω·m over 10 Ω·m over a 1000 Ω·m half-space) whose first interface
// rises smoothly (half a cosine) from 1,500 m at the start to 500 m at the end, the 10 Ω·m
// layer 2,000 m thick throughout. Each site's impedance carries seeded Gaussian noise
// (SyntheticSounding.h): 5 % at most sites, 15 % at the noisy ones, with errors that say so.
// Also the error measure the studies use: the mean |Δ log10 ρ| between a model and the truth
// over depths spaced evenly in log depth from kErrorTopM down to the site's depth of
// investigation.

#include "lci/LciOptions.h"
#include "fitting/FitData.h"
#include "fitting/SeededRandom.h"
#include "numerics/LayeredEarth.h"
#include "tests/fitting/SyntheticSounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace testing_support {

struct SyntheticProfile {
    std::vector<mt1d::lci::ProfileSite> sites;
    std::vector<mt1d::earth::LayeredModel> truth;  // per site
    std::vector<bool> noisy;                       // per site
};

inline constexpr double kSpacingKm = 1.0;
inline constexpr double kErrorTopM = 10.0;
inline constexpr std::size_t kErrorDepthsPerDecade = 20;

inline double InterfaceDepthM(std::size_t site, std::size_t sites)
{
    const double t = sites > 1 ? static_cast<double>(site) / static_cast<double>(sites - 1) : 0.0;
    return 1500.0 - 1000.0 * 0.5 * (1.0 - std::cos(kPi * t));
}

inline mt1d::earth::LayeredModel ProfileTruth(std::size_t site, std::size_t sites)
{
    return {{100.0, 10.0, 1000.0}, {InterfaceDepthM(site, sites), 2000.0}};
}

// `sites` sites at `frequencies` (Hz); the sites listed in `noisySites` get 15 % noise.
inline SyntheticProfile MakeSyntheticProfile(std::size_t sites, const std::vector<double>& frequencies,
                                             const std::vector<std::size_t>& noisySites, std::uint64_t seed)
{
    SyntheticProfile p;
    mt1d::fitting::SeededRandom random(seed);
    for (std::size_t s = 0; s < sites; ++s) {
        const bool noisy = std::find(noisySites.begin(), noisySites.end(), s) != noisySites.end();
        const auto truth = ProfileTruth(s, sites);
        const auto curve = SyntheticCurve(truth, frequencies, noisy ? 0.15 : 0.05, &random);
        p.sites.push_back({mt1d::fitting::SelectData(curve, {}).data, kSpacingKm * static_cast<double>(s)});
        p.truth.push_back(truth);
        p.noisy.push_back(noisy);
    }
    return p;
}

inline double Log10RhoAt(const mt1d::earth::LayeredModel& m, double depthM)
{
    double top = 0.0;
    for (std::size_t j = 0; j < m.thickness.size(); ++j) {
        if (depthM < top + m.thickness[j]) return std::log10(m.resistivity[j]);
        top += m.thickness[j];
    }
    return std::log10(m.resistivity.back());
}

// Mean |log10 ρ_model(z) − log10 ρ_truth(z)| for z from kErrorTopM to `doiM`.
inline double MeanLog10RhoError(const mt1d::earth::LayeredModel& model, const mt1d::earth::LayeredModel& truth,
                                double doiM)
{
    const double decades = std::log10(doiM / kErrorTopM);
    const auto n = std::max<std::size_t>(2, static_cast<std::size_t>(decades * kErrorDepthsPerDecade) + 1);
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double z = kErrorTopM * std::pow(10.0, decades * static_cast<double>(i) / static_cast<double>(n - 1));
        sum += std::abs(Log10RhoAt(model, z) - Log10RhoAt(truth, z));
    }
    return sum / static_cast<double>(n);
}

}  // namespace testing_support
