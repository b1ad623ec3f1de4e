#include "sampling/ChainRun.h"

#include "sampling/Chain.h"
#include "fitting/Misfit.h"
#include "fitting/SeededRandom.h"

#include <cmath>
#include <memory>

namespace mt1d::sampling {

std::vector<double> TemperatureLadder(std::size_t temperatures, double maxTemperature)
{
    std::vector<double> ladder{1.0};
    for (std::size_t i = 1; i < temperatures; ++i) {
        ladder.push_back(std::pow(maxTemperature, static_cast<double>(i) / static_cast<double>(temperatures - 1)));
    }
    return ladder;
}

namespace {

// Proposes an exchange of models between a random pair of neighbouring rungs. With models
// m_a at T_a and m_b at T_b, the joint target changes by
//     A = exp(−χ²_b/(2T_a) − χ²_a/(2T_b)) / exp(−χ²_a/(2T_a) − χ²_b/(2T_b))
//       = exp((χ²_a − χ²_b) · (1/T_a − 1/T_b) / 2),
// the priors cancelling (each model keeps its prior wherever it goes) and the proposal being
// symmetric. Returns the lower rung of the pair and whether the exchange was made.
std::pair<std::size_t, bool> ProposeSwap(std::vector<std::unique_ptr<Chain>>& rungs, fitting::SeededRandom& random)
{
    const std::size_t pairs = rungs.size() - 1;
    const auto i = std::min(static_cast<std::size_t>(random.Uniform() * static_cast<double>(pairs)), pairs - 1);
    Chain& a = *rungs[i];
    Chain& b = *rungs[i + 1];
    const double logA = 0.5 * (a.ChiSquare() - b.ChiSquare()) * (1.0 / a.Temperature() - 1.0 / b.Temperature());
    if (logA >= 0.0 || random.Uniform() < std::exp(logA)) {
        a.SwapModel(b);
        return {i, true};
    }
    return {i, false};
}

}  // namespace

ChainOutcome RunChain(const ChainPlan& plan, const PosteriorGrid& grid, const MisfitFactory& factory,
                      ChainLive& live, const std::function<bool()>& stop)
{
    ChainOutcome out(grid, plan.prior.maxInterfaces);
    const std::size_t rungCount = plan.temperatures.size();
    std::vector<std::unique_ptr<ModelMisfit>> misfits;
    std::vector<std::unique_ptr<Chain>> rungs;
    for (std::size_t r = 0; r < rungCount; ++r) {
        misfits.push_back(factory());
        rungs.push_back(std::make_unique<Chain>(plan.prior, *misfits.back(), ChainSeed(plan.seed, plan.index, r),
                                                plan.temperatures[r], plan.startShifts));
    }
    if (plan.shift) out.shifts.emplace(*plan.shift);
    fitting::SeededRandom swapRandom(ChainSeed(plan.seed, plan.index, rungCount));
    Chain& cold = *rungs.front();
    const auto rms = [&](double chi2) { return plan.dataCount == 0 ? 0.0 : fitting::Rms(chi2, plan.dataCount); };

    out.best = cold.State().ToLayeredModel();
    out.bestChi2 = cold.ChiSquare();
    out.trace.stride = plan.traceStride;
    const auto record = [&](std::uint64_t stepsDone) {
        out.trace.rms.push_back(rms(cold.ChiSquare()));
        out.trace.layers.push_back(cold.State().Layers());
        if (stepsDone <= plan.burnIn) out.trace.burnInPoints++;
    };
    record(0);
    out.essSeries.resize(2 + plan.essLog10Depths.size());
    for (auto& series : out.essSeries) series.reserve(plan.samples / plan.essStride + 1);
    const auto recordEss = [&] {
        const ModelState& model = cold.State();
        out.essSeries[0].push_back(cold.ChiSquare());
        out.essSeries[1].push_back(static_cast<double>(model.Layers()));
        for (std::size_t d = 0; d < plan.essLog10Depths.size(); ++d) {
            out.essSeries[2 + d].push_back(model.Log10Rhos()[model.LayerAt(plan.essLog10Depths[d])]);
        }
    };

    const std::uint64_t total = plan.burnIn + plan.samples;
    const std::uint64_t firstHalf = plan.samples / 2;
    ModelState pending = cold.State();  // the kept model not yet tallied, and for how many samples
    std::vector<double> pendingShifts(cold.Shifts().begin(), cold.Shifts().end());
    std::uint64_t held = 0;
    const auto tallyPending = [&] {
        out.tally.Add(pending, held);
        if (out.shifts) out.shifts->Add(pendingShifts, held);
    };
    const auto holdCurrent = [&] {
        pending = cold.State();
        pendingShifts.assign(cold.Shifts().begin(), cold.Shifts().end());
    };
    std::uint64_t proposed = 0, accepted = 0;
    MoveCount swaps;
    std::uint64_t step = 0;
    const auto publish = [&] {
        live.steps.store(step, std::memory_order_relaxed);
        live.proposed.store(proposed, std::memory_order_relaxed);
        live.accepted.store(accepted, std::memory_order_relaxed);
        live.chi2.store(cold.ChiSquare(), std::memory_order_relaxed);
        live.burningIn.store(step < plan.burnIn, std::memory_order_relaxed);
    };

    for (; step < total; ++step) {
        const bool keeping = step >= plan.burnIn;
        if (step == plan.burnIn) {
            for (auto& c : rungs) c->ResetCounts();
            out.widths = cold.Widths();
            holdCurrent();
            held = 0;
        }
        bool changed = false;
        for (std::size_t r = 0; r < rungCount; ++r) {
            const StepOutcome o = rungs[r]->Step(!keeping);
            if (r == 0) {
                changed = o.accepted;
                ++proposed;
                accepted += o.accepted ? 1 : 0;
            }
        }
        if (rungCount > 1 && (step + 1) % plan.swapInterval == 0) {
            const auto [lower, swapped] = ProposeSwap(rungs, swapRandom);
            if (lower == 0 && swapped) changed = true;
            if (keeping) {
                swaps.proposed++;
                swaps.accepted += swapped ? 1 : 0;
            }
        }
        if (changed && cold.ChiSquare() < out.bestChi2) {
            out.bestChi2 = cold.ChiSquare();
            out.best = cold.State().ToLayeredModel();
        }
        if (keeping) {
            if (changed) {
                tallyPending();
                holdCurrent();
                held = 1;
            } else {
                ++held;
            }
            const std::size_t half = step - plan.burnIn < firstHalf ? 0 : 1;
            out.misfit[half].Add(cold.ChiSquare());
            out.layers[half].Add(static_cast<double>(cold.State().Layers()));
            if ((step - plan.burnIn) % plan.essStride == 0) recordEss();
        }
        if ((step + 1) % plan.traceStride == 0) record(step + 1);
        if ((step + 1) % kPublishSteps == 0) {
            publish();
            if (stop()) {
                ++step;
                break;
            }
        }
    }
    if (step > plan.burnIn) tallyPending();
    out.steps = step;
    out.finished = step == total;
    if (step <= plan.burnIn) out.widths = cold.Widths();
    out.counts = step > plan.burnIn ? cold.Counts() : MoveCounts{};
    out.counts[Move::kSwap] = swaps;
    publish();
    return out;
}

}  // namespace mt1d::sampling
