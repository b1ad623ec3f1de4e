#pragma once
// Text quoted in a message: short and printable whatever it holds, so that a message never
// echoes a whole file, a 100 MB string or a terminal escape sequence.

#include <cstddef>
#include <string>
#include <string_view>

namespace mt1d::io {

// Characters of user text a message quotes at most.
inline constexpr std::size_t kExcerptLength = 40;

// User text as a message quotes it: at most `maxCharacters` characters followed by "…" when
// there are more, control characters and bytes that are not UTF-8 written as escapes (\n,
// \t, \x1b), so that a message stays short and printable whatever was typed.
std::string Excerpt(std::string_view text, std::size_t maxCharacters = kExcerptLength);

}  // namespace mt1d::io
