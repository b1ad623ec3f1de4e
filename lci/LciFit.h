#pragma once
// Laterally constrained inversion of a profile: every site fitted at once, each site's model
// tied to its neighbours' (LciOptions.h gives the models and the regularisation).
//
// The run is the Occam fit's (OccamFit.h) over the whole profile: each iteration linearises
// all sites about the current models (ProfileProblem.h) and searches the multiplier μ with
// the same searches (MultiplierSearch.h) on the RMS of the whole profile:
//   phase 1, above the target: the μ of the smallest RMS, stepped back towards the current
//     models while no better; once the target is in reach, the largest μ that meets it;
//   phase 2, at the target: the largest μ that holds it, until R stops falling;
// and when the RMS stops falling above the target, the smoothest models within the slack of
// the smallest χ² found. Every candidate is scored by the forward model of every site.
//
// Usage:
//     std::vector<ProfileSite> sites = …;   // selected data and distance along the profile
//     LciOptions options;
//     options.form = LciForm::kLayered;
//     options.threads = 0;
//     const ProfileFitResult fit = FitProfile(sites, options);
//     if (fit.status == fitting::FitStatus::kInvalidInput) show(fit.message);
//     for (const SiteFit& site : fit.sites) write(site.report, site.lateralWeight, site.distanceKm);

#include "lci/LciOptions.h"
#include "lci/LciResult.h"
#include "fitting/RunControl.h"

#include <vector>

namespace mt1d::lci {

// Fits the profile. Never throws for bad input: the result then has status kInvalidInput and a
// message. The progress hook sees the profile's RMS and R = vertical + W · lateral roughness.
ProfileFitResult FitProfile(const std::vector<ProfileSite>& sites, const LciOptions& options,
                            const fitting::RunControl& control = {});

// The result for given models (one per site, in the caller's order, of the layers `resolved`
// describes) scored against the sites: every site's RMS, response, Niblett–Bostick profile and
// depth of investigation, and the profile's RMS and roughness. The run's own fields (status,
// message, history, iterations, multiplier, run counts) are left for the caller.
ProfileFitResult DescribeProfile(const std::vector<ProfileSite>& sites, const LciOptions& resolved,
                                 const std::vector<earth::LayeredModel>& models);

}  // namespace mt1d::lci
