#pragma once
// The two classic skews of an impedance tensor; both are unchanged by a rotation of the frame.
//
// Swift skew (Swift 1967):  κ = |Zxx + Zyy| / |Zxy − Zyx|.
//     0 over a 1-D or an undistorted 2-D earth; galvanic distortion (Z → CZ, C real) raises it.
//
// Bahr's phase-sensitive skew (Bahr 1988, J. Geophys. 62, 119–127):
//     S1 = Zxx + Zyy,  S2 = Zxy + Zyx,  D1 = Zxx − Zyy,  D2 = Zxy − Zyx,
//     [A, B] = Im(A*·B) = Re A·Im B − Im A·Re B,
//     η = √|[D1, S2] − [S1, D2]| / |D2|.
//     0 over a 1-D or 2-D earth, also under galvanic distortion; Bahr takes η above about 0.3
//     as a sign of a 3-D regional structure.
//
// Both are dimensionless; empty when Zxy − Zyx = 0 or a value is not finite.

#include "dims/PhaseTensor.h"

#include <optional>

namespace mt1d::dims {

std::optional<double> SwiftSkew(const Impedance& z);
std::optional<double> BahrSkew(const Impedance& z);

}  // namespace mt1d::dims
