#pragma once
// Replaces a file's content so that a crash, a full disk or a failing write leaves either the
// old file or the new one, never a mixture: the bytes go to a temporary file in the same
// folder, which is flushed to the disk (fsync) and then renamed over the target; the folder
// is synced last so that the rename itself survives a crash. On any failure the temporary file
// is removed and the target is untouched.
//
// The system calls go through FileCalls so that a test can make one of them fail as a full
// disk would.

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mt1d::io {

struct FileCalls {
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;

    // The real calls.
    static FileCalls System();
};

// A file that could not be written; what() names it and says why (the system's words).
class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws WriteError.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         const FileCalls& calls = FileCalls::System());

}  // namespace mt1d::io
