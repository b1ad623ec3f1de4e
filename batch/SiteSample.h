#pragma once
// One sounding of a batch sampled instead of fitted (`mt1d batch --method sample`): read the
// file, derive the curve, sample it (report/SampleRun.h) and make the record that
// `mt1d sample --format json` prints for the same file and options. The chains are seeded per
// site (SiteSeed of the batch seed and the site's name), so that the result does not depend on
// which worker samples it or when; the file records the site's seed.
//
// The summary row of a sampling run (summary.csv, Summary.h):
//   method "sample"; rms the best RMS of any model sampled; iterations the samples kept;
//   target_reached whether both R-hats (misfit and layer count) are finite and below 1.1
//   (jobs::kRhatLimit); depth_of_investigation_m the run's; status "ok" when the run has no
//   warning (SampleWarnings), otherwise "not-converged: " and its warnings.
// The row is made from the result file's text, so that a row read back by --resume is the
// row the run itself wrote.

#include "jobs/SampleRecord.h"
#include "report/SampleWarnings.h"
#include "sampling/SamplingOptions.h"
#include "batch/SiteFit.h"
#include "batch/Summary.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mt1d::batch {

inline constexpr const char* kSampleMethodName = "sample";
inline constexpr const char* kStatusNotConverged = "not-converged";

struct SiteSample {
    // The finished run; empty when the site failed or the run was cancelled.
    std::optional<jobs::SampleRecord> record;
    std::string failure;     // why there is no record ("cannot read: …", "cannot sample: …"). One line.
    bool cancelled = false;  // the run was stopped; neither record nor failure
};

// Never throws for a file or a curve it cannot use: that is a failure of the site.
// `options.seed` is the batch seed; the run uses jobs::SiteSeed(options.seed, siteName).
SiteSample SampleSiteFile(const std::string& file, const std::string& siteName, const jobs::DataOptions& data,
                          const sampling::SamplingOptions& options, const sampling::SamplingControl& control = {});

// The row of a sampling run from its result file's text (SampleJson.h). Throws BatchError
// naming the site for text that is not a sampling result.
SummaryRow SampleRow(const std::string& site, const std::string& file, std::string_view json);

}  // namespace mt1d::batch
