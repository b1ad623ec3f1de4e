#pragma once
// Reads an Occam 1D data file ("Format: EMData_1.1", as the common MT packages write them
// for Occam1DCSEM) into a ρa/φ sounding.
//
//     Format:  EMData_1.1
//     !mode:   DET                    optional: the xy rows then hold the determinant
//     !rotation_angle = 0.00          optional
//     # Transmitters: 1               followed by that many lines (skipped)
//     # Frequencies: 30               followed by that many frequencies (Hz)
//     # Receivers: 1                  followed by that many lines (one receiver only)
//     # Data: 60                      followed by rows:
//     RhoZxy  1  0  1  +8.59e+02  +3.43e+01    type, frequency number, transmitter,
//                                              receiver, value, standard error
//
// Types by name or code: RhoZxy 103, PhsZxy 104, RhoZyx 105, PhsZyx 106 (Ω·m, degrees),
// log10RhoZxy 123, log10RhoZyx 125 (error of log10 ρa: δρa = ρa·ln 10·σ), RealZxy 113,
// ImagZxy 114, RealZyx 115, ImagZyx 116 (impedance in ohms, E/H; converted to ρa and φ, with
// dZ = sqrt((σ_re² + σ_im²)/2)). Rows of other types (diagonal elements, tipper, CSEM) are
// skipped with a note. Lines starting with '!' or '%' are comments.
//
// Refused (ReadError with file and line): no Format line, a count larger than what follows,
// a row without six fields, text where a number belongs, a frequency number out of range,
// the same quantity twice for one frequency, more than one receiver, no MT data.

#include "sounding/Sounding.h"

#include <string>
#include <string_view>

namespace mt1d::sounding {

Sounding ParseOccamData(std::string_view bytes, const std::string& file, const std::string& defaultName);

}  // namespace mt1d::sounding
