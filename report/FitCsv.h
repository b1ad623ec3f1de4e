#pragma once
// The model of a fit as CSV, one row per layer from the top:
//     layer,top_m,thickness_m,resistivity_ohmm,log10_rho_sd,log10_thickness_sd
// The half-space has an empty thickness; the standard errors (log10 units, layered fits) are
// empty where they do not apply.

#include "jobs/FitRecord.h"

#include <string>

namespace mt1d::report {

std::string FitModelCsv(const jobs::FitRecord& record);

}  // namespace mt1d::report
