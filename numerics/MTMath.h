#pragma once
// Constants and the two complex functions of the impedance recursion that the core
// builds for itself. Everything is double precision; the complex type is std::complex.

#include <complex>

namespace mt {

using Complex = std::complex<double>;

inline constexpr double kPi = 3.141592653589793;
// Written as its own literal, not computed as 2·π, so the coefficient below is reproducible.
inline constexpr double kTwoPi = 6.283185307179586;
// Subtracted from 2·arg(R) to turn the normalised impedance into the MT phase.
inline constexpr double kQuarterPi = 0.7853981633974483;
// Keeps the inverse hyperbolic tangent off its pole at u = 1.
inline constexpr double kAtanhGuard = 1e-15;
// ln of the largest finite double: beyond it cosh and sinh overflow.
inline constexpr double kLogMaxDouble = 709.782712893384;

// c = −ωμ0 for a frequency in Hz, evaluated left to right as (−2π)·f·4·π·1e-7 with
// μ0 = 4π·1e-7 H/m folded in.
double MinusOmegaMu0(float frequency);

// s = c·i, formed as real times complex: its real part is −0 and its imaginary part −ωμ0,
// so sqrt(s/ρ) is the propagation constant with argument −π/4.
Complex PropagationCoefficient(float frequency);

// tanh(z) = (sinh 2a + i·sin 2b) / (cosh 2a + cos 2b) for z = a + bi; saturates to ±1 + 0i
// once |2a| passes ln(DBL_MAX), so it never overflows.
Complex Tanh(Complex z);

// atanh(u) = log((1 + u) / (1 − u)) / 2. When |u|² is exactly 1 the real part is first
// lowered by kAtanhGuard, so the pole at u = 1 gives a large finite value instead of inf.
Complex GuardedAtanh(Complex u);

}  // namespace mt
