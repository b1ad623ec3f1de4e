#pragma once
// A whole survey fitted on every core: the entry point of `mt1d batch` and of the window's
// 打开测区… (Open survey folder…). No Qt; the window runs RunBatch on a thread of its own and
// forwards the callbacks to its widgets.
//
//     batch::BatchPlan plan;
//     plan.sites = jobs::NameSites(jobs::ExpandInputs(std::vector<std::string>{folder}));
//     plan.outputDir = folder + "/mt1d-batch";
//     batch::BatchCallbacks callbacks;
//     callbacks.progress = [&](const batch::BatchProgress& p) { /* queue to the window */ };
//     const batch::BatchSummary summary = batch::RunBatch(plan, callbacks, stopSource.get_token());
//
// What a run writes into the output folder (created when missing):
//   - <site>.json per site fitted: exactly what `mt1d fit --format json` prints for the file
//     with the same options (FitJson.h), the layered seed being the site's (SiteSeed); with
//     plan.fit.sample, what `mt1d sample --format json` prints (SampleJson.h, SiteSample.h),
//     the chains' seed being the site's;
//   - summary.csv (Summary.h): a row per site of the run's shard, in input order, whatever the
//     order the fits finished in; resumed sites included;
//   - sites.csv: every site of the whole plan, "site,file" in input order, the same for every
//     shard of a plan; what --merge orders the joined summary by and checks shards against.
// Every file is written atomically (AtomicFile.h): a temporary file beside it, synced, then
// renamed, so that an interrupted run never leaves a partial file; a crash leaves at most a
// hidden temporary file (.<name>.XXXXXX), which the next run into the folder removes.
//
// One run at a time: a run holds a lock on the output folder (OutputFolder.h) from before its
// first file until it returns; a second run into the same folder ends at once with
// kFolderBusy, naming the other run's process. A lock left by a run that was killed does not
// count.
//
// Workers: plan.workers std::jthreads (0: one per core) each take the next site in input order,
// fit it and write its file. The files do not depend on the number of workers or on the
// order of completion: -j 1 and -j 2 give byte-identical folders. A site sampled runs its
// chains on its worker's thread alone: the pool already keeps every core busy.
//
// Stopping: when the stop token is triggered, no further site is started and the fits in
// flight are cancelled; their sites get no file and the status "cancelled", as do the sites
// never started. summary.csv is still written, so that the folder stays readable; a later run
// with `resume` fits only what is missing.
//
// Resuming: with plan.resume a site whose <site>.json exists, reads back (FitJsonReader.h) and
// was made from the same file with the options this run would record for it (every data and
// fit option, defaults resolved, the site's seed: report/OptionsJson.h) is not fitted again;
// its row is made from the file. A sampling run's file counts likewise (SiteSample.h); a fit's
// file never counts for a sampling run nor the other way round. Anything else (missing,
// truncated, foreign, other options) is run again and replaced, and `redone` says why.

#include "batch/SiteFit.h"
#include "sampling/SamplingOptions.h"
#include "jobs/SiteInputs.h"
#include "batch/Shard.h"
#include "batch/Summary.h"

#include "io/AtomicFile.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace mt1d::batch {

inline constexpr const char* kSitesFileName = "sites.csv";
inline constexpr const char* kSitesHeader = "site,file";

struct BatchPlan {
    std::vector<jobs::SiteInput> sites;  // the whole survey in input order (NameSites); names unique
    std::filesystem::path outputDir;
    jobs::DataOptions data;  // how each file becomes its curve
    jobs::FitOptions fit;    // how each curve is fitted; a layered fit's seed is mixed per site
    // When set, every site is sampled (SiteSample.h) instead of fitted, and `fit` is unused.
    // Its seed is mixed per site as a layered fit's.
    std::optional<sampling::SamplingOptions> sample;
    std::size_t workers = 0;  // 0: std::thread::hardware_concurrency() (at least 1)
    Shard shard;              // 1/1: every site
    bool resume = false;
    // The system calls of the atomic writes; tests replace them to fail as a full disk would.
    io::FileCalls fileCalls = io::FileCalls::System();
};

struct BatchProgress {
    std::size_t done = 0;     // sites finished in this run, fitted or failed, resumed included
    std::size_t total = 0;    // sites of the shard
    std::size_t failed = 0;   // of those done, sites whose status is not "ok"
    std::size_t resumed = 0;  // of those done, sites taken from an earlier run's file
    double elapsedSeconds = 0.0;
    double sitesPerSecond = 0.0;           // fits finished per second of this run (resumed not counted)
    std::optional<double> secondsLeft;     // at that rate; empty before the first fit ends
};

struct BatchCallbacks {
    // After every site. Called on the worker that finished it, never by two workers at once.
    // May be empty.
    std::function<void(const BatchProgress&)> progress;
    // After every site with its summary row (resumed sites included), under the same lock.
    std::function<void(const SummaryRow&)> siteDone;
    // While a site is fitted or sampled, each time its run reports progress (a fit after every
    // iteration, a sampler at least every 100 ms), with the site's name. Called on the worker,
    // by several at once, without a lock; must not throw. May be empty. A window shows
    // activity with it; a stop requested from it reaches the run that called it.
    std::function<void(const std::string& site)> running;
    // With plan.resume, before a site whose earlier result does not count is run again, with
    // why ("made with other options: layers 2, now 4"). Called on the worker under the lock
    // of siteDone. May be empty.
    std::function<void(const std::string& site, const std::string& why)> redone;
};

enum class BatchStatus {
    kFinished,       // every site of the shard was tried; rows say which failed
    kCancelled,      // the stop token ended the run; sites not fitted are "cancelled"
    kInvalidPlan,    // the plan cannot be run (message); nothing was written
    kCannotWrite,    // the output folder, sites.csv or summary.csv could not be written (message)
    kFolderBusy,     // another run holds the output folder (message names it); nothing was written
};

struct BatchSummary {
    BatchStatus status = BatchStatus::kInvalidPlan;
    std::string message;            // for kInvalidPlan, kCannotWrite and kFolderBusy
    std::vector<SummaryRow> rows;   // summary.csv's rows, in input order
    std::size_t ok = 0;
    std::size_t failed = 0;         // rows neither ok nor cancelled
    std::size_t cancelled = 0;
    std::size_t resumed = 0;
    double elapsedSeconds = 0.0;

    // Whether every site of the shard has a fit that reached its goal.
    bool AllOk() const { return status == BatchStatus::kFinished && failed == 0 && cancelled == 0; }
};

// The worker count that plan.workers = 0 stands for.
std::size_t DefaultWorkers();

// Runs the plan. Never throws for how a run ends; the summary says it.
BatchSummary RunBatch(const BatchPlan& plan, const BatchCallbacks& callbacks, std::stop_token stop);

// sites.csv's text for a plan's sites.
std::string SitesCsv(const std::vector<jobs::SiteInput>& sites);

// Reads sites.csv back; throws BatchError naming `file` and the line.
std::vector<jobs::SiteInput> ParseSitesCsv(std::string_view text, const std::string& file);

}  // namespace mt1d::batch
