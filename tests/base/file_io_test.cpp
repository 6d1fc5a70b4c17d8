// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/atomic_file.h"
#include "base/file_io.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::FileExists;
using test::FolderNames;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

unsigned ModeOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw std::runtime_error("cannot stat " + path);
    return info.st_mode & 07777;
}

// The error a step throws, as "<errno> <what()>", or "none".
template <class Step>
std::string ErrorOf(Step step)
{
    try {
        step();
    } catch (const FileError& error) {
        return std::to_string(error.error()) + " " + error.what();
    }
    return "none";
}

std::string Text(std::size_t size)
{
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return text;
}

// ---- FileError and PosixFile ----------------------------------------------

// Guards the error's parts: a lost error number or path, or a text without
// the path and the system's reason.
TEST(FileErrorTest, CarriesNumberPathAndText)
{
    const FileError plain(ENOENT, "/x/y");
    EXPECT_EQ(plain.error(), ENOENT);
    EXPECT_EQ(plain.path(), "/x/y");
    EXPECT_EQ(std::string(plain.what()), "/x/y: No such file or directory");
    EXPECT_EQ(SystemErrorText("/x/y", ENOSPC), "/x/y: No space left on device");

    const FileError own(EIO, "/x/y", "Cannot create file");
    EXPECT_EQ(own.error(), EIO);
    EXPECT_EQ(std::string(own.what()), "Cannot create file");
}

class PosixFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("data");
};

// Guards the named opens: a failed open that throws or loses errno, a
// read-write open of a read-only file, an exclusive creation that replaces
// a file or follows a dangling link.
TEST_F(PosixFileTest, OpensReturnAClosedFileAndKeepErrno)
{
    errno = 0;
    const PosixFile missing = PosixFile::OpenReadOnly(dir.file("missing"));
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(errno, ENOENT);

    WriteFile(path, "old");
    errno = 0;
    EXPECT_FALSE(PosixFile::CreateNew(path, 0644).isOpen());
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadFile(path), "old");

    ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), dir.file("link").c_str()), 0);
    EXPECT_FALSE(PosixFile::CreateNew(dir.file("link"), 0644).isOpen());
    EXPECT_FALSE(FileExists(dir.file("elsewhere")));

    PosixFile created = PosixFile::CreateNew(dir.file("new"), 0640);
    ASSERT_TRUE(created.isOpen());
    created.writeAll("fresh");
    created.close();
    EXPECT_EQ(ReadFile(dir.file("new")), "fresh");
    EXPECT_EQ(ModeOf(dir.file("new")) & ~0640u, 0u);

    if (::geteuid() != 0) { // root may write anything
        ::chmod(path.c_str(), 0444);
        errno = 0;
        EXPECT_FALSE(PosixFile::OpenReadWrite(path).isOpen());
        EXPECT_EQ(errno, EACCES);
    }
}

// Guards against an open that waits for the other end of a FIFO: the
// program would hang on a FIFO named like its files.
TEST_F(PosixFileTest, FifoOpensWithoutWaiting)
{
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    PosixFile readOnly = PosixFile::OpenReadOnly(path);
    ASSERT_TRUE(readOnly.isOpen());
    EXPECT_FALSE(readOnly.isRegular());
    PosixFile readWrite = PosixFile::OpenReadWrite(path);
    ASSERT_TRUE(readWrite.isOpen());
    // Blocking again after the open: the writer's bytes are waited for.
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        readWrite.writeAll("late");
    });
    char buffer[4] = {};
    readOnly.readExactly(buffer, sizeof buffer);
    writer.join();
    EXPECT_EQ(std::string(buffer, 4), "late");
}

// Guards reads to the last byte: an early end taken for a whole read, a
// positional read that moves the offset, or a read past the end padded.
TEST_F(PosixFileTest, ReadsUpToExactlyAndAtAPosition)
{
    WriteFile(path, "0123456789");
    PosixFile file = PosixFile::OpenReadOnly(path);
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(file.size(), 10);
    EXPECT_TRUE(file.isRegular());

    char buffer[16] = {};
    file.seek(2);
    EXPECT_EQ(file.readUpTo(buffer, 3), 3u);
    EXPECT_EQ(std::string(buffer, 3), "234");
    EXPECT_EQ(file.readUpToAt(8, buffer, 5), 2u);
    EXPECT_EQ(std::string(buffer, 2), "89");
    file.readAt(0, buffer, 4);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    // The positional reads left the offset after "234".
    file.readExactly(buffer, 5);
    EXPECT_EQ(std::string(buffer, 5), "56789");
    EXPECT_EQ(file.readUpTo(buffer, 5), 0u);

    EXPECT_EQ(ErrorOf([&] { file.readAt(7, buffer, 4); }),
              "0 " + path + ": the file ended before its last bytes could be read");
    file.seek(9);
    EXPECT_EQ(ErrorOf([&] { file.readExactly(buffer, 2); }),
              "0 " + path + ": the file ended before its last bytes could be read");
}

// Guards failures reported with the system's reason and the file's path,
// never as success: reading a folder, writing a read-only descriptor.
TEST_F(PosixFileTest, SystemFailuresThrowWithThePath)
{
    PosixFile folder = PosixFile::OpenReadOnly(dir.path());
    ASSERT_TRUE(folder.isOpen());
    char buffer[4];
    EXPECT_EQ(ErrorOf([&] { folder.readUpTo(buffer, 4); }),
              std::to_string(EISDIR) + " " + dir.path() + ": Is a directory");

    WriteFile(path, "x");
    PosixFile readOnly = PosixFile::OpenReadOnly(path);
    EXPECT_EQ(ErrorOf([&] { readOnly.writeAll("y"); }), std::to_string(EBADF) + " " + path + ": Bad file descriptor");
    EXPECT_EQ(ReadFile(path), "x");
}

// Guards the seam's byte counts: reads and writes that fail before or
// after N bytes, a call that crosses N moving anything past it, and faults
// that outlive their guard.
TEST_F(PosixFileTest, ReadsAndWritesFailAfterNBytes)
{
    WriteFile(path, Text(100));
    {
        ScopedFileFaults faults({.failReadAfter = 30, .error = EIO});
        PosixFile file = PosixFile::OpenReadOnly(path);
        char buffer[100];
        EXPECT_EQ(file.readUpTo(buffer, 20), 20u);
        const std::string failure = std::to_string(EIO) + " " + path + ": Input/output error";
        EXPECT_EQ(ErrorOf([&] { file.readUpTo(buffer, 20); }), failure);
        EXPECT_EQ(ErrorOf([&] { file.readAt(0, buffer, 1); }), failure);
    }
    {
        ScopedFileFaults faults({.failWriteAfter = 10, .error = ENOSPC});
        PosixFile file = PosixFile::CreateNew(dir.file("out"), 0644);
        file.writeAll("abcdef");
        EXPECT_EQ(ErrorOf([&] { file.writeAll("ghijkl"); }),
                  std::to_string(ENOSPC) + " " + dir.file("out") + ": No space left on device");
        file.close();
        // The call that crossed the count wrote the bytes up to it.
        EXPECT_EQ(ReadFile(dir.file("out")), "abcdefghij");
    }
    PosixFile file = PosixFile::Open(dir.file("out"), O_WRONLY | O_APPEND);
    file.writeAll("klm");
    char buffer[100];
    EXPECT_EQ(PosixFile::OpenReadOnly(path).readUpTo(buffer, 100), 100u);
    EXPECT_EQ(ReadFile(dir.file("out")), "abcdefghijklm");

    // Nothing is read or written once the count is 0.
    ScopedFileFaults faults({.failReadAfter = 0, .failWriteAfter = 0});
    EXPECT_EQ(ErrorOf([&] { PosixFile::OpenReadOnly(path).readUpTo(buffer, 1); }),
              std::to_string(EIO) + " " + path + ": Input/output error");
    EXPECT_EQ(ErrorOf([&] { file.writeAll("n"); }),
              std::to_string(EIO) + " " + dir.file("out") + ": Input/output error");
    EXPECT_THROW(ScopedFileFaults second(FileFaults{}), std::logic_error);
}

// Guards a checked close and sync: a failure that the seam injects is
// reported, and the failed close still lets the descriptor go.
TEST_F(PosixFileTest, CloseAndSyncFailuresAreReported)
{
    PosixFile file = PosixFile::CreateNew(path, 0644);
    file.writeAll("data");
    file.sync();
    const int fd = file.fd();
    {
        ScopedFileFaults faults({.failClose = true, .failSync = true, .error = EIO});
        EXPECT_EQ(ErrorOf([&] { file.sync(); }), std::to_string(EIO) + " " + path + ": Input/output error");
        EXPECT_EQ(ErrorOf([&] { file.close(); }), std::to_string(EIO) + " " + path + ": Input/output error");
    }
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1);
    EXPECT_EQ(ReadFile(path), "data");
}

// A handler that lets a blocked read or write return EINTR.
void NoteSignal(int)
{}

// Guards the loops against signals: a read or write interrupted part-way
// (EINTR, or a short count) taken for an error or for the end of the file.
TEST_F(PosixFileTest, InterruptingSignalsLoseNoBytes)
{
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: blocked calls return early
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGALRM, &action, &previous), 0);

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    PosixFile reader(pipeEnds[0], "pipe reader");
    PosixFile writer(pipeEnds[1], "pipe writer");
    const std::string sent = Text(3 * 1024 * 1024); // far more than the pipe holds

    // Only this thread takes the signal: the helper starts with it blocked.
    sigset_t alarm;
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &alarm, nullptr), 0);
    std::string received;
    std::thread slowReader([&] {
        std::vector<char> buffer(64 * 1024);
        try {
            while (const std::size_t got = reader.readUpTo(buffer.data(), buffer.size())) {
                received.append(buffer.data(), got);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        } catch (const FileError&) {
        }
    });
    ASSERT_EQ(::pthread_sigmask(SIG_UNBLOCK, &alarm, nullptr), 0);

    itimerval every{{0, 200}, {0, 200}};
    ::setitimer(ITIMER_REAL, &every, nullptr);
    std::string error;
    try {
        writer.writeAll(sent);
    } catch (const FileError& e) {
        error = e.what();
    }
    itimerval off{};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    writer = PosixFile(); // the reader sees the end
    slowReader.join();
    ::sigaction(SIGALRM, &previous, nullptr);

    EXPECT_EQ(error, "");
    EXPECT_TRUE(received == sent);
}

// ---- AtomicFile -----------------------------------------------------------

class AtomicFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string target = dir.file("target.txt");
    std::string before = "old contents\n" + Text(5000);

    // Saves `text` over the target and returns the error, or "none".
    std::string save(const std::string& text, const SaveOptions& options = {})
    {
        return ErrorOf([&] {
            AtomicFile file(target, options);
            for (std::size_t at = 0; at < text.size(); at += 1000)
                file.write(text.substr(at, 1000));
            file.commit();
        });
    }
};

// Guards the replacement: a target left with part of the new contents, or
// the temporary left beside it.
TEST_F(AtomicFileTest, ReplacesTheTargetWhole)
{
    WriteFile(target, before);
    EXPECT_EQ(save(Text(12345)), "none");
    EXPECT_EQ(ReadFile(target), Text(12345));
    EXPECT_EQ(save(""), "none");
    EXPECT_EQ(ReadFile(target), "");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"target.txt"});
}

// Guards the old file against every failing step of a save (a write half
// way, the sync, the close, the rename): it stays as it was, the error
// names the target with the system's reason, and no temporary is left.
TEST_F(AtomicFileTest, FailedStepsLeaveTheOldFileUntouched)
{
    const std::string failure = std::to_string(ENOSPC) + " " + target + ": No space left on device";
    const FileFaults cases[] = {
        {.failWriteAfter = 2500, .error = ENOSPC},
        {.failSync = true, .error = ENOSPC},
        {.failClose = true, .error = ENOSPC},
        {.failRename = true, .error = ENOSPC},
    };
    for (const FileFaults& faults : cases) {
        SCOPED_TRACE(::testing::Message()
                     << faults.failWriteAfter.has_value() << faults.failSync << faults.failClose << faults.failRename);
        WriteFile(target, before);
        std::string error;
        {
            ScopedFileFaults installed(faults);
            error = save(Text(8000));
        }
        EXPECT_EQ(error, failure);
        EXPECT_TRUE(ReadFile(target) == before);
        EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"target.txt"});
    }
}

// Guards a save that is given up: the temporary is removed when the object
// goes uncommitted, and a file object that failed takes no more writes that
// could put a file with a gap in place.
TEST_F(AtomicFileTest, AbandonedOrFailedSaveLeavesNothing)
{
    WriteFile(target, before);
    {
        AtomicFile file(target);
        file.write("half");
        EXPECT_EQ(FolderNames(dir.path()).size(), 2u);
    }
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"target.txt"});

    AtomicFile file(target);
    file.write("first ");
    {
        ScopedFileFaults faults({.failWriteAfter = 0});
        EXPECT_THROW(file.write("lost"), FileError);
    }
    EXPECT_THROW(file.write("last"), std::logic_error);
    EXPECT_THROW(file.commit(), std::logic_error);
    EXPECT_TRUE(ReadFile(target) == before);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"target.txt"});
}

// Guards a target that is a symbolic link: replaced by a plain file (the
// link lost), or the file it leads to left unchanged.
TEST_F(AtomicFileTest, LinkedTargetKeepsItsLink)
{
    ASSERT_EQ(::mkdir(dir.file("real").c_str(), 0755), 0);
    WriteFile(dir.file("real/file.txt"), before);
    ASSERT_EQ(::symlink("real/file.txt", target.c_str()), 0);
    EXPECT_EQ(save("new"), "none");
    EXPECT_TRUE(std::filesystem::is_symlink(target));
    EXPECT_EQ(ReadFile(dir.file("real/file.txt")), "new");
    EXPECT_EQ(FolderNames(dir.file("real")), std::vector<std::string>{"file.txt"});
}

// Guards the mode: a replaced file that loses its mode (a private file
// opened to others), and a new file that ignores the mode it is given.
TEST_F(AtomicFileTest, KeepsTheOldModeAndGivesANewFileItsMode)
{
    WriteFile(target, before);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    EXPECT_EQ(save("x", {.newFileMode = 0666}), "none");
    EXPECT_EQ(ModeOf(target), 0640u);

    const mode_t mask = ::umask(022);
    target = dir.file("fresh.INI");
    EXPECT_EQ(save("y", {.newFileMode = 0600}), "none");
    EXPECT_EQ(ModeOf(target), 0600u);
    target = dir.file("shared.txt");
    EXPECT_EQ(save("z"), "none");
    EXPECT_EQ(ModeOf(target), 0644u);
    ::umask(mask);
}

// Guards the temporary's name: it stays in the target's folder, hidden by
// the prefix it is given, and a folder that cannot take it is an error
// naming the target.
TEST_F(AtomicFileTest, TemporaryStaysBesideTheTargetUnderItsPrefix)
{
    AtomicFile file(target, {.temporaryPrefix = ".part-"});
    file.write("body");
    const auto names = FolderNames(dir.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0].starts_with(".part-")) << names[0];
    file.commit();
    EXPECT_EQ(ReadFile(target), "body");

    const std::string missing = dir.file("gone/file");
    EXPECT_EQ(ErrorOf([&] {
                  AtomicFile file(missing);
                  file.write("x");
              }),
              std::to_string(ENOENT) + " " + missing + ": No such file or directory");
}

// Guards the "only if free" placement: an existing file or link replaced,
// a refusal reported as stored, or its temporary left behind.
TEST_F(AtomicFileTest, CommitIfFreeNeverReplaces)
{
    WriteFile(target, before);
    {
        AtomicFile file(target);
        file.write("intruder");
        EXPECT_EQ(file.commitIfFree(), AtomicFile::Placement::NameTaken);
    }
    EXPECT_TRUE(ReadFile(target) == before);

    ASSERT_EQ(::symlink("nowhere", dir.file("dangling").c_str()), 0);
    AtomicFile viaLink(dir.file("dangling"));
    viaLink.write("intruder");
    EXPECT_EQ(viaLink.commitIfFree(), AtomicFile::Placement::NameTaken);
    EXPECT_FALSE(FileExists(dir.file("nowhere")));

    AtomicFile fresh(dir.file("free.txt"), {.newFileMode = 0644});
    fresh.write("stored");
    EXPECT_EQ(fresh.commitIfFree(), AtomicFile::Placement::Placed);
    EXPECT_EQ(ReadFile(dir.file("free.txt")), "stored");
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"dangling", "free.txt", "target.txt"}));

    ScopedFileFaults faults({.failRename = true});
    AtomicFile refused(dir.file("other.txt"));
    refused.write("x");
    EXPECT_EQ(ErrorOf([&] { (void)refused.commitIfFree(); }),
              std::to_string(EIO) + " " + dir.file("other.txt") + ": Input/output error");
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"dangling", "free.txt", "target.txt"}));
}

// ---- SyncFile and SyncFolder ----------------------------------------------

// Guards the flushes before destructive steps: a missing path or a failed
// sync reported as success.
TEST(SyncTest, SyncsFilesAndFoldersAndReportsFailures)
{
    TempDir dir;
    WriteFile(dir.file("done"), "finished");
    EXPECT_NO_THROW(SyncFile(dir.file("done")));
    EXPECT_NO_THROW(SyncFolder(dir.path()));

    EXPECT_EQ(ErrorOf([&] { SyncFile(dir.file("missing")); }),
              std::to_string(ENOENT) + " " + dir.file("missing") + ": No such file or directory");
    EXPECT_EQ(ErrorOf([&] { SyncFolder(dir.file("done")); }),
              std::to_string(ENOTDIR) + " " + dir.file("done") + ": Not a directory");

    ScopedFileFaults faults({.failSync = true, .error = EIO});
    EXPECT_EQ(ErrorOf([&] { SyncFile(dir.file("done")); }),
              std::to_string(EIO) + " " + dir.file("done") + ": Input/output error");
    EXPECT_EQ(ErrorOf([&] { SyncFolder(dir.path()); }),
              std::to_string(EIO) + " " + dir.path() + ": Input/output error");
}

} // namespace
} // namespace vexo
