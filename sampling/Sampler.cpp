#include "sampling/Sampler.h"

#include "sampling/ChainRun.h"
#include "sampling/EffectiveSampleSize.h"
#include "fitting/Misfit.h"
#include "fitting/NiblettBostick.h"
#include "sampling/PosteriorSummary.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

namespace mt1d::sampling {

namespace {

std::size_t Cores() { return std::max<std::size_t>(1, std::thread::hardware_concurrency()); }

std::string CheckOptions(const SamplingOptions& o, std::size_t chains)
{
    if (o.samples < chains) {
        return "every chain must keep at least one sample: " + std::to_string(o.samples) +
               " samples for " + std::to_string(chains) + " chains";
    }
    if (chains > kMaxChains) {
        return "at most " + std::to_string(kMaxChains) + " chains, not " + std::to_string(chains);
    }
    if (o.depthCells < 2) return "the depth grid needs at least 2 cells";
    if (o.rhoBins < 2) return "the resistivity grid needs at least 2 bins";
    if (o.depthCells > kMaxGridCells / o.rhoBins) {
        return "the grid of " + std::to_string(o.depthCells) + " depth cells by " + std::to_string(o.rhoBins) +
               " resistivity bins exceeds " + std::to_string(kMaxGridCells) + " cells";
    }
    if (o.tracePoints < 1) return "the misfit trace needs at least 1 point";
    const auto& t = o.tempering;
    if (t.temperatures < 1) return "tempering needs at least one temperature (1 switches it off)";
    if (t.temperatures > kMaxTemperatures) {
        return "at most " + std::to_string(kMaxTemperatures) + " temperatures, not " + std::to_string(t.temperatures);
    }
    if (t.temperatures > 1) {
        if (!std::isfinite(t.maxTemperature) || !(t.maxTemperature > 1.0)) {
            std::ostringstream s;
            s << "the highest temperature must be finite and above 1, not " << t.maxTemperature;
            return s.str();
        }
        if (t.swapInterval < 1) return "the steps between exchanges must be at least 1";
    }
    return {};
}

SamplingResult Refused(std::string message)
{
    SamplingResult r;
    r.status = SamplingStatus::kInvalidInput;
    r.message = std::move(message);
    return r;
}

// The figures of the whole run from the chains' outcomes, in chain order.
void Gather(const std::vector<std::optional<ChainOutcome>>& outcomes, const PosteriorGrid& grid,
            std::size_t maxInterfaces, const std::optional<fitting::ShiftDesign>& shift, SamplingResult& result)
{
    PosteriorTally tally(grid, maxInterfaces);
    std::optional<ShiftTally> shifts;
    if (shift) shifts.emplace(*shift);
    MoveCounts counts;
    std::vector<RunningMoments> misfit, layers;
    double bestChi2 = std::numeric_limits<double>::infinity();
    for (const auto& o : outcomes) {
        if (!o) continue;
        tally.Merge(o->tally);
        if (shifts && o->shifts) shifts->Merge(*o->shifts);
        counts.Add(o->counts);
        for (const auto& m : o->misfit) misfit.push_back(m);
        for (const auto& m : o->layers) layers.push_back(m);
        result.traces.push_back(o->trace);
        result.widths.push_back(o->widths);
        if (o->bestChi2 < bestChi2) {
            bestChi2 = o->bestChi2;
            result.bestModel = o->best;
        }
    }
    result.samples = tally.Total();
    result.bestRms = result.dataCount == 0 ? 0.0 : fitting::Rms(bestChi2, result.dataCount);
    Summarise(tally, grid, result);
    if (shifts) result.staticShift = shifts->Summary();
    const bool shiftMoves = shift && shift->Unknowns() > 0;
    for (Move m : {Move::kBirth, Move::kDeath, Move::kMove, Move::kChange, Move::kSwap, Move::kShift}) {
        if (m == Move::kSwap && result.temperatures == 1) continue;
        if (m == Move::kShift && !shiftMoves) continue;
        const MoveCount& c = counts[m];
        result.acceptance.push_back({m, c.proposed, c.accepted, c.Rate()});
    }
    result.rhat = {SplitRhat(misfit), SplitRhat(layers)};

    // The effective sample sizes, series by series over the chains that ran.
    std::vector<EssFigure> figures;
    for (std::size_t s = 0; s < 2 + result.ess.depthM.size(); ++s) {
        std::vector<std::vector<double>> chains;
        for (const auto& o : outcomes) {
            if (o && s < o->essSeries.size()) chains.push_back(o->essSeries[s]);
        }
        ChainsEss ess = EffectiveSampleSizes(chains);
        figures.push_back({std::move(ess.chains), ess.combined});
    }
    result.ess.misfit = figures[0];
    result.ess.layerCount = figures[1];
    result.ess.log10Rho.assign(figures.begin() + 2, figures.end());
}

}  // namespace

std::size_t ResolvedChains(const SamplingOptions& options)
{
    return options.chains == 0 ? Cores() : options.chains;
}

std::size_t ResolvedThreads(const SamplingOptions& options)
{
    const std::size_t threads = options.threads == 0 ? Cores() : options.threads;
    return std::min(threads, ResolvedChains(options));
}

namespace {

SamplingResult Run(const MisfitFactory& factory, const Prior& prior, std::size_t dataCount,
                   const SamplingOptions& options, const SamplingControl& control,
                   const std::optional<fitting::ShiftDesign>& shift, const std::vector<double>& startShifts)
{
    const std::size_t chains = ResolvedChains(options);
    if (std::string error = CheckOptions(options, chains); !error.empty()) return Refused(error);
    if (!factory) return Refused("no misfit to sample");

    SamplingResult result;
    result.seed = options.seed;
    result.chains = chains;
    result.burnIn = options.burnIn;
    result.temperatures = options.tempering.temperatures;
    result.dataCount = dataCount;
    result.prior = prior;
    const PosteriorGrid grid(prior, options.depthCells, options.rhoBins);
    DescribeGrid(grid, result);

    // The depths of the effective sample size, and the thinning that bounds what it keeps.
    std::vector<double> essDepths;
    for (const double quarter : {0.25, 0.5, 0.75}) {
        essDepths.push_back(prior.minLog10Depth + quarter * prior.DepthSpan());
        result.ess.depthM.push_back(std::pow(10.0, essDepths.back()));
    }
    const std::uint64_t perChain = options.samples / chains + 1;
    result.ess.stride = (perChain + kEssPoints - 1) / kEssPoints;

    // The plan of every chain.
    std::vector<ChainPlan> plans(chains);
    const std::vector<double> ladder = TemperatureLadder(options.tempering.temperatures, options.tempering.maxTemperature);
    for (std::size_t c = 0; c < chains; ++c) {
        ChainPlan& p = plans[c];
        p.prior = prior;
        p.seed = options.seed;
        p.index = c;
        p.burnIn = options.burnIn;
        p.samples = options.samples / chains + (c < options.samples % chains ? 1 : 0);
        p.temperatures = ladder;
        p.swapInterval = options.tempering.swapInterval;
        const std::uint64_t steps = p.burnIn + p.samples;
        p.traceStride = static_cast<std::size_t>(std::max<std::uint64_t>(1, (steps + options.tracePoints - 1) / options.tracePoints));
        p.dataCount = dataCount;
        p.essStride = static_cast<std::size_t>(result.ess.stride);
        p.essLog10Depths = essDepths;
        p.shift = shift;
        p.startShifts = startShifts;
    }

    std::vector<ChainLive> live(chains);
    std::vector<std::optional<ChainOutcome>> outcomes(chains);
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> nextChain{0};
    std::mutex mutex;
    std::condition_variable allDone;
    // The workers to start, counted apart from `running`: a worker may finish and count itself
    // off before the last one is started.
    const std::size_t threads = ResolvedThreads(options);
    std::size_t running = threads;
    std::exception_ptr failure;
    const auto stopRequested = [&] { return stop.load(std::memory_order_relaxed) || (control.cancel && control.cancel->load(std::memory_order_relaxed)); };

    SamplingProgress progress;
    progress.chainRms.assign(chains, 0.0);
    for (const auto& p : plans) progress.stepsTotal += p.burnIn + p.samples;
    const auto report = [&] {
        std::uint64_t proposed = 0, accepted = 0;
        progress.stepsDone = 0;
        progress.burningIn = false;
        for (std::size_t c = 0; c < chains; ++c) {
            progress.stepsDone += live[c].steps.load(std::memory_order_relaxed);
            proposed += live[c].proposed.load(std::memory_order_relaxed);
            accepted += live[c].accepted.load(std::memory_order_relaxed);
            progress.burningIn = progress.burningIn || live[c].burningIn.load(std::memory_order_relaxed);
            const double chi2 = live[c].chi2.load(std::memory_order_relaxed);
            progress.chainRms[c] = dataCount == 0 ? 0.0 : fitting::Rms(chi2, dataCount);
        }
        progress.acceptance = proposed == 0 ? 0.0 : static_cast<double>(accepted) / static_cast<double>(proposed);
        progress.rms = *std::min_element(progress.chainRms.begin(), progress.chainRms.end());
        if (control.progress) control.progress(progress);
    };

    const auto started = std::chrono::steady_clock::now();
    {
        std::vector<std::jthread> workers;
        for (std::size_t t = 0; t < threads; ++t) {
            workers.emplace_back([&] {
                try {
                    for (std::size_t c = nextChain++; c < chains && !stopRequested(); c = nextChain++) {
                        outcomes[c].emplace(RunChain(plans[c], grid, factory, live[c], stopRequested));
                    }
                } catch (...) {
                    std::lock_guard lock(mutex);
                    if (!failure) failure = std::current_exception();
                    stop = true;
                }
                std::lock_guard lock(mutex);
                if (--running == 0) allDone.notify_all();
            });
        }
        // Whatever way the calling thread leaves this block (a progress hook that throws
        // included), the chains stop before the workers are joined.
        struct StopOnExit {
            std::atomic<bool>& flag;
            ~StopOnExit() { flag = true; }
        } stopOnExit{stop};
        std::unique_lock lock(mutex);
        while (running > 0) {
            allDone.wait_for(lock, kProgressInterval);
            if (running == 0) break;
            if (control.cancel && control.cancel->load(std::memory_order_relaxed)) stop = true;
            lock.unlock();
            report();
            lock.lock();
        }
    }  // the workers are joined here
    result.ess.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (failure) std::rethrow_exception(failure);
    report();

    bool finished = true;
    for (const auto& o : outcomes) finished = finished && o && o->finished;
    Gather(outcomes, grid, prior.maxInterfaces, shift, result);
    std::ostringstream message;
    if (finished) {
        result.status = SamplingStatus::kCompleted;
        message << "kept " << result.samples << " samples from " << chains << " chain" << (chains == 1 ? "" : "s")
                << " after " << options.burnIn << " burn-in steps each";
    } else {
        result.status = SamplingStatus::kCancelled;
        message << "cancelled after " << progress.stepsDone << " of " << progress.stepsTotal << " steps; ";
        if (result.samples == 0) {
            message << "no samples were kept yet (still in burn-in)";
        } else {
            message << "the figures hold the " << result.samples << " samples kept until then";
        }
    }
    result.message = message.str();
    return result;
}

}  // namespace

SamplingResult SampleModels(const MisfitFactory& factory, const Prior& prior, std::size_t dataCount,
                            const SamplingOptions& options, const SamplingControl& control)
{
    return Run(factory, prior, dataCount, options, control, std::nullopt, {});
}

SamplingResult Sample(const fitting::FitData& data, const SamplingOptions& options, const SamplingControl& control)
{
    if (data.Count() == 0 || data.sigmas.size() != data.Count() || data.kernelRows.size() != data.Count()) {
        return Refused("nothing to sample: no data values");
    }
    const PriorFromData prior = MakePrior(data, options.prior);
    if (!prior.Ok()) return Refused(prior.error);
    std::optional<fitting::ShiftDesign> shift;
    std::vector<double> startShifts;
    if (options.shift.Active()) {
        const fitting::ShiftDesignResult design = fitting::MakeShiftDesign(data, options.shift);
        if (!design.Ok()) return Refused(design.error);
        shift = design.design;
        // The chains start their factors at the high-frequency estimate, where there is one.
        startShifts = fitting::StartingShifts(design.design, fitting::EstimateHalfSpace(data));
    }
    SamplingResult result = Run(DataMisfitFactory(data, shift), prior.prior, data.Count(), options, control, shift,
                                startShifts);
    if (result.status != SamplingStatus::kInvalidInput) {
        result.depthOfInvestigationM = fitting::DepthOfInvestigation(fitting::NiblettBostick(data));
    }
    return result;
}

}  // namespace mt1d::sampling
