#pragma once
// A sampling run as CSV, for a spreadsheet or a plotting script.
//
// SampleProfileCsv: one row per depth cell, from the top,
//     depth_m,p10,p50,p90,mean,interface_probability
// depth_m the cell's centre in m; p10, p50, p90 and mean of log10 ρ (ρ in Ω·m);
// interface_probability the probability of at least one interface in the cell.
//
// SampleDensityCsv: the posterior density in long form, one row per depth cell and
// resistivity bin (depth outer, resistivity inner, each from the smallest),
//     depth_m,log10_rho,probability
// the probabilities of each depth summing to 1.
//
// Both have only the header when no sample was kept. A value that is not finite is an empty
// field.

#include "jobs/SampleRecord.h"

#include <string>

namespace mt1d::report {

std::string SampleProfileCsv(const jobs::SampleRecord& record);
std::string SampleDensityCsv(const jobs::SampleRecord& record);

}  // namespace mt1d::report
