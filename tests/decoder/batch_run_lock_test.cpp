// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/session.h"
#include "base/stop_request.h"
#include "decoder/batch_run.h"
#include "decoder/decode_queue.h"
#include "decoder/queue_list.h"
#include "tests/decoder/test_containers.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::FakeViews;
using test::FileExists;
using test::FolderNames;
using test::kPadding;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kBusyText = "Папка занята другой копией программы, ожидание...";

// The lock another copy of the program takes on a folder, through a
// descriptor of its own.
class OtherHolder {
public:
    explicit OtherHolder(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        EXPECT_GE(fd_, 0) << folder;
        EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0) << folder;
    }
    ~OtherHolder() { ::close(fd_); }
    OtherHolder(const OtherHolder&) = delete;
    OtherHolder& operator=(const OtherHolder&) = delete;

    void release() { ::flock(fd_, LOCK_UN); }

private:
    int fd_;
};

bool LockedByOthers(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

// The program's decoder tab over one working folder.
struct DecoderTab {
    explicit DecoderTab(const std::string& folder, const std::string& settingsFile)
    {
        session.workingFolder().choose(folder);
        session.openSettings(settingsFile);
        session.setUpdate(Pacing(1)); // a pump at every block
    }

    FakeViews ops;
    QueueList list{ops};
    Session session;
    DecoderOptions options;
    DecodeQueue queue{session, list, ops, ops};
    BatchRun run{session, options, queue, list, ops, ops, ops};
};

// Another copy of the program in a process of its own, running "Go!" in
// `folder`. At its first pump it says so and then waits until told to go on.
class OtherCopy {
public:
    OtherCopy(const std::string& folder, const std::string& settingsFile, bool deleteContainers)
    {
        int toParent[2];
        int toChild[2];
        EXPECT_EQ(::pipe2(toParent, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(toChild, O_CLOEXEC), 0);
        child_ = ::fork();
        if (child_ == 0) {
            ::close(toParent[0]);
            ::close(toChild[1]);
            ::_exit(runInChild(folder, settingsFile, deleteContainers, toParent[1], toChild[0]));
        }
        ::close(toParent[1]);
        ::close(toChild[0]);
        fromChild_ = toParent[0];
        goOn_ = toChild[1];
    }
    ~OtherCopy()
    {
        goOn();
        finish();
        ::close(fromChild_);
    }
    OtherCopy(const OtherCopy&) = delete;
    OtherCopy& operator=(const OtherCopy&) = delete;

    // Waits until the other copy works (and pumps) in the folder; false
    // when it ended before.
    bool waitUntilWorking()
    {
        char byte = 0;
        return ::read(fromChild_, &byte, 1) == 1;
    }
    void goOn()
    {
        if (goOn_ >= 0)
            ::close(goOn_);
        goOn_ = -1;
    }
    // 0: its run ended without a box; 2: it showed a box; 3: it failed.
    int finish()
    {
        if (child_ > 0) {
            int status = 0;
            ::waitpid(child_, &status, 0);
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            child_ = -1;
        }
        return exitCode_;
    }

private:
    static int runInChild(const std::string& folder, const std::string& settingsFile, bool deleteContainers,
                          int working, int goOn)
    {
        try {
            DecoderTab tab(folder, settingsFile);
            tab.options.deleteAfterDecoding = deleteContainers;
            bool told = false;
            tab.ops.onPump = [&] {
                if (told)
                    return;
                told = true;
                const char byte = 'w';
                if (::write(working, &byte, 1) != 1)
                    ::_exit(4);
                char answer = 0;
                [[maybe_unused]] const ssize_t got = ::read(goOn, &answer, 1); // the end of the pipe
            };
            tab.run.scanAndDecode();
            return tab.ops.messages.empty() ? 0 : 2;
        } catch (...) {
            return 3;
        }
    }

    pid_t child_ = -1;
    int fromChild_ = -1;
    int goOn_ = -1;
    int exitCode_ = -1;
};

class BatchRunLockTest : public ::testing::Test {
protected:
    ~BatchRunLockTest() override { ClearStopRequest(); }

    TempDir root;
    std::string folder(const std::string& name) const
    {
        std::filesystem::create_directories(root.file(name));
        return root.file(name);
    }
    static bool Shown(const FakeViews& ops, const std::string& status)
    {
        return std::find(ops.statusHistory.begin(), ops.statusHistory.end(), status) != ops.statusHistory.end();
    }
};

// Guards: two "Go!" or "/a" runs in one folder (a script while the window
// works there) decoding every container twice, into "(1)" copies, and
// stopping at an "I/O Error" box where the other had deleted it. The second
// waits, saying so, and then finds nothing left to do; with and without
// "Автоудаление".
TEST_F(BatchRunLockTest, SecondRunInAFolderWaitsForTheFirst)
{
    const std::string a = PatternBytes(3 * 35536 + 11, 1);
    const std::string b = PatternBytes(50000, 2);
    for (const bool deleteContainers : {true, false}) {
        SCOPED_TRACE(deleteContainers ? "with deletion" : "without deletion");
        const std::string data = folder(deleteContainers ? "deleting" : "keeping");
        WriteFile(data + "/1.avi", ContainerBytes(a, 0x3C, kPadding, "a.bin"));
        WriteFile(data + "/2.jpg", ContainerBytes(b, 0xA5, kPadding, "b.bin"));

        OtherCopy other(data, folder("other-program") + "/vexorama.INI", deleteContainers);
        ASSERT_TRUE(other.waitUntilWorking());

        DecoderTab tab(data, folder("program") + "/vexorama.INI");
        tab.options.deleteAfterDecoding = deleteContainers;
        bool released = false;
        tab.ops.onPump = [&] {
            // The other copy goes on only once this one says it waits.
            if (!released && tab.ops.status == kBusyText) {
                EXPECT_FALSE(tab.ops.isEnabled(DecoderControl::Decode));
                released = true;
                other.goOn();
            }
        };
        tab.run.scanAndDecode();
        other.goOn();

        EXPECT_TRUE(released);
        EXPECT_TRUE(Shown(tab.ops, kBusyText));
        EXPECT_EQ(tab.ops.status, "");
        EXPECT_EQ(other.finish(), 0);
        EXPECT_TRUE(tab.ops.messages.empty());
        const std::vector<std::string> expected = deleteContainers
                                                      ? std::vector<std::string>{"a.bin", "b.bin"}
                                                      : std::vector<std::string>{"1.avi", "2.jpg", "a.bin", "b.bin"};
        EXPECT_EQ(FolderNames(data), expected);
        EXPECT_TRUE(ReadFile(data + "/a.bin") == a);
        EXPECT_TRUE(ReadFile(data + "/b.bin") == b);
        EXPECT_TRUE(tab.ops.isEnabled(DecoderControl::Decode));
        EXPECT_FALSE(LockedByOthers(data));
    }
}

// Guards: closing the window (or SIGTERM) not ending a run that waits for
// another copy, or the run then decoding or deleting anyway.
TEST_F(BatchRunLockTest, StopRequestEndsTheWait)
{
    const std::string data = folder("data");
    WriteFile(data + "/1.avi", ContainerBytes(PatternBytes(100), 0x3C, kPadding, "a.bin"));
    OtherHolder other(data);
    DecoderTab tab(data, folder("program") + "/vexorama.INI");
    tab.session.setCommandLine(ReadCommandLine({"/a", "/d"}));
    tab.options.deleteAfterDecoding = true;
    tab.ops.onPump = [&] {
        if (tab.ops.pumps == 3)
            RequestStop();
    };
    EXPECT_THROW(tab.run.windowShown(), StopRequest);
    EXPECT_EQ(tab.ops.pumps, 3);
    EXPECT_TRUE(Shown(tab.ops, kBusyText));
    EXPECT_EQ(FolderNames(data), std::vector<std::string>{"1.avi"});
    EXPECT_TRUE(tab.ops.closed);
    EXPECT_TRUE(tab.ops.isEnabled(DecoderControl::Decode));
    EXPECT_FALSE(tab.queue.running());
    other.release();
    EXPECT_FALSE(LockedByOthers(data));
}

// Guards: "Расшифровка" of a queue picked earlier writing into a folder of
// the queue while another copy works there, and "Соединение" joining in a
// working folder another copy works in.
TEST_F(BatchRunLockTest, DecodeAndJoinWaitForTheirFolders)
{
    const std::string working = folder("working");
    const std::string elsewhere = folder("elsewhere");
    DecoderTab tab(working, folder("program") + "/vexorama.INI");
    WriteFile(elsewhere + "/1.avi", ContainerBytes(PatternBytes(100), 0x3C, kPadding, "a.bin"));
    tab.ops.fileAnswers.push_back({elsewhere + "/1.avi"});
    tab.queue.addPickedFiles();
    tab.session.workingFolder().choose(working); // picking moved it
    ASSERT_EQ(tab.queue.queueCount(), 1);
    {
        auto other = std::make_unique<OtherHolder>(elsewhere);
        tab.ops.onPump = [&] {
            if (other) {
                EXPECT_FALSE(FileExists(elsewhere + "/a.bin"));
                if (tab.ops.pumps == 3)
                    other.reset();
            }
        };
        tab.run.decodeAll();
        EXPECT_GE(tab.ops.pumps, 3);
        EXPECT_TRUE(Shown(tab.ops, kBusyText));
        EXPECT_EQ(ReadFile(elsewhere + "/a.bin"), PatternBytes(100));
        EXPECT_FALSE(LockedByOthers(elsewhere));
        EXPECT_FALSE(LockedByOthers(working));
    }

    WriteFile(working + "/x.aa", "one");
    WriteFile(working + "/x.ab", "two");
    tab.ops.pumps = 0;
    tab.ops.statusHistory.clear();
    auto other = std::make_unique<OtherHolder>(working);
    tab.ops.onPump = [&] {
        if (other) {
            EXPECT_FALSE(FileExists(working + "/x"));
            if (tab.ops.pumps == 3)
                other.reset();
        }
    };
    tab.run.joinWorkingFolder();
    EXPECT_TRUE(Shown(tab.ops, kBusyText));
    EXPECT_EQ(ReadFile(working + "/x"), "onetwo");
    EXPECT_FALSE(LockedByOthers(working));
}

// Guards: a working folder that cannot be locked (gone) stopping the run
// before its own steps, or making it wait.
TEST_F(BatchRunLockTest, RunGoesOnWhereNoLockCanBeTaken)
{
    const std::string elsewhere = folder("elsewhere");
    DecoderTab tab(root.file("gone"), folder("program") + "/vexorama.INI");
    WriteFile(elsewhere + "/1.avi", ContainerBytes(PatternBytes(100), 0x3C, kPadding, "a.bin"));
    tab.ops.fileAnswers.push_back({elsewhere + "/1.avi"});
    tab.queue.addPickedFiles();
    tab.session.workingFolder().choose(root.file("gone"));
    tab.run.decodeAll();
    EXPECT_EQ(ReadFile(elsewhere + "/a.bin"), PatternBytes(100));
    EXPECT_FALSE(Shown(tab.ops, kBusyText));
    EXPECT_TRUE(tab.ops.messages.empty());
}

} // namespace
} // namespace vexo
