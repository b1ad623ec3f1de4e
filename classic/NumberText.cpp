#include "classic/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace mt1d {

namespace {

// The smallest magnitude that rounds to infinity as a float: the largest float plus half a
// unit in its last place (ties round to the even neighbour, which is infinity).
constexpr double kFloatOverflow = 0x1.ffffffp+127;

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string NonFiniteText(double value)
{
    if (std::isnan(value)) return "NAN";
    return value > 0 ? "INF" : "-INF";
}

[[noreturn]] void RejectNumber(std::string_view text)
{
    const std::string t = Excerpt(text);
    throw InputError("“" + t + "” 不是有效的数字 ('" + t + "' is not a valid number)");
}

[[noreturn]] void RejectFloatRange(std::string_view text)
{
    const std::string t = Excerpt(text);
    throw InputError("“" + t + "” 超出可表示的数值范围 ('" + t +
                     "' is out of range: magnitudes from 1.4e-45 to 3.4028235e+38, or 0)");
}

[[noreturn]] void RejectInteger(std::string_view text)
{
    const std::string t = Excerpt(text);
    throw InputError("“" + t + "” 不是有效的整数 ('" + t + "' is not a valid integer)");
}

[[noreturn]] void RejectIntegerRange(std::string_view text)
{
    const std::string t = Excerpt(text);
    throw InputError("“" + t + "” 超出整数范围 ('" + t +
                     "' is out of range: integers from -2147483648 to 2147483647)");
}

// Digits, at most one point before an optional exponent with optional sign and digits.
bool IsDecimalNumber(std::string_view s)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    int digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9') {
            ++digits;
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        int expDigits = 0;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0 when it is not one
// (a stray continuation byte, an overlong or truncated sequence, a value beyond U+10FFFF).
std::size_t Utf8Length(std::string_view s)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
    }
    // Overlong three- and four-byte forms, and four-byte forms beyond U+10FFFF.
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xF0 && byte(1) < 0x90) ||
        (lead == 0xF4 && byte(1) > 0x8F)) {
        return 0;
    }
    return length;
}

std::string ByteEscape(unsigned char c)
{
    std::array<char, 8> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "\\x%02x", static_cast<unsigned>(c));
    return buffer.data();
}

}  // namespace

std::string Excerpt(std::string_view text, std::size_t maxCharacters)
{
    std::string out;
    std::size_t characters = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (characters == maxCharacters) return out + "…";
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7f) {
            out += ByteEscape(c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const std::size_t length = Utf8Length(text.substr(i)); length > 0) {
            out += text.substr(i, length);
            i += length;
            ++characters;
            continue;
        } else {
            out += ByteEscape(c);
        }
        ++i;
        ++characters;
    }
    return out;
}

std::string FormatScientific(double value, int decimals)
{
    if (!std::isfinite(value)) return NonFiniteText(value);
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, decimals);
    std::string text(buffer.data(), result.ptr);
    for (char& c : text) {
        if (c == 'e') c = 'E';
    }
    return text;
}

std::string FormatFixed1(double value)
{
    if (!std::isfinite(value)) return NonFiniteText(value);
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, 1);
    std::string text(buffer.data(), result.ptr);
    if (text == "-0.0") text = "0.0";  // a value that rounds to zero carries no sign
    return text;
}

std::string FormatLimit(float value)
{
    if (!std::isfinite(value)) return NonFiniteText(value);
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific);
    const std::string text(buffer.data(), result.ptr);
    const std::size_t e = text.find('e');
    std::string exponent = text.substr(e + 1);
    const bool negative = exponent.front() == '-';
    exponent.erase(0, exponent.find_first_not_of("+-0"));
    if (exponent.empty()) return text.substr(0, e);
    return text.substr(0, e) + "e" + (negative ? "-" : "") + exponent;
}

float ParseFloat(std::string_view text)
{
    const std::string_view s = Trim(text);
    if (!IsDecimalNumber(s)) RejectNumber(text);
    // from_chars takes no leading plus.
    const std::string_view digits = s.front() == '+' ? s.substr(1) : s;
    double value = 0.0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc::result_out_of_range) RejectFloatRange(text);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
        RejectNumber(text);
    }
    // Narrowed as IEEE rounding does, without ever converting a double that overflows.
    const double magnitude = std::fabs(value);
    if (magnitude >= kFloatOverflow) RejectFloatRange(text);
    if (magnitude > std::numeric_limits<float>::max()) {
        return value > 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
    }
    const float narrowed = static_cast<float>(value);
    if (narrowed == 0.0f && value != 0.0) RejectFloatRange(text);
    return narrowed;
}

int ParseInt(std::string_view text)
{
    const std::string_view s = Trim(text);
    const std::string_view digits = !s.empty() && s.front() == '+' ? s.substr(1) : s;
    if (digits.empty() || (s.front() == '+' && digits.front() == '-')) RejectInteger(text);
    int value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ptr != digits.data() + digits.size()) RejectInteger(text);
    if (result.ec == std::errc::result_out_of_range) RejectIntegerRange(text);
    if (result.ec != std::errc()) RejectInteger(text);
    return value;
}

}  // namespace mt1d
