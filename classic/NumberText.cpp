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

}  // namespace


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
