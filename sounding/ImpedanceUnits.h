#pragma once
// Impedance units as files name them, and the factor to the field units (mV/km)/nT that
// Sounding holds.
//
//     (mV/km)/nT, [mV/km]/[nT], mV/km/nT,
//     millivolts_per_kilometer_per_nanotesla              1
//     ohm, ohms, Ω, [V/m]/[A/m]  (E/H)                   10⁴/(4π) = 795.775
//     [V/m]/[T], m/s  (E/B in SI)                         10⁻³ (1 V/m per T = 10⁶ mV/km per 10⁹ nT)
//
// Variances scale with the square of the factor.

#include <optional>
#include <string_view>

namespace mt1d::sounding {

// The factor, or nothing for a unit not in the list. Case, blanks, brackets, parentheses and
// underscores do not matter.
std::optional<double> FieldUnitsPer(std::string_view units);

}  // namespace mt1d::sounding
