#pragma once
// The one rule from an impedance and its variance to apparent resistivity, phase and their
// errors, with the one reading of a file's impedance variance. Every reader and writer goes
// through here: the curve derivation (CurveDerivation.h), the Occam reader's impedance rows
// and the synthetic survey writer (batch/SyntheticSurvey.h).
//
// What a variance means. An EDI file gives one variance per complex impedance element (the
// .VAR blocks), and writers disagree on what it is the variance of:
//   complex  VAR = E|Z − Ẑ|² = var(Re Z) + var(Im Z), the variance of the complex value:
//            each part has the standard error sqrt(VAR/2). The ρa/φ error blocks that
//            WinGLink (EDI 1.0.22) and Geoscience Australia write beside .VAR follow it,
//            PHS.ERR = atan(sqrt(VAR/2)/|Z|) and RHO.ERR = 2·sqrt(VAR/2)/|Z|/ln 10, in every
//            frequency of all six such files in the shared test data.
//   part     VAR = var(Re Z) = var(Im Z): each part has the standard error sqrt(VAR). The
//            error blocks of the CGG and Phoenix exports (in MTpy's example data) follow it,
//            and mt_metadata reads sqrt(VAR) as the error of Z.
// The two differ by √2 in every error. The default is `complex`: it is what the variance of
// a complex estimate is, and what every file in the shared data whose error blocks tell
// agrees with. A file that carries both .VAR and PHS*.ERR blocks shows its own reading,
// which the EDI reader detects (EdiMtSection.h); the user may force either.
//
// From Z in field units (mV/km)/nT (e^{+iωt}) at frequency f, and the standard error σ of
// each part of Z (for errors of equal size in both parts, σ is also the error of |Z|):
//     ρa = 0.2·|Z|²/f,   φ = arg Z,   r = max(σ/|Z|, floor),
//     δρa = 2·r·ρa,      δφ = asin(min(1, r))
// To first order ρa ∝ |Z|² gives δρa/ρa = 2·δ|Z|/|Z|; the phase error is the half-angle under
// which a circle of radius r·|Z| around Z is seen from the origin (up to 90°). The floor is a
// fraction of |Z| (0.05: 10 % on ρa and 2.87° on φ).

#include <complex>
#include <optional>
#include <string_view>

namespace mt1d::sounding {

enum class VarianceConvention {
    kComplex,  // VAR is the variance of the complex value: each part sqrt(VAR/2)
    kPart,     // VAR is the variance of each part: each part sqrt(VAR)
};

inline constexpr VarianceConvention kDefaultVarianceConvention = VarianceConvention::kComplex;

// "complex", "part".
std::string_view VarianceConventionName(VarianceConvention convention);
// The convention of one of those names, in any case; nothing for any other text.
std::optional<VarianceConvention> ParseVarianceConvention(std::string_view name);
// "complex|part", for help texts and messages.
std::string_view VarianceConventionNameList();

// The standard error of each part of Z for a variance read with `convention`.
double PartError(double variance, VarianceConvention convention);
// The variance a writer gives for the part error σ, so that PartError returns σ.
double VarianceForPartError(double partError, VarianceConvention convention);

struct ApparentValues {
    double rhoOhmM = 0.0;
    double phaseDeg = 0.0;      // in (−180°, 180°]
    double relative = 0.0;      // r: the part error over |Z| after the floor
    double rhoErrOhmM = 0.0;
    double phaseErrDeg = 0.0;
    bool fromVariance = false;  // a variance was given and is finite (r may still be the floor)
};

// The rule above. `variance` empty, negative or not finite: the floor alone sets the errors.
// `floor` is a fraction of |Z|, 0 or more. For Z = 0 the relative and ρa errors are infinite.
ApparentValues ApparentFromImpedance(std::complex<double> z, double frequencyHz, std::optional<double> variance,
                                     VarianceConvention convention, double floor);

// The phase error for a relative error r: asin(min(1, r)) in degrees.
double PhaseErrorDeg(double relative);

}  // namespace mt1d::sounding
