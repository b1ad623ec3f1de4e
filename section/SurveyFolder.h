#pragma once
// A batch output folder read back for the section: summary.csv names the soundings in the
// order the batch took them and says whether each was fitted ("ok") or why not; each fitted
// site's model is in <site>.json (the JSON of `mt1d fit --format json`). When <site>.json is
// missing, the folder's other .json files are searched for the result whose site has that name.
//
// A site whose status is not "ok" but whose result file holds a model (a fit that ran but
// missed its target) is shown, with a note giving the status. Sites without a result file
// (failed, cancelled), with an unreadable one or with an empty model are left out with a note
// each. The others keep the summary's order. A folder that is not one
// (no summary.csv, a summary without the columns "site" and "status", or not one usable site)
// is refused with SurveyError naming the folder and what is wrong.

#include "fitting/FitReport.h"
#include "report/SiteJson.h"
#include "section/SummaryCsv.h"

#include <filesystem>
#include <string>
#include <vector>

namespace mt1d::section {

inline constexpr const char* kSummaryFileName = "summary.csv";
// The summary of a survey of thousands of sites is well under a megabyte.
inline constexpr std::size_t kMaxSummaryBytes = 64u * 1024u * 1024u;

struct SiteModel {
    jobs::SiteSummary site;  // name, file as the batch was given it, location
    fitting::Method method = fitting::Method::kOccam;
    double rms = 0.0;
    std::vector<fitting::ReportLayer> layers;  // top down, the last a half-space
    double depthOfInvestigationM = 0.0;        // 0 when the fit gives none
    std::filesystem::path resultFile;
    bool missedTarget = false;  // the summary's status is not "ok": the fit ran but missed its goal
};

struct Survey {
    std::filesystem::path folder;
    std::vector<SiteModel> sites;    // summary order
    std::vector<std::string> notes;  // one per site left out, saying why
};

Survey ReadSurvey(const std::filesystem::path& folder);

}  // namespace mt1d::section
