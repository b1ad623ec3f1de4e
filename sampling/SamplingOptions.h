#pragma once
// How a sampling run is set up, and the hooks of whoever runs it.

#include "fitting/StaticShift.h"
#include "sampling/PosteriorGrid.h"
#include "sampling/Prior.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace mt1d::sampling {

struct TemperingOptions {
    // Chains per ladder: 1 runs plain chains; n > 1 gives each chain n − 1 hotter companions at
    // temperatures spaced evenly in log from 1 to maxTemperature, which exchange models with
    // their neighbours. Only the chain at temperature 1 gives samples.
    std::size_t temperatures = 1;  // at most kMaxTemperatures (Sampler.h)
    double maxTemperature = 10.0;  // finite, at least 1
    std::size_t swapInterval = 10; // steps between exchange proposals, at least 1
};

struct SamplingOptions {
    PriorOptions prior;
    // Static shifts (fitting/StaticShift.h): free factors are unknowns of the chains, with the
    // Gaussian prior of priorSd in log10 s and the bound ±kMaxAbsLog10Shift; given factors
    // are applied as they are.
    fitting::ShiftOptions shift;
    // Samples kept after burn-in, over all chains together; chain c keeps samples/chains
    // (the first samples % chains chains one more).
    std::uint64_t samples = 1'000'000;
    // Steps per chain before samples are kept; the proposal widths adapt only during them.
    std::uint64_t burnIn = 20'000;
    std::size_t chains = 0;   // 0: one per core of this machine; at most kMaxChains
    // Worker threads; 0: one per core. The threads change only how long a run takes: the
    // chains' results depend on the seed and the number of chains alone.
    std::size_t threads = 0;
    std::uint64_t seed = 1;
    TemperingOptions tempering;
    // At least 2 each, at most kMaxGridCells (Sampler.h) together.
    std::size_t depthCells = kDefaultDepthCells;
    std::size_t rhoBins = kDefaultRhoBins;
    // Points of each chain's misfit trace (burn-in included); the trace records every
    // ceil(steps/tracePoints)-th step. At least 1.
    std::size_t tracePoints = 1000;
};

// What the progress hook is told.
struct SamplingProgress {
    std::uint64_t stepsDone = 0;   // over all chains, burn-in included
    std::uint64_t stepsTotal = 0;
    bool burningIn = false;        // some chain is still in its burn-in
    double acceptance = 0.0;       // of every proposal so far at temperature 1
    double rms = 0.0;              // the lowest current RMS of the chains
    std::vector<double> chainRms;  // current RMS of each chain
};

struct SamplingControl {
    // Called on the thread that runs the sampler, at least every kProgressInterval while it
    // runs and once at the end. May be empty.
    std::function<void(const SamplingProgress&)> progress;
    // When set and true, the run stops within kProgressInterval. May be null.
    const std::atomic<bool>* cancel = nullptr;
};

}  // namespace mt1d::sampling
