// A folder held by one process at a time: a second claim is refused at once and names the
// holder; a lock left by a process that was killed does not block.

#include "io/AtomicFile.h"
#include "io/FolderLock.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace mt1d::io {
namespace {

namespace fs = std::filesystem;
constexpr const char* kLock = ".test.lock";

std::string Content(const fs::path& file)
{
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FolderLockTest, SecondClaimIsRefusedNamingTheFolderAndTheHolder)
{
    mt1d_testing::TempDir dir;
    {
        const FolderLock first = FolderLock::Take(dir.Path(), kLock);
        EXPECT_EQ(Content(dir / kLock), std::to_string(::getpid()) + "\n");
        // A second open file description in this process conflicts as another process would.
        try {
            FolderLock::Take(dir.Path(), kLock);
            FAIL() << "the second claim was granted";
        } catch (const FolderBusy& e) {
            EXPECT_EQ(e.Holder(), ::getpid());
            EXPECT_NE(std::string(e.what()).find(dir.Path().string()), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(std::to_string(::getpid())), std::string::npos) << e.what();
        }
        // The refused claim left the holder's file alone.
        EXPECT_EQ(Content(dir / kLock), std::to_string(::getpid()) + "\n");
    }
    EXPECT_FALSE(fs::exists(dir / kLock)) << "released, the lock file goes";
    EXPECT_NO_THROW(FolderLock::Take(dir.Path(), kLock));
}

TEST(FolderLockTest, LockOfAProcessThatWasKilledDoesNotBlock)
{
    mt1d_testing::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            const FolderLock lock = FolderLock::Take(dir.Path(), kLock);
            (void)!::write(ready[1], "y", 1);
            ::pause();  // until killed: the lock file stays behind
        } catch (...) {
        }
        ::_exit(1);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    try {
        FolderLock::Take(dir.Path(), kLock);
        ADD_FAILURE() << "the claim was granted while another process holds the folder";
    } catch (const FolderBusy& e) {
        EXPECT_EQ(e.Holder(), child);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_TRUE(fs::exists(dir / kLock)) << "kill -9 leaves the file";
    const FolderLock taken = FolderLock::Take(dir.Path(), kLock);
    EXPECT_EQ(Content(dir / kLock), std::to_string(::getpid()) + "\n");
}

TEST(FolderLockTest, LeftoverLockFileWithoutAHolderIsTakenOver)
{
    mt1d_testing::TempDir dir;
    std::ofstream(dir / kLock) << "999999999\n";
    const FolderLock taken = FolderLock::Take(dir.Path(), kLock);
    EXPECT_EQ(Content(dir / kLock), std::to_string(::getpid()) + "\n");
}

TEST(FolderLockTest, MissingFolderOrALinkInPlaceOfTheFileIsAWriteError)
{
    mt1d_testing::TempDir dir;
    EXPECT_THROW(FolderLock::Take(dir / "missing", kLock), WriteError);
    fs::create_symlink(dir / "elsewhere", dir / kLock);
    EXPECT_THROW(FolderLock::Take(dir.Path(), kLock), WriteError);
    EXPECT_FALSE(fs::exists(dir / "elsewhere")) << "the link was followed";
}

}  // namespace
}  // namespace mt1d::io
