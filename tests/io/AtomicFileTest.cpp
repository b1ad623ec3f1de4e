// Saving replaces a file whole or not at all: whichever system call fails, the old content
// stays and no temporary file is left behind.

#include "io/AtomicFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace mt1d::io {
namespace {

namespace fs = std::filesystem;

std::string Content(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t EntriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("mt1d-atomic-test-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        target_ = folder_ / "project.json";
        std::ofstream(target_) << "old content";
    }
    void TearDown() override { fs::remove_all(folder_); }

    void ExpectOldFileAlone()
    {
        EXPECT_EQ(Content(target_), "old content");
        EXPECT_EQ(EntriesIn(folder_), 1u) << "a temporary file was left behind";
    }

    fs::path folder_, target_;
};

TEST_F(AtomicFileTest, ReplacesTheContentAndLeavesNothingElse)
{
    WriteFileAtomically(target_, "new content");
    EXPECT_EQ(Content(target_), "new content");
    EXPECT_EQ(EntriesIn(folder_), 1u);
}

TEST_F(AtomicFileTest, KeepsThePermissionsOfTheFileItReplaces)
{
    fs::permissions(target_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteFileAtomically(target_, "new content");
    EXPECT_EQ(fs::status(target_).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(AtomicFileTest, FullDiskHalfwayLeavesTheOldFile)
{
    FileCalls calls = FileCalls::System();
    std::size_t calls_made = 0;
    // The first write takes half, the second finds the disk full.
    calls.write = [&](int fd, const void* data, std::size_t size) -> ssize_t {
        if (++calls_made == 1) return ::write(fd, data, size / 2);
        errno = ENOSPC;
        return -1;
    };
    try {
        WriteFileAtomically(target_, std::string(10000, 'x'), calls);
        FAIL() << "no error";
    } catch (const WriteError& e) {
        EXPECT_NE(std::string(e.what()).find("project.json"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(std::strerror(ENOSPC)), std::string::npos) << e.what();
    }
    EXPECT_EQ(calls_made, 2u);
    ExpectOldFileAlone();
}

TEST_F(AtomicFileTest, FailingFlushLeavesTheOldFile)
{
    FileCalls calls = FileCalls::System();
    calls.fsync = [](int) {
        errno = EIO;
        return -1;
    };
    EXPECT_THROW(WriteFileAtomically(target_, "new content", calls), WriteError);
    ExpectOldFileAlone();
}

TEST_F(AtomicFileTest, FailingRenameLeavesTheOldFile)
{
    FileCalls calls = FileCalls::System();
    calls.rename = [](const char*, const char*) {
        errno = EXDEV;
        return -1;
    };
    EXPECT_THROW(WriteFileAtomically(target_, "new content", calls), WriteError);
    ExpectOldFileAlone();
}

TEST_F(AtomicFileTest, InterruptedWritesAreResumed)
{
    FileCalls calls = FileCalls::System();
    bool interrupted = false;
    calls.write = [&](int fd, const void* data, std::size_t size) -> ssize_t {
        if (!interrupted) {
            interrupted = true;
            errno = EINTR;
            return -1;
        }
        return ::write(fd, data, size);
    };
    WriteFileAtomically(target_, "new content", calls);
    EXPECT_EQ(Content(target_), "new content");
}

TEST_F(AtomicFileTest, MissingFolderIsAnErrorThatNamesTheFile)
{
    EXPECT_THROW(WriteFileAtomically(folder_ / "no such folder" / "p.json", "x"), WriteError);
    ExpectOldFileAlone();
}

// A file whose own name fits the folder's limit can be written, whatever the length: the
// temporary beside it must fit too and still be recognised as one (for the clean-up of a run
// that was killed).
TEST_F(AtomicFileTest, NamesUpToTheLimitAreWrittenThroughATemporaryThatFits)
{
    const std::string twoBytes = "\xCE\xA9";  // Ω in UTF-8
    std::string utf8;
    while (utf8.size() + twoBytes.size() + 5 <= kMaxFileNameBytes) utf8 += twoBytes;
    for (const std::string& name : {std::string(240, 'a') + ".json", std::string(245, 's') + ".json",
                                    std::string(kMaxFileNameBytes - 4, 'm') + ".csv", utf8 + ".json",
                                    std::string(kMaxFileNameBytes, 'n')}) {
        SCOPED_TRACE(name.size());
        std::string temporary;
        FileCalls calls = FileCalls::System();
        calls.rename = [&](const char* from, const char* to) {
            temporary = fs::path(from).filename().string();
            return ::rename(from, to);
        };
        ASSERT_NO_THROW(WriteFileAtomically(folder_ / name, "x", calls));
        EXPECT_EQ(Content(folder_ / name), "x");
        EXPECT_LE(temporary.size(), kMaxFileNameBytes);
        EXPECT_TRUE(IsTemporaryName(temporary)) << temporary;
        const std::size_t dot = name.rfind('.');
        if (dot != std::string::npos) {
            EXPECT_TRUE(TemporaryStem(temporary).ends_with(name.substr(dot))) << temporary;
        }
        if (name.starts_with(twoBytes)) {  // not cut inside a character
            EXPECT_EQ(TemporaryStem(temporary).find("\xCE~"), std::string::npos);
        }
    }
}

TEST(TemporaryNameTest, RecognisesOnlyTheFormOfTheTemporaries)
{
    const struct {
        const char* name;
        const char* stem;  // empty: not a temporary
    } cases[] = {
        {".S0114.json.ZSCpze", "S0114.json"},
        {".summary.csv.a1B2c3", "summary.csv"},
        {".x.000000", "x"},
        {"S0114.json.ZSCpze", ""},   // not hidden
        {".S0114.json.ZSCpz", ""},   // five random characters
        {".S0114.json.ZSC-ze", ""},  // not one of mkstemp's
        {"..ZSCpze", ""},            // no stem
        {".mt1d-batch.lock", ""},
        {".gitignore", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsTemporaryName(c.name), *c.stem != '\0') << c.name;
        EXPECT_EQ(TemporaryStem(c.name), c.stem) << c.name;
    }
}

}  // namespace
}  // namespace mt1d::io
