#pragma once
// A model scored against a sounding (jobs/ScoreModel.h) as `mt1d misfit` prints it.
//
// JSON: {"format": "mt1d misfit", "site": {…}, "options": {mode, floor_percent, columns,
// rotate_deg, fit}, "model": [{"top_m", "thickness_m", "resistivity_ohmm"}, …],
// "rms", "chi2", "count", "response": [{"frequency_hz", "rho_ohmm", "phase_deg"}, …]}.

#include "fitting/FitData.h"
#include "jobs/DataOptions.h"
#include "jobs/ScoreModel.h"
#include "jobs/SiteSummary.h"
#include "numerics/LayeredEarth.h"
#include "report/Formatting.h"

#include <string>

namespace mt1d::report {

inline constexpr const char* kMisfitFormatName = "mt1d misfit";

struct MisfitContext {
    jobs::SiteSummary site;
    jobs::DataOptions data;  // as used: the mode set
    fitting::FitComponents components = fitting::FitComponents::kBoth;
    earth::LayeredModel model;
};

Json MisfitJson(const MisfitContext& context, const jobs::ModelScore& score);

// The site, the model and the misfit in a few lines for a person.
std::string MisfitText(const MisfitContext& context, const jobs::ModelScore& score);

}  // namespace mt1d::report
