#pragma once
// One chain of a run from start to end: its temperature ladder (a single chain without
// tempering), burn-in with adapting widths, then the kept samples, tallied as it goes. Runs
// on whatever thread calls it; reports to the supervising thread through ChainLive, whose
// members it stores every kPublishSteps steps, and stops early when asked.

#include "sampling/ChainSeed.h"
#include "sampling/Convergence.h"
#include "sampling/ModelMisfit.h"
#include "sampling/ModelState.h"
#include "sampling/Moves.h"
#include "sampling/PosteriorGrid.h"
#include "sampling/Prior.h"
#include "sampling/ProposalWidths.h"
#include "sampling/SamplingResult.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace mt1d::sampling {

// Steps between the chain's reports and its checks for a stop: a few milliseconds of work
// at the most.
inline constexpr std::uint64_t kPublishSteps = 256;

struct ChainPlan {
    Prior prior;
    std::uint64_t seed = 1;  // the user's seed
    std::size_t index = 0;   // of the chain in the run
    std::uint64_t burnIn = 0;
    std::uint64_t samples = 0;
    std::vector<double> temperatures{1.0};  // the ladder, the first 1
    std::size_t swapInterval = 10;
    std::size_t traceStride = 1;
    std::size_t dataCount = 0;  // for the RMS of the trace
    // The kept samples recorded for the effective sample size: every essStride-th, with the
    // log10 ρ at each of these log10 depths (m).
    std::size_t essStride = 1;
    std::vector<double> essLog10Depths;
    // Static shifts: the design of the misfit's factors and the unknowns' start.
    std::optional<fitting::ShiftDesign> shift;
    std::vector<double> startShifts;
};

// What the supervising thread reads while the chain runs.
struct ChainLive {
    std::atomic<std::uint64_t> steps{0};
    std::atomic<std::uint64_t> proposed{0};  // at temperature 1, burn-in included
    std::atomic<std::uint64_t> accepted{0};
    std::atomic<double> chi2{0.0};           // of the current model at temperature 1
    std::atomic<bool> burningIn{true};
};

struct ChainOutcome {
    explicit ChainOutcome(const PosteriorGrid& grid, std::size_t maxInterfaces) : tally(grid, maxInterfaces) {}

    PosteriorTally tally;
    std::optional<ShiftTally> shifts;  // with a shift design
    MoveCounts counts;  // at temperature 1 after burn-in, swaps included
    // The first and second half of the kept samples, for split R-hat.
    std::array<RunningMoments, 2> misfit, layers;
    ChainTrace trace;
    // Every essStride-th kept sample: the misfit χ², the number of layers, and log10 ρ at
    // each of the plan's essLog10Depths, one series each in that order.
    std::vector<std::vector<double>> essSeries;
    earth::LayeredModel best;
    double bestChi2 = 0.0;
    std::uint64_t steps = 0;  // burn-in included
    bool finished = false;    // ran every step
    ProposalWidths widths;    // at temperature 1, as burn-in left them
};

// `stop` is polled every kPublishSteps steps; when it returns true the chain ends there.
ChainOutcome RunChain(const ChainPlan& plan, const PosteriorGrid& grid, const MisfitFactory& factory,
                      ChainLive& live, const std::function<bool()>& stop);

// The ladder 1 = T_0 < … < T_{n−1} = maxTemperature, evenly spaced in log (n = 1: {1}).
std::vector<double> TemperatureLadder(std::size_t temperatures, double maxTemperature);

}  // namespace mt1d::sampling
