#pragma once
// Where the real sounding files live: the folder `shared/data` beside the source tree (or the
// folder named by MT1D_SHARED_DATA). The files are read at run time and never copied into the
// repository; a test that needs them skips with a message when they are absent:
//
//     const auto data = testing_support::SharedDataDir();
//     if (!data) GTEST_SKIP() << testing_support::kNoSharedData;
//     const auto path = *data / "edi" / "IAJ34.edi";

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace testing_support {

inline constexpr const char* kNoSharedData =
    "real sounding files not found: expected ../shared/data beside the source tree "
    "(or set MT1D_SHARED_DATA)";

inline std::optional<std::filesystem::path> SharedDataDir()
{
    namespace fs = std::filesystem;
    if (const char* env = std::getenv("MT1D_SHARED_DATA"); env && *env) {
        const fs::path p(env);
        if (fs::is_directory(p)) return p;
        return std::nullopt;
    }
    const fs::path p = fs::path(MT1D_SOURCE_DIR).parent_path() / "shared" / "data";
    std::error_code ec;
    if (fs::is_directory(p, ec)) return p;
    return std::nullopt;
}

}  // namespace testing_support
