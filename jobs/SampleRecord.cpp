#include "jobs/SampleRecord.h"

#include <cmath>
#include <utility>

namespace mt1d::jobs {

SampleRecord MakeSampleRecord(const SiteSummary& site, const DataOptions& curve, std::uint64_t samples,
                              std::size_t valuesFitted, std::vector<std::string> notes,
                              sampling::SamplingResult result)
{
    SampleRecord record;
    record.site = site;
    record.curve = curve;
    SampleSettings& s = record.settings;
    s.samples = samples;
    s.burnIn = result.burnIn;
    s.chains = result.chains;
    s.temperatures = result.temperatures;
    s.maxLayers = result.prior.maxInterfaces + 1;
    s.seed = result.seed;
    s.minDepthM = std::pow(10.0, result.prior.minLog10Depth);
    s.maxDepthM = std::pow(10.0, result.prior.maxLog10Depth);
    s.minRhoOhmM = std::pow(10.0, result.prior.minLog10Rho);
    s.maxRhoOhmM = std::pow(10.0, result.prior.maxLog10Rho);
    record.valuesFitted = valuesFitted;
    record.notes = std::move(notes);
    record.result = std::move(result);
    return record;
}

}  // namespace mt1d::jobs
