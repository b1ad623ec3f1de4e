#pragma once
// Whether a result file of an earlier run counts for `mt1d batch --resume`: it must read back
// whole, be of the same kind (a fit, or a sampling run), come from the same file, and record
// exactly the options this run would record for the site (every data option and every fit or
// sampling option, defaults resolved, the site's seed), compared in their JSON form
// (report/OptionsJson.h) so that no option escapes the comparison. Files are read as regular
// files of bounded size only (io/JsonReader.h): a FIFO or device in the output folder is not
// waited on.

#include "batch/Summary.h"
#include "jobs/DataOptions.h"
#include "jobs/FitOptions.h"
#include "jobs/SiteInputs.h"
#include "sampling/SamplingOptions.h"

#include <filesystem>
#include <optional>
#include <string>

namespace mt1d::batch {

// The summary row of `result` when it counts for a fit of `site` with these options;
// otherwise nothing, and `why` says why it does not count.
std::optional<SummaryRow> ResumedFitRow(const jobs::SiteInput& site, const std::filesystem::path& result,
                                        const jobs::DataOptions& data, const jobs::FitOptions& fit, std::string& why);

// The same for a sampling run (`options.seed` the batch's; the site's is mixed in).
std::optional<SummaryRow> ResumedSampleRow(const jobs::SiteInput& site, const std::filesystem::path& result,
                                           const jobs::DataOptions& data, const sampling::SamplingOptions& options,
                                           std::string& why);

}  // namespace mt1d::batch
