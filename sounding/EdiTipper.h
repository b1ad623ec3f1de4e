#pragma once
// The tipper of an EDI >=MTSECT section, kept with the impedance rows so that a conversion
// to another format carries it (no curve uses it).
//
// Blocks TXR.EXP, TXI.EXP, TXVAR.EXP and the same for TY; their frame is ROT=<angle> on the
// blocks, else the angles of the TROT (or TROT.EXP) block, else 0, and each row's tipper is
// turned into the frame of its impedances (Rotation.h). A tipper block that is broken or
// holds another number of values than there are frequencies leaves the whole tipper out,
// with a note: the impedances stay readable.

#include "sounding/EdiBlocks.h"
#include "sounding/EdiHeader.h"
#include "sounding/Sounding.h"

#include <string>
#include <vector>

namespace mt1d::sounding {

// `rows` are the section's impedance rows in file order (one per >FREQ value).
void ReadEdiTipper(const EdiLexed& lexed, std::size_t section, const EdiHeader& header, const std::string& file,
                   std::vector<TensorRow>& rows, std::vector<std::string>& notes);

}  // namespace mt1d::sounding
