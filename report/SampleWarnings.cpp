#include "report/SampleWarnings.h"

#include "report/Formatting.h"

#include <cmath>

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
    } else if (rhat >= jobs::kRhatLimit) {
        warnings.push_back(name + " is " + Rounded(rhat, 3) + ", not below " + Significant(jobs::kRhatLimit, 3) +
                           ": the chains have not settled on one distribution; sample longer or with tempering");
    }
}

}  // namespace

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
