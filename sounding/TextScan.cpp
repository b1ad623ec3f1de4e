#include "sounding/TextScan.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <limits>

namespace mt1d::sounding {

LineCursor::LineCursor(std::string_view text, int firstLine) : text_(text), number_(firstLine - 1) {}

bool LineCursor::Next(std::string_view& line)
{
    if (pos_ >= text_.size()) return false;
    const std::size_t start = pos_;
    std::size_t end = start;
    while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
    line = text_.substr(start, end - start);
    pos_ = end;
    if (pos_ < text_.size()) {
        if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
    }
    ++number_;
    return true;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

namespace {

bool IsSeparator(char c)
{
    return IsBlank(c) || c == ',' || c == '\r' || c == '\n';
}

char Upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

bool TokenCursor::Next(std::string_view& token)
{
    while (pos_ < line_.size() && IsSeparator(line_[pos_])) ++pos_;
    if (pos_ >= line_.size()) return false;
    const std::size_t start = pos_;
    while (pos_ < line_.size() && !IsSeparator(line_[pos_])) ++pos_;
    token = line_.substr(start, pos_ - start);
    return true;
}

std::string_view Trim(std::string_view text)
{
    std::size_t a = 0;
    std::size_t b = text.size();
    while (a < b && (IsBlank(text[a]) || text[a] == '\r' || text[a] == '\n')) ++a;
    while (b > a && (IsBlank(text[b - 1]) || text[b - 1] == '\r' || text[b - 1] == '\n')) --b;
    return text.substr(a, b - a);
}

std::string ToUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = Upper(c);
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::optional<double> ParseNumber(std::string_view token)
{
    if (!token.empty() && token.front() == '+') {
        token.remove_prefix(1);
        if (!token.empty() && (token.front() == '+' || token.front() == '-')) return std::nullopt;
    }
    if (token.empty()) return std::nullopt;
    // Fortran's D exponent: copy into a small buffer with E in its place. A token too long
    // for the buffer is no number any writer produces.
    std::array<char, 64> buffer{};
    std::size_t d = 0;
    while (d < token.size() && token[d] != 'D' && token[d] != 'd') ++d;
    if (d < token.size()) {
        if (token.size() > buffer.size()) return std::nullopt;
        std::copy(token.begin(), token.end(), buffer.begin());
        buffer[d] = 'E';
        token = std::string_view(buffer.data(), token.size());
    }
    double value = 0.0;
    const char* first = token.data();
    const char* last = first + token.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ptr != last) return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Overflow or underflow: from_chars leaves the value alone. Beyond the range of a
        // double is no measurement, and far below it is zero.
        const bool negative = token.front() == '-';
        const auto e = token.find_first_of("Ee");
        const bool tiny = e != std::string_view::npos && e + 1 < token.size() && token[e + 1] == '-';
        if (tiny) return negative ? -0.0 : 0.0;
        const double inf = std::numeric_limits<double>::infinity();
        return negative ? -inf : inf;
    }
    if (ec != std::errc()) return std::nullopt;
    return value;
}

std::optional<int> ParseCount(std::string_view token)
{
    if (!token.empty() && token.front() == '+') token.remove_prefix(1);
    int value = 0;
    const char* first = token.data();
    const char* last = first + token.size();
    if (token.empty()) return std::nullopt;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || value < 0) return std::nullopt;
    return value;
}

TokenKind ClassifyToken(std::string_view token, double& value)
{
    if (const auto v = ParseNumber(token)) {
        value = *v;
        return TokenKind::kNumber;
    }
    value = std::numeric_limits<double>::quiet_NaN();
    return (!token.empty() && IsLetter(token.front())) ? TokenKind::kWord : TokenKind::kMalformedNumber;
}

namespace {

bool IsValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t extra = 0;
        if (c < 0x80) extra = 0;
        else if (c >= 0xC2 && c <= 0xDF) extra = 1;
        else if (c >= 0xE0 && c <= 0xEF) extra = 2;
        else if (c >= 0xF0 && c <= 0xF4) extra = 3;
        else return false;
        if (i + extra >= s.size()) return false;  // a sequence cut off by the end
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
        }
        // Overlong three- and four-byte forms, surrogates and code points above U+10FFFF.
        if (extra == 2) {
            const auto c1 = static_cast<unsigned char>(s[i + 1]);
            if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0)) return false;
        }
        if (extra == 3) {
            const auto c1 = static_cast<unsigned char>(s[i + 1]);
            if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90)) return false;
        }
        i += extra + 1;
    }
    return true;
}

}  // namespace

std::string ToUtf8(std::string_view text)
{
    if (IsValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string FormatNumber(double value, int significant)
{
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.*g", significant, value);
    return buffer.data();
}

}  // namespace mt1d::sounding
