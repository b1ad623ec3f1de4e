#include "sampling/PosteriorGrid.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace mt1d::sampling {

namespace {

std::size_t Index(double value, double min, double step, std::size_t count)
{
    const double x = std::floor((value - min) / step);
    if (!(x > 0.0)) return 0;  // also a NaN
    return std::min(static_cast<std::size_t>(x), count - 1);
}

}  // namespace

PosteriorGrid::PosteriorGrid(const Prior& prior, std::size_t depthCells, std::size_t rhoBins)
    : depthCells_(depthCells),
      rhoBins_(rhoBins),
      minDepth_(prior.minLog10Depth),
      depthStep_(prior.DepthSpan() / static_cast<double>(depthCells)),
      minRho_(prior.minLog10Rho),
      rhoStep_(prior.RhoSpan() / static_cast<double>(rhoBins))
{
    if (depthCells == 0 || rhoBins == 0) throw std::invalid_argument("a posterior grid needs cells and bins");
}

double PosteriorGrid::CellCentre(std::size_t r) const
{
    return minDepth_ + (static_cast<double>(r) + 0.5) * depthStep_;
}

double PosteriorGrid::BinCentre(std::size_t b) const
{
    return minRho_ + (static_cast<double>(b) + 0.5) * rhoStep_;
}

std::size_t PosteriorGrid::CellOf(double log10Depth) const
{
    return Index(log10Depth, minDepth_, depthStep_, depthCells_);
}

std::size_t PosteriorGrid::FineBinOf(double log10Rho) const
{
    return Index(log10Rho, minRho_, FineStep(), FineBins());
}

PosteriorTally::PosteriorTally(const PosteriorGrid& grid, std::size_t maxInterfaces)
    : grid_(&grid),
      density_(grid.DepthCells() * grid.FineBins(), 0),
      rhoSums_(grid.DepthCells(), 0.0),
      interfaceHits_(grid.DepthCells(), 0),
      interfaceCounts_(maxInterfaces + 1, 0)
{
}

void PosteriorTally::Add(const ModelState& model, std::uint64_t weight)
{
    if (weight == 0) return;
    total_ += weight;
    const auto depths = model.Log10Depths();
    const auto rhos = model.Log10Rhos();
    const std::size_t bins = grid_->FineBins();
    const auto w = static_cast<double>(weight);
    // Walk down the cells and the layers together.
    std::size_t layer = 0;
    std::size_t bin = grid_->FineBinOf(rhos[0]);
    for (std::size_t r = 0; r < grid_->DepthCells(); ++r) {
        const double centre = grid_->CellCentre(r);
        bool moved = false;
        while (layer < depths.size() && depths[layer] <= centre) {
            ++layer;
            moved = true;
        }
        if (moved) bin = grid_->FineBinOf(rhos[layer]);
        density_[r * bins + bin] += weight;
        rhoSums_[r] += w * rhos[layer];
    }
    // Interfaces are sorted, so the cells they fall in come in order: count each cell once.
    std::size_t last = grid_->DepthCells();
    for (double u : depths) {
        const std::size_t cell = grid_->CellOf(u);
        if (cell != last) interfaceHits_[cell] += weight;
        last = cell;
    }
    interfaceCounts_[std::min(depths.size(), interfaceCounts_.size() - 1)] += weight;
}

void PosteriorTally::Merge(const PosteriorTally& other)
{
    total_ += other.total_;
    for (std::size_t i = 0; i < density_.size(); ++i) density_[i] += other.density_[i];
    for (std::size_t i = 0; i < rhoSums_.size(); ++i) rhoSums_[i] += other.rhoSums_[i];
    for (std::size_t i = 0; i < interfaceHits_.size(); ++i) interfaceHits_[i] += other.interfaceHits_[i];
    for (std::size_t i = 0; i < interfaceCounts_.size(); ++i) interfaceCounts_[i] += other.interfaceCounts_[i];
}

}  // namespace mt1d::sampling
