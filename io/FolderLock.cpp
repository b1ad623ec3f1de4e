#include "io/FolderLock.h"

#include "io/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

namespace mt1d::io {

namespace {

// How often a lock file removed under our hands is opened again before giving up: each round
// needs another process to release the lock in between, so a few are plenty.
constexpr int kAttempts = 100;

// The process id a lock file holds, when it holds one.
std::optional<pid_t> ReadHolder(int fd)
{
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) return std::nullopt;
    long pid = 0;
    const auto [end, error] = std::from_chars(text, text + n, pid);
    if (error != std::errc() || end == text || pid <= 0) return std::nullopt;
    return static_cast<pid_t>(pid);
}

}  // namespace

FolderLock FolderLock::Take(const std::filesystem::path& folder, std::string_view lockFileName)
{
    const std::filesystem::path file = folder / std::string(lockFileName);
    const auto fail = [&](int error) {
        throw WriteError("cannot lock the folder " + folder.string() + " (" + file.filename().string() +
                         "): " + std::strerror(error));
    };
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) fail(errno);
        // Closes the descriptor on every way out below; removes the file only once it is ours.
        FolderLock lock({}, fd);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error != EWOULDBLOCK) fail(error);
            const std::optional<pid_t> holder = ReadHolder(fd);
            throw FolderBusy("the folder " + folder.string() + " is in use by another run" +
                                 (holder ? " (process " + std::to_string(*holder) + ")" : std::string()) +
                                 "; wait for it to end or choose another folder",
                             holder);
        }
        // The name must still lead to the file locked (see the header).
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) != 0) fail(errno);
        if (::lstat(file.c_str(), &named) != 0 || named.st_ino != locked.st_ino || named.st_dev != locked.st_dev) {
            continue;
        }
        lock.file_ = file;
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
            fail(errno);
        }
        return lock;
    }
    fail(EAGAIN);
    throw WriteError("unreachable");
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : file_(std::move(other.file_)), fd_(std::exchange(other.fd_, -1))
{
    other.file_.clear();
}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept
{
    if (this != &other) {
        Release();
        file_ = std::move(other.file_);
        other.file_.clear();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FolderLock::~FolderLock() { Release(); }

void FolderLock::Release() noexcept
{
    if (fd_ < 0) return;
    // Removed while still held, so that no one can take a lock on a name about to vanish.
    if (!file_.empty()) ::unlink(file_.c_str());
    ::close(fd_);
    fd_ = -1;
    file_.clear();
}

}  // namespace mt1d::io
