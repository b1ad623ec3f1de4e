#pragma once
// Writing a sounding to a file format: the formats, the choice by file name, and what a
// writer says when the target cannot hold the sounding.
//
//     auto format = TargetFormatForPath("site7.xml");      // TargetFormat::kEmtfXml
//     WrittenText out = WriteSounding(sounding, *format);  // throws ConversionError
//     io::WriteFileAtomically(path, out.text);             // and show out.notes
//
// EdiWriter.h and EmtfXmlWriter.h say what each format keeps.

#include "sounding/Sounding.h"

#include <complex>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mt1d::sounding {

enum class TargetFormat { kEdi, kEmtfXml };

// "EDI", "EMTF XML".
std::string_view TargetFormatName(TargetFormat format);

// By the extension, in any case: .edi → EDI, .xml → EMTF XML; nothing for any other.
std::optional<TargetFormat> TargetFormatForPath(const std::filesystem::path& path);

// The target format cannot hold the sounding (an EMTF XML file of apparent resistivity and
// phase, one file frame for rows in several frames, …). what() says what and how to get
// round it; nothing was written.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct WrittenText {
    std::string text;                // the whole file, UTF-8
    std::vector<std::string> notes;  // what the target could not carry, for the user
};

// Throws ConversionError.
WrittenText WriteSounding(const Sounding& sounding, TargetFormat format);

// The shortest decimal text that reads back as exactly `value` (no locale: always a point).
std::string ExactNumber(double value);

// Values from this magnitude on read back as missing-value marks (EDI's 1.0E32 and the
// readers' threshold for it): the writers write them as missing, as they do values that are
// not finite.
inline constexpr double kLargestWritable = 1.0e30;
bool Writable(double value);
bool Writable(const std::optional<std::complex<double>>& value);  // both parts

// Text for a file: control characters other than the tab (a stray byte in a name or a note
// of the file read) become '?'. `changed` is set when anything was replaced.
std::string PrintableText(std::string_view text, bool& changed);

}  // namespace mt1d::sounding
