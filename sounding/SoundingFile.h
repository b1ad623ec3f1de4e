#pragma once
// One entry point for any sounding file: recognises the format from the content (not the
// name), reads it with the right reader and applies the reading options. What the batch
// command feeds whole folders of mixed files to.
//
//     first non-blank line starts with '<'          EMTF XML (EmtfXmlReader.h)
//     '#' comments, then ">LATITUDE =" and the like,
//       or a station line and a J block type        J-format (JFormatReader.h)
//     first non-blank line starts with '>'          EDI (EdiReader.h)
//     first non-blank line starts with '$'          Zonge AVG (ZongeAvgReader.h)
//     first non-blank line "Format: EMData_…"       Occam 1D data (OccamReader.h)
//     anything else that is text                    column text (ColumnReader.h)
//
// Refused with ReadError, naming the file: a file that cannot be opened or is not a regular
// file, more than 64 MB (kMaxFileBytes), an empty file, a binary file, Occam files that are
// not data (model, response and iteration files), and whatever the reader refuses.

#include "sounding/ColumnReader.h"
#include "sounding/ReadOptions.h"
#include "sounding/Sounding.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::sounding {

enum class FileFormat { kEdi, kOccamData, kColumns, kEmtfXml, kJFormat, kZongeAvg };

// "EDI", "Occam data", "column text", "EMTF XML", "J-format", "Zonge AVG".
std::string_view FormatName(FileFormat format);

// Throws ReadError (naming `file`) for an empty or binary content or a recognisable file of
// another kind.
FileFormat DetectFormat(std::string_view bytes, const std::string& file);

// Reads content already in memory. `file` names it in messages; the site name defaults to
// its file name without folder and extension.
Sounding ParseSounding(std::string_view bytes, const std::string& file, const ReadOptions& options = {});

// Reads a file from disk.
Sounding ReadSoundingFile(const std::filesystem::path& path, const ReadOptions& options = {});

}  // namespace mt1d::sounding
