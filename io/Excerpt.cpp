#include "io/Excerpt.h"

#include <array>
#include <cstdio>

namespace mt1d::io {

namespace {

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

}  // namespace mt1d::io
