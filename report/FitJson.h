#pragma once
// A fit as JSON: what `mt1d fit --format json` prints and a batch writes per site.
//
//     {
//       "format": "mt1d fit", "format_version": 1,
//       "site": {"name", "file", "latitude_deg", "longitude_deg", "elevation_m"},
//       "options": {"mode", "floor_percent", "columns", "rotate_deg", "method", "fit",
//                   "target_rms", "max_iterations", "layers", "layer_tops", "top_depth_m",
//                   "bottom_depth_m", "starts", "seed"},
//       "method": "occam" | "layered", "mode": "det", "status": "target-reached", …
//       "rms", "roughness" (smooth fits), "iterations", "target_reached", "message",
//       "values_fitted", "notes": [the curve's notes],
//       "history": [{"iteration", "rms", "roughness", "multiplier"}],
//       "layers": [{"top_m", "thickness_m" (null for the half-space), "resistivity_ohmm",
//                   "log10_rho_sd", "log10_thickness_sd" (layered fits), and for layered fits
//                   "conductance_s", "log10_conductance_sd", "transverse_resistance_ohmm2",
//                   "log10_transverse_resistance_sd" (null for the half-space)}],
//       "correlation": {"parameters": ["log10_rho_1", …], "matrix": [[…]]} (layered) or null,
//       "response": [{"frequency_hz", "rho_ohmm", "phase_deg"}],
//       "niblett_bostick": [{"frequency_hz", "depth_m", "resistivity_ohmm"}],
//       "depth_of_investigation_m",
//       "dimensionality": {"max_skew_deg", "max_ellipticity", "within_errors", "computed_rows",
//                          "one_d_rows", "one_d_fraction", "strike_deg", "strike_sd_deg"}
//                         (null for a sounding without an impedance tensor; absent in files of
//                         earlier versions of the program)
//     }
//
// Phases are impedance phases in degrees (first quadrant); standard errors are in log10 units
// (a factor 10^sd either way). A value that does not apply or is not known is null; no NaN or
// infinity is ever written. Numbers read back as the same doubles.

#include "jobs/FitRecord.h"
#include "report/Formatting.h"

#include <optional>
#include <string>

namespace mt1d::report {

inline constexpr const char* kFitFormatName = "mt1d fit";
inline constexpr int kFitFormatVersion = 1;

Json FitJson(const jobs::FitRecord& record);

// The "dimensionality" member: null when empty.
Json DimsSummaryJson(const std::optional<jobs::DimsSummary>& dims);

// FitJson laid out one member per line (JsonLayout), with a final line break.
std::string FitJsonText(const jobs::FitRecord& record);

}  // namespace mt1d::report
