#pragma once
// Layered inversion: the few-layer model that fits a sounding best, with its uncertainty.
//
// Parameters are log10 ρ of every layer and log10 h of every layer above the half-space (the
// kernel's order: ρ_0 .. ρ_{L−1}, h_0 .. h_{L−2}). Bounded parameters move through the smooth
// log-bounded transform (BoundTransform.h); fixed ones keep the value of the user's model.
// Each start is minimised by Levenberg–Marquardt (Damping.h) and the start with the lowest
// misfit wins: a layered misfit has local minima, and only enough starts find the global one.
// `startsNearBest` says how many starts ended at the winning misfit; when few did, more starts
// may find a lower one (on short noisy soundings four layers can need a hundred or more).
//
// Every free parameter is bounded, by the user or by the wide default ranges below, so that a
// thin layer whose conductance is all the data see stops at a bound instead of running away.
// Standard errors come from the Jacobian in log10 of the parameters themselves (Uncertainty.h),
// not in the transformed unknowns: a parameter pressed against a bound shows the error the
// data alone give it, which for such a layer is large.
//
// Usage:
//     LayeredOptions options;
//     options.layers = 3;
//     const LayeredFitResult fit = FitLayered(curve, options);
//     if (fit.report.status == FitStatus::kInvalidInput) show(fit.report.message);

#include "sounding/Curve.h"
#include "fitting/Damping.h"
#include "fitting/FitData.h"
#include "fitting/FitReport.h"
#include "numerics/LayeredEarth.h"
#include "fitting/RunControl.h"
#include "fitting/StaticShift.h"
#include "fitting/Uncertainty.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace mt1d::fitting {

struct ParameterBounds {
    double lower = 0.0;  // Ω·m or m, finite and positive
    double upper = 0.0;  // above lower
};

inline constexpr std::size_t kMaxLayers = 30;
// Parameters without bounds of the user's still stay inside an earth: these ranges (widened
// to take in a user's starting value) are wide enough never to bind on real data.
inline constexpr ParameterBounds kDefaultResistivityBounds{1e-2, 1e6};  // Ω·m
inline constexpr ParameterBounds kDefaultThicknessBounds{1e-1, 1e7};    // m
// How many starts a fit makes when the caller names no count: kStartsPerInterfaceSquared·(L − 1)²
// for L layers, at least kMinDefaultStarts and at most kMaxDefaultStarts (2 layers: 20, 3: 80,
// 4: 180, 5: 320, 6: 500). The share of starts that end in the global minimum falls quickly
// with the number of parameters: on the Cull (1985) sounding it is about 1 in 3 for two and
// three layers, 1 in 20 to 25 for four and five, 1 in 100 for six, so that 20 starts miss the
// four-layer minimum in 4 runs of 10, and the count above misses it in fewer than 1 in 2,000.
inline constexpr std::size_t kStartsPerInterfaceSquared = 20;
inline constexpr std::size_t kMinDefaultStarts = 20;
inline constexpr std::size_t kMaxDefaultStarts = 1000;
std::size_t DefaultStarts(std::size_t layers);

// Starts whose final RMS lies within this fraction of the best one found the same minimum.
inline constexpr double kSameMinimumTolerance = 1e-3;
// Fewer starts than this at the best misfit (of several) earn a warning in the message.
inline constexpr std::size_t kFewStartsAtBest = 3;
// What the run's message says when fewer than kFewStartsAtBest starts reached the best misfit.
inline constexpr std::string_view kFewStartsNote = "few: more starts may find a lower misfit";
// The stop criteria of each start, defaults of the members of LayeredOptions (below).
// A start has converged when `settledSteps` accepted steps in a row each lower χ² by less
// than `relativeTolerance` of it (one such step may only mean heavy damping), or when χ²/N
// falls to `exactChi2PerValue` (the data are fitted to rounding). It has failed when the
// damping λ passes `maxDamping` while neither held: no step, however short, lowered χ².
inline constexpr double kLayeredRelativeTolerance = 1e-6;
inline constexpr std::size_t kLayeredSettledSteps = 2;
inline constexpr double kLayeredExactChi2PerValue = 1e-24;

struct LayeredOptions {
    std::size_t layers = 3;  // 1 to kMaxLayers, the half-space included
    DataSelection data;      // rows and components to fit (the Curve overload only)
    // The user's model: the first start when given, and the values of fixed parameters.
    std::optional<earth::LayeredModel> start;
    // How many starts in all (at least 1); those not given by the user are seeded around the
    // Niblett–Bostick profile of the data. Empty: DefaultStarts(layers).
    std::optional<std::size_t> starts;
    std::uint64_t seed = 1;
    // Empty, or one flag per parameter in the kernel's order; fixed parameters need `start`.
    std::vector<bool> fixed;
    // Empty, or one pair per parameter in the kernel's order (Ω·m for ρ, m for h).
    std::vector<ParameterBounds> bounds;
    double targetRms = 1.0;           // only decides `targetReached`; the fit always goes to its minimum

    // Stop criteria of every start (Levenberg–Marquardt, Damping.h). The defaults are the
    // values the fit was tuned with; Prepare refuses values outside the stated ranges.
    std::size_t maxIterations = 100;                       // per start; 0 keeps every start as it is
    double relativeTolerance = kLayeredRelativeTolerance;  // 0 ≤ value < 1
    std::size_t settledSteps = kLayeredSettledSteps;       // ≥ 1
    double exactChi2PerValue = kLayeredExactChi2PerValue;  // ≥ 0
    double initialDamping = kInitialLambda;                // λ of the first step: kMinLambda ≤ value < maxDamping
    double maxDamping = kMaxLambda;                        // the ceiling of λ: finite

    // Static-shift factors of the curves (StaticShift.h); none by default.
    ShiftOptions shift;
};

struct LayerProducts {
    double conductanceS = 0.0;               // h / ρ
    double transverseResistanceOhmM2 = 0.0;  // h · ρ
    double log10ConductanceSd = 0.0;
    double log10TransverseResistanceSd = 0.0;
};

struct LayeredFitResult {
    FitReport report;
    earth::LayeredModel model;           // the best model (empty after refused input)
    std::vector<bool> fixed;             // per parameter, kernel order
    Uncertainty uncertainty;             // per parameter, kernel order, log10 units
    std::vector<double> sdFactor;        // 10^(log10 standard error) per parameter
    std::vector<LayerProducts> products; // per layer above the half-space
    std::vector<double> startRms;        // final RMS of every start run, in order
    std::size_t bestStart = 0;
    std::size_t startsNearBest = 0;      // starts that ended within kSameMinimumTolerance of the best
    std::size_t totalIterations = 0;     // over all starts
    std::size_t forwardRuns = 0;         // kernel responses without Jacobian
    std::size_t jacobianRuns = 0;        // kernel responses with Jacobian
    std::vector<double> shiftLog10;      // log10 s per curve with shifts; empty without
};

// Fits the data selected from `curve` by `options.data`. Never throws for bad input: the
// result then has status kInvalidInput and a message.
LayeredFitResult FitLayered(const sounding::Curve& curve, const LayeredOptions& options,
                            const RunControl& control = {});

// Fits data already selected; `options.data` is not used. The response is given at the
// data's frequencies.
LayeredFitResult FitLayered(const FitData& data, const LayeredOptions& options,
                            const RunControl& control = {});

}  // namespace mt1d::fitting
