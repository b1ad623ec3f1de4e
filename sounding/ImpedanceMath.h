#pragma once
// From impedances to what a curve shows: apparent resistivity, phase, and the two
// rotation-invariant impedances with their first-order errors.
//
// Units: Z in field units (mV/km)/nT (E in mV/km over B in nT), frequency in Hz, ρa in Ω·m,
// phase in degrees. Time dependence e^{+iωt}.

#include "sounding/Sounding.h"

#include <complex>
#include <numbers>
#include <optional>

namespace mt1d::sounding {

// Field units per ohm: Z[(mV/km)/nT] = Z[Ω] · 10⁴/(4π). A 100 Ω·m half-space at 1 Hz has
// |Z| = 22.36 field units = 0.0281 Ω.
inline constexpr double kFieldUnitsPerOhm = 1.0e4 / (4.0 * std::numbers::pi);

// ρa = 0.2·T·|Z|² = 0.2·|Z|²/f, which is |Z|²/(ωμ0) with Z in ohms.
double ApparentResistivity(std::complex<double> z, double frequencyHz);
// arg Z in degrees, in (−180°, 180°].
double PhaseDegrees(std::complex<double> z);

// An impedance for one mode with its standard error (empty when the file gives none for
// an element it depends on).
struct ModeImpedance {
    std::complex<double> z;
    std::optional<double> sigma;
};

// Z_det = sqrt(Zxx·Zyy − Zxy·Zyx), the principal root (real part ≥ 0, so a layered earth
// gives a first-quadrant phase). Needs all four values.
//
// Error, to first order with independent elements: ∂Z_det/∂Zxx = Zyy/(2·Z_det),
// ∂Z_det/∂Zyy = Zxx/(2·Z_det), ∂Z_det/∂Zxy = −Zyx/(2·Z_det), ∂Z_det/∂Zyx = −Zxy/(2·Z_det), so
//     σ_det² = (|Zyy|²σxx² + |Zxx|²σyy² + |Zyx|²σxy² + |Zxy|²σyx²) / (4·|Z_det|²).
// The error is empty unless all four variances are given; for Z_det = 0 it is empty as well
// (the linearisation fails there, and such a row is unusable anyway).
ModeImpedance DeterminantImpedance(const TensorRow& row);

// Z_berd = (Zxy − Zyx)/2, the Berdichevsky average; σ_berd² = (σxy² + σyx²)/4. Needs Zxy and
// Zyx; the error is empty unless both variances are given.
ModeImpedance BerdichevskyImpedance(const TensorRow& row);

}  // namespace mt1d::sounding
