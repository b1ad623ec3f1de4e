#include "sounding/SoundingWriter.h"

#include "sounding/ImpedanceErrors.h"

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

namespace {

// Both formats are written with the variances of the complex impedance, the reading a reader
// takes by default: a sounding read the other way has its variances converted, so that the
// written file gives the same errors back.
Sounding WithComplexVariances(const Sounding& sounding, std::vector<std::string>& notes)
{
    if (sounding.varianceConvention == VarianceConvention::kComplex) return sounding;
    Sounding converted = sounding;
    for (TensorRow& row : converted.tensor) {
        for (ImpedanceElement& e : row.z) {
            if (e.variance) {
                e.variance = VarianceForPartError(PartError(*e.variance, sounding.varianceConvention),
                                                  VarianceConvention::kComplex);
            }
        }
    }
    converted.varianceConvention = VarianceConvention::kComplex;
    notes.push_back("the variances were read as those of each part of Z and are written as those of the complex "
                    "impedance (twice as large), the reading a reader takes by default");
    return converted;
}

}  // namespace

WrittenText WriteSounding(const Sounding& sounding, TargetFormat format)
{
    std::vector<std::string> notes;
    const Sounding written = WithComplexVariances(sounding, notes);
    WrittenText text = format == TargetFormat::kEdi ? WriteEdi(written) : WriteEmtfXml(written);
    text.notes.insert(text.notes.begin(), notes.begin(), notes.end());
    return text;
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
