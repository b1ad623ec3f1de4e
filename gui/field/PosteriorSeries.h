#pragma once
// What the uncertainty tab draws, computed from a sampling run without any widget: the
// posterior density as an image, percentile lines, the interface probability, the layer-count
// histogram, the staircase of a fitted model and the equivalence ranges of the layered fit.
//
// Conventions are those of the depth plot: resistivity in Ω·m across on a log axis, depth in
// metres downwards on a log axis. The sampler's grid is even in log10 depth and log10 ρ, so on
// these axes every cell of the image has the same size.

#include "sampling/Equivalence.h"
#include "numerics/LayeredEarth.h"
#include "gui/field/PlotAxes.h"
#include "sampling/SamplingResult.h"

#include <cstddef>
#include <span>
#include <vector>

namespace mt1d::gui::field {

// R-hat at or above this says the chains disagree: the posterior is not to be trusted yet.
inline constexpr double kRhatWarning = 1.1;

// The density image in QCustomPlot's convention: the ranges are the centres of the first and
// last cells, `cells` is row-major with one row per depth cell (as SamplingResult::density),
// each row the probabilities over the resistivity bins.
struct DensityImage {
    std::size_t rhoBins = 0;
    std::size_t depthCells = 0;
    AxisRange rhoOhmM;     // centres of the first and last resistivity bins
    AxisRange depthM;      // centres of the first and last depth cells
    std::vector<double> cells;
    double maxProbability = 0.0;  // of any cell; 0 without samples
};

// Empty (no cells) when the run kept no samples.
DensityImage DensityImageOf(const sampling::SamplingResult& result);

// A line in the depth plot's coordinates.
struct DepthLine {
    std::vector<double> x;       // Ω·m, or a probability for the interface line
    std::vector<double> depthM;
};

// 10^log10Rho[i] at the centre of depth cell i (a percentile or the mean of the result).
DepthLine PercentileLine(const sampling::SamplingResult& result, std::span<const double> log10Rho);

// The probability of an interface in each depth cell as a staircase over the cells' edges.
DepthLine InterfaceSteps(const sampling::SamplingResult& result);

// A model as a staircase from topM (the top layer starts there, depth 0 having no place on
// a log axis) to bottomM (where the half-space is cut off). Empty for an empty model.
DepthLine Staircase(const earth::LayeredModel& model, double topM, double bottomM);

// The layer-count histogram: the number of layers (the half-space counted) and its
// probability, every count the prior allows.
struct Bars {
    std::vector<double> keys;
    std::vector<double> values;
};
Bars LayerCountBars(const sampling::SamplingResult& result);

// One equivalence range drawn as a bar: across at depth `at` for a resistivity, downwards at
// resistivity `at` for an interface.
struct RangeBar {
    std::size_t index = 0;  // the layer, or the interface (the bottom of that layer)
    double at = 0.0;
    double value = 0.0;     // the fitted value (Ω·m, or the interface depth in m)
    double lower = 0.0;
    double upper = 0.0;
};

// The ranges of `ranges` on its layered model: each layer's resistivity range at the middle
// (on the log axis) of the layer, the top layer counted from topM and the half-space down to
// bottomM; each interface from its shallowest to its deepest depth as the thickness of the
// layer above it ranges, the interfaces above held where the fit put them, drawn at the
// middle of the resistivities on either side.
struct EquivalenceBars {
    std::vector<RangeBar> resistivity;
    std::vector<RangeBar> interfaces;
};
EquivalenceBars EquivalenceBarsOf(const sampling::EquivalenceResult& ranges, const earth::LayeredModel& model,
                                  double topM, double bottomM);

// Whether the result's R-hat calls for a warning: either figure at or above kRhatWarning, or
// not a number (too few samples to tell).
bool RhatWarns(const sampling::Rhat& rhat);

}  // namespace mt1d::gui::field
