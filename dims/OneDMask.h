#pragma once
// Keeps only the rows of a curve that the phase tensor finds one-dimensional (the command
// line's --only-1d): a 1-D model fitted to 2-D or 3-D rows explains structure that is not
// there.

#include "dims/Dimensionality.h"
#include "sounding/Curve.h"

#include <cstddef>

namespace mt1d::dims {

// Makes every usable row of `curve` unusable whose frequency `dims` (from the same sounding)
// does not find 1-D, with the reason: "not 1-D: skew 5.2° > 3°", "not 1-D: no phase tensor
// (Zxx missing)", or "not 1-D: no impedance tensor at this frequency" when `dims` has no row
// within 1e-6 relative of it. Rows already unusable keep their reason. Adds a note to the
// curve when it changes a row, and returns how many it changed.
std::size_t ApplyOneDMask(sounding::Curve& curve, const DimsResult& dims);

}  // namespace mt1d::dims
