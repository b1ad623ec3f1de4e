#pragma once
// What a laterally constrained inversion gives: one fit per site, in the shape a single fit
// reports it (FitReport.h, so that a site's record is written with the keys of `mt1d fit`),
// and the scores of the whole profile.

#include "lci/LciOptions.h"
#include "fitting/FitReport.h"
#include "fitting/FitStatus.h"
#include "numerics/LayeredEarth.h"

#include <cstddef>
#include <string>
#include <vector>

namespace mt1d::lci {

struct SiteFit {
    // method kOccam (smooth form) or kLayered; status, iterations and message those of the
    // profile's run; rms, targetReached, layers, response (at the fitted frequencies),
    // niblettBostick and depthOfInvestigationM the site's own; roughness the site's vertical
    // roughness (smooth form); history the site's RMS (and roughness) at every model the
    // profile's run accepted, with the profile's multiplier.
    fitting::FitReport report;
    earth::LayeredModel model;
    std::vector<double> layerTops;  // m, first 0
    double distanceKm = 0.0;
    // How strongly the site is tied to its neighbours: W times the mean distance weight of its
    // links (one at either end of the profile, none for a profile of one site: then 0).
    double lateralWeight = 0.0;
    std::size_t valuesFitted = 0;  // N of the site's RMS
};

struct ProfileHistoryEntry {
    std::size_t iteration = 0;  // 0 is the starting model
    double rms = 0.0;
    double verticalRoughness = 0.0;
    double lateralRoughness = 0.0;
    double multiplier = 0.0;  // μ; 0 at the start
};

struct ProfileFitResult {
    LciForm form = LciForm::kSmooth;
    fitting::FitStatus status = fitting::FitStatus::kInvalidInput;
    std::string message;  // why the run stopped, or what was wrong with the input
    double rms = 0.0;     // of the whole profile
    bool targetReached = false;
    double verticalRoughness = 0.0;  // Σ_s |∂m_s|² (smooth form; 0 for the layered)
    double lateralRoughness = 0.0;   // Σ_k w_k |m_{k+1} − m_k|², without W
    std::size_t iterations = 0;      // accepted models
    double multiplier = 0.0;         // μ of the final model (0 for a join of windows)
    double lateralWeight = 0.0;      // W as used
    double referenceDistanceKm = 0.0;  // d_ref as used
    double distancePower = 0.0;        // p as used
    std::size_t valuesFitted = 0;
    std::vector<double> layerTops;   // smooth form: the mesh every site shares
    std::vector<ProfileHistoryEntry> history;
    std::vector<SiteFit> sites;      // in the caller's order
    std::size_t forwardRuns = 0;     // site responses without Jacobian
    std::size_t jacobianRuns = 0;    // site responses with Jacobian
};

}  // namespace mt1d::lci
