#include "sampling/PosteriorSummary.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace mt1d::sampling {

double HistogramQuantile(std::span<const double> probabilities, double firstEdge, double step, double q)
{
    double below = 0.0;
    for (std::size_t b = 0; b < probabilities.size(); ++b) {
        const double p = probabilities[b];
        if (p > 0.0 && below + p >= q) {
            const double within = std::clamp((q - below) / p, 0.0, 1.0);
            return firstEdge + (static_cast<double>(b) + within) * step;
        }
        below += p;
    }
    // Rounding left the total a hair under q: the top of the last occupied bin.
    for (std::size_t b = probabilities.size(); b-- > 0;) {
        if (probabilities[b] > 0.0) return firstEdge + static_cast<double>(b + 1) * step;
    }
    return firstEdge;
}

void DescribeGrid(const PosteriorGrid& grid, SamplingResult& result)
{
    const std::size_t cells = grid.DepthCells();
    result.depthM.resize(cells);
    result.depthEdgesM.resize(cells + 1);
    for (std::size_t r = 0; r < cells; ++r) result.depthM[r] = std::pow(10.0, grid.CellCentre(r));
    for (std::size_t r = 0; r <= cells; ++r) {
        result.depthEdgesM[r] = std::pow(10.0, grid.MinLog10Depth() + static_cast<double>(r) * grid.DepthStep());
    }
    result.log10RhoGrid.resize(grid.RhoBins());
    for (std::size_t b = 0; b < grid.RhoBins(); ++b) result.log10RhoGrid[b] = grid.BinCentre(b);
}

void Summarise(const PosteriorTally& tally, const PosteriorGrid& grid, SamplingResult& result)
{
    const auto counts = tally.InterfaceCounts();
    result.layerCount.clear();
    const double total = static_cast<double>(tally.Total());
    for (std::size_t k = 0; k < counts.size(); ++k) {
        result.layerCount.push_back({k + 1, total > 0.0 ? static_cast<double>(counts[k]) / total : 0.0});
    }
    result.density.clear();
    result.p10.clear();
    result.p50.clear();
    result.p90.clear();
    result.mean.clear();
    result.interfaceProbability.clear();
    if (tally.Total() == 0) return;

    const std::size_t cells = grid.DepthCells(), bins = grid.RhoBins(), fineBins = grid.FineBins();
    const auto fine = tally.FineDensity();
    result.density.assign(cells * bins, 0.0);
    std::vector<double> row(fineBins);
    const double firstEdge = grid.MinLog10Rho();
    for (std::size_t r = 0; r < cells; ++r) {
        // Counts are added as integers, then divided once: each row sums to 1 up to rounding.
        for (std::size_t b = 0; b < bins; ++b) {
            std::uint64_t count = 0;
            for (std::size_t f = b * kFineBins; f < (b + 1) * kFineBins; ++f) count += fine[r * fineBins + f];
            result.density[r * bins + b] = static_cast<double>(count) / total;
        }
        for (std::size_t f = 0; f < fineBins; ++f) row[f] = static_cast<double>(fine[r * fineBins + f]) / total;
        result.p10.push_back(HistogramQuantile(row, firstEdge, grid.FineStep(), 0.1));
        result.p50.push_back(HistogramQuantile(row, firstEdge, grid.FineStep(), 0.5));
        result.p90.push_back(HistogramQuantile(row, firstEdge, grid.FineStep(), 0.9));
        result.mean.push_back(tally.Log10RhoSums()[r] / total);
        result.interfaceProbability.push_back(static_cast<double>(tally.InterfaceHits()[r]) / total);
    }
}

}  // namespace mt1d::sampling
