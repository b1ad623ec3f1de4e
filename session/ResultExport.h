#pragma once
// The results of a sounding window for other programs: the fits and the hand-edited model,
// written by the command line's writers (report/) so that every key is one of `mt1d fit`'s.
//
// JSON: the site and the data choices, then one object per fit ("layered", "occam") that is
// exactly what `mt1d fit --format json` writes for that fit (report/FitJson.h), and "edited"
// with the model in the results table: its "layers" and "response" with the keys of a fit's,
// and its "rms" (null when the data the fit would use are refused).
//
//     {"site": {…}, "mode": "det", "floor_percent": 5, "excluded_rows": [3],
//      "layered": {mt1d fit}, "occam": {mt1d fit}, "edited": {"rms", "layers", "response"}}
//
// CSV: the rows of `mt1d fit --format csv` (report/FitCsv.h) for each model, after the site's
// name, the model's name and its RMS (empty when the data the fit would use are refused):
//     site,model,rms,layer,top_m,thickness_m,resistivity_ohmm,log10_rho_sd,log10_thickness_sd
// with "layered", "occam" and "edited" in the order they are written. Numbers round-trip and
// have a decimal point whatever the locale.

#include "session/Session.h"

#include <string>

namespace mt1d::session {

std::string ResultsJson(const Session& session);
std::string ResultsCsv(const Session& session);

}  // namespace mt1d::session
