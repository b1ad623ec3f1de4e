#pragma once
// What a result file says about the sounding it came from: enough for a table of many sites
// (a batch summary, a map) without opening the sounding again.

#include "sounding/Sounding.h"

#include <optional>
#include <string>

namespace mt1d::jobs {

struct SiteSummary {
    std::string name;                   // the site's name (EDI DATAID, or the file's stem)
    std::string sourceFile;             // the file as the user named it
    std::optional<double> latitudeDeg;  // north positive; empty when the file gives none
    std::optional<double> longitudeDeg; // east positive
    std::optional<double> elevationM;

    friend bool operator==(const SiteSummary&, const SiteSummary&) = default;
};

SiteSummary SummarizeSite(const sounding::Sounding& sounding);

}  // namespace mt1d::jobs
