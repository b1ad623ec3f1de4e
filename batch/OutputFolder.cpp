#include "batch/OutputFolder.h"

#include "io/AtomicFile.h"

#include <string>
#include <string_view>
#include <system_error>

namespace mt1d::batch {

namespace fs = std::filesystem;

io::FolderLock ClaimOutputFolder(const fs::path& folder) { return io::FolderLock::Take(folder, kLockFileName); }

std::size_t RemoveStaleTemporaries(const fs::path& folder)
{
    std::size_t removed = 0;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::string_view stem = io::TemporaryStem(name);
        if (!stem.ends_with(".json") && !stem.ends_with(".csv")) continue;
        std::error_code ignored;
        // Only files: never a folder, nor what a symbolic link of that name leads to.
        if (!it->is_regular_file(ignored) || it->is_symlink(ignored)) continue;
        if (fs::remove(it->path(), ignored)) ++removed;
    }
    return removed;
}

}  // namespace mt1d::batch
