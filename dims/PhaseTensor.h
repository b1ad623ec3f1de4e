#pragma once
// The phase tensor of an impedance tensor and its invariants (Caldwell, Bibby & Brown 2004,
// Geophys. J. Int. 158, 457–469; Bibby, Caldwell & Brown 2005, Geophys. J. Int. 163, 915–930).
//
// With Z = X + iY (X, Y real 2×2), the phase tensor is Φ = X⁻¹Y. A real matrix C multiplying Z
// from the left (galvanic distortion, Z → CZ) leaves Φ unchanged: (CX)⁻¹(CY) = X⁻¹Y.
//
// Conventions: time dependence e^{+iωt} (the readers conjugate files written with e^{−iωt}),
// so over a 1-D earth Φ = tan φ · I with φ the impedance phase (45° over a half-space).
// Angles in degrees, measured from the x axis of the tensor's frame towards its y axis (the
// frame's x axis points rotationDeg clockwise from north, y 90° further, sounding/Sounding.h).
// Rotating the frame by Δ turns Φ into R(Δ)·Φ·R(Δ)ᵀ, which moves α by −Δ and leaves β, Φmax,
// Φmin and the ellipticity as they are.
//
// With the four combinations
//     Π1 = ½·√((Φ11 − Φ22)² + (Φ12 + Φ21)²),   Π2 = ½·√((Φ11 + Φ22)² + (Φ12 − Φ21)²),
//     Φmax = Π2 + Π1,   Φmin = Π2 − Π1,
//     α = ½·atan2(Φ12 + Φ21, Φ11 − Φ22),   β = ½·atan2(Φ12 − Φ21, Φ11 + Φ22),
// the ellipticity (Φmax − Φmin)/(Φmax + Φmin) = Π1/Π2, and the strike is α − β, defined
// modulo 90° (the phase tensor cannot tell the strike from the direction across it).
// Over a 1-D earth β = 0, Π1 = 0 (ellipticity 0, α undefined) and arctan Φmax = arctan Φmin = φ;
// over a 2-D earth β = 0 and α − β is the strike or the direction across it.

#include <array>
#include <complex>
#include <optional>

namespace mt1d::dims {

// Zxx, Zxy, Zyx, Zyy: the order of sounding::Component.
using Impedance = std::array<std::complex<double>, 4>;
// Φ11, Φ12, Φ21, Φ22.
using Matrix2 = std::array<double, 4>;

// Φ = X⁻¹Y; empty when X is singular (|det X| at most 1e-12·max|Z_ij|², which rounding alone
// can produce) or a value is not finite.
std::optional<Matrix2> PhaseTensorOf(const Impedance& z);

struct PhaseTensorInvariants {
    double pi1 = 0.0;
    double pi2 = 0.0;
    double phiMax = 0.0;  // Π2 + Π1, a tensor value (arctan of it is an angle)
    double phiMin = 0.0;  // Π2 − Π1; negative when det Φ < 0
    // In (−90°, 90°]; both empty when Π2 = 0 (Φ11 = −Φ22 and Φ12 = Φ21: no earth gives that).
    std::optional<double> betaDeg;
    std::optional<double> ellipticity;  // Π1/Π2
    // In (−90°, 90°]; empty when Π1 = 0 (Φmax = Φmin: every direction is a principal one), or
    // no more than 1e-12·Π2, what rounding leaves of a 1-D tensor.
    std::optional<double> alphaDeg;
};

PhaseTensorInvariants InvariantsOf(const Matrix2& phi);

// arctan of a phase tensor value, in degrees: the phase it stands for.
double PhaseTensorAngleDeg(double value);

}  // namespace mt1d::dims
