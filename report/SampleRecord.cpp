#include "report/SampleRecord.h"

#include "report/Formatting.h"

#include <cmath>
#include <utility>

namespace mt1d::report {

namespace {

// One R-hat's warning, or nothing when the chains agree on it.
void RhatWarning(const char* what, double rhat, std::vector<std::string>& warnings)
{
    const std::string name = std::string("R-hat of the ") + what;
    if (std::isnan(rhat)) {
        warnings.push_back(name + " is not defined (written as null): the chains kept too few samples to "
                                  "split each into two halves of at least two");
    } else if (std::isinf(rhat)) {
        warnings.push_back(name + " is infinite (written as null): each chain stays at one value, and not the "
                                  "same one; the chains have not mixed");
    } else if (rhat >= kRhatLimit) {
        warnings.push_back(name + " is " + Rounded(rhat, 3) + ", not below " + Significant(kRhatLimit, 3) +
                           ": the chains have not settled on one distribution; sample longer or with tempering");
    }
}

}  // namespace

SampleRecord MakeSampleRecord(const SiteSummary& site, const CurveSettings& curve, std::uint64_t samples,
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

std::vector<std::string> SampleWarnings(const sampling::SamplingResult& result)
{
    std::vector<std::string> warnings;
    if (result.status == sampling::SamplingStatus::kInvalidInput) return warnings;
    if (result.status == sampling::SamplingStatus::kCancelled) warnings.push_back("the run was cancelled: " + result.message);
    RhatWarning("misfit", result.rhat.misfit, warnings);
    RhatWarning("layer count", result.rhat.layerCount, warnings);
    return warnings;
}

}  // namespace mt1d::report
