#pragma once
// The >=MTSECT section of an EDI file: frequencies, rotation angles, impedances with
// variances, or apparent resistivity and phase with errors when the file has no impedances.
//
// - FREQ decides the number of frequencies N; NFREQ larger than N means a cut-short block and
//   is refused, smaller is noted. Every block read must hold N values.
// - Impedance: ZxxR/ZxxI (both or neither) and ZXX.VAR for each element. A missing value
//   drops that element at that frequency only; a variance ≤ 0 or missing means no error.
// - Rotation: ROT=<angle> on the impedance blocks, else the ZROT block, else 0.
// - Without impedance blocks, RHOXY/PHSXY and RHOYX/PHSYX with their .ERR blocks (rotation:
//   ROT=<angle>, else RHOROT). RHO*.ERR is read as the standard error of log10 ρa, as the
//   writers of such files use it (δρa = ρa·ln 10·σ); PHS*.ERR in degrees. With impedances
//   present these blocks are ignored.
// - Tipper and derived blocks (TX*, TY*, ZSTRIKE, COH, …) and any unknown block are skipped.

#include "sounding/EdiBlocks.h"
#include "sounding/EdiHeader.h"
#include "sounding/Sounding.h"

#include <string>
#include <vector>

namespace mt1d::sounding {

struct EdiSectionRows {
    DataKind kind = DataKind::kImpedance;
    std::vector<TensorRow> tensor;
    std::vector<RhoPhaseRow> rhoPhase;
    std::vector<std::string> notes;
};

// The section whose marker is lexed.blocks[section]. Throws ReadError.
EdiSectionRows ReadEdiMtSection(const EdiLexed& lexed, std::size_t section, const EdiHeader& header,
                                const std::string& file);

// The blocks that belong to the section at `section`: those after it up to the next section
// marker (HEAD, INFO, DEFINEMEAS, MTSECT, SPECTRASECT) or the end.
std::vector<const EdiBlock*> SectionBlocks(const EdiLexed& lexed, std::size_t section);

}  // namespace mt1d::sounding
