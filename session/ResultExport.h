#pragma once
// The results of a sounding window for other programs: the fits and the hand-edited model.
//
// JSON: the site and the data choices, then one object per fit ("layered", "smooth") with the
// keys of the command line's fit report (method, mode, status, rms, roughness, iterations,
// target_reached, message, layers[] with top_m, thickness_m, resistivity_ohm_m and their
// log10 errors, response[], niblett_bostick[], depth_of_investigation_m), and "edited" with the
// model in the results table, its response and RMS.
//
// CSV: one row per layer of each model, the model named in the first column:
//     model,layer,top_m,thickness_m,resistivity_ohm_m,rho_sd_factor,conductance_s,transverse_resistance_ohm_m2
// Empty cells where a value does not exist (the half-space's thickness, errors of a smooth
// model). Numbers are written to round-trip, with a decimal point whatever the locale.

#include "Session.h"

#include <string>

namespace mt1d::session {

std::string ResultsJson(const Session& session);
std::string ResultsCsv(const Session& session);

}  // namespace mt1d::session
