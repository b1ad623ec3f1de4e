#pragma once
// From the tallies of the chains to the figures of a SamplingResult.

#include "sampling/PosteriorGrid.h"
#include "sampling/SamplingResult.h"

#include <span>

namespace mt1d::sampling {

// The q-quantile (0 < q < 1) of a histogram whose bins start at `firstEdge` and are `step`
// wide, with `probabilities` summing to 1: the value where the cumulative distribution,
// taken as linear within each bin, reaches q.
double HistogramQuantile(std::span<const double> probabilities, double firstEdge, double step, double q);

// Fills depthM, depthEdgesM and log10RhoGrid.
void DescribeGrid(const PosteriorGrid& grid, SamplingResult& result);

// Fills the posterior members (density, percentiles, mean, interface probability, layer
// counts) from the merged tally; leaves them empty when it holds no samples, except the
// layer counts, which are then all 0.
void Summarise(const PosteriorTally& tally, const PosteriorGrid& grid, SamplingResult& result);

}  // namespace mt1d::sampling
