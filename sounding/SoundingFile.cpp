#include "sounding/SoundingFile.h"

#include "sounding/EdiReader.h"
#include "sounding/EmtfXmlReader.h"
#include "sounding/JFormatReader.h"
#include "sounding/Limits.h"
#include "sounding/OccamReader.h"
#include "sounding/ReadError.h"
#include "sounding/Rotation.h"
#include "sounding/TextScan.h"
#include "sounding/ZongeAvgReader.h"

#include <fstream>
#include <stdexcept>

namespace mt1d::sounding {
namespace {

// Looked at for control characters; a text file of any size shows its nature here.
constexpr std::size_t kSniffBytes = 4096;
// More control characters than this share of the sniffed bytes makes a file binary.
constexpr double kBinaryShare = 0.05;

bool LooksBinary(std::string_view bytes)
{
    if (bytes.find('\0') != std::string_view::npos) return true;
    const std::string_view head = bytes.substr(0, kSniffBytes);
    std::size_t control = 0;
    for (const char ch : head) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') || c == 0x7F) ++control;
    }
    return static_cast<double>(control) > kBinaryShare * static_cast<double>(head.size());
}

std::string_view SkipBom(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return bytes;
}

std::string StemOf(const std::string& file)
{
    return std::filesystem::path(file).stem().string();
}

std::string MegaBytes(std::uintmax_t bytes)
{
    return FormatNumber(static_cast<double>(bytes) / (1024.0 * 1024.0), 3) + " MB";
}

}  // namespace

std::string_view FormatName(FileFormat format)
{
    switch (format) {
    case FileFormat::kEdi: return "EDI";
    case FileFormat::kOccamData: return "Occam data";
    case FileFormat::kColumns: return "column text";
    case FileFormat::kEmtfXml: return "EMTF XML";
    case FileFormat::kJFormat: return "J-format";
    case FileFormat::kZongeAvg: return "Zonge AVG";
    }
    return "column text";
}

FileFormat DetectFormat(std::string_view bytes, const std::string& file)
{
    if (Trim(bytes).empty()) throw ReadError(file, 0, ReadProblem::kEmpty, "the file is empty");
    if (LooksBinary(bytes))
        throw ReadError(file, 0, ReadProblem::kBinary,
                        "a binary file; expected an EDI, EMTF XML, J-format, Zonge AVG or Occam data file or columns "
                        "of text");
    bytes = SkipBom(bytes);
    if (LooksLikeJFormat(bytes)) return FileFormat::kJFormat;
    if (LooksLikeZongeAvg(bytes)) return FileFormat::kZongeAvg;
    LineCursor lines(bytes);
    std::string_view line;
    while (lines.Next(line)) {
        const std::string_view t = Trim(line);
        if (t.empty()) continue;
        if (t.front() == '<') return FileFormat::kEmtfXml;
        if (t.front() == '>') return FileFormat::kEdi;
        if (StartsWithIgnoreCase(t, "format:")) {
            const std::string_view what = Trim(t.substr(7));
            if (StartsWithIgnoreCase(what, "EMData")) return FileFormat::kOccamData;
            std::string kind = "'" + ToUtf8(what) + "' file";
            if (StartsWithIgnoreCase(what, "EMResp")) kind = "Occam response file";
            else if (StartsWithIgnoreCase(what, "Resistivity1DMod")) kind = "Occam model file";
            else if (StartsWithIgnoreCase(what, "OCCAMITER")) kind = "Occam iteration file";
            throw ReadError(file, lines.LineNumber(), ReadProblem::kOtherKind,
                            "an " + kind + ", not sounding data; expected 'Format: EMData_1.1'");
        }
        break;
    }
    return FileFormat::kColumns;
}

Sounding ParseSounding(std::string_view bytes, const std::string& file, const ReadOptions& options)
{
    if (bytes.size() > kMaxFileBytes)
        throw ReadError(file, 0, ReadProblem::kTooLarge,
                        "the file is " + MegaBytes(bytes.size()) + "; mt1d reads files up to " + MegaBytes(kMaxFileBytes));
    const FileFormat format = DetectFormat(bytes, file);
    bytes = SkipBom(bytes);
    const std::string name = StemOf(file);
    Sounding s;
    switch (format) {
    case FileFormat::kEdi: s = ParseEdi(bytes, file, name, options); break;
    case FileFormat::kOccamData: s = ParseOccamData(bytes, file, name); break;
    case FileFormat::kColumns: s = ParseColumns(bytes, file, name, options.columns); break;
    case FileFormat::kEmtfXml: s = ParseEmtfXml(bytes, file, name); break;
    case FileFormat::kJFormat: s = ParseJFormat(bytes, file, name); break;
    case FileFormat::kZongeAvg: s = ParseZongeAvg(bytes, file, name); break;
    }
    if ((options.varianceConvention || options.rhoErrorUnit) && format != FileFormat::kEdi)
        s.notes.push_back("the readings of Z.VAR and RHO*.ERR apply to EDI files only; ignored for this " +
                          std::string(FormatName(format)) + " file");
    if (!options.columns.empty() && format != FileFormat::kColumns)
        s.notes.push_back("the column list applies to column text files only; ignored for this " +
                          std::string(FormatName(format)) + " file");
    if (options.rotateToDeg) {
        if (!std::isfinite(*options.rotateToDeg)) throw ReadError(file, 0, ReadProblem::kNotApplicable, "the rotation angle is not a number");
        if (s.kind != DataKind::kImpedance)
            throw ReadError(file, 0, ReadProblem::kNotApplicable,
                            "cannot rotate: the file holds only apparent resistivity and phase, no impedance tensor");
        RotateTo(s, *options.rotateToDeg);
    }
    return s;
}

Sounding ReadSoundingFile(const std::filesystem::path& path, const ReadOptions& options)
{
    const std::string file = path.string();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status))
        throw ReadError(file, 0, ReadProblem::kCannotRead, "cannot open: " + (ec ? ec.message() : std::string("no such file")));
    if (!std::filesystem::is_regular_file(status)) throw ReadError(file, 0, ReadProblem::kCannotRead, "not a regular file");
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) throw ReadError(file, 0, ReadProblem::kCannotRead, "cannot read its size: " + ec.message());
    if (size > kMaxFileBytes)
        throw ReadError(file, 0, ReadProblem::kTooLarge, "the file is " + MegaBytes(size) + "; mt1d reads files up to " + MegaBytes(kMaxFileBytes));

    std::ifstream in(path, std::ios::binary);
    if (!in) throw ReadError(file, 0, ReadProblem::kCannotRead, "cannot open for reading");
    // Read at most one byte beyond the limit, in case the file grew since its size was taken.
    std::string bytes(static_cast<std::size_t>(size) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) throw ReadError(file, 0, ReadProblem::kCannotRead, "read error");
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxFileBytes)
        throw ReadError(file, 0, ReadProblem::kTooLarge, "the file is larger than " + MegaBytes(kMaxFileBytes) + ", the most mt1d reads");
    return ParseSounding(bytes, file, options);
}

}  // namespace mt1d::sounding
