#pragma once
// What a sampling run gives: the posterior on a depth × resistivity grid and the figures
// that say how far to trust it. Each member is one key of the command line's JSON output
// (depthM → "depth_m", log10RhoGrid → "log10_rho_grid", density, p10, p50, p90, mean,
// interfaceProbability → "interface_probability", layerCount → "layer_count" [{layers,
// probability}], acceptance → {move: rate}, rhat → {misfit, layer_count}, ess, samples, seed),
// and the window draws the density image, percentiles, interface probability, layer-count
// histogram and misfit traces from the same members.

#include "numerics/LayeredEarth.h"
#include "sampling/Moves.h"
#include "sampling/Prior.h"
#include "sampling/ProposalWidths.h"
#include "sampling/ShiftPosterior.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::sampling {

enum class SamplingStatus {
    kCompleted,     // every chain ran its burn-in and kept its samples
    kCancelled,     // the caller asked to stop; the figures hold the samples kept until then
    kInvalidInput,  // the data or the options were refused; nothing was sampled
};

// "completed", "cancelled", "invalid-input".
std::string_view ToString(SamplingStatus status);

struct LayerCountProbability {
    std::size_t layers = 0;  // the half-space counted: interfaces + 1
    double probability = 0.0;
};

struct MoveAcceptance {
    Move move = Move::kBirth;
    std::uint64_t proposed = 0;
    std::uint64_t accepted = 0;
    double rate = 0.0;  // accepted/proposed; 0 when never proposed
};

// Split R-hat (Convergence.h) of the misfit χ² and of the number of layers over the kept
// samples of every chain; NaN when there are too few samples (a run cancelled early), +∞ when
// chains are stuck at different values. Writers of formats without NaN and infinity (JSON)
// must say how they write these.
struct Rhat {
    double misfit = 0.0;
    double layerCount = 0.0;
};

// The effective sample size (EffectiveSampleSize.h) of one quantity: of each chain that ran,
// in chain order, and of the chains together; NaN where too few samples were kept.
struct EssFigure {
    std::vector<double> chains;
    double combined = 0.0;
};

// How many independent draws the kept samples are worth, for the misfit χ², the number of
// layers and log10 ρ at a few depths (the quarter points of the prior's log-depth range), and
// the wall-clock time the chains took, for ESS per second. Chains that keep more than
// kEssPoints samples are thinned to every `stride`-th for it, which can only lower the figure
// (it stays close while the ESS is well below kEssPoints per chain).
inline constexpr std::uint64_t kEssPoints = 65'536;
struct Ess {
    EssFigure misfit;
    EssFigure layerCount;
    std::vector<double> depthM;
    std::vector<EssFigure> log10Rho;  // one per depth
    std::uint64_t stride = 1;
    double seconds = 0.0;
};

// One chain's misfit and layer count every `stride` steps, burn-in included: point i is the
// model after i·stride steps (point 0 the start). The first `burnInPoints` points lie within
// burn-in.
struct ChainTrace {
    std::size_t stride = 1;
    std::size_t burnInPoints = 0;
    std::vector<double> rms;
    std::vector<std::size_t> layers;
};

struct SamplingResult {
    SamplingStatus status = SamplingStatus::kInvalidInput;
    std::string message;

    // The grid. Depth cells are evenly spaced in log10 depth over the prior's depth range;
    // depthM holds their centres (geometric means of the edges), depthEdgesM their edges
    // (one more). log10RhoGrid holds the centres of the resistivity bins (log10 Ω·m).
    std::vector<double> depthM;
    std::vector<double> depthEdgesM;
    std::vector<double> log10RhoGrid;

    // The posterior, empty when no sample was kept (a run cancelled during burn-in):
    // density is row-major, one row per depth cell, each row the probabilities over
    // log10RhoGrid of the resistivity at the cell's centre (summing to 1).
    std::vector<double> density;
    // Percentiles and mean of log10 ρ at each depth centre. The percentiles are read off a
    // cumulative histogram kFineBins times finer than the image, linear within each of its
    // bins (good to a fine bin width); the mean is exact.
    std::vector<double> p10, p50, p90, mean;
    // Probability that at least one interface lies in each depth cell.
    std::vector<double> interfaceProbability;
    // Every layer count from 1 to maxInterfaces + 1, zeros included.
    std::vector<LayerCountProbability> layerCount;

    // Of the chains at temperature 1 after burn-in: birth, death, move, change, and swap when
    // tempering ran.
    std::vector<MoveAcceptance> acceptance;
    Rhat rhat;
    Ess ess;
    std::vector<ChainTrace> traces;  // one per chain that ran (a cancelled run may not start all)
    // The proposal widths the temperature-1 member of each chain that ran settled on in burn-in.
    std::vector<ProposalWidths> widths;

    std::uint64_t samples = 0;  // samples kept over all chains
    std::uint64_t seed = 0;
    std::size_t chains = 0;
    std::uint64_t burnIn = 0;   // per chain
    std::size_t temperatures = 1;
    std::size_t dataCount = 0;  // fitted values, for RMS = sqrt(χ²/N)
    Prior prior;                // the bounds the run used
    double depthOfInvestigationM = 0.0;  // of the data (Niblett–Bostick), 0 without data

    // With static shifts (SamplingOptions::shift), the posterior of each curve's factor.
    std::optional<ShiftPosterior> staticShift;

    // The model with the lowest misfit any chain at temperature 1 visited.
    earth::LayeredModel bestModel;
    double bestRms = 0.0;

    std::span<const double> DensityRow(std::size_t cell) const
    {
        const std::size_t bins = log10RhoGrid.size();
        return std::span<const double>(density).subspan(cell * bins, bins);
    }
    // The most probable number of layers (the smaller on a tie); 0 without samples.
    std::size_t LayerCountMode() const;
};

}  // namespace mt1d::sampling
