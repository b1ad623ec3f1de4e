#pragma once
// The >=MTSECT section of an EDI file: frequencies, rotation angles, impedances with
// variances, or apparent resistivity and phase with errors when the file has no impedances.
//
// - FREQ decides the number of frequencies N; NFREQ larger than N means a cut-short block and
//   is refused, smaller is noted. Every block read must hold N values.
// - Impedance: ZxxR/ZxxI (both or neither) and ZXX.VAR for each element. A missing value
//   drops that element at that frequency only; a variance ≤ 0 or missing means no error.
// - Rotation: ROT=<angle> on the impedance blocks, else the ZROT block, else 0.
// - How .VAR is read (ImpedanceErrors.h): where the file also has PHSXY.ERR or PHSYX.ERR, the
//   median ratio of those phase errors to atan(sqrt(VAR)/|Z|) shows its writer's reading,
//   1/√2 for the variance of the complex value and 1 for that of each part (within 5 %);
//   else the default (complex). ReadOptions::varianceConvention overrides it. The notes say
//   which reading was used and why.
// - Without impedance blocks, RHOXY/PHSXY and RHOYX/PHSYX with their .ERR blocks (rotation:
//   ROT=<angle>, else RHOROT); PHS*.ERR in degrees. RHO*.ERR is the standard error of
//   log10 ρa (δρa = ρa·ln 10·σ) in WinGLink and CGG exports, of ρa in Ω·m in others; the
//   file decides: each RHO.ERR/PHS.ERR pair votes for the unit whose expected ratio it lies
//   closer to (0.01516 for log10, 0.0349·ρa for Ω·m), ties for log10; without phase errors,
//   more than a quarter of the values above 1 (a factor of ten as log10) mean Ω·m.
//   ReadOptions::rhoErrorUnit overrides it; the notes say which unit was used and why.
//   With impedances present these blocks are not read as data.
// - Tipper and derived blocks (TX*, TY*, ZSTRIKE, COH, …) and any unknown block are skipped.

#include "sounding/EdiBlocks.h"
#include "sounding/EdiHeader.h"
#include "sounding/ReadOptions.h"
#include "sounding/Sounding.h"

#include <string>
#include <vector>

namespace mt1d::sounding {

struct EdiSectionRows {
    DataKind kind = DataKind::kImpedance;
    std::vector<TensorRow> tensor;
    std::vector<RhoPhaseRow> rhoPhase;
    VarianceConvention varianceConvention = kDefaultVarianceConvention;
    std::vector<std::string> notes;
};

// The section whose marker is lexed.blocks[section]. Throws ReadError.
EdiSectionRows ReadEdiMtSection(const EdiLexed& lexed, std::size_t section, const EdiHeader& header,
                                const std::string& file, const ReadOptions& options = {});

// The blocks that belong to the section at `section`: those after it up to the next section
// marker (HEAD, INFO, DEFINEMEAS, MTSECT, SPECTRASECT) or the end.
std::vector<const EdiBlock*> SectionBlocks(const EdiLexed& lexed, std::size_t section);

}  // namespace mt1d::sounding
