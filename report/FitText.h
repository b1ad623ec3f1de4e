#pragma once
// A fit as a short report for a person: what was fitted and how, how the run ended, the
// model as a table and, for smooth fits, the iterations. Layered fits give each parameter's
// standard error as a factor (×1.25 means the value lies within 1.25 times either way at one
// standard error) with the conductance and transverse resistance of each layer, and name the
// pairs of parameters whose correlation is strong.

#include "jobs/FitRecord.h"

#include <string>

namespace mt1d::report {

// Correlations at least this strong (in magnitude) are named in the text report.
inline constexpr double kStrongCorrelation = 0.9;

std::string FitText(const jobs::FitRecord& record);

}  // namespace mt1d::report
