#pragma once
// The dimensionality of a sounding (dims/Dimensionality.h) as `mt1d dims` prints it, in three
// forms. Every form has the same sixteen quantities per row, highest frequency first:
//     frequency_hz, period_s, phi_max_deg, phi_min_deg, alpha_deg, beta_deg, beta_sd_deg,
//     strike_deg, strike_sd_deg, ellipticity, ellipticity_sd, swift_skew, bahr_skew, one_d,
//     two_d, reason
// Angles in degrees clockwise from north (α in (−90°, 90°], strike in [0°, 90°) and defined
// modulo 90°), errors one standard error. one_d and two_d are true or false, absent where the
// row has no phase tensor; reason says why a row is not 1-D or lacks values (empty otherwise).
// An absent value is null in JSON, an empty CSV field and "-" in text.

#include "dims/Dimensionality.h"
#include "report/Formatting.h"
#include "jobs/SiteSummary.h"
#include "report/SiteJson.h"

#include <string>
#include <vector>

namespace mt1d::report {

// Why a row is not 1-D or lacks values: "Zxx missing", "skew 5.2° > 3°", both joined by "; ".
std::string DimsReason(const dims::DimsRow& row);

// {"site": SiteJson, "limits": {"max_skew_deg", "max_ellipticity", "within_errors",
//  "error_multiple"}, "rows": [{the sixteen keys}], "computed_rows", "one_d_rows", "two_d_rows",
//  "one_d_fraction", "strike_deg", "strike_sd_deg", "strike_weighted", "notes": [...]}.
Json DimsJson(const jobs::SiteSummary& site, const dims::DimsResult& result);

// The header line of the sixteen names, then one line per row.
std::string DimsCsv(const dims::DimsResult& result);

// For a person: the site, the limits, a table of the rows (each says 1-D, 2-D, 3-D or why it
// has no verdict), the fraction of 1-D rows, the site's strike, then the notes.
std::string DimsText(const jobs::SiteSummary& site, const dims::DimsResult& result);

}  // namespace mt1d::report
