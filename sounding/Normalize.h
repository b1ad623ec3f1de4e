#pragma once
// The last step of every reader: puts a freshly read sounding into the form Sounding.h
// promises.
// - Rows sorted from the highest frequency to the lowest, each row moved as a whole, so
//   that every block of the file is permuted alike. Rows whose frequency is not a positive
//   finite number go last, in file order. A frequency that appears twice is refused.
// - Time convention: when more than half of the xy phases (ρa/φ files without xy: det, then
//   berd) lie in (−90°, 0°), the file was written with e^{−iωt}; impedances and tipper are
//   conjugated (ρa/φ: phases negated) and a note says so.
// - ρa/φ files: yx phases stored near −135° (more than half below −90°) are shifted by 180°;
//   phases stored in the first quadrant already stay as they are, and the sounding says so.

#include "sounding/Sounding.h"

namespace mt1d::sounding {

// Throws ReadError (naming sounding.sourceName) for a repeated frequency.
void NormalizeSounding(Sounding& sounding);

}  // namespace mt1d::sounding
