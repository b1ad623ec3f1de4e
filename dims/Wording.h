#pragma once
// Numbers in the analysis's reasons and notes: a point as the decimal separator whatever the
// locale (the window sets the user's), and no more digits than the reader needs.

#include <string>

namespace mt1d::dims {

// Up to `significant` significant digits as %g writes them (5.2, 0.1, 1e-05).
std::string Significant(double value, int significant);

// `value`, known to exceed `limit`, with the fewest digits (two at least, nine at most) that
// still read as more than the limit: 5.2 against 3, 0.1001 against 0.1.
std::string AboveLimit(double value, double limit);

}  // namespace mt1d::dims
