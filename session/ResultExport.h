#pragma once
// The results of a sounding window for other programs: the fits and the hand-edited model.
//
// JSON: the site and the data choices, then one object per fit ("layered", "smooth") with the
// keys of the command line's fit report (method, mode, status, rms, roughness, iterations,
// target_reached, message, layers[] with top_m, thickness_m, resistivity_ohmm, log10_rho_sd,
// log10_thickness_sd, conductance_s, transverse_resistance_ohmm2, response[] with frequency_hz,
// rho_ohmm, phase_deg, niblett_bostick[], depth_of_investigation_m), null where a value does not
// apply, and "edited" with the model in the results table, its response and RMS.
//
// CSV: one row per layer of each model, the model named in the first column:
//     model,layer,top_m,thickness_m,resistivity_ohmm,log10_rho_sd,log10_thickness_sd,conductance_s,transverse_resistance_ohmm2
// Empty cells where a value does not exist (the half-space's thickness, errors of a smooth or
// edited model). Standard errors in log10 units (a factor 10^sd either way). Numbers are
// written to round-trip, with a decimal point whatever the locale.

#include "Session.h"

#include <string>

namespace mt1d::session {

std::string ResultsJson(const Session& session);
std::string ResultsCsv(const Session& session);

}  // namespace mt1d::session
