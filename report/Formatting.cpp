#include "report/Formatting.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace mt1d::report {

namespace {

std::string Dump(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

bool IsPlain(const Json& value) { return !value.is_structured(); }

// Characters an array of texts may take on one line; longer ones (notes) get a line each.
constexpr std::size_t kOneLineTexts = 100;

// An object of plain values, an array of numbers or a short array of texts: one line.
bool FitsOnOneLine(const Json& value)
{
    if (!value.is_structured()) return true;
    if (value.is_array()) {
        bool texts = false;
        for (const Json& element : value) {
            if (element.is_structured()) return false;
            texts = texts || element.is_string();
        }
        return !texts || Dump(value).size() <= kOneLineTexts;
    }
    for (const auto& member : value) {
        if (!IsPlain(member)) return false;
    }
    return true;
}

void Write(std::string& out, const Json& value, std::size_t indent)
{
    if (value.empty() || FitsOnOneLine(value)) {
        if (!value.is_structured()) {
            out += Dump(value);
            return;
        }
        const bool object = value.is_object();
        out += object ? "{" : "[";
        bool first = true;
        for (auto it = value.begin(); it != value.end(); ++it) {
            out += first ? "" : ", ";
            if (object) out += Dump(it.key()) + ": ";
            out += Dump(*it);
            first = false;
        }
        out += object ? "}" : "]";
        return;
    }
    const std::string inner(indent + 2, ' ');
    const bool object = value.is_object();
    out += object ? "{" : "[";
    bool first = true;
    for (auto it = value.begin(); it != value.end(); ++it) {
        out += (first ? "\n" : ",\n") + inner;
        if (object) out += Dump(it.key()) + ": ";
        Write(out, *it, indent + 2);
        first = false;
    }
    out += "\n" + std::string(indent, ' ') + (object ? "}" : "]");
}

std::size_t Utf8Length(std::string_view text)
{
    std::size_t n = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;  // not a continuation byte
    }
    return n;
}

}  // namespace


std::string JsonLayout(const Json& value)
{
    std::string out;
    Write(out, value, 0);
    return out;
}


std::string Significant(double value, int digits)
{
    if (!std::isfinite(value)) return "-";
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, digits);
    return std::string(buffer.data(), result.ptr);
}

std::string Significant(const std::optional<double>& value, int digits)
{
    return value ? Significant(*value, digits) : "-";
}

std::string Rounded(double value, int digits)
{
    const double magnitude = std::abs(value);
    if (!std::isfinite(value) || magnitude < 1e-3 || magnitude >= 1e7) return Significant(value, digits);
    // Decimals after the point that leave `digits` significant ones, taking the decade of the
    // rounded value (0.99996 rounds to 1.000, not to 1.0000).
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    if (std::round(magnitude * std::pow(10.0, digits - 1 - exponent)) >= std::pow(10.0, digits)) ++exponent;
    const int decimals = std::max(0, digits - 1 - exponent);
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed,
                                      decimals);
    return std::string(buffer.data(), result.ptr);
}

std::string Rounded(const std::optional<double>& value, int digits) { return value ? Rounded(*value, digits) : "-"; }

std::string AlignRight(std::string_view text, std::size_t width)
{
    const std::size_t n = Utf8Length(text);
    return std::string(n < width ? width - n : 0, ' ') + std::string(text);
}

std::string AlignLeft(std::string_view text, std::size_t width)
{
    const std::size_t n = Utf8Length(text);
    return std::string(text) + std::string(n < width ? width - n : 0, ' ');
}

}  // namespace mt1d::report
