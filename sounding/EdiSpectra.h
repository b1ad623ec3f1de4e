#pragma once
// The >=SPECTRASECT section of an EDI file: impedances computed from cross-spectra.
//
// The channel order is the ID list after the section's "// NCHAN"; each ID is mapped to its
// type through the HMEAS/EMEAS lines. Each >SPECTRA block (FREQ=, ROTSPEC=, BW=, AVGT=,
// "// NCHAN²" optional) is a real NCHAN × NCHAN matrix A, row-major: for channels i < j the
// cross-power is S_ij = A[i][j] + i·A[j][i] (real parts above the diagonal, imaginary parts
// below), S_ji = conj(S_ij), and A[i][i] the auto-powers.
//
// With reference channels R = (Rx, Ry), each impedance row (E = Ex or Ey) is
//     [Z_Ex  Z_Ey] = [S_E,Rx  S_E,Ry] · inv([[S_Hx,Rx  S_Hx,Ry], [S_Hy,Rx  S_Hy,Ry]]),
// which reproduces the impedances a processing package wrote for the same site to 4e-7. The
// reference channels are those typed RX/RY (RRHX/RRHY); else a second HX/HY pair; else a
// second EX/EY pair (some writers type their remote channels so); else the local HX/HY,
// which gives the single-site estimate, biased by noise in H. ROTSPEC gives the frame of
// the impedances, as ZROT does.
//
// The impedances carry no variances: the stacked matrices of real files are not
// consistent covariance matrices (coherences above 1), so no error estimate can be drawn
// from them; the error floor sets every error.

#include "sounding/EdiBlocks.h"
#include "sounding/EdiHeader.h"
#include "sounding/EdiMtSection.h"

#include <string>

namespace mt1d::sounding {

// The section whose marker is lexed.blocks[section]. Throws ReadError.
EdiSectionRows ReadEdiSpectraSection(const EdiLexed& lexed, std::size_t section, const EdiHeader& header,
                                     const std::string& file);

}  // namespace mt1d::sounding
