#pragma once
// How a curve is fitted: the options of `mt1d fit`, the window's fit settings, and what a
// result file records of them. As given, an option left empty takes the method's default;
// Resolved() fills every default in, and that is what a record keeps and what a resumed batch
// compares (Resume.h), so that a site is fitted again whenever anything that changes its
// result differs.

#include "fitting/FitData.h"
#include "fitting/FitStatus.h"
#include "fitting/LayeredFit.h"
#include "fitting/OccamFit.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace mt1d::jobs {

// Caps on what one run may ask for: each bounds the time of a run, not its memory.
inline constexpr std::size_t kMaxFitIterations = 10'000;
inline constexpr std::size_t kMaxFitStarts = 10'000;
inline constexpr std::uint64_t kDefaultSeed = 1;

struct FitOptions {
    fitting::Method method = fitting::Method::kOccam;
    fitting::FitComponents components = fitting::FitComponents::kBoth;
    double targetRms = 1.0;                    // finite and positive
    std::optional<std::size_t> maxIterations{};  // occam: of the run; layered: of each start
    // Layered: layers of the model, the half-space included. Occam: layers of the mesh; with
    // layer tops, their count.
    std::optional<std::size_t> layers{};
    // Layered fits only.
    std::optional<std::size_t> starts{};  // empty: fitting::DefaultStarts(layers)
    std::optional<std::uint64_t> seed{};  // empty: kDefaultSeed
    // Occam fits only, as given; empty: chosen from the data (OccamMesh.h).
    std::vector<double> layerTops{};  // m, the first 0
    std::optional<double> topDepthM{};
    std::optional<double> bottomDepthM{};
    // Layered fits only: the user's model as the first start (one resistivity per layer, Ω·m,
    // one thickness fewer, m; empty: every start seeded), and the parameters that keep its
    // values (empty, or one flag per parameter in the kernel's order: ρ of each layer, then h).
    std::vector<double> startResistivity{};
    std::vector<double> startThickness{};
    std::vector<bool> fixed{};

    // Stop criteria, each empty for the engine's documented default (fitting/LayeredFit.h,
    // fitting/OccamFit.h). Layered fits:
    std::optional<double> relativeTolerance{};   // a step lowering χ² by less than this share is small
    std::optional<std::size_t> settledSteps{};   // small accepted steps in a row that end a start
    std::optional<double> exactChi2PerValue{};   // χ²/N at or below which the fit is exact
    std::optional<double> initialDamping{};      // λ of the first step
    std::optional<double> maxDamping{};          // the ceiling of λ
    // Occam fits:
    std::optional<double> rmsTolerance{};        // phase 1 ends when the RMS falls by less than this share
    std::optional<double> roughnessTolerance{};  // phase 2 ends when the roughness falls by less than this share
    std::optional<std::size_t> stepCuts{};       // halvings of a step that does not improve
    std::optional<double> multiplierTolerance{}; // decades of μ within which the smallest RMS is found
    std::optional<double> levelTolerance{};      // how close below the target the chosen model comes

    // Static shifts of the curves (fitting/StaticShift.h), both methods. kNone: today's fit.
    // kFree: one factor per curve, with a reference that holds the overall level (MT alone
    // cannot tell it from the model): `shiftReference` mean, xy or yx, or, with
    // `surfaceRhoOhmM`, the known resistivity below the surface (reference kSurface, every
    // factor free; a single curve too). Resolved() sets the defaults (mean, the prior SD
    // fitting::kDefaultShiftPriorSd, depth 0) and makes a surface resistivity mean kFree.
    fitting::ShiftMode shift = fitting::ShiftMode::kNone;
    std::optional<fitting::ShiftReference> shiftReference{};
    std::optional<double> surfaceRhoOhmM{};  // Ω·m, finite and positive
    std::optional<double> surfaceDepthM{};   // m, ≥ 0: the anchor is the mean over the top this much
    std::optional<double> shiftPriorSd{};    // log10, finite and positive

    friend bool operator==(const FitOptions&, const FitOptions&) = default;
};

// Every default filled in for the method, the options of the other method cleared: layers,
// maxIterations, and for layered fits starts and seed, are set.
FitOptions Resolved(const FitOptions& options);

// The engines' options for these (the data selection is the caller's).
fitting::LayeredOptions LayeredOptionsOf(const FitOptions& options);
fitting::OccamOptions OccamOptionsOf(const FitOptions& options);
fitting::ShiftOptions ShiftOptionsOf(const FitOptions& options);

}  // namespace mt1d::jobs
