// mt1d batch: every sounding of a survey fitted on every core into one output folder, shards
// of it for a cluster, and the joining of shard folders (batch/Batch.h does the work).

#include "batch/Batch.h"
#include "batch/BatchError.h"
#include "cli/BatchMethodOptions.h"
#include "cli/CommonOptions.h"
#include "cli/DataOptions.h"
#include "cli/FitOptions.h"
#include "batch/Merge.h"
#include "batch/SiteSample.h"
#include "cli/OptionValues.h"
#include "cli/SampleOptions.h"
#include "cli/Subcommand.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <thread>

namespace mt1d::cli {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxJobs = 1024;

struct BatchCommandValues {
    std::vector<std::string> inputs;
    std::string out;
    DataOptionValues data;
    FitOptionValues fit;
    SampleOptionValues sample;
    std::string jobs;
    std::string shard;
    bool resume = false;
    std::vector<std::string> merge;
    CLI::Option* outOption = nullptr;
    CLI::Option* jobsOption = nullptr;
    CLI::Option* shardOption = nullptr;
    CLI::Option* resumeOption = nullptr;
    CLI::Option* mergeOption = nullptr;
    CLI::App* command = nullptr;
};

bool Given(const CLI::Option* option) { return option != nullptr && option->count() > 0; }

[[noreturn]] void Refuse(const jobs::PlanError& e)
{
    RefuseUsage(std::string("批处理参数有误：") + e.what(), e.what());
}

// SIGINT and SIGTERM, while a batch runs, ask it to stop instead of ending the program: they
// are blocked in every thread (the workers inherit the mask) and a watcher takes them from a
// signalfd. The watcher also waits on an eventfd that the destructor writes, so that it ends
// as soon as the batch does (no polling tick). The mask is restored when the batch is over;
// a signal that arrives after the watcher has gone is then delivered as usual.
class StopOnSignals {
public:
    explicit StopOnSignals(std::stop_source& source)
    {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
        signalFd_ = signalfd(-1, &signals_, SFD_CLOEXEC);
        wakeFd_ = eventfd(0, EFD_CLOEXEC);
        if (signalFd_ < 0 || wakeFd_ < 0) {
            // Without them the signals keep their usual effect: the program ends.
            Close();
            pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
            return;
        }
        watcher_ = std::thread([this, &source] {
            pollfd fds[2] = {{signalFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
            for (;;) {
                if (poll(fds, 2, -1) < 0) {
                    if (errno == EINTR) continue;
                    return;
                }
                signalfd_siginfo info{};
                if (fds[0].revents != 0 && read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                    source.request_stop();
                    received_ = true;
                }
                if (fds[1].revents != 0) return;  // a signal that came with the end was taken first
            }
        });
    }
    ~StopOnSignals()
    {
        if (watcher_.joinable()) {
            const std::uint64_t one = 1;
            while (write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
            }
            watcher_.join();
            Close();
            pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
        }
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    bool Received() const { return received_; }

private:
    void Close()
    {
        if (signalFd_ >= 0) close(signalFd_);
        if (wakeFd_ >= 0) close(wakeFd_);
        signalFd_ = wakeFd_ = -1;
    }

    sigset_t signals_{};
    sigset_t previous_{};
    int signalFd_ = -1;
    int wakeFd_ = -1;
    std::atomic<bool> received_{false};
    std::thread watcher_;
};

std::string Clock(double seconds)
{
    const long s = std::lround(std::max(0.0, seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    return text;
}

// The progress line of a terminal: done/total, failures, rate and time left.
std::string ProgressLine(const batch::BatchProgress& p)
{
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.2f", p.sitesPerSecond);
    std::string line = std::to_string(p.done) + "/" + std::to_string(p.total) + " sites";
    if (p.failed > 0) line += ", " + std::to_string(p.failed) + " failed";
    if (p.resumed > 0) line += ", " + std::to_string(p.resumed) + " resumed";
    line += ", " + std::string(rate) + " sites/s";
    if (p.secondsLeft) line += ", " + Clock(*p.secondsLeft) + " left";
    return line;
}

void CheckNoneGivenBut(const BatchCommandValues& values, const std::vector<const CLI::Option*>& allowed)
{
    for (const CLI::Option* option : values.command->get_options()) {
        if (option->count() == 0 || std::find(allowed.begin(), allowed.end(), option) != allowed.end()) continue;
        const std::string name = option->get_name().empty() ? "INPUT" : option->get_name();
        RefuseUsage(name + " 不能与 --merge 同时使用", name + " does not go with --merge");
    }
}

int RunMerge(const BatchCommandValues& values, std::ostream& out, std::ostream& err)
{
    CheckNoneGivenBut(values, {values.mergeOption, values.outOption});
    std::vector<fs::path> shards(values.merge.begin(), values.merge.end());
    batch::MergeResult merged;
    try {
        merged = batch::MergeShards(shards, values.out);
    } catch (const batch::BatchError& e) {
        throw InputError(std::string("无法合并 (cannot merge: ") + e.what() + ")");
    } catch (const io::WriteError& e) {
        err << "mt1d: 无法写出结果 (" << e.what() << ")\n";
        return kRunFailed;
    }
    const fs::path summary = fs::path(values.out) / batch::kSummaryFileName;
    out << summary.string() << ": " << merged.rows.size() << " sites, " << merged.rows.size() - merged.failed
        << " ok, " << merged.failed << " failed, " << merged.missing.size() << " missing\n";
    for (const std::string& site : merged.missing) {
        err << "mt1d: " << site << " 没有结果 (no shard has a row for the site " << site << ")\n";
    }
    return merged.failed == 0 && merged.missing.empty() ? kSuccess : kRunFailed;
}

int RunBatchCommand(BatchCommandValues& values, std::ostream& out, std::ostream& err)
{
    if (!Given(values.outOption)) RefuseUsage("缺少 --out 输出文件夹", "--out DIR is needed");
    if (Given(values.mergeOption)) return RunMerge(values, out, err);
    if (values.inputs.empty()) RefuseUsage("缺少数据文件或文件夹：mt1d batch INPUT... --out DIR",
                                           "soundings are needed: mt1d batch INPUT... --out DIR");
    BatchSamples(values.fit);  // a wrong --method is named before the data options

    // Every option is checked before anything is read or written.
    values.data.file = values.inputs.front();
    const DataRequest data = ParseDataOptions(values.data);
    const BatchMethod method = ParseBatchMethod(*values.command, values.fit, values.sample);
    batch::BatchPlan plan;
    plan.workers = Given(values.jobsOption) ? ParseCountOption("-j", values.jobs, 1, kMaxJobs) : 0;
    try {
        if (Given(values.shardOption)) plan.shard = batch::ParseShard(values.shard);
        plan.sites = jobs::NameSites(jobs::ExpandInputs(values.inputs));
    } catch (const jobs::PlanError& e) {
        Refuse(e);
    }
    std::error_code error;
    plan.outputDir = values.out;
    if (fs::exists(plan.outputDir, error) && !fs::is_directory(plan.outputDir, error)) {
        RefuseUsage("--out 不是文件夹：" + values.out, "--out " + values.out + " is not a folder");
    }
    for (const std::string& input : values.inputs) {
        if (fs::is_directory(input, error) && fs::exists(plan.outputDir, error) &&
            fs::equivalent(input, plan.outputDir, error)) {
            RefuseUsage("--out 不能是输入文件夹", "--out " + values.out +
                        " is an input folder: its summary.csv would be read as a sounding by the next run");
        }
    }
    plan.data = data.options;
    plan.fit = method.fit;
    plan.sample = method.sample;
    plan.resume = values.resume;

    const bool terminal = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    batch::BatchCallbacks callbacks;
    callbacks.siteDone = [&err, terminal](const batch::SummaryRow& row) {
        if (row.Ok()) return;
        if (terminal) err << "\r\033[K";
        err << "mt1d: " << row.site << " (" << row.file << "): " << row.status << "\n";
    };
    callbacks.redone = [&err, terminal](const std::string& site, const std::string& why) {
        if (terminal) err << "\r\033[K";
        err << "mt1d: " << site << ": 重新运行 (run again: " << why << ")\n" << std::flush;
    };
    if (terminal) {
        callbacks.progress = [&err](const batch::BatchProgress& p) { err << "\r\033[K" << ProgressLine(p) << std::flush; };
    }

    std::stop_source stop;
    batch::BatchSummary summary;
    bool interrupted = false;
    {
        StopOnSignals signals(stop);
        summary = batch::RunBatch(plan, callbacks, stop.get_token());
        interrupted = signals.Received();
    }
    if (terminal) err << "\r\033[K";
    if (summary.status == batch::BatchStatus::kInvalidPlan) throw InputError(summary.message);
    if (summary.status == batch::BatchStatus::kFolderBusy) {
        throw InputError("--out 文件夹正被另一次运行使用 (--out: " + summary.message + ")");
    }
    if (summary.status == batch::BatchStatus::kCannotWrite) {
        err << "mt1d: 无法写出结果 (" << summary.message << ")\n";
        return kRunFailed;
    }
    const fs::path summaryFile = plan.outputDir / batch::kSummaryFileName;
    out << summaryFile.string() << ": " << summary.rows.size() << " sites, " << summary.ok << " ok, "
        << summary.failed << " failed";
    if (summary.resumed > 0) out << ", " << summary.resumed << " resumed";
    if (summary.cancelled > 0) out << ", " << summary.cancelled << " not fitted";
    out << "\n";
    if (summary.status == batch::BatchStatus::kCancelled) {
        err << "mt1d: 已中断，" << summary.cancelled << " 个测点未拟合；用 --resume 继续 (" << (interrupted ? "interrupted" : "stopped")
            << ": " << summary.cancelled << " sites not fitted; run again with --resume to fit them)\n";
    }
    return summary.AllOk() ? kSuccess : kRunFailed;
}

}  // namespace

Subcommand AddBatchCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "batch",
        "Fits every sounding of a survey, one per worker on every core, into an output folder:\n"
        "DIR/<site>.json per sounding (what mt1d fit --format json prints for it, or with\n"
        "--method sample what mt1d sample --format json prints), and\n"
        "DIR/summary.csv with one row per sounding in input order: site, file, latitude,\n"
        "longitude, elevation, mode, method, rms, iterations, target_reached,\n"
        "depth_of_investigation_m, status (ok, or why not). Files are written whole or not at\n"
        "all. A sounding that fails is recorded and the others go on.");
    auto values = std::make_shared<BatchCommandValues>();
    values->command = command;
    command
        ->add_option("INPUT", values->inputs,
                     "Sounding files and folders. A folder stands for its files ending in .edi,\n"
                     ".xml, .j, .avg, .dat, .csv or .txt (not its subfolders), sorted by name; each file's format\n"
                     "is recognised from its content. <site> is the file's name without its\n"
                     "extension, with -2, -3, ... for later files of the same name.")
        ->type_name("");
    values->outOption = command->add_option("--out", values->out, "The output folder (made when missing).")
                            ->type_name("DIR")
                            ->required();
    AddDataOptions(*command, values->data);
    AddFitOptions(*command, values->fit);
    CLI::Option* method = command->get_option("--method");
    method->description(method->get_description() +
                        "\nsample: the posterior of layered models with the number of layers unknown,\n"
                        "as mt1d sample prints it (takes --samples ... --max-rho and --seed; not the\n"
                        "options that steer a fit).");
    AddSampleOptions(*command, values->sample, SampleSeedOption::kShared);
    values->jobsOption =
        command
            ->add_option("-j,--jobs", values->jobs,
                         "Workers fitting at once, 1 to " + std::to_string(kMaxJobs) +
                             ". Default: one per core. The files do not\ndepend on it.")
            ->type_name("N");
    values->shardOption =
        command
            ->add_option("--shard", values->shard,
                         "Fits only the I-th of N slices of the input (in input order, sizes differing\n"
                         "by at most one); join the shards' folders with --merge.")
            ->type_name("I/N");
    values->resumeOption = command->add_flag(
        "--resume", values->resume,
        "Skips soundings whose DIR/<site>.json exists, reads back and was made from the same\n"
        "file with the same method; the summary still lists them.");
    values->mergeOption =
        command
            ->add_option("--merge", values->merge,
                         "Joins the output folders of shards into --out, as one run would have\n"
                         "written it (no INPUT and no fit options then).")
            ->type_name("DIR...");
    command->footer(
        "Layered fits are seeded per site from --seed and the site's name, so that the results\n"
        "do not depend on -j, on the shards or on the order the fits finish in; each file\n"
        "records its site's seed. So are the chains of --method sample.\n"
        "For --method sample the summary's rms is the best RMS of any model sampled, iterations\n"
        "the samples kept, target_reached whether both R-hats are below 1.1, and status ok, or\n"
        "not-converged and the run's warnings. Each site's chains run on its worker's thread.\n"
        "Standard error shows the progress when it is a terminal (sites done, rate, time\n"
        "left), otherwise one line per failed sounding. Ctrl-C or SIGTERM stops the run: fits\n"
        "in flight are dropped, no file is left half-written, the summary lists them as\n"
        "cancelled, and --resume fits what is missing.\n"
        "Exit status: 0 when every sounding reached its goal, 1 when some did not (or the run\n"
        "was stopped), 2 for arguments that cannot be used or an --out folder another run\n"
        "is writing into (nothing is written then).\n"
        "\n"
        "Examples:\n"
        "  mt1d batch survey/ --out fits --floor 5 -j 2\n"
        "  mt1d batch survey/ --out posteriors --method sample --samples 200000 --seed 7\n"
        "  mt1d batch survey/ --out part1 --shard 1/3      # and 2/3, 3/3 elsewhere\n"
        "  mt1d batch --merge part1 part2 part3 --out fits");
    return {command, [values](std::ostream& out, std::ostream& err) { return RunBatchCommand(*values, out, err); }};
}

}  // namespace mt1d::cli
