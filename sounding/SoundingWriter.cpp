#include "sounding/SoundingWriter.h"

#include "sounding/EdiWriter.h"
#include "sounding/EmtfXmlWriter.h"
#include "sounding/TextScan.h"

#include <array>
#include <charconv>
#include <cmath>

namespace mt1d::sounding {

std::string_view TargetFormatName(TargetFormat format)
{
    return format == TargetFormat::kEdi ? "EDI" : "EMTF XML";
}

std::optional<TargetFormat> TargetFormatForPath(const std::filesystem::path& path)
{
    const std::string ext = path.extension().string();
    if (EqualsIgnoreCase(ext, ".edi")) return TargetFormat::kEdi;
    if (EqualsIgnoreCase(ext, ".xml")) return TargetFormat::kEmtfXml;
    return std::nullopt;
}

WrittenText WriteSounding(const Sounding& sounding, TargetFormat format)
{
    return format == TargetFormat::kEdi ? WriteEdi(sounding) : WriteEmtfXml(sounding);
}

std::string ExactNumber(double value)
{
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

bool Writable(double value)
{
    return std::isfinite(value) && std::abs(value) < kLargestWritable;
}

bool Writable(const std::optional<std::complex<double>>& value)
{
    return value && Writable(value->real()) && Writable(value->imag());
}

std::string PrintableText(std::string_view text, bool& changed)
{
    std::string out(text);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 0x20 && u != 0x7F) || c == '\t') continue;
        c = '?';
        changed = true;
    }
    return out;
}

}  // namespace mt1d::sounding
