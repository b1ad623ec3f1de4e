#pragma once
// What a reader of a sampling result should know before trusting it.

#include "jobs/SampleRecord.h"

#include <string>
#include <vector>

namespace mt1d::report {

// What a reader of the result should know before trusting it, one sentence each: a run that
// was cancelled, an R-hat that is not finite (written as null) or at least jobs::kRhatLimit.
// Empty for a run that completed with agreeing chains.
std::vector<std::string> SampleWarnings(const sampling::SamplingResult& result);

}  // namespace mt1d::report
