// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/folder_lock.h"
#include "base/stop_request.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::FakeViews;
using test::TempDir;
using test::WriteFile;

// A lock on a folder taken through a descriptor of its own, as another
// copy of the program takes it.
class OtherHolder {
public:
    explicit OtherHolder(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        EXPECT_GE(fd_, 0) << folder;
    }
    ~OtherHolder()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OtherHolder(const OtherHolder&) = delete;
    OtherHolder& operator=(const OtherHolder&) = delete;

    // Takes the lock; false when someone else holds it.
    bool tryLock() { return ::flock(fd_, LOCK_EX | LOCK_NB) == 0; }
    void unlock() { ::flock(fd_, LOCK_UN); }

private:
    int fd_;
};

// Whether a third party finds the folder locked.
bool LockedByOthers(const std::string& folder)
{
    OtherHolder probe(folder);
    if (probe.tryLock()) {
        probe.unlock();
        return false;
    }
    return true;
}

class FolderLockTest : public ::testing::Test {
protected:
    ~FolderLockTest() override { ClearStopRequest(); }

    TempDir dir;
    FakeViews ops;
    int waitingCalls = 0;
    std::function<void()> waiting = [this] { ++waitingCalls; };
};

// Guards: a second copy of the program working in a folder another one
// works in, instead of waiting, or waiting with the window frozen.
TEST_F(FolderLockTest, WaitsForAnotherHolderWhilePumping)
{
    OtherHolder other(dir.path());
    ASSERT_TRUE(other.tryLock());
    ops.onPump = [&] {
        EXPECT_EQ(waitingCalls, 1);
        if (ops.pumps == 3)
            other.unlock();
    };
    {
        const FolderLocks locks({dir.path()}, ops, waiting);
        EXPECT_TRUE(locks.waited());
        EXPECT_EQ(locks.held(), 1);
        EXPECT_EQ(waitingCalls, 1);
        EXPECT_GE(ops.pumps, 3);
        EXPECT_TRUE(LockedByOthers(dir.path()));
        EXPECT_FALSE(other.tryLock());
    }
    EXPECT_FALSE(LockedByOthers(dir.path()));
}

// Guards: a free folder making the work wait, pump or report a wait.
TEST_F(FolderLockTest, FreeFolderIsTakenAtOnce)
{
    const FolderLocks locks({dir.path()}, ops, waiting);
    EXPECT_FALSE(locks.waited());
    EXPECT_EQ(locks.held(), 1);
    EXPECT_EQ(ops.pumps, 0);
    EXPECT_EQ(waitingCalls, 0);
    EXPECT_TRUE(LockedByOthers(dir.path()));
}

// Guards: closing the window or SIGTERM not ending the wait, or leaving a
// folder locked after it.
TEST_F(FolderLockTest, StopRequestEndsTheWait)
{
    std::filesystem::create_directory(dir.file("a"));
    std::filesystem::create_directory(dir.file("b"));
    OtherHolder otherA(dir.file("a"));
    OtherHolder otherB(dir.file("b"));
    ASSERT_TRUE(otherA.tryLock());
    ASSERT_TRUE(otherB.tryLock());
    otherA.unlock(); // whichever comes first is taken, the other awaited
    ops.onPump = [&] {
        if (ops.pumps == 2)
            RequestStop();
    };
    EXPECT_THROW(FolderLocks({dir.file("a"), dir.file("b")}, ops, waiting), StopRequest);
    EXPECT_EQ(ops.pumps, 2);
    ClearStopRequest();

    otherB.unlock();
    EXPECT_FALSE(LockedByOthers(dir.file("a")));
    EXPECT_FALSE(LockedByOthers(dir.file("b")));
}

// Guards: the program waiting for itself for ever when a run inside a run,
// or two paths of one folder, ask for a folder it holds already.
TEST_F(FolderLockTest, SameProgramNeverWaitsForItself)
{
    std::filesystem::create_directory(dir.file("sub"));
    std::filesystem::create_directory_symlink(dir.path(), dir.file("link"));
    ops.onPump = [] {
        ADD_FAILURE() << "waited for a folder this program holds";
        RequestStop();
    };
    const FolderLocks outer({dir.path(), dir.file("sub/.."), dir.file("link")}, ops, waiting);
    EXPECT_EQ(outer.held(), 1);
    {
        const FolderLocks inner({dir.file("link/"), dir.file("sub")}, ops, waiting);
        EXPECT_EQ(inner.held(), 2);
        EXPECT_FALSE(inner.waited());
    }
    // The inner one leaves the outer one's lock in place.
    EXPECT_TRUE(LockedByOthers(dir.path()));
    EXPECT_FALSE(LockedByOthers(dir.file("sub")));
    EXPECT_EQ(waitingCalls, 0);
}

// Guards: a missing folder, a file or an unreadable folder stopping the
// work instead of leaving it unlocked.
TEST_F(FolderLockTest, FolderThatCannotBeOpenedStaysUnlocked)
{
    WriteFile(dir.file("plain"), "not a folder");
    std::filesystem::create_directory(dir.file("closed"));
    std::filesystem::permissions(dir.file("closed"), std::filesystem::perms::none);
    std::filesystem::create_directory(dir.file("open"));
    {
        const FolderLocks locks({dir.file("missing"), dir.file("plain"), dir.file("closed"), dir.file("open")}, ops,
                                waiting);
        // Root opens any folder; only the others find "closed" shut.
        const int expected = ::geteuid() == 0 ? 2 : 1;
        EXPECT_EQ(locks.held(), expected);
        EXPECT_FALSE(locks.waited());
        EXPECT_EQ(ops.pumps, 0);
        EXPECT_TRUE(LockedByOthers(dir.file("open")));
    }
    std::filesystem::permissions(dir.file("closed"), std::filesystem::perms::owner_all);
}

// Guards: two copies naming the same folders in different orders each
// taking one and waiting for the other for ever.
TEST_F(FolderLockTest, FoldersAreTakenInOneOrderWhateverTheirListing)
{
    std::filesystem::create_directory(dir.file("a"));
    std::filesystem::create_directory(dir.file("b"));
    const std::vector<std::vector<std::string>> listings{{dir.file("a"), dir.file("b")},
                                                         {dir.file("b"), dir.file("a")}};
    std::vector<std::string> takenFirst;
    for (const std::string& busy : {dir.file("a"), dir.file("b")}) {
        for (const std::vector<std::string>& listing : listings) {
            // One folder held elsewhere: the other is taken before the wait
            // only when it comes first in the order.
            OtherHolder other(busy);
            ASSERT_TRUE(other.tryLock());
            const std::string free = busy == dir.file("a") ? dir.file("b") : dir.file("a");
            bool freeTakenBeforeWait = false;
            FakeViews views;
            views.onPump = [&] {
                freeTakenBeforeWait = LockedByOthers(free);
                other.unlock();
            };
            const FolderLocks locks(listing, views, waiting);
            EXPECT_EQ(locks.held(), 2);
            takenFirst.push_back(freeTakenBeforeWait ? free : busy);
        }
    }
    ASSERT_EQ(takenFirst.size(), 4u);
    // Either listing gives the same order, and it is one order for both waits.
    EXPECT_EQ(takenFirst[0], takenFirst[1]);
    EXPECT_EQ(takenFirst[2], takenFirst[3]);
    EXPECT_EQ(takenFirst[0], takenFirst[2]);
}

} // namespace
} // namespace vexo
