#pragma once
// A long profile fitted in overlapping windows, each an independent job (another thread,
// process or machine), and the windows' models joined into one profile.
//
// SplitProfile cuts the sites, in profile order, into windows of at most `windowSites` sites
// that overlap their neighbours by `overlap` sites, the windows as even in size as the counts
// allow. It resolves the options once for the whole profile (ResolveOptions: the smooth
// form's mesh, d_ref and W), so that every window fits the same layers with the same weights.
//
// JoinWindows blends the windows' unknowns (log10 ρ, and log10 interface depth in the layered
// form) across each overlap with a linear taper: at the i-th of the o shared sites (from 1) the
// earlier window weighs (o + 1 − i)/(o + 1) and the later one i/(o + 1). A window's end sites,
// where it has no neighbours on one side and its models are least constrained, so count least.
// Outside the overlaps each site keeps its window's model. The joined models are then scored
// against the data (DescribeProfile) as a single run's are.
//
// Usage:
//     const WindowPlan plan = SplitProfile(sites, options);         // 100 sites, 10 shared
//     for (std::size_t w = 0; w < plan.windows.size(); ++w)           // anywhere, in any order
//         results[w] = FitProfile(WindowSites(sites, plan, w), WindowOptions(plan, w));
//     const ProfileFitResult profile = JoinWindows(sites, plan, results);

#include "lci/LciOptions.h"
#include "lci/LciResult.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mt1d::lci {

inline constexpr std::size_t kDefaultWindowSites = 100;
inline constexpr std::size_t kDefaultWindowOverlap = 10;

struct ProfileWindow {
    std::vector<std::size_t> sites;  // indices into the caller's sites, in profile order
};

struct WindowPlan {
    std::vector<ProfileWindow> windows;  // along the profile
    LciOptions options;                  // resolved for the whole profile
    std::string error;                   // empty when the sites and options were accepted
    bool Ok() const { return error.empty(); }
};

// Refuses (in `error`) what ResolveOptions refuses, an overlap of 0 or a window too short for
// it (each window must keep a site of its own between its two overlaps: windowSites ≥
// 3·overlap + 1 is always enough). A profile of at most `windowSites` sites is one window.
WindowPlan SplitProfile(const std::vector<ProfileSite>& sites, const LciOptions& options,
                        std::size_t windowSites = kDefaultWindowSites,
                        std::size_t overlap = kDefaultWindowOverlap);

// The sites of window `w`, in profile order.
std::vector<ProfileSite> WindowSites(const std::vector<ProfileSite>& sites, const WindowPlan& plan,
                                     std::size_t w);

// The options of window `w`: the plan's, with the starting models of its sites only.
LciOptions WindowOptions(const WindowPlan& plan, std::size_t w);

// The profile from the windows' results (one per window, each of FitProfile on WindowSites
// and WindowOptions), in the caller's order. Status: kTargetReached when every window reached
// its target, otherwise the first window's status that did not (in the order cancelled,
// max-iterations, target-not-reached); kInvalidInput, with a message naming the window, when a
// result is missing, refused or does not match its window. Per site, the run's fields
// (status, iterations, message, history) come from the window that weighs most there.
// `iterations` is the most any window took, `multiplier` 0; the run counts are summed.
ProfileFitResult JoinWindows(const std::vector<ProfileSite>& sites, const WindowPlan& plan,
                             const std::vector<ProfileFitResult>& results);

}  // namespace mt1d::lci
