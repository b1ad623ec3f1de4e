#pragma once
// From impedances to what a curve shows: apparent resistivity, phase, and the two
// rotation-invariant impedances with their first-order errors.
//
// Units: Z in field units (mV/km)/nT (E in mV/km over B in nT), frequency in Hz, ρa in Ω·m,
// phase in degrees. Time dependence e^{+iωt}.

#include "sounding/Sounding.h"

#include "numerics/PhysicalConstants.h"

#include <array>
#include <complex>
#include <numbers>
#include <optional>

namespace mt1d::sounding {

// Field units per ohm: Z[(mV/km)/nT] = Z[Ω] · 10⁴/(4π). A 100 Ω·m half-space at 1 Hz has
// |Z| = 22.36 field units = 0.0281 Ω.
using physics::kFieldUnitsPerOhm;

// ρa = 0.2·T·|Z|² = 0.2·|Z|²/f, which is |Z|²/(ωμ0) with Z in ohms.
double ApparentResistivity(std::complex<double> z, double frequencyHz);
// arg Z in degrees, in (−180°, 180°].
double PhaseDegrees(std::complex<double> z);

// An impedance for one mode with its variance, propagated from the elements' variances as
// the file gives them (ImpedanceErrors.h turns it into errors with the file's convention; the
// linear propagation below holds for either convention). Empty when the file gives too few
// of the variances it depends on.
struct ModeImpedance {
    std::complex<double> z;
    std::optional<double> variance;
    // Elements whose variance the file does not give and that were left out of `variance`
    // (taken as 0), xx, xy, yx, yy order, and the share of the error weight they carry
    // (see DeterminantImpedance).
    std::array<bool, 4> leftOut{};
    double leftOutShare = 0.0;
};

// Elements whose variance is missing may be left out of a mode's error when together they
// carry at most this share of its error weight: if their errors were as large as the others',
// the error would come out at most 1 − sqrt(1 − 0.1) ≈ 5 % too small.
inline constexpr double kMaxLeftOutShare = 0.1;

// Z_det = sqrt(Zxx·Zyy − Zxy·Zyx), the principal root (real part ≥ 0, so a layered earth
// gives a first-quadrant phase). Needs all four values.
//
// Variance, to first order with independent elements: ∂Z_det/∂Zxx = Zyy/(2·Z_det),
// ∂Z_det/∂Zyy = Zxx/(2·Z_det), ∂Z_det/∂Zxy = −Zyx/(2·Z_det), ∂Z_det/∂Zyx = −Zxy/(2·Z_det), so
//     var_det = (|Zyy|²·var_xx + |Zxx|²·var_yy + |Zyx|²·var_xy + |Zxy|²·var_yx) / (4·|Z_det|²).
// An element's error weight is the square of its derivative; its share is that over the sum
// of all four, (|Zyy|² for xx …)/(|Zxx|² + |Zxy|² + |Zyx|² + |Zyy|²). Missing variances are
// left out (taken as 0) when their share is at most kMaxLeftOutShare, as for the diagonal
// elements of a nearly 1D tensor; otherwise, or for Z_det = 0 (where the linearisation
// fails, and which makes the row unusable anyway), the variance is empty.
ModeImpedance DeterminantImpedance(const TensorRow& row);

// Z_berd = (Zxy − Zyx)/2, the Berdichevsky average; var_berd = (var_xy + var_yx)/4. Needs Zxy
// and Zyx; each carries half the weight, so the variance is empty unless both are given.
ModeImpedance BerdichevskyImpedance(const TensorRow& row);

}  // namespace mt1d::sounding
