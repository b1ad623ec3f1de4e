#pragma once
// A sampling run as JSON: what `mt1d sample --format json` prints and a batch writes per site.
//
//     {
//       "format": "mt1d sample", "format_version": 1,
//       "site": {"name", "file", "latitude_deg", "longitude_deg", "elevation_m"},
//       "options": {"mode", "floor_percent", "columns", "rotate_deg", "samples", "burn_in",
//                   "chains", "temperatures", "max_layers", "min_depth_m", "max_depth_m",
//                   "min_rho_ohmm", "max_rho_ohmm", "seed"},
//       "status": "completed" | "cancelled", "message", "values_fitted",
//       "notes": [the curve's notes], "warnings": [SampleWarnings],
//       "depth_m": [centres of the depth cells, m],
//       "log10_rho_grid": [centres of the resistivity bins, log10 Ω·m],
//       "density": [[one row per depth: probabilities over log10_rho_grid, summing to 1]],
//       "p10", "p50", "p90", "mean": [log10 Ω·m per depth],
//       "interface_probability": [per depth cell],
//       "layer_count": [{"layers", "probability"}],
//       "acceptance": {"birth", "death", "move", "change", "swap" with tempering, "shift" with
//                      free static shifts: rate},
//       "rhat": {"misfit", "layer_count"} (null where not finite: see "warnings"),
//       "ess": {"seconds" (the chains' wall-clock time), "stride" (every stride-th kept sample
//               was used), "misfit", "layer_count": {"combined", "per_second", "chains": [one
//               per chain]}, "log10_rho": [{"depth_m", "combined", "per_second", "chains"}]}
//              (effective sample sizes, sampling/EffectiveSampleSize.h; "seconds" and
//              "per_second" are the only values that differ between two runs of one seed),
//       "samples" (kept), "seed",
//       "depth_of_investigation_m", "best_rms",
//       "best_model": [{"top_m", "thickness_m" (null for the half-space), "resistivity_ohmm"}],
//       "static_shift" (with static shifts only): {"reference", per curve {"factor" (10^mean),
//               "log10_mean", "log10_sd" (null for a held factor), "log10_quantiles":
//               {"0.025", "0.16", "0.5", "0.84", "0.975"}}}
//     }
//
// A value that is not finite is null; no NaN or infinity is ever written. Numbers read back
// as the same doubles.

#include "report/Formatting.h"
#include "jobs/SampleRecord.h"
#include "report/SampleWarnings.h"

#include <string>

namespace mt1d::report {

inline constexpr const char* kSampleFormatName = "mt1d sample";
inline constexpr int kSampleFormatVersion = 1;

Json SampleJson(const jobs::SampleRecord& record);

// SampleJson laid out one member per line (JsonLayout), each density row on one line, with a
// final line break.
std::string SampleJsonText(const jobs::SampleRecord& record);

// The "options" object of a sampling result: the data options, then the run's settings.
Json SampleOptionsJson(const jobs::DataOptions& curve, const jobs::SampleSettings& settings);

}  // namespace mt1d::report
