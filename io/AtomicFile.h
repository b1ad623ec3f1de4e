#pragma once
// Replaces a file's content so that a crash, a full disk or a failing write leaves either the
// old file or the new one, never a mixture: the bytes go to a temporary file in the same
// folder, which is flushed to the disk (fsync) and then renamed over the target; the folder
// is synced last so that the rename itself survives a crash. On any failure the temporary file
// is removed and the target is untouched. The temporary's name (TemporaryPattern) stays within
// the file system's limit whenever the target's does.
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

// The longest name of a file the folders of Linux take (NAME_MAX), in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// The mkstemp pattern of the temporary file for `fileName`: "." + the name + ".XXXXXX", or,
// when that would exceed kMaxFileNameBytes, "." + the name's beginning + "~" + its extension +
// ".XXXXXX"; so a file whose own name fits can always be written.
std::string TemporaryPattern(const std::string& fileName);

// Whether `name` (a file name, no folder) has the form of such a temporary file, and the part
// between the leading dot and the random part ("S01.json" of ".S01.json.Ab3xYz"; empty when
// it has not that form). A crash between creating and renaming one leaves it behind; the
// caller who owns a folder may remove them (batch::RunBatch does).
bool IsTemporaryName(std::string_view name);
std::string_view TemporaryStem(std::string_view name);

// Whether WriteFileAtomically syncs the target's folder after the rename (kNow), or leaves it
// to the caller (kByCaller), who writes many files into one folder and syncs it once for a
// group of them with SyncFolder. Either way the file's bytes are on the disk before its name
// is: a crash leaves the old file, the new one whole, or (kByCaller, before the folder's sync)
// no new name, never a partial file.
enum class FolderSync { kNow, kByCaller };

// Throws WriteError.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         const FileCalls& calls = FileCalls::System(), FolderSync sync = FolderSync::kNow);

// Makes the renames done in `folder` durable (fsync of the folder). Returns false when the
// folder cannot be opened or synced (some file systems cannot sync a folder; the files in it
// are complete either way).
bool SyncFolder(const std::filesystem::path& folder, const FileCalls& calls = FileCalls::System());

}  // namespace mt1d::io
