#pragma once
// A folder claimed by one process at a time: an exclusive flock(2) on a lock file in the
// folder, held as long as the FolderLock lives. The file holds the holder's process id, so
// that the one refused can be told whom it waits for. The kernel drops the flock when the
// holder ends however it ends (kill -9 included), so a lock file left behind by a dead process
// never blocks: the next one takes it over.
//
// The lock file is removed when the lock is released. A process that opened the file just
// before that and then gets the flock holds a name no longer in the folder; it notices (the
// inode the name leads to is not the one it locked) and starts over, so two processes never
// both believe they hold the folder.
//
//     const io::FolderLock lock = io::FolderLock::Take(out, ".mt1d-batch.lock");  // throws FolderBusy

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mt1d::io {

// The folder is held by another process; what() names the folder and, when known, the holder.
class FolderBusy : public std::runtime_error {
public:
    FolderBusy(const std::string& message, std::optional<pid_t> holder) : std::runtime_error(message), holder_(holder) {}
    // The holder's process id as its lock file says, when it could be read.
    std::optional<pid_t> Holder() const { return holder_; }

private:
    std::optional<pid_t> holder_;
};

class FolderLock {
public:
    // Takes the lock at once or throws: FolderBusy when another process holds it, WriteError
    // (AtomicFile.h) when the lock file cannot be made (no such folder, no permission, a
    // symbolic link in its place).
    static FolderLock Take(const std::filesystem::path& folder, std::string_view lockFileName);

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    const std::filesystem::path& File() const { return file_; }

private:
    FolderLock(std::filesystem::path file, int fd) : file_(std::move(file)), fd_(fd) {}
    void Release() noexcept;

    std::filesystem::path file_;
    int fd_ = -1;
};

}  // namespace mt1d::io
