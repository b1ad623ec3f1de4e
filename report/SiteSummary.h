#pragma once
// What a result file says about the sounding it came from: enough for a table of many sites
// (a batch summary, a map) without opening the sounding again.

#include "report/Formatting.h"
#include "sounding/Sounding.h"

#include <optional>
#include <string>

namespace mt1d::report {

struct SiteSummary {
    std::string name;                   // the site's name (EDI DATAID, or the file's stem)
    std::string sourceFile;             // the file as the user named it
    std::optional<double> latitudeDeg;  // north positive; empty when the file gives none
    std::optional<double> longitudeDeg; // east positive
    std::optional<double> elevationM;

    friend bool operator==(const SiteSummary&, const SiteSummary&) = default;
};

SiteSummary SummarizeSite(const sounding::Sounding& sounding);

// {"name", "file", "latitude_deg", "longitude_deg", "elevation_m"}, null where unknown.
Json SiteJson(const SiteSummary& site);

// Two lines for a person: the name and file, then the location ("location unknown" when the
// file gives none).
std::string SiteText(const SiteSummary& site);

}  // namespace mt1d::report
