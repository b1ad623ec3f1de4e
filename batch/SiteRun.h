#pragma once
// One site of a batch, from its file to its result file and summary row: fitted (SiteFit.h) or
// sampled (SiteSample.h) as the plan says, DIR/<site>.json written whole or not at all
// (io/AtomicFile.h), and the row summary.csv gets for it. RunBatch runs it on each worker; the
// Python module runs it as one task of a distributed survey (examples/dask_survey.py), so that
// both write the same bytes.

#include "batch/Batch.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace mt1d::batch {

struct SiteRunControl {
    // Read between iterations of the fit or the chains; when set, the run stops and the site
    // gets neither a file nor a row. May be null.
    const std::atomic<bool>* cancel = nullptr;
    // Called with the site's name each time the run reports progress. May be empty.
    std::function<void(const std::string& site)> running;
    // kByCaller: the result's folder is not synced after the rename (a batch syncs it once per
    // group of files); kNow: it is.
    io::FolderSync folderSync = io::FolderSync::kNow;
};

struct SiteRunOutcome {
    // The site's summary row, its status "ok" or why not; empty when the run was cancelled.
    std::optional<SummaryRow> row;
    bool written = false;  // DIR/<site>.json was renamed into place
};

// Runs `site` as `plan` asks (data, fit or sample options; the output folder, which must exist;
// the file calls) and writes its result. A site without a result loses an earlier run's file,
// which would contradict its row. Never throws for a site it cannot use: that is the row's
// status.
SiteRunOutcome RunSite(const BatchPlan& plan, const jobs::SiteInput& site, const SiteRunControl& control = {});

}  // namespace mt1d::batch
