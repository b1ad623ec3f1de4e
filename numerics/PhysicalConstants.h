#pragma once
// The physical constants and unit conversions of the field part, in one place, each with its
// unit and source. (The classic forward model keeps its own, numerics/MTMath.h: its
// evaluation order is part of what it reproduces.)
//
// Units: SI throughout, except impedances in the field units of EDI files, (mV/km)/nT.

#include <numbers>

namespace mt1d::physics {

inline constexpr double kPi = std::numbers::pi;

// The magnetic constant μ0 in H/m: 4π·10⁻⁷, exact before the 2019 revision of the SI and
// 1.00000000055 times that now (CODATA 2018), a difference no MT datum resolves. The MT
// literature and every code compared with here use 4π·10⁻⁷.
inline constexpr double kMu0 = 4e-7 * kPi;

inline constexpr double kDegreesPerRadian = 180.0 / kPi;
inline constexpr double kRadiansPerDegree = kPi / 180.0;

// Field units per ohm: Z[(mV/km)/nT] = Z[Ω] · 10⁴/(4π), since E in mV/km is 10⁻⁶ V/m and
// B = μ0·H in nT is 10⁻⁹ T. A 100 Ω·m half-space at 1 Hz has |Z| = 22.36 field units =
// 0.0281 Ω.
inline constexpr double kFieldUnitsPerOhm = 1.0e4 / (4.0 * kPi);

// ρa = |Z|²/(ωμ0) with Z in Ω is ρa = 0.2·T·|Z|² with Z in field units and T in s (Cagniard
// 1953, in the units of Vozoff 1991, eq. 3).
inline constexpr double kApparentResistivityFactor = 0.2;

}  // namespace mt1d::physics
