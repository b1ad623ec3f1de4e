#pragma once
// Trans-dimensional Bayesian sampling of a sounding: reversible-jump Markov chain Monte Carlo
// over layered models whose number of layers is itself unknown (Chain.h), several chains at
// once on worker threads, the posterior tallied on a depth × resistivity grid
// (SamplingResult.h).
//
// Reproducible: every chain draws from its own generator seeded from the user's seed and the
// chain's index (ChainSeed.h), chains never share state, and their tallies are added in chain
// order, so one seed and one number of chains give the same result, to the bit, whatever the
// number of threads or their timing (only a cancelled run depends on when it was stopped).
//
// Usage:
//     SamplingOptions options;
//     options.samples = 200'000;
//     const SamplingResult r = Sample(fitData, options);
//     if (r.status == SamplingStatus::kInvalidInput) show(r.message);
//     draw(r.depthM, r.log10RhoGrid, r.density, r.p10, r.p50, r.p90);

#include "fitting/FitData.h"
#include "sampling/ModelMisfit.h"
#include "sampling/SamplingOptions.h"
#include "sampling/SamplingResult.h"

#include <chrono>
#include <cstddef>

namespace mt1d::sampling {

// How often the calling thread wakes to report progress and pass on a cancellation.
inline constexpr std::chrono::milliseconds kProgressInterval{25};
// Limits that keep a run's memory bounded (each chain tallies kFineBins × depthCells × rhoBins
// counts of 8 bytes: 1.3 MB on the default grid, 26 MB at the largest).
inline constexpr std::size_t kMaxChains = 256;
inline constexpr std::size_t kMaxTemperatures = 64;
inline constexpr std::size_t kMaxGridCells = 200'000;  // depthCells × rhoBins

// Samples the posterior of `data` (the likelihood exp(−χ²/2) of ModelMisfit.h). Never throws
// for bad input: the result then has status kInvalidInput and a message.
SamplingResult Sample(const fitting::FitData& data, const SamplingOptions& options,
                      const SamplingControl& control = {});

// The same machinery for any misfit: `prior` is taken as given (options.prior is not used),
// `dataCount` (the N of RMS = sqrt(χ²/N)) may be 0. What tests use to sample a known target,
// or the prior alone with a misfit that is always 0. Exceptions from the misfit are passed
// on after every worker has stopped.
SamplingResult SampleModels(const MisfitFactory& factory, const Prior& prior, std::size_t dataCount,
                            const SamplingOptions& options, const SamplingControl& control = {});

// The number of chains and threads a run of `options` uses on this machine.
std::size_t ResolvedChains(const SamplingOptions& options);
std::size_t ResolvedThreads(const SamplingOptions& options);

}  // namespace mt1d::sampling
