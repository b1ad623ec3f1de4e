#include "batch/Batch.h"

#include "batch/BatchError.h"
#include "io/Csv.h"
#include "io/Excerpt.h"
#include "report/FitJson.h"
#include "report/FitJsonReader.h"
#include "report/SampleJson.h"
#include "batch/SiteRun.h"
#include "batch/SiteSample.h"
#include "batch/Resume.h"
#include "batch/OutputFolder.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <thread>

namespace mt1d::batch {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// More workers than this is a mistake of the caller, not a machine.
constexpr std::size_t kMaxWorkers = 1024;

// The results' folder is synced once per group of files rather than after each one: after at
// most this many results or this long since the last sync, and once more before summary.csv.
// What a system crash (power loss, not a crash of the program: the page cache keeps everything
// renamed) can then leave: each <site>.json is whole, because its bytes are synced before it is
// renamed into place, or it is the earlier run's whole file, or it is absent; only results
// renamed since the last folder sync can be missing. summary.csv is written after a folder
// sync of every result, so a summary on the disk names no result that is not.
constexpr std::size_t kFilesPerFolderSync = 64;
constexpr auto kFolderSyncInterval = std::chrono::seconds(1);

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Why the plan cannot be run, or empty.
std::string PlanProblem(const BatchPlan& plan)
{
    if (plan.sites.empty()) return "the plan has no sites";
    if (plan.outputDir.empty()) return "no output folder was given";
    if (plan.shard.index < 1 || plan.shard.index > plan.shard.count || plan.shard.count > kMaxShards) {
        return "shard " + std::to_string(plan.shard.index) + "/" + std::to_string(plan.shard.count) +
               " is not one of 1/N .. N/N";
    }
    if (plan.workers > kMaxWorkers) return "at most " + std::to_string(kMaxWorkers) + " workers";
    std::set<std::string> names;
    for (const jobs::SiteInput& site : plan.sites) {
        if (!jobs::IsSafeSiteName(site.name)) {
            return "the site name '" + site.name + "' is not a safe file name (jobs::NameSites makes one)";
        }
        if (!names.insert(Lower(site.name)).second) return "two sites are named '" + site.name + "'";
    }
    return {};
}

// The shared state of one run's workers.
class Run {
public:
    Run(const BatchPlan& plan, const BatchCallbacks& callbacks, SiteRange range)
        : plan_(plan), callbacks_(callbacks), range_(range), rows_(range.Size())
    {
    }

    void Cancel() { cancel_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return cancel_.load(std::memory_order_relaxed); }

    void Work()
    {
        while (!Cancelled()) {
            const std::size_t i = next_.fetch_add(1);
            if (i >= rows_.size()) return;
            bool resumed = false;
            std::optional<SummaryRow> row = Process(plan_.sites[range_.begin + i], resumed);
            if (row) Record(i, std::move(*row), resumed);
        }
    }

    // The rows in input order, "cancelled" where a site was not finished.
    std::vector<SummaryRow> Rows() const
    {
        std::vector<SummaryRow> rows;
        rows.reserve(rows_.size());
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const jobs::SiteInput& site = plan_.sites[range_.begin + i];
            rows.push_back(rows_[i] ? *rows_[i] : FailedRow(site.name, site.file, kStatusCancelled));
        }
        return rows;
    }

    std::size_t Resumed() const { return resumed_; }

private:
    // The site's row, or nothing when its fit was cancelled.
    std::optional<SummaryRow> Process(const jobs::SiteInput& site, bool& resumed)
    {
        const fs::path result = plan_.outputDir / (site.name + ".json");
        if (plan_.resume) {
            std::optional<SummaryRow> earlier = Earlier(site, result);
            if (earlier) {
                resumed = true;
                return earlier;
            }
        }
        SiteRunControl control;
        control.cancel = &cancel_;
        if (callbacks_.running) control.running = callbacks_.running;
        control.folderSync = io::FolderSync::kByCaller;
        SiteRunOutcome outcome = RunSite(plan_, site, control);
        if (outcome.written) Written();
        return std::move(outcome.row);
    }

public:
    // Syncs the output folder if a result was renamed into it since its last sync.
    void SyncFolder()
    {
        if (unsynced_.exchange(0) == 0) return;
        io::SyncFolder(plan_.outputDir, plan_.fileCalls);
        lastSync_.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed);
    }

private:
    // One more result renamed into the folder: syncs it when a group is complete.
    void Written()
    {
        const std::size_t unsynced = unsynced_.fetch_add(1) + 1;
        const Clock::time_point last{Clock::duration(lastSync_.load(std::memory_order_relaxed))};
        if (unsynced >= kFilesPerFolderSync || Clock::now() - last >= kFolderSyncInterval) SyncFolder();
    }

    // The row of an earlier run's result for the site when it was made as this plan makes it;
    // otherwise nothing, after telling `redone` why when there was a result.
    std::optional<SummaryRow> Earlier(const jobs::SiteInput& site, const fs::path& result)
    {
        std::error_code error;
        if (!fs::exists(result, error) && !fs::is_symlink(result, error)) return std::nullopt;
        std::string why;
        std::optional<SummaryRow> row =
            plan_.sample.has_value() ? ResumedSampleRow(site, result, plan_.data, *plan_.sample, why)
                               : ResumedFitRow(site, result, plan_.data, plan_.fit, why);
        if (!row && callbacks_.redone) {
            const std::lock_guard lock(mutex_);
            try {
                callbacks_.redone(site.name, why);
            } catch (...) {
                Cancel();  // as for the other hooks (Record)
            }
        }
        return row;
    }

    void Record(std::size_t i, SummaryRow row, bool resumed)
    {
        const std::lock_guard lock(mutex_);
        if (!row.Ok()) ++failed_;
        if (resumed) ++resumed_;
        ++done_;
        rows_[i] = std::move(row);
        BatchProgress progress;
        progress.done = done_;
        progress.total = rows_.size();
        progress.failed = failed_;
        progress.resumed = resumed_;
        progress.elapsedSeconds = Seconds(start_);
        const std::size_t fitted = done_ - resumed_;
        if (fitted > 0 && progress.elapsedSeconds > 0.0) {
            progress.sitesPerSecond = static_cast<double>(fitted) / progress.elapsedSeconds;
            progress.secondsLeft = static_cast<double>(progress.total - done_) / progress.sitesPerSecond;
        }
        try {
            if (callbacks_.siteDone) callbacks_.siteDone(*rows_[i]);
            if (callbacks_.progress) callbacks_.progress(progress);
        } catch (...) {
            // A hook that throws cannot be told about further sites: the run stops as if cancelled.
            Cancel();
        }
    }

    const BatchPlan& plan_;
    const BatchCallbacks& callbacks_;
    const SiteRange range_;
    const Clock::time_point start_ = Clock::now();
    std::atomic<bool> cancel_{false};
    std::atomic<std::size_t> next_{0};
    std::atomic<std::size_t> unsynced_{0};  // results renamed since the folder's last sync
    std::atomic<Clock::rep> lastSync_{start_.time_since_epoch().count()};
    std::mutex mutex_;
    std::vector<std::optional<SummaryRow>> rows_;  // each slot written once, under the mutex
    std::size_t done_ = 0;
    std::size_t failed_ = 0;
    std::size_t resumed_ = 0;
};

}  // namespace

std::size_t DefaultWorkers() { return std::max(1u, std::thread::hardware_concurrency()); }

std::string SitesCsv(const std::vector<jobs::SiteInput>& sites)
{
    std::string text = std::string(kSitesHeader) + "\n";
    for (const jobs::SiteInput& site : sites) text += io::CsvLine({site.name, site.file}) + "\n";
    return text;
}

BatchSummary RunBatch(const BatchPlan& plan, const BatchCallbacks& callbacks, std::stop_token stop)
{
    const Clock::time_point start = Clock::now();
    BatchSummary summary;
    summary.message = PlanProblem(plan);
    if (!summary.message.empty()) return summary;

    const SiteRange range = ShardRange(plan.sites.size(), plan.shard);
    std::error_code error;
    fs::create_directories(plan.outputDir, error);
    if (error || !fs::is_directory(plan.outputDir)) {
        summary.status = BatchStatus::kCannotWrite;
        summary.message = "cannot make the output folder " + plan.outputDir.string() +
                          (error ? ": " + error.message() : ": a file of that name is in the way");
        return summary;
    }
    // The folder is this run's alone until it returns (OutputFolder.h).
    std::optional<io::FolderLock> lock;
    try {
        lock = ClaimOutputFolder(plan.outputDir);
    } catch (const io::FolderBusy& e) {
        summary.status = BatchStatus::kFolderBusy;
        summary.message = e.what();
        return summary;
    } catch (const io::WriteError& e) {
        summary.status = BatchStatus::kCannotWrite;
        summary.message = e.what();
        return summary;
    }
    RemoveStaleTemporaries(plan.outputDir);
    try {
        io::WriteFileAtomically(plan.outputDir / kSitesFileName, SitesCsv(plan.sites), plan.fileCalls);
    } catch (const io::WriteError& e) {
        summary.status = BatchStatus::kCannotWrite;
        summary.message = e.what();
        return summary;
    }

    Run run(plan, callbacks, range);
    {
        const std::stop_callback onStop(stop, [&run] { run.Cancel(); });
        const std::size_t asked = plan.workers == 0 ? DefaultWorkers() : plan.workers;
        const std::size_t workers = std::max<std::size_t>(1, std::min(asked, range.Size()));
        std::vector<std::jthread> pool;
        pool.reserve(workers);
        for (std::size_t w = 0; w < workers; ++w) pool.emplace_back([&run] { run.Work(); });
    }  // the workers are joined here, before the stop callback goes

    run.SyncFolder();
    summary.rows = run.Rows();
    summary.resumed = run.Resumed();
    for (const SummaryRow& row : summary.rows) {
        if (row.Ok()) {
            ++summary.ok;
        } else if (row.status == kStatusCancelled) {
            ++summary.cancelled;
        } else {
            ++summary.failed;
        }
    }
    summary.status = summary.cancelled > 0 ? BatchStatus::kCancelled : BatchStatus::kFinished;
    try {
        io::WriteFileAtomically(plan.outputDir / kSummaryFileName, SummaryCsv(summary.rows), plan.fileCalls);
    } catch (const io::WriteError& e) {
        summary.status = BatchStatus::kCannotWrite;
        summary.message = e.what();
    }
    summary.elapsedSeconds = Seconds(start);
    return summary;
}

std::vector<jobs::SiteInput> ParseSitesCsv(std::string_view text, const std::string& file)
{
    std::vector<io::CsvRecord> records;
    try {
        records = io::ParseCsv(text, file);
    } catch (const io::CsvError& e) {
        throw BatchError(e.what());
    }
    if (records.empty()) throw BatchError(file + ": empty; a batch's list of sites starts with its header");
    // Written whole or not at all: a last line without its line break is a damaged file.
    if (!text.ends_with('\n')) {
        throw BatchError(file + ", line " + std::to_string(records.back().line) + ": the line is not complete");
    }
    if (io::CsvLine(records.front().fields) != kSitesHeader) {
        throw BatchError(file + ", line 1: not a batch's list of sites (expected the header " +
                         std::string(kSitesHeader) + ")");
    }
    std::vector<jobs::SiteInput> sites;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const std::vector<std::string>& fields = records[i].fields;
        const std::string where = file + ", line " + std::to_string(records[i].line);
        if (fields.size() != 2) throw BatchError(where + ": a site and its file were expected");
        // The name becomes a file name in the output folder: it must be one NameSites makes.
        if (!jobs::IsSafeSiteName(fields[0])) {
            throw BatchError(where + ": '" + io::Excerpt(fields[0]) + "' is not a site name (letters, digits, '-', '_' and '.', not first)");
        }
        sites.push_back({fields[0], fields[1]});
    }
    return sites;
}

}  // namespace mt1d::batch
