#pragma once
// The depth grid of a section and a model sampled on it. Depth is in metres below the
// surface, positive downwards; the grid has equal cells from the surface to its bottom (the
// section's depth axis is linear). Resistivity is sampled as log10 ρ (ρ in Ω·m).

#include "fitting/FitReport.h"

#include <cstddef>
#include <span>
#include <vector>

namespace mt1d::section {

struct DepthGrid {
    double bottomM = 1000.0;
    std::size_t cells = 400;

    double CellHeightM() const { return bottomM / static_cast<double>(cells); }
    double CellTopM(std::size_t i) const { return static_cast<double>(i) * CellHeightM(); }
    double CellCentreM(std::size_t i) const { return (static_cast<double>(i) + 0.5) * CellHeightM(); }
};

// log10 ρ of the layer that holds `depthM`: the last whose top is at or above it (a depth on
// a boundary belongs to the layer below). Layers are top down with increasing tops, the last
// a half-space; requires at least one.
double Log10RhoAt(std::span<const fitting::ReportLayer> layers, double depthM);

// The model at the centre of every cell of the grid: a layered model as its staircase, a
// smooth model as its cells.
std::vector<double> SampleColumn(std::span<const fitting::ReportLayer> layers, const DepthGrid& grid);

// The bottom of a section whose sites reach the given depths of investigation: their median
// rounded up to 1, 2 or 5 × 10^k m, so that at least half the sites are reliable to the bottom
// and the upper part is not squeezed by the deepest site (on a real 56-site broadband survey
// the deepest reached 1,000 km). Depths that are not positive and finite are ignored; 1000 m
// when none is.
double DefaultBottomM(std::span<const double> depthsOfInvestigationM);

// A value rounded up to 1, 2 or 5 × 10^k.
double NiceCeiling(double value);

}  // namespace mt1d::section
