#pragma once
// Equivalence ranges of a layered fit: for each parameter, the smallest and largest value
// among models whose RMS stays within a tolerance of the best (RMS ≤ (1 + tolerance) · RMS of
// the fit), with every other free parameter refitted.
//
// Found by constrained minimisation along the parameter: fix it at a value x, minimise the
// misfit over the others (a layered fit started from the neighbouring model), and call the
// smallest RMS so found the profile RMS(x). The range of the parameter is the interval around
// the fitted value where RMS(x) stays within the limit. From the fitted value the search
// steps outward, doubling its step, until the profile leaves the limit or the parameter
// reaches its bound, then halves the last interval until it is `resolution` decades wide and
// reports its inner end, so every reported end belongs to a model within the limit.
//
// Unlike the standard errors (the linearised curvature at the best model), the ranges follow
// the misfit as far as it goes: a thin conductor whose conductance h/ρ is all the data see
// gets wide ranges for h and ρ, in step with each other. Equal to ±√Δχ²·σ where the problem
// is linear (Δχ² the χ² allowed above the best).

#include "fitting/FitData.h"
#include "numerics/LayeredEarth.h"
#include "fitting/LayeredFit.h"
#include "fitting/RunControl.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::sampling {

struct EquivalenceOptions {
    double tolerance = 0.1;    // RMS up to (1 + tolerance) times the fit's; finite and positive
    double resolution = 0.005; // decades to which each end is found; finite and positive
    // Empty, or one pair per parameter in the kernel's order (Ω·m for ρ, m for h), as the fit
    // was given them. Empty: the layered fit's default ranges, reaching a decade past the
    // fitted value where they do not hold it (a fit from a user's model outside them).
    std::vector<fitting::ParameterBounds> bounds;
    std::size_t maxIterations = 100;  // of each constrained fit
};

enum class EquivalenceStatus {
    kCompleted,
    kCancelled,     // the caller asked to stop; ranges not searched yet equal the fitted value
    kInvalidInput,  // the fit or the options were refused
};

// "completed", "cancelled", "invalid-input".
std::string_view ToString(EquivalenceStatus status);

struct ParameterRange {
    std::size_t layer = 0;    // from 0, top first
    bool thickness = false;   // false: the resistivity of the layer
    bool fixed = false;       // a fixed parameter's range is its value
    double value = 0.0;       // fitted, Ω·m or m
    double lower = 0.0;       // the range, Ω·m or m
    double upper = 0.0;
    bool lowerAtBound = false;  // the end is the parameter's bound: the limit was not reached
    bool upperAtBound = false;
    double log10Sd = 0.0;     // the fit's standard error, for showing beside the range
    double sdFactor = 1.0;    // 10^log10Sd
    // The refitted models at the two ends: how the other parameters trade off.
    earth::LayeredModel lowerModel, upperModel;
};

struct EquivalenceResult {
    EquivalenceStatus status = EquivalenceStatus::kInvalidInput;
    std::string message;
    double bestRms = 0.0;   // of the fit
    double rmsLimit = 0.0;  // (1 + tolerance) · bestRms
    std::vector<ParameterRange> parameters;  // the kernel's order: ρ_0 .. ρ_{L−1}, h_0 .. h_{L−2}
    std::size_t fits = 0;   // constrained fits made
};

// Ranges for `fit`, a layered fit of `data` (the FitData it was fitted to). Never throws for
// bad input: the result then has status kInvalidInput and a message. Uses the cancel flag of
// `control`; its progress hook is not called.
EquivalenceResult EquivalenceRanges(const fitting::LayeredFitResult& fit, const fitting::FitData& data,
                                    const EquivalenceOptions& options = {}, const fitting::RunControl& control = {});

}  // namespace mt1d::sampling
