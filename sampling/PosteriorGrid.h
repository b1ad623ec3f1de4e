#pragma once
// Where the posterior is tallied: a grid of depth cells (evenly spaced in log10 depth over
// the prior's depth range) by resistivity bins (evenly spaced in log10 ρ over the prior's
// resistivity range), and the counts a chain adds to it.
//
// For each recorded model and each depth cell the tally notes
// - the fine resistivity bin of the layer at the cell's centre: kFineBins of them to each
//   bin of the density image, so that percentiles are read to a small fraction of a bin
//   while the image keeps a size that draws and writes quickly,
// - that layer's log10 ρ, summed (the mean),
// - whether at least one interface lies in the cell [top edge, bottom edge) (the interface
//   probability; the deepest cell also takes the bottom edge);
// and for the model as a whole its number of layers. Every count is weighted by how many
// samples the model stood for, so a chain adds a model once when it leaves it rather than at
// every step it stays.

#include "sampling/ModelState.h"
#include "sampling/Prior.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mt1d::sampling {

inline constexpr std::size_t kDefaultDepthCells = 100;
inline constexpr std::size_t kDefaultRhoBins = 100;
// Fine bins per image bin for the percentiles: 100 bins over 6 decades become 0.004 decades.
inline constexpr std::size_t kFineBins = 16;

class PosteriorGrid {
public:
    PosteriorGrid(const Prior& prior, std::size_t depthCells, std::size_t rhoBins);

    std::size_t DepthCells() const { return depthCells_; }
    std::size_t RhoBins() const { return rhoBins_; }
    double DepthStep() const { return depthStep_; }  // decades per cell
    double RhoStep() const { return rhoStep_; }      // decades per bin
    std::size_t FineBins() const { return rhoBins_ * kFineBins; }
    double FineStep() const { return rhoStep_ / static_cast<double>(kFineBins); }
    double MinLog10Depth() const { return minDepth_; }
    double MinLog10Rho() const { return minRho_; }

    // log10 of the centre of depth cell r (the geometric mean of its edges).
    double CellCentre(std::size_t r) const;
    // The centre of resistivity bin b, log10 Ω·m.
    double BinCentre(std::size_t b) const;
    // The cell holding log10 depth u; values outside the grid go to the nearest end cell.
    std::size_t CellOf(double log10Depth) const;
    // The fine bin holding log10 ρ v; values outside go to the nearest end bin. Fine bin f
    // lies in image bin f / kFineBins.
    std::size_t FineBinOf(double log10Rho) const;

private:
    std::size_t depthCells_, rhoBins_;
    double minDepth_, depthStep_, minRho_, rhoStep_;
};

class PosteriorTally {
public:
    PosteriorTally(const PosteriorGrid& grid, std::size_t maxInterfaces);

    void Add(const ModelState& model, std::uint64_t weight);
    // Adds another chain's tally (same grid and largest interface count).
    void Merge(const PosteriorTally& other);

    std::uint64_t Total() const { return total_; }
    // Row-major, one row of FineBins() per depth cell.
    std::span<const std::uint64_t> FineDensity() const { return density_; }
    std::span<const double> Log10RhoSums() const { return rhoSums_; }
    std::span<const std::uint64_t> InterfaceHits() const { return interfaceHits_; }
    // Indexed by the number of interfaces, 0 to the largest.
    std::span<const std::uint64_t> InterfaceCounts() const { return interfaceCounts_; }

private:
    const PosteriorGrid* grid_;
    std::uint64_t total_ = 0;
    std::vector<std::uint64_t> density_;
    std::vector<double> rhoSums_;
    std::vector<std::uint64_t> interfaceHits_;
    std::vector<std::uint64_t> interfaceCounts_;
};

}  // namespace mt1d::sampling
