#pragma once
// The section's colours: conductive rock red, resistive rock blue, as MT sections are drawn.
// A fraction of the colour range (0 at log10Min, 1 at log10Max) runs through red, orange,
// yellow, green, cyan and blue, interpolated linearly in RGB between those stops.

#include "section/Section.h"

#include <QColor>

namespace mt1d::section {

QColor ColourAtFraction(double fraction);

// The colour of log10 ρ on the range; values outside take the end colours.
inline QColor ColourOf(const ColourRange& range, double log10Rho) { return ColourAtFraction(range.Fraction(log10Rho)); }

// What lies below a site's depth of investigation is covered with this (translucent) grey.
QColor BelowInvestigationVeil();

}  // namespace mt1d::section
