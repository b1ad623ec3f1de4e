#pragma once
// The apparent-resistivity and phase curve of a sounding for one mode, with errors.
//
// Impedance soundings. Per row the impedance of the mode is Zxy (xy), −Zyx (yx: the yx
// phase, near −135° over a layered earth with e^{+iωt}, moved by 180°), Z_det or Z_berd
// (ImpedanceMath.h, with their propagated variances). ρa, φ and their errors follow by the
// one rule of ImpedanceErrors.h, reading the variances as the sounding's varianceConvention
// says:
//     ρa = 0.2·T·|Z|²,  φ = arg Z,  r = max(σ/|Z|, floor),  δρa = 2·r·ρa,  δφ = asin(min(1, r))
// with σ the standard error of each part of Z. The error floor, in percent of |Z|, raises r
// to at least floor/100 (5 % gives 10 % on ρa and 2.87° on φ); rows whose file gives no
// error get the floor. Det errors leave out the elements whose variance the file does not
// give when they carry little of the error weight (ImpedanceMath.h); the notes say which.
//
// ρa/φ soundings. The values of the mode as stored; errors raised to at least 2·floor/100
// of ρa and asin(floor/100) on the phase, the same floor seen from |Z|.
//
// A row is unusable, with the reason in CurveRow::reason, when its frequency is not a
// number within kMinFrequencyHz … kMaxFrequencyHz (Limits.h), an element the mode needs is
// missing, a value is not finite, ρa is not positive or lies outside the accepted range, the
// phase lies outside −180° … 180°, an error exceeds kMaxRelativeError times its value (the
// phase error 180°), or (floor 0) the file gives no error. Unusable rows keep the values that
// are known and 0 for the rest, so that no curve ever holds a NaN. Of the rows usable so far,
// those the user excludes become unusable ("excluded by the user"), and then those whose
// phase lies outside 0°–90° (unless keepAnyPhase): a 1-D earth gives phases between 0° and
// 90° only, so a 1-D model cannot fit such a row, and trying spoils the fit of the others.

#include "sounding/Curve.h"
#include "sounding/Sounding.h"

#include <vector>

namespace mt1d::sounding {

struct CurveOptions {
    Mode mode = Mode::kDet;
    double floorPercent = 5.0;  // error floor in percent of |Z|; 0 switches it off
    // Keep rows whose phase lies outside 0°–90° usable.
    bool keepAnyPhase = false;
    // Frequencies in Hz to leave out: a row within 1e-6 relative of one is unusable.
    std::vector<double> excludeFrequencies{};
};

// Throws std::invalid_argument when floorPercent is negative or not finite, or an excluded
// frequency is not a positive finite number.
Curve DeriveCurve(const Sounding& sounding, const CurveOptions& options);

}  // namespace mt1d::sounding
