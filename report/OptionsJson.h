#pragma once
// The options of a run as a result file writes them, under "options": one form for every
// result (fits, sampling runs, profiles), written here and read back by FitJsonReader.h. Keys:
//   data:  mode, floor_percent, columns (null: the file's header), rotate_deg (null: the
//          file's frame), var_convention and rho_err (null: as the file shows), exclude_hz
//          (null: none), keep_any_phase, only_1d (null, or {max_skew_deg, max_ellipticity,
//          within_errors, error_multiple})
//   fit:   method, fit, target_rms, max_iterations, layers, layer_tops, top_depth_m,
//          bottom_depth_m (Occam; null when chosen from the data), starts, seed (layered;
//          null for Occam fits), the stop criteria relative_tolerance, settled_steps,
//          exact_chi2, initial_damping, max_damping (layered), rms_tolerance,
//          roughness_tolerance, step_cuts, multiplier_tolerance, level_tolerance (Occam)
// A value that is not set is null. Results written before a key existed lack it; a reader
// takes the key's default then.

#include "jobs/DataOptions.h"
#include "jobs/FitOptions.h"
#include "report/Formatting.h"

#include <string>
#include <vector>

namespace mt1d::report {

// The data options' members, to go first into a result's "options".
void PutDataOptions(Json& object, const jobs::DataOptions& options);

// The fit options' members, after the data options'.
void PutFitOptions(Json& object, const jobs::FitOptions& options);

// The "options" object of a fit result.
Json FitOptionsJson(const jobs::DataOptions& data, const jobs::FitOptions& fit);

// Each member that differs between two "options" objects, as "layers 2, now 4" (a member only
// one of them has: "layers 2, now none"), in the order of `now`; empty when they agree. What a
// resumed batch says when it fits a site again, so that no option escapes the comparison.
std::vector<std::string> OptionDifferences(const Json& earlier, const Json& now);

}  // namespace mt1d::report
