#pragma once
// One sounding of a batch, from its file to its result, through the pipeline every front end
// uses (jobs/LoadCurve.h, jobs/FitCurve.h): the record that `mt1d fit --format json` prints for
// the same file and options. A layered fit is seeded per site (jobs/SiteSeed.h), so that its
// result does not depend on which worker fits it or when.

#include "fitting/RunControl.h"
#include "jobs/DataOptions.h"
#include "jobs/FitOptions.h"
#include "jobs/FitRecord.h"
#include "jobs/LoadCurve.h"

#include <optional>
#include <string>

namespace mt1d::batch {

// `why` as one line of a summary: line breaks made spaces, long messages cut.
std::string FailureLine(std::string why);

// A file that cannot be used, as a summary line names it: "cannot read: …" or "no data for
// mode …". The reader's message names the file, the line and the problem.
std::string LoadFailure(const jobs::LoadError& error);

// The options a site of a batch is fitted with: the batch's, a layered fit's seed mixed with
// the site's name (the file records it).
jobs::FitOptions SiteFitOptions(const jobs::FitOptions& batch, const std::string& siteName);

struct SiteFit {
    // The finished fit, whether or not it reached its goal; empty when the site failed.
    std::optional<jobs::FitRecord> record;
    // Why there is no record: the file could not be read, has no data for the mode, or the fit
    // refused the curve (too few usable values, …). One line.
    std::string failure;
    bool cancelled = false;  // the fit was stopped; neither record nor failure
};

// Never throws for a file or a curve it cannot use: that is a failure of the site.
SiteFit FitSiteFile(const std::string& file, const std::string& siteName, const jobs::DataOptions& data,
                    const jobs::FitOptions& fit, const fitting::RunControl& control = {});

}  // namespace mt1d::batch
