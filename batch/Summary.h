#pragma once
// summary.csv: one row per site of a batch, in input order.
//
//     site,file,latitude,longitude,elevation,mode,method,rms,iterations,target_reached,
//     depth_of_investigation_m,one_d_fraction,strike_deg,status
//
// site is the output name (DIR/<site>.json holds the fit); file the path as given; latitude
// and longitude in degrees (north and east positive), elevation in m, empty when the file
// gives none; numbers as the shortest text that reads back as the same double; target_reached
// true or false. one_d_fraction is the share of the rows with a phase-tensor verdict that are
// 1-D and strike_deg the site's strike from north (modulo 90°), both empty for a sounding
// without an impedance tensor (and the strike without 2-D rows) and for sampled sites. status is "ok" when the fit reached its goal (occam: the target RMS; layered:
// a settled minimum), otherwise the fit's status word and its message ("target-not-reached:
// …"), or for a site without a fit the reason ("cannot read: …"), or "cancelled" for a site the
// run stopped before it fitted. Fields holding a comma, a quote or a line break are quoted
// (RFC 4180); line breaks never occur in a status. Lines end with "\n".

#include "jobs/FitRecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::batch {

inline constexpr const char* kSummaryFileName = "summary.csv";
inline constexpr const char* kSummaryHeader =
    "site,file,latitude,longitude,elevation,mode,method,rms,iterations,target_reached,"
    "depth_of_investigation_m,one_d_fraction,strike_deg,status";
// The header of summaries written before the dimensionality columns; still read.
inline constexpr const char* kSummaryHeaderWithoutDims =
    "site,file,latitude,longitude,elevation,mode,method,rms,iterations,target_reached,"
    "depth_of_investigation_m,status";
inline constexpr const char* kStatusOk = "ok";
inline constexpr const char* kStatusCancelled = "cancelled";

// One row, its fields as text as they are written (unquoted).
struct SummaryRow {
    std::string site;
    std::string file;
    std::string latitude;
    std::string longitude;
    std::string elevation;
    std::string mode;
    std::string method;
    std::string rms;
    std::string iterations;
    std::string targetReached;
    std::string depthOfInvestigationM;
    std::string oneDFraction;
    std::string strikeDeg;
    std::string status;

    bool Ok() const { return status == kStatusOk; }
    friend bool operator==(const SummaryRow&, const SummaryRow&) = default;
};

// The row of a finished fit (read back from its file or just made).
SummaryRow FitRow(const std::string& site, const std::string& file, const jobs::FitRecord& record);

// The row of a site without a fit; `reason` is put on one line.
SummaryRow FailedRow(const std::string& site, const std::string& file, std::string_view reason);

// The header line and every row.
std::string SummaryCsv(const std::vector<SummaryRow>& rows);

// One row as its CSV line, without the line break.
std::string SummaryLine(const SummaryRow& row);

// Reads a summary.csv back (one without the dimensionality columns too: they are then empty).
// Throws BatchError naming `file` and the line for a header other than these, a row of another field count or a broken quote.
std::vector<SummaryRow> ParseSummaryCsv(std::string_view text, const std::string& file);

}  // namespace mt1d::batch
