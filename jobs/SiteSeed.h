#pragma once
// The seed of one site of a survey: the survey's seed and the site's output name mixed, so
// that a site's layered fit or sampling run does not depend on which worker runs it, when,
// on how many machines the survey is split, or on the order the sites finish in.

#include <cstdint>
#include <string_view>

namespace mt1d::jobs {

// FNV-1a over the name's bytes, then SplitMix64's finaliser over the name's hash plus the
// seed: the same on every machine. The result file records it, so that
// `mt1d fit FILE --method layered --seed S` repeats a site's fit alone.
std::uint64_t SiteSeed(std::uint64_t surveySeed, std::string_view siteName);

}  // namespace mt1d::jobs
