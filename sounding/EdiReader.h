#pragma once
// Reads an EDI file (SEG MT/EMAP Data Interchange Standard, 1987) into a sounding.
//
// What it survives, because real files do it: LF, CRLF and lone CR line ends; UTF-8 or
// Latin-1 in the text sections; indented markers and keywords in any case; ">!…!" comment
// lines; "// n" counts that are missing or wrong (hints only: a block is read up to the next
// marker); any number of values per line, 2- and 3-digit exponents, a leading '+'; missing
// values written 1.0E32, 1E+32, 1.000000e+032 or as EMPTY= says, and tokens such as
// "******"; frequencies ascending or unsorted; unknown blocks (skipped). See EdiMtSection.h
// and EdiSpectra.h for the two kinds of data section; a file with both is read from its
// >=MTSECT.
//
// What it refuses (ReadError, naming file, line and what was expected): no data section,
// no >FREQ block, a block holding another number of values than there are frequencies or
// fewer than its count announces, a word among numbers, a repeated block or frequency,
// more than 10,000 frequencies.

#include "sounding/ReadOptions.h"
#include "sounding/Sounding.h"

#include <string>
#include <string_view>

namespace mt1d::sounding {

// `file` names the file in messages and in Sounding::sourceName; `defaultName` is the site
// name when the file has no DATAID. Of the options, the readings of Z.VAR and RHO*.ERR apply
// (EdiMtSection.h); rotation and columns are ParseSounding's.
Sounding ParseEdi(std::string_view bytes, const std::string& file, const std::string& defaultName,
                  const ReadOptions& options = {});

}  // namespace mt1d::sounding
