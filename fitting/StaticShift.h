#pragma once
// Static shift: near-surface bodies smaller than the shallowest skin depth multiply a curve's
// apparent resistivity by one factor s at every frequency and leave its phase alone,
//     ρa_observed = s · ρa_model,   φ_observed = φ_model.
// A fit may carry one factor per curve, as an unknown in log10 s, so that the model fits the
// curves' shapes while each curve keeps its own level.
//
// MT data alone cannot tell a shift from the model: scaling every resistivity by c and every
// depth by √c scales ρa by c at every frequency and leaves the phase alone, so one overall
// factor is never seen. The options choose what holds it:
//   - kFree, reference kMean: the factors of all curves have geometric mean 1 (with xy and yx,
//     log10 s_xy = −log10 s_yx = u, one unknown: only their ratio is measured);
//   - kFree, reference kXy or kYx: that curve's factor is 1 and the others are free;
//   - a surface anchor (a resistivity known just below the surface, from a TEM or DC sounding or
//     a borehole): every factor is free, and the model's resistivity at the surface is held to
//     the anchor as one datum of standard error kSurfaceRhoLog10Sd in log10;
//   - kFixed: every factor is given (a survey's neighbours, a factor set by hand).
// Free factors have a Gaussian prior in log10 s of standard deviation priorSd: the sampler's
// prior, and for the fits a penalty (log10 s / priorSd)² added to χ² as one datum per curve.
// The penalties and the anchor count in the χ² a fit minimises, not in N.

#include "fitting/FitData.h"
#include "sounding/Curve.h"

#include <Eigen/Dense>

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::fitting {

enum class ShiftMode { kNone, kFree, kFixed };
// Of free factors, which holds the overall level (kSurface: the anchor; every factor free).
enum class ShiftReference { kMean, kXy, kYx, kSurface };

inline constexpr double kDefaultShiftPriorSd = 0.3;  // log10: a factor of 2 at one standard deviation
// The anchor's standard error in log10 ρ (12 %): a resistivity from another method, good to
// about that much.
inline constexpr double kSurfaceRhoLog10Sd = 0.05;
// The high-frequency estimate: rows whose phases lie within this many degrees of 45°.
inline constexpr double kHalfSpacePhaseToleranceDeg = 5.0;
inline constexpr std::size_t kMinHalfSpaceRows = 2;
// The bound of a fitted factor: |log10 s| ≤ 1, a factor of 10 either way. Galvanic distortion
// by near-surface bodies shifts a curve by up to about a decade in practice (Jones 1988,
// Geophysics 53, 967–978; Sternberg et al. 1988, Geophysics 53, 1459–1468); a factor beyond that
// says the curves differ by more than a shift (3-D effects, a wrong rotation), and a Gaussian
// prior alone cannot refuse it: against a few hundred values of small error its penalty of
// (log10 s / 0.3)² per curve is soon outweighed. A factor that ends on the bound is flagged.
// For the designs of one or two curves each unknown is ± one curve's log10 s, so the fits
// hold every unknown within ±kMaxAbsLog10Shift.
inline constexpr double kMaxAbsLog10Shift = 1.0;
// A factor within this much (log10) of the bound counts as on it.
inline constexpr double kShiftBoundTolerance = 1e-6;

// "none", "free", "fixed"; "mean", "xy", "yx", "surface".
std::string_view ToString(ShiftMode mode);
std::string_view ToString(ShiftReference reference);

struct SurfaceAnchor {
    double rhoOhmM = 0.0;  // finite and positive
    // 0: the resistivity just below the surface (of the top layer); otherwise the geometric
    // mean of the model's resistivity over the top depthM metres.
    double depthM = 0.0;
};

struct ModeFactor {
    sounding::Mode mode = sounding::Mode::kXy;
    double factor = 1.0;  // s: ρa_observed = s · ρa_model

    friend bool operator==(const ModeFactor&, const ModeFactor&) = default;
};

struct ShiftOptions {
    ShiftMode mode = ShiftMode::kNone;
    ShiftReference reference = ShiftReference::kMean;  // kFree only; kSurface needs `surface`
    std::optional<SurfaceAnchor> surface;              // kFree with reference kSurface
    std::optional<double> priorSd;                     // log10, positive; empty: kDefaultShiftPriorSd
    std::vector<ModeFactor> fixed;                     // kFixed: a factor per curve by mode (missing: 1)

    bool Active() const { return mode != ShiftMode::kNone; }
};

// How the curves' log10 factors follow from the unknowns u of a fit:
//     log10 s_c = fixedLog10[c] + Σ_k a(c, k) · u_k,
// with a prior term (log10 s_c / priorSd[c])² for each curve whose priorSd is above 0, and
// the anchor's term when there is one.
struct ShiftDesign {
    std::vector<sounding::Mode> modes;  // of the curves
    Eigen::MatrixXd a;                  // curves × unknowns
    std::vector<double> fixedLog10;     // per curve
    std::vector<double> priorSd;        // per curve; 0: no prior term
    std::optional<SurfaceAnchor> anchor;
    ShiftReference reference = ShiftReference::kMean;
    ShiftMode mode = ShiftMode::kNone;

    std::size_t Unknowns() const { return static_cast<std::size_t>(a.cols()); }
    std::size_t Curves() const { return modes.size(); }
    // Pseudo-data terms the design adds to χ²: one per prior and one for the anchor.
    std::size_t ExtraTerms() const;
    // log10 s of every curve for the unknowns u.
    std::vector<double> CurveLog10(std::span<const double> u) const;
};

struct ShiftDesignResult {
    ShiftDesign design;
    std::string error;  // empty when accepted
    bool Ok() const { return error.empty(); }
};

// The design of `options` for the curves of `data`. Without shifts (kNone), a design of the
// data's curves with no unknowns, no fixed factors and no terms. Refuses, saying why: free
// factors of a single curve without an anchor (nothing else holds its level), a reference
// mode that is not among the curves or an anchor together with a mode reference, a fixed
// factor for a mode not among the curves or not finite and positive, an anchor whose
// resistivity or depth is not finite and positive (the depth may be 0), a prior SD that is
// not finite and positive.
ShiftDesignResult MakeShiftDesign(const FitData& data, const ShiftOptions& options);

// The mean of log10 ρ of a layered model over the top `depthM` metres (0: the top layer's), and
// its derivatives with respect to log10 of every parameter (kernel order: ρ_0 … ρ_{L−1},
// h_0 … h_{L−2}) into `gradient` when it is not empty.
double SurfaceLog10Rho(std::span<const double> resistivity, std::span<const double> thickness, double depthM,
                       std::span<double> gradient = {});

// Where both curves of xy + yx data approach one half-space at their highest frequencies:
// from the highest frequency the two curves share, the rows in a row whose phases both lie
// within kHalfSpacePhaseToleranceDeg of 45° and within twice their combined error of each
// other. The mean of log10(ρa_xy / ρa_yx) over them, weighted by the inverse variances,
// estimates the relative shift.
struct HalfSpaceEstimate {
    std::size_t rows = 0;
    double highHz = 0.0;
    double lowHz = 0.0;
    double log10Ratio = 0.0;  // log10(s_xy / s_yx)
    double log10Sd = 0.0;
    // The weighted mean log10 ρa of each curve over those rows (the half-space's level as each
    // curve sees it), in curve order.
    std::vector<double> curveLevels;

    friend bool operator==(const HalfSpaceEstimate&, const HalfSpaceEstimate&) = default;
};

// For data of two curves (xy then yx, or any two); for one curve, the rows from its highest
// frequency whose phase lies near 45°, giving the curve's level alone. Nothing when fewer
// than kMinHalfSpaceRows rows qualify.
std::optional<HalfSpaceEstimate> EstimateHalfSpace(const FitData& data);

// The starting unknowns of a fit with this design: from the half-space estimate where there is
// one (its ratio for a mode reference or the mean, each curve's level against the anchor),
// 0 otherwise; each within ±kMaxAbsLog10Shift.
std::vector<double> StartingShifts(const ShiftDesign& design, const std::optional<HalfSpaceEstimate>& estimate);

// The note a fit gives about the estimate, one sentence.
std::string HalfSpaceNote(const FitData& data, const HalfSpaceEstimate& estimate);

// The data with every curve's ρa divided by its factor 10^log10Shift[c] (values and ρa): what a
// model without shifts would see; for starting models and the Niblett–Bostick profile.
FitData Unshifted(const FitData& data, std::span<const double> curveLog10);

// What a fit reports of the shifts.
struct CurveShift {
    sounding::Mode mode = sounding::Mode::kXy;
    double factor = 1.0;
    // Standard error of log10 s; empty for a factor that was given, not fitted.
    std::optional<double> log10Sd;
    // A fitted factor that ended on its bound kMaxAbsLog10Shift (its standard error then says
    // little: the data would have moved it further).
    bool atBound = false;

    friend bool operator==(const CurveShift&, const CurveShift&) = default;
};

struct StaticShiftReport {
    // "mean", "xy", "yx", "surface" (free factors), "fixed" (given).
    std::string reference;
    std::vector<CurveShift> curves;
    std::optional<HalfSpaceEstimate> halfSpace;  // the high-frequency estimate, when found
    std::string note;                            // HalfSpaceNote of it, or empty

    friend bool operator==(const StaticShiftReport&, const StaticShiftReport&) = default;
};

// An unknown of a design held within its bound ±kMaxAbsLog10Shift.
double ClampShiftUnknown(double u);

// The report of a fit whose unknowns ended at `u` with the standard errors `log10Sd` of every
// curve's log10 factor (0 for a factor that was not fitted). A fitted factor on its bound is
// flagged, and the note says so.
StaticShiftReport MakeShiftReport(const ShiftDesign& design, std::span<const double> u,
                                  std::span<const double> log10Sd, const std::optional<HalfSpaceEstimate>& estimate,
                                  const FitData& data);

// The report's reference word of a design.
std::string ReferenceWord(const ShiftDesign& design);

}  // namespace mt1d::fitting
