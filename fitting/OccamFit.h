#pragma once
// Smooth (Occam) inversion after Constable, Parker & Constable (1987): the smoothest model of
// many fixed layers that fits the data to a target RMS.
//
// The unknowns are m = log10 ρ of the layers (OccamMesh.h). Each iteration linearises the
// forward problem at the current model m_k, with J the Jacobian of the weighted predictions
// and r the weighted residuals, and for a Lagrange multiplier μ takes
//     m(μ) = (μ ∂ᵀ∂ + JᵀJ)⁻¹ Jᵀ (r + J m_k),
// the model that minimises |∂m|² + μ⁻¹ χ² of the linearised problem (Roughness.h gives ∂).
// Each candidate m(μ) is scored by the true forward model.
//   Phase 1 (the current model misses the target): search μ for the smallest RMS
//     (MultiplierSearch.h); if that reaches the target, take the largest μ that still meets
//     it. A candidate no better than the current model is stepped back towards it by halving
//     the step, up to `stepCuts` times.
//   Phase 2 (at the target): take the largest μ that keeps the RMS at the target, which
//     smooths the model further, until the roughness stops falling.
// When the RMS stops falling above the target, the target is out of reach: the run then aims
// at the smallest RMS found plus `chi2Slack` in χ² (the RMS is flat near its minimum, and of
// near-equal fits Occam takes the smoothest) and smooths the model at that level as in
// phase 2. It ends at the target with the smoothest model found, or says that the target was
// not reached and gives the smoothest model that fits as well as the layers allow.

#include "sounding/Curve.h"
#include "fitting/FitData.h"
#include "fitting/FitReport.h"
#include "fitting/MultiplierSearch.h"
#include "numerics/LayeredEarth.h"
#include "fitting/Roughness.h"
#include "fitting/RunControl.h"
#include "fitting/OccamMesh.h"
#include "fitting/StaticShift.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace mt1d::fitting {

// The stop criteria, defaults of the members of OccamOptions (below).
// A candidate that does not improve on the current model is stepped back by halving, at most
// this many times.
inline constexpr std::size_t kStepCuts = 8;
// Phase 1 ends when an iteration lowers the RMS by less than this fraction.
inline constexpr double kOccamRmsTolerance = 1e-4;
// Phase 2 ends when an iteration lowers the roughness by less than this fraction.
inline constexpr double kOccamRoughnessTolerance = 1e-3;
// The ranges CheckOptions accepts for the stop criteria of OccamOptions.
inline constexpr std::size_t kMaxStepCuts = 60;  // 2⁻⁶⁰ of a step is below rounding
inline constexpr double kMinMultiplierTolerance = 1e-4;
inline constexpr double kMaxMultiplierTolerance = 1.0;
inline constexpr double kMinLevelTolerance = 1e-9;
inline constexpr double kMaxLevelTolerance = 0.5;
// A candidate model keeps log10 ρ inside this range (1e-4 to 1e8 Ω·m), where the forward
// model stays finite; the searches never need more.
inline constexpr double kOccamMinLog10Rho = -4.0;
inline constexpr double kOccamMaxLog10Rho = 8.0;

struct OccamOptions {
    MeshOptions mesh;          // the fixed layers
    DataSelection data;        // rows and components to fit (the Curve overload only)
    RoughnessKind roughness = RoughnessKind::kFirstDifference;
    double targetRms = 1.0;    // finite and positive
    // The most models the run accepts, going back to an earlier, smoother one included: an
    // upper bound on `iterations` and on the history's last iteration. 0 keeps the start.
    std::size_t maxIterations = 30;
    // The starting model: empty for a uniform earth at the geometric mean of the observed ρa,
    // or one resistivity (Ω·m) per layer.
    std::vector<double> startResistivity;
    // When the target is out of reach, the smoothest model whose χ² exceeds the smallest χ²
    // found by at most this much is sought: one unit of χ² is a difference well inside the
    // noise of any data set (0 stops at the smallest misfit itself).
    double chi2Slack = 1.0;

    // Stop criteria; the defaults are the values the fit was tuned with, and CheckOptions
    // refuses values outside the stated ranges.
    double rmsTolerance = kOccamRmsTolerance;              // phase 1: 0 ≤ value < 1
    double roughnessTolerance = kOccamRoughnessTolerance;  // phase 2: 0 ≤ value < 1
    std::size_t stepCuts = kStepCuts;                      // 0 to 60
    // Of the searches over μ (MultiplierSearch.h): the width, in decades, at which the
    // smallest RMS is located (0.0001 to 1), and how close below the level, relative, the
    // model of the largest μ must come (1e-9 to 0.5).
    double multiplierTolerance = kSearchTolerance;
    double levelTolerance = kLevelTolerance;

    // Static-shift factors of the curves (StaticShift.h): the unknowns join the layers', outside
    // the roughness, held by their priors. The run's RMS (and the target) then counts the
    // priors' terms; the report's RMS is of the data alone.
    ShiftOptions shift;
};

struct OccamFitResult {
    FitReport report;
    earth::LayeredModel model;       // the final model (empty after refused input)
    std::vector<double> layerTops;   // m, first 0
    double multiplier = 0.0;         // μ of the final model; 0 when the start was kept
    std::size_t forwardRuns = 0;     // kernel responses without Jacobian
    std::size_t jacobianRuns = 0;    // kernel responses with Jacobian
    std::vector<double> shiftLog10;  // log10 s per curve with shifts; empty without
};

// Fits the data selected from `curve` by `options.data`. Never throws for bad input: the
// result then has status kInvalidInput and a message.
OccamFitResult FitOccam(const sounding::Curve& curve, const OccamOptions& options,
                          const RunControl& control = {});

// Fits data already selected; `options.data` is not used.
OccamFitResult FitOccam(const FitData& data, const OccamOptions& options,
                          const RunControl& control = {});

}  // namespace mt1d::fitting
