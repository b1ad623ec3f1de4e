#pragma once
// Reads a Zonge AVG file (the averaged impedances that Zonge's MTEdit writes, .avg) into a
// sounding.
//
//     $Survey.Type=MT                     '$' lines: KEY=VALUE; those before the first
//     $GPS.Lat=44.1479163                 component are the file's header
//     $Rx.Cmp = Zxy                       a component: Zxx … Zyy, with an optional suffix
//     Skp,Freq,E.mag,B.mag,Z.mag,Z.phz,ARes.mag,ARes.%err,Z.perr,Coher,FC.NUse,FC.NTry
//     2,  1,  4.5E-02, 2.1E-03, 1.9351E+01, 392, 7.489E+01, 6, 30, 0.954, 328, 1267
//
// Two layouts are in common use and both are read: one column header for the whole file,
// before the first component (older MTEdit), or channel metadata ($Ch.…) and a column header
// after each $Rx.Cmp line (newer MTEdit). The columns are found by their names, so their
// order does not matter.
//
// Units, as MTEdit writes them (checked on real files: ARes.mag = 0.2·|Z.mag|²/Freq):
// Freq in Hz; Z.mag in (mV/km)/nT; Z.phz and Z.perr in milliradians; ARes.mag in Ω·m;
// ARes.%err the error of ρa in percent. The tensor is Z.mag·e^{i·Z.phz}; without Z.mag,
// |Z| = sqrt(5·f·ρa). Variance of Z: (|Z|·ARes.%err/200)², the relative error of |Z| being
// half that of ρa (Z.perr/1000 without ARes.%err).
//
// Impedances whose xy phases lie near −135° and yx phases near +45° (MTEdit without its
// Auto.PhaseFlip) are the negatives of the usual ones: all four elements are negated, with a
// note. Components other than impedances (Tzx, Tzy whose sign depends on an MTEdit setting
// not in the file; Rxx, Ryx magnetic transfer functions) are skipped with a note. The Skp
// column is not applied.
//
// Refused (ReadError with file and line): data before a column header or a component line,
// a column header without Freq, a row with another number of values than its header names,
// text where a number belongs, no impedance component, more than 10,000 frequencies.

#include "sounding/Sounding.h"

#include <string>
#include <string_view>

namespace mt1d::sounding {

// Whether the text starts as an AVG file does: its first non-blank line is a '$' line or the
// column header ("Skp,Freq,…").
bool LooksLikeZongeAvg(std::string_view bytes);

// `file` names the file in messages and in Sounding::sourceName; `defaultName` is the site
// name when the file names no station.
Sounding ParseZongeAvg(std::string_view bytes, const std::string& file, const std::string& defaultName);

}  // namespace mt1d::sounding
