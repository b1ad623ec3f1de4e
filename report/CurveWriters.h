#pragma once
// The curve of a sounding as `mt1d data` prints it, in three forms. Every form has the same
// seven quantities per row, highest frequency first:
//     frequency_hz, period_s, rho_ohmm, rho_err_ohmm, phase_deg, phase_err_deg, usable
// with the impedance phase in degrees in the first quadrant (45° over a half-space) and errors
// of one standard error. In a row that is not usable, a frequency, period, resistivity or
// error that is not known (held as 0 by the curve), and a phase the row does not know
// (CurveRow::phaseKnown), are written as absent: null in JSON, an empty CSV field, "-" in
// text.

#include "sounding/Curve.h"
#include "report/Formatting.h"
#include "report/SiteJson.h"

#include <string>
#include <vector>

namespace mt1d::report {

// The curve's notes (the reader's warnings, then the curve's own), followed by one line per
// unusable row: "row 3 (0.0052 Hz): no error given and the error floor is 0", counting rows
// from 1 in the curve's order.
std::vector<std::string> CurveNotes(const sounding::Curve& curve);

// {"site": SiteJson, "mode": "det", "floor_percent": 5, "rows": [{the seven keys}], "notes": [...]}.
Json CurveJson(const jobs::SiteSummary& site, const sounding::Curve& curve);

// The header line of the seven names, then one line per row; usable is true or false.
std::string CurveCsv(const sounding::Curve& curve);

// For a person: the site, the mode and floor, a table of the rows (an unusable row says why),
// then the notes.
std::string CurveText(const jobs::SiteSummary& site, const sounding::Curve& curve);

}  // namespace mt1d::report
