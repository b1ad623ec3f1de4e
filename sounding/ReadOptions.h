#pragma once
// The choices a user makes about how a sounding file is read. Every reader takes them through
// ParseSounding/ReadSoundingFile (SoundingFile.h); each field says which files it concerns and
// what an empty value means.

#include "sounding/ColumnReader.h"
#include "sounding/ImpedanceErrors.h"

#include <optional>
#include <string_view>
#include <vector>

namespace mt1d::sounding {

// The unit of the errors in EDI RHO*.ERR blocks: the standard error of log10 ρa (as WinGLink
// and the CGG exports write it; δρa = ρa·ln 10·σ), or of ρa itself in Ω·m.
enum class RhoErrorUnit { kLog10, kOhmM };

// "log10", "ohmm".
std::string_view RhoErrorUnitName(RhoErrorUnit unit);
// The unit of one of those names, in any case; nothing for any other text.
std::optional<RhoErrorUnit> ParseRhoErrorUnit(std::string_view name);
// "log10|ohmm", for help texts and messages.
std::string_view RhoErrorUnitNameList();

struct ReadOptions {
    // Column files: the columns, replacing or supplying the header (ParseColumnList makes
    // this from the user's text). Empty: the file's header. Other formats ignore it, with a
    // note.
    std::vector<Column> columns;
    // Rotate the impedance tensor into the frame whose x axis points this many degrees
    // clockwise from north (Rotation.h). Empty: keep the file's frame. A file with only ρa
    // and phase is refused when an angle is given.
    std::optional<double> rotateToDeg;
    // EDI impedance files: what the .VAR blocks are the variance of (ImpedanceErrors.h).
    // Empty: the reading the file's own PHS*.ERR blocks show where it has them, else
    // kDefaultVarianceConvention (complex). A forced reading that the error blocks
    // contradict is used all the same, with a note.
    std::optional<VarianceConvention> varianceConvention;
    // EDI files with only ρa and phase: the unit of the RHO*.ERR blocks. Empty: decided per
    // file from the data (EdiMtSection.h), with a note saying which and why.
    std::optional<RhoErrorUnit> rhoErrorUnit;
};

}  // namespace mt1d::sounding
