#pragma once
// The site of a result as JSON and as text.

#include "report/Formatting.h"
#include "jobs/SiteSummary.h"

#include <optional>
#include <string>

namespace mt1d::report {

// {"name", "file", "latitude_deg", "longitude_deg", "elevation_m"}, null where unknown.
Json SiteJson(const jobs::SiteSummary& site);

// Two lines for a person: the name and file, then the location ("location unknown" when the
// file gives none).
std::string SiteText(const jobs::SiteSummary& site);

}  // namespace mt1d::report
