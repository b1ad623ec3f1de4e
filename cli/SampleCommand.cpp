// mt1d sample: the posterior of layered models given a measured sounding, by
// trans-dimensional Markov chain Monte Carlo (sampling/Sampler.h).

#include "cli/CommonOptions.h"
#include "cli/DataOptions.h"
#include "cli/FitOptions.h"
#include "report/Formatting.h"
#include "report/SampleCsv.h"
#include "report/SampleJson.h"
#include "cli/SampleOptions.h"
#include "sampling/Sampler.h"
#include "cli/Subcommand.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

namespace mt1d::cli {

namespace {

// The exit status after Ctrl-C, as shells report a program ended by SIGINT (128 + 2).
constexpr int kInterrupted = 130;
// How often the progress line is redrawn at most.
constexpr std::chrono::milliseconds kProgressRedraw{200};

enum class SampleFormat { kJson, kCsv, kCsvDensity };

SampleFormat ParseSampleFormat(const std::string& text)
{
    return static_cast<SampleFormat>(ParseChoice("--format", text, {"json", "csv", "csv-density"}));
}

// Set by the SIGINT handler, read by the sampler as its cancel flag. A signal handler can only
// reach state of static storage; a lock-free atomic is safe to store to from one.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int) { interrupted.store(true); }

// While it lives, Ctrl-C asks the run to stop instead of ending the program; a second Ctrl-C
// ends it at once (the handler resets itself). The previous handler comes back afterwards.
class InterruptGuard {
public:
    InterruptGuard()
    {
        interrupted.store(false);
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        installed_ = sigaction(SIGINT, &action, &previous_) == 0;
    }
    ~InterruptGuard()
    {
        if (installed_) sigaction(SIGINT, &previous_, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction previous_ {};
    bool installed_ = false;
};

// Whether `err` is the program's standard error and that is a terminal: only then is a
// progress line drawn (never into a file or a pipe, nor into a test's stream).
bool IsTerminal(const std::ostream& err) { return &err == &std::cerr && ::isatty(STDERR_FILENO) == 1; }

// One line on the terminal, redrawn in place ("\r", then blanks over what is left of the
// longer line before) and finished with a line break.
class ProgressLine {
public:
    explicit ProgressLine(std::ostream& err) : err_(err) {}
    ~ProgressLine() { Finish(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Show(const sampling::SamplingProgress& p)
    {
        const auto now = std::chrono::steady_clock::now();
        if (drawn_ && now - last_ < kProgressRedraw && p.stepsDone < p.stepsTotal) return;
        last_ = now;
        const double percent = p.stepsTotal == 0 ? 100.0 : 100.0 * static_cast<double>(p.stepsDone) /
                                                                 static_cast<double>(p.stepsTotal);
        char text[160];
        std::snprintf(text, sizeof text, "mt1d: sampling %5.1f %%%s, acceptance %.2f, RMS %.3f", percent,
                      p.burningIn ? " (burn-in)" : "", p.acceptance, p.rms);
        std::string line = text;
        const std::size_t width = line.size();
        if (width < width_) line.append(width_ - width, ' ');
        width_ = width;
        err_ << '\r' << line << std::flush;
        drawn_ = true;
    }

    void Finish()
    {
        if (drawn_) err_ << '\n' << std::flush;
        drawn_ = false;
    }

private:
    std::ostream& err_;
    std::chrono::steady_clock::time_point last_{};
    std::size_t width_ = 0;
    bool drawn_ = false;
};

struct SampleCommandValues {
    DataOptionValues data;
    SampleOptionValues sample;
    FitOptionValues shift;  // the static-shift options alone
    std::string format;
};

int RunSampleCommand(const SampleCommandValues& values, std::ostream& out, std::ostream& err)
{
    // Every option is checked before the file is read, the file before anything is sampled.
    const DataRequest dataRequest = ParseDataOptions(values.data);
    sampling::SamplingOptions options = ParseSampleOptions(values.sample);
    options.shift = ParseShiftOptionsOnly(values.shift);
    const SampleFormat format = ParseSampleFormat(values.format);
    const jobs::LoadedCurve loaded = LoadCurve(dataRequest);

    const InterruptGuard guard;
    ProgressLine progress(err);
    sampling::SamplingControl control;
    control.cancel = &interrupted;
    if (IsTerminal(err)) control.progress = [&progress](const sampling::SamplingProgress& p) { progress.Show(p); };
    const jobs::SampleRecord record = RunSample(loaded, options, control);
    progress.Finish();

    // Nothing of an interrupted run is written: a file that holds output holds all of it.
    if (record.result.status == sampling::SamplingStatus::kCancelled) {
        err << "mt1d: 采样已中断，未输出结果 (sampling interrupted; nothing was written: " << record.result.message
            << ")\n";
        return kInterrupted;
    }
    std::string text;
    switch (format) {
    case SampleFormat::kJson: text = report::SampleJsonText(record); break;
    case SampleFormat::kCsv: text = report::SampleProfileCsv(record); break;
    case SampleFormat::kCsvDensity: text = report::SampleDensityCsv(record); break;
    }
    out << text;
    for (const std::string& warning : report::SampleWarnings(record.result)) err << "mt1d: warning: " << warning << "\n";
    return kSuccess;
}

}  // namespace

Subcommand AddSampleCommand(CLI::App& mt1d)
{
    CLI::App* command = mt1d.add_subcommand(
        "sample",
        "Samples the layered models that fit a measured sounding (its curve as mt1d data prints\n"
        "it, the usable rows; log10 apparent resistivity and the impedance phase, each weighted\n"
        "by its error) with the number of layers itself unknown: reversible-jump Markov chain\n"
        "Monte Carlo. Prints the posterior against depth: the density of log10 resistivity,\n"
        "its P10, P50, P90 and mean, the probability of an interface, the probability of each\n"
        "number of layers, and how far to trust them (acceptance rates, R-hat).");
    auto values = std::make_shared<SampleCommandValues>();
    AddSoundingFile(*command, values->data);
    AddDataOptions(*command, values->data);
    AddSampleOptions(*command, values->sample);
    AddShiftOptions(*command, values->shift);
    values->format = "json";
    command
        ->add_option("--format", values->format,
                     "json (default): everything, with the options used and the site: depth_m,\n"
                     "log10_rho_grid, density (one row per depth, summing to 1), p10, p50, p90,\n"
                     "mean (log10 ohm-m), interface_probability, layer_count ({layers,\n"
                     "probability}), acceptance (rate per move), rhat ({misfit, layer_count}; null\n"
                     "where not finite), ess (effective sample sizes of the misfit, the layer count\n"
                     "and log10 rho at three depths: per chain, combined and per second), samples,\n"
                     "seed, warnings, best_model.\n"
                     "csv: one row per depth, depth_m,p10,p50,p90,mean,interface_probability.\n"
                     "csv-density: the density in long form, depth_m,log10_rho,probability, one row\n"
                     "per depth and resistivity bin (each depth's probabilities sum to 1).")
        ->type_name("F");
    command->footer(
        "A progress line is drawn on standard error when it is a terminal. Ctrl-C stops the run:\n"
        "nothing is written on standard output and mt1d exits with status 130.\n"
        "\n"
        "Convergence: when R-hat of the misfit or the layer count is 1.1 or more, or not finite\n"
        "(too few samples per chain, or chains stuck apart), the result is still printed, with a\n"
        "warning on standard error and in \"warnings\", and mt1d exits with status 0: run longer\n"
        "(--samples) or with --temperatures 3. Judge it by \"rhat\"; judge a run's speed by\n"
        "\"ess\" (how many independent draws the samples are worth, and per second). Two runs\n"
        "of one seed print the same but for ess.seconds and the per_second values.\n"
        "\n"
        "Examples:\n"
        "  mt1d sample site.edi --samples 200000 --seed 7 > site.sample.json\n"
        "  mt1d sample aushield.dat --columns period,log10rho,log10rho_err,phase,phase_err \\\n"
        "      --floor 0 --format csv");
    return {command, [values](std::ostream& out, std::ostream& err) { return RunSampleCommand(*values, out, err); }};
}

}  // namespace mt1d::cli
