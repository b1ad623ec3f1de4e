#include "io/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace mt1d::io {

namespace {

// Closes a descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    int Close()
    {
        int result = 0;
        if (fd_ >= 0) result = ::close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

std::string SystemWords(int error) { return std::strerror(error); }

constexpr std::string_view kRandomPart = "XXXXXX";  // what mkstemp replaces

bool IsRandomCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string TemporaryPattern(const std::string& fileName)
{
    // "." + stem + "." + six random characters must stay a valid name: a stem too long keeps
    // its extension (what a folder's reader and the clean-up go by) behind a "~" and loses
    // the end of its base. mkstemp makes the name unique either way.
    const std::size_t room = kMaxFileNameBytes - 2 - kRandomPart.size();
    std::string stem = fileName;
    if (stem.size() > room) {
        const std::size_t dot = fileName.rfind('.');
        std::string extension = dot == std::string::npos || dot == 0 ? std::string() : fileName.substr(dot);
        if (extension.size() + 1 >= room) extension.clear();
        std::size_t keep = room - extension.size() - 1;
        // Never cut a UTF-8 character in two: step back over continuation bytes.
        while (keep > 0 && (static_cast<unsigned char>(fileName[keep]) & 0xC0) == 0x80) --keep;
        stem = fileName.substr(0, keep) + "~" + extension;
    }
    return "." + stem + "." + std::string(kRandomPart);
}

bool IsTemporaryName(std::string_view name)
{
    // "." + a stem of at least one character + "." + the random part.
    if (name.size() < 3 + kRandomPart.size() || name.front() != '.') return false;
    const std::size_t dot = name.size() - kRandomPart.size() - 1;
    if (name[dot] != '.') return false;
    for (const char c : name.substr(dot + 1)) {
        if (!IsRandomCharacter(c)) return false;
    }
    return true;
}

std::string_view TemporaryStem(std::string_view name)
{
    if (!IsTemporaryName(name)) return {};
    return name.substr(1, name.size() - kRandomPart.size() - 2);
}

FileCalls FileCalls::System()
{
    FileCalls calls;
    calls.write = [](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); };
    calls.fsync = [](int fd) { return ::fsync(fd); };
    calls.rename = [](const char* from, const char* to) { return ::rename(from, to); };
    return calls;
}

void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes, const FileCalls& calls,
                         FolderSync sync)
{
    const std::string name = target.string();
    const auto fail = [&](const std::string& why) { throw WriteError("cannot write " + name + ": " + why); };
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";

    // mkstemp makes a name of its own in the target's folder, so that the rename stays on one
    // file system and never crosses into another one.
    std::string pattern = (folder / TemporaryPattern(target.filename().string())).string();
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    Descriptor fd(::mkstemp(temp.data()));
    if (fd.Get() < 0) fail(SystemWords(errno));
    const std::string tempName(temp.data());
    bool renamed = false;
    struct RemoveTemp {
        const std::string& name;
        const bool& renamed;
        ~RemoveTemp()
        {
            if (!renamed) ::unlink(name.c_str());
        }
    } removeTemp{tempName, renamed};

    // A file that is replaced keeps its permissions; a new one is readable by everyone, as a
    // document is (mkstemp makes it private).
    struct stat old {};
    const mode_t mode = ::stat(name.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd.Get(), mode) != 0) fail(SystemWords(errno));

    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = calls.write(fd.Get(), bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(SystemWords(errno));
        }
        if (n == 0) fail("nothing could be written");
        written += static_cast<std::size_t>(n);
    }
    if (calls.fsync(fd.Get()) != 0) fail(SystemWords(errno));
    if (fd.Close() != 0) fail(SystemWords(errno));
    if (calls.rename(tempName.c_str(), name.c_str()) != 0) fail(SystemWords(errno));
    renamed = true;

    // The rename is durable once the folder's entry is on the disk.
    if (sync == FolderSync::kNow) SyncFolder(folder, calls);
}

bool SyncFolder(const std::filesystem::path& folder, const FileCalls& calls)
{
    Descriptor dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir.Get() >= 0 && calls.fsync(dir.Get()) == 0;
}

}  // namespace mt1d::io
