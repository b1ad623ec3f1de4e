#pragma once
// One sampling run as a result file keeps it: the site, how its curve was made, how the run
// was set up and what came out (the posterior of SamplingResult.h). `mt1d sample` writes it
// (SampleJson.h, SampleCsv.h), and so does a batch run per site.

#include "jobs/FitRecord.h"
#include "sampling/SamplingResult.h"
#include "jobs/SiteSummary.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mt1d::jobs {

// R-hat at or above this says that the chains have not yet agreed (Gelman et al., BDA3 §11.4).
inline constexpr double kRhatLimit = 1.1;

// How the run was set up, defaults resolved: the values the sampler used.
struct SampleSettings {
    std::uint64_t samples = 0;     // asked for, over all chains
    std::uint64_t burnIn = 0;      // steps per chain
    std::size_t chains = 0;
    std::size_t temperatures = 1;  // 1: no tempering
    std::size_t maxLayers = 0;     // the half-space counted
    std::uint64_t seed = 0;
    // The prior's bounds: interface depths (m) and layer resistivities (Ω·m).
    double minDepthM = 0.0;
    double maxDepthM = 0.0;
    double minRhoOhmM = 0.0;
    double maxRhoOhmM = 0.0;

    friend bool operator==(const SampleSettings&, const SampleSettings&) = default;
};

struct SampleRecord {
    SiteSummary site;
    DataOptions curve;  // as used: the mode set
    SampleSettings settings;
    std::size_t valuesFitted = 0;     // N of the RMS: ρa and phase values counted separately
    std::vector<std::string> notes;   // the curve's notes (reader warnings, unusable rows)
    sampling::SamplingResult result;
};

// The record of a run: `samples` as asked (the result holds those kept), the rest read off
// the result (chains, burn-in, seed, temperatures and the prior it used).
SampleRecord MakeSampleRecord(const SiteSummary& site, const DataOptions& curve, std::uint64_t samples,
                              std::size_t valuesFitted, std::vector<std::string> notes,
                              sampling::SamplingResult result);


}  // namespace mt1d::jobs
