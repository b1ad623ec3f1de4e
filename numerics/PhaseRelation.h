#pragma once
// The two phases the program shows. The classic window's phase is 2·arg(R) − π/4 of the
// normalised impedance R (−45° over a uniform half-space); field
// data and the field views use the conventional impedance phase φ = arg Z in degrees (45° over
// a half-space, e^{+iωt}). For the same layered earth they are related by
//     classic = 45° − 2·φ,    φ = (45° − classic) / 2,
// both in degrees.

namespace mt1d {

constexpr double ClassicPhaseDegrees(double impedancePhaseDeg) { return 45.0 - 2.0 * impedancePhaseDeg; }

constexpr double ImpedancePhaseDegrees(double classicPhaseDeg) { return (45.0 - classicPhaseDeg) / 2.0; }

}  // namespace mt1d
