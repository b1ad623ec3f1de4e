#pragma once
// Reads a Jones J-format file (A. G. Jones, "Magnetotelluric data file J-format", 1994; the
// output of BIRRP and of LIMS, usually .j or .dat) into a sounding.
//
//     # comment lines                    kept as the site's free text
//     >LATITUDE = 45.1                   information lines: LATITUDE, LONGITUDE, ELEVATION,
//     >AZIMUTH  = 0.0                    AZIMUTH (the frame of the data); others kept as header
//     BP05                               the station name
//     ZXY S.I.                           a block: its type, for impedances their units
//     14                                 the number of rows
//     1.333  24.26  -26.86  2.30  0.5    the rows
//
// Block types used (others, e.g. RTE or the coherences, are skipped with a note):
//     ZXX ZXY ZYX ZYY   period, Re Z, Im Z, standard error of Z[, weights…]; units "S.I."
//                       (or "SI") ohms, otherwise (mV/km)/nT
//     RXY RYX RDE       period, ρa, φ, ρa max, ρa min, φ max, φ min[, weights]; the error is
//                       half the max–min range (the file's ±1σ bounds)
//     TZX TZY           period, Re T, Im T, standard error of T
// A negative period is a frequency in Hz; -999 marks a missing value, and a row whose period
// is -999 is skipped. With impedance blocks the sounding is a tensor (variance = error²) and
// the R blocks serve as a check of the impedance units: when the file's ρa agrees with the
// impedances read in the other unit (a factor (10⁴/4π)² apart), that unit is taken, with a
// note — BIRRP labels its impedances "S.I." when they are in field units. Without impedance
// blocks it is a ρa/φ sounding (xy, yx, det).
//
// Refused (ReadError with file and line): a block without a row count, a block cut short or
// holding text among its numbers, a row with too few numbers, more than 10,000 rows in a
// block, a period of 0, no usable block at all, a period twice in one block, impedance
// blocks in different units.

#include "sounding/Sounding.h"

#include <string>
#include <string_view>

namespace mt1d::sounding {

// Whether the text starts as a J-format file does: after '#' comments, an information line
// (">LATITUDE =", ">AZIMUTH =" …) or a station line and a block (a J block type followed by a
// row count). Looks at the first lines only.
bool LooksLikeJFormat(std::string_view bytes);

// `file` names the file in messages and in Sounding::sourceName; `defaultName` is the site
// name when the file has no station line.
Sounding ParseJFormat(std::string_view bytes, const std::string& file, const std::string& defaultName);

}  // namespace mt1d::sounding
