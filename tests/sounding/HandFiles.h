#pragma once
// The small files written by hand for the reader tests (tests/sounding/files), read whole,
// and where a text stands in one of them.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace sounding_test {

inline std::filesystem::path HandFilePath(std::string_view name)
{
    return std::filesystem::path(MT1D_SOURCE_DIR) / "tests" / "sounding" / "files" / std::string(name);
}

inline std::string HandFile(std::string_view name)
{
    std::ifstream in(HandFilePath(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The line (from 1) of the first occurrence of `pattern`; 0 when it is not there.
inline int LineOf(const std::string& text, std::string_view pattern)
{
    const auto at = text.find(pattern);
    if (at == std::string::npos) return 0;
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

}  // namespace sounding_test
