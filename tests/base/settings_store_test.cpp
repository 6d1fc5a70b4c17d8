// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "base/settings_store.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

std::string ExpectWriteError(SettingsStore& store)
{
    try {
        store.writeString("Prog", "Folder", "/data");
    } catch (const SettingsWriteError& error) {
        return error.what();
    }
    return "no SettingsWriteError";
}

// Waits until someone waits for the flock(2) of the file with inode `inode`
// (the kernel lists waiters in /proc/locks with "->"), or until `gaveUp`
// says there is no point. Without /proc/locks it does not wait at all.
void WaitForLockWaiter(ino_t inode, const std::atomic<bool>& gaveUp)
{
    const std::string inodeField = ":" + std::to_string(inode) + " ";
    for (int attempt = 0; attempt < 10000 && !gaveUp; ++attempt) {
        std::ifstream locks("/proc/locks");
        if (!locks)
            return;
        for (std::string line; std::getline(locks, line);) {
            if (line.find("-> FLOCK") != std::string::npos && line.find(inodeField) != std::string::npos)
                return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Guards: a handle that caches the file and misses the other handle's writes.
TEST(SettingsStore, TwoHandlesSeeEachOthersWrites)
{
    TempDir dir;
    SettingsStore main(dir.file("vexorama.INI")), dialog(dir.file("vexorama.INI"));
    EXPECT_EQ(main.readString("Server", "Port", "6677"), "6677");
    dialog.writeString("Server", "Port", "7000");
    EXPECT_EQ(main.readString("Server", "Port", "6677"), "7000");
    main.writeInteger("Prog", "Width", 800);
    EXPECT_EQ(dialog.readInteger("Prog", "Width", 600), 800);
    EXPECT_EQ(ReadFile(main.path()), "[Server]\nPort=7000\n\n[Prog]\nWidth=800\n");
}

// Guards: case-sensitive matching that adds a second section or key.
// Guards start-up against rewriting (and flushing to disk) a settings file
// whose value did not change: the folder box stores itself at every start.
TEST(SettingsStore, WritingTheSameValueLeavesTheFileAlone)
{
    TempDir dir;
    const std::string path = dir.file("vexorama.INI");
    WriteFile(path, "[Prog]\nFolder=/home/x\n");
    // A second name for the file as it is now: a replaced file gets a new
    // inode, while this name keeps the old one.
    const std::string original = dir.file("original");
    ASSERT_EQ(::link(path.c_str(), original.c_str()), 0);
    const auto sameFile = [&] {
        struct stat current {};
        struct stat kept {};
        return ::stat(path.c_str(), &current) == 0 && ::stat(original.c_str(), &kept) == 0
               && current.st_ino == kept.st_ino;
    };

    SettingsStore store(path);
    store.writeString("Prog", "Folder", "/home/x");
    EXPECT_TRUE(sameFile());

    store.writeString("Prog", "Folder", "/home/y");
    EXPECT_FALSE(sameFile());
    EXPECT_EQ(ReadFile(path), "[Prog]\nFolder=/home/y\n");
}

TEST(SettingsStore, MatchesSectionsAndKeysWithoutCaseAndFirstWins)
{
    TempDir dir;
    WriteFile(dir.file("s.INI"), "[ prog ]\nWIDTH = 700\nwidth=1\n[PROG]\nWidth=2\n");
    SettingsStore store(dir.file("s.INI"));
    EXPECT_EQ(store.readInteger("Prog", "Width", 600), 700);
    store.writeInteger("Prog", "Width", 800);
    EXPECT_EQ(ReadFile(store.path()), "[ prog ]\nWidth=800\nwidth=1\n[PROG]\nWidth=2\n");
}

// Guards: a write that drops, reorders or re-ends lines the program does not know.
TEST(SettingsStore, KeepsUnknownLinesByteForByte)
{
    TempDir dir;
    const std::string before = "; made by hand\r\n[Other]\r\nx = 1\r\n\r\n[Prog]\r\nFolder=/old\r\n"
                               "Keep=\"q\"\r\n\r\n[Tail]\r\nlast";
    WriteFile(dir.file("s.INI"), before);
    SettingsStore store(dir.file("s.INI"));
    EXPECT_EQ(store.readString("Prog", "Folder", ""), "/old");
    EXPECT_EQ(store.readString("Prog", "Keep", ""), "q");
    store.writeString("Prog", "Folder", "/new");
    store.writeBool("Prog", "Auto", false);
    store.writeBool("Tail", "On", true);
    store.writeString("Server", "Name", "host");
    EXPECT_EQ(ReadFile(store.path()), "; made by hand\r\n[Other]\r\nx = 1\r\n\r\n[Prog]\r\nFolder=/new\n"
                                      "Keep=\"q\"\r\nAuto=0\n\r\n[Tail]\r\nlast\nOn=1\n\n[Server]\nName=host\n");
}

// Guards: values whose blanks or quotes are lost on the way through the file.
TEST(SettingsStore, StringsReadBackAsWritten)
{
    TempDir dir;
    SettingsStore store(dir.file("s.INI"));
    for (const std::string value : {"", " /tmp/dir ", "\"quoted\"", "'a'", "папка/файл", "a=b"}) {
        store.writeString("Prog", "Folder", value);
        EXPECT_EQ(store.readString("Prog", "Folder", "default"), value);
    }
}

// Guards: a value that is not a whole number read as a number, or a number
// form that the file allows being refused.
TEST(SettingsStore, ReadsIntegersAndBooleans)
{
    TempDir dir;
    WriteFile(dir.file("s.INI"), "[Prog]\na=abc\nb=0x20\nc=$20\nd=-5\ne= 12\nf=12 \ng=2147483648\n"
                                 "h=\"12 \"\ni=\" 12\"\nj=$FFFFFFFF\nyes=yes\ntwo=2\nzero=0\n");
    SettingsStore store(dir.file("s.INI"));
    const std::pair<const char*, int> cases[] = {{"a", 7},  {"b", 32}, {"c", 32}, {"d", -5}, {"e", 12},
                                                 {"f", 12}, {"g", 7},  {"h", 7},  {"i", 12}, {"j", -1}};
    for (const auto& [key, expected] : cases)
        EXPECT_EQ(store.readInteger("Prog", key, 7), expected) << key;
    EXPECT_TRUE(store.readBool("Prog", "yes", true));
    EXPECT_FALSE(store.readBool("Prog", "yes", false));
    EXPECT_TRUE(store.readBool("Prog", "two", false));
    EXPECT_FALSE(store.readBool("Prog", "zero", true));
    EXPECT_TRUE(store.readBool("Prog", "missing", true));
}

// Guards: booleans written in a form other than "1"/"0".
TEST(SettingsStore, WritesBooleansAsOneAndZero)
{
    TempDir dir;
    SettingsStore store(dir.file("s.INI"));
    store.writeBool("Prog", "AutoDel", true);
    store.writeBool("Prog", "Auto", false);
    store.writeInteger("Prog", "Update", -3);
    EXPECT_EQ(ReadFile(store.path()), "[Prog]\nAutoDel=1\nAuto=0\nUpdate=-3\n");
}

// Guards: a cap that counts bytes or cuts a character in half.
TEST(SettingsStore, ReadsAtMost2047Characters)
{
    TempDir dir;
    std::string cyrillic, exact(2047, 'a');
    for (int i = 0; i < 3000; ++i)
        cyrillic += "ж";
    WriteFile(dir.file("s.INI"), "[Prog]\nLong=" + cyrillic + "\nExact=" + exact + "\n");
    SettingsStore store(dir.file("s.INI"));
    EXPECT_EQ(store.readString("Prog", "Long", ""), cyrillic.substr(0, 2047 * 2));
    EXPECT_EQ(store.readString("Prog", "Exact", ""), exact);
}

// Guards: a refused write reported as success, or reported without the path.
TEST(SettingsStore, RefusedWriteNamesTheFile)
{
    TempDir dir;
    WriteFile(dir.file("plain"), "not a folder");
    SettingsStore store(dir.file("plain") + "/vexorama.INI");
    EXPECT_EQ(ExpectWriteError(store), "Unable to write to " + store.path());
    EXPECT_EQ(ReadFile(dir.file("plain")), "not a folder");
}

// Guards: a write that fails half-way (full disk) truncating the old file or
// leaving its temporary file behind.
TEST(SettingsStore, FailedWriteKeepsTheOldFile)
{
    TempDir dir;
    const std::string before = "[Other]\nBig=" + std::string(4000, 'x') + "\n[Prog]\nFolder=/old\n";
    WriteFile(dir.file("s.INI"), before);
    SettingsStore store(dir.file("s.INI"));

    std::string error;
    {
        ScopedFileFaults faults({.failWriteAfter = 1000, .error = ENOSPC});
        error = ExpectWriteError(store);
    }

    EXPECT_EQ(error, "Unable to write to " + store.path());
    EXPECT_TRUE(ReadFile(store.path()) == before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// Guards: a new file that fails to take the settings file's name (or to
// reach the disk) reported as written, or leaving its temporary behind.
TEST(SettingsStore, FailedRenameOrSyncKeepsTheOldFile)
{
    TempDir dir;
    const std::string before = "[Prog]\nFolder=/old\n";
    WriteFile(dir.file("s.INI"), before);
    SettingsStore store(dir.file("s.INI"));
    for (const FileFaults& fault : {FileFaults{.failRename = true}, FileFaults{.failSync = true}}) {
        std::string error;
        {
            ScopedFileFaults faults(fault);
            error = ExpectWriteError(store);
        }
        EXPECT_EQ(error, "Unable to write to " + store.path());
        EXPECT_EQ(ReadFile(store.path()), before);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
    store.writeString("Prog", "Folder", "/new");
    EXPECT_EQ(ReadFile(store.path()), "[Prog]\nFolder=/new\n");
}

// Guards: a settings file that cannot be read being overwritten by a write
// (its other keys would be lost); reads then fall back to their defaults.
TEST(SettingsStore, UnreadableFileIsNeverOverwritten)
{
    TempDir dir;
    const std::string before = "[Server]\nPassword=secret\n[Prog]\nFolder=/old\n";
    WriteFile(dir.file("s.INI"), before);
    SettingsStore store(dir.file("s.INI"));
    {
        ScopedFileFaults faults({.failReadAfter = 10, .error = EIO});
        EXPECT_EQ(store.readString("Prog", "Folder", "default"), "default");
        EXPECT_EQ(ExpectWriteError(store), "Unable to write to " + store.path());
    }
    EXPECT_EQ(ReadFile(store.path()), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(store.readString("Prog", "Folder", "default"), "/old");
}

// Guards: a value with a line break injecting keys or sections into the file.
TEST(SettingsStore, RefusesLineBreaksInValues)
{
    TempDir dir;
    SettingsStore store(dir.file("s.INI"));
    store.writeString("Server", "Name", "host");
    EXPECT_THROW(store.writeString("Prog", "Folder", "/a\n[Server]\nName=evil"), SettingsWriteError);
    EXPECT_EQ(ReadFile(store.path()), "[Server]\nName=host\n");
}

// Guards several keys written together (the window's size at its close):
// all of them land, or, when one is refused, none does.
TEST(SettingsStore, WritesSeveralKeysAllOrNone)
{
    TempDir dir;
    SettingsStore store(dir.file("s.INI"));
    store.writeStrings({{settings::kWidth, "800"}, {settings::kHeight, "600"}});
    EXPECT_EQ(ReadFile(store.path()), "[Prog]\nWidth=800\nHeight=600\n");
    EXPECT_THROW(store.writeStrings({{settings::kWidth, "900"}, {settings::kFolder, "/a\nb"}}), SettingsWriteError);
    EXPECT_EQ(ReadFile(store.path()), "[Prog]\nWidth=800\nHeight=600\n");
}

// Guards: a rewrite that opens the file to others or replaces a link by a copy.
TEST(SettingsStore, KeepsPermissionsAndLinks)
{
    TempDir dir;
    SettingsStore fresh(dir.file("new.INI"));
    fresh.writeInteger("Prog", "Width", 1);
    struct stat info {};
    ASSERT_EQ(::stat(fresh.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    WriteFile(dir.file("real.INI"), "[Prog]\n");
    ::chmod(dir.file("real.INI").c_str(), 0640);
    std::filesystem::create_symlink(dir.file("real.INI"), dir.file("link.INI"));
    SettingsStore linked(dir.file("link.INI"));
    linked.writeInteger("Prog", "Width", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.INI")));
    EXPECT_EQ(ReadFile(dir.file("real.INI")), "[Prog]\nWidth=2\n");
    ASSERT_EQ(::stat(dir.file("real.INI").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// Guards: a settings file that is a link to a file not made yet replaced by
// a regular file, so that the link is gone and its target never written.
TEST(SettingsStore, DanglingLinkGetsItsTargetMade)
{
    TempDir dir;
    std::filesystem::create_symlink(dir.file("real.INI"), dir.file("link.INI"));
    SettingsStore linked(dir.file("link.INI"));
    linked.writeInteger("Prog", "Width", 2);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.INI")));
    EXPECT_EQ(ReadFile(dir.file("real.INI")), "[Prog]\nWidth=2\n");
    EXPECT_EQ(linked.readInteger("Prog", "Width", 0), 2);
}

// Guards two copies of the program storing settings at once: a store that
// read the file before the other's replacement put it back without the
// other's keys, so a value just written went missing.
TEST(SettingsStore, StoresAtOnceFromSeveralProgramsLoseNothing)
{
    TempDir dir;
    const std::string path = dir.file("vexorama.INI");
    constexpr int kWriters = 4;
    constexpr int kRounds = 40;
    // The writers start together once the parent closes the pipe.
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t pid = ::fork();
        if (pid < 0)
            break;
        if (pid == 0) {
            ::close(gate[1]);
            ::alarm(60); // a writer stuck for good ends instead of holding up the suite
            char ignored;
            while (::read(gate[0], &ignored, 1) < 0 && errno == EINTR) {
            }
            int lost = 0;
            try {
                SettingsStore store(path);
                const std::string key = "Key" + std::to_string(writer);
                for (int round = 0; round < kRounds; ++round) {
                    store.writeInteger("Race", key, round);
                    // Only this writer writes this key: any other value is a lost store.
                    if (store.readInteger("Race", key, -1) != round)
                        ++lost;
                }
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(lost == 0 ? 0 : 1);
        }
        writers.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    EXPECT_EQ(writers.size(), std::size_t{kWriters});
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status)) << "writer ended by signal " << WTERMSIG(status);
        if (WIFEXITED(status)) {
            EXPECT_NE(WEXITSTATUS(status), 2) << "a store failed";
            EXPECT_NE(WEXITSTATUS(status), 1) << "a writer did not read back its own value";
        }
    }
    const SettingsStore store(path);
    for (int writer = 0; writer < kWriters; ++writer)
        EXPECT_EQ(store.readInteger("Race", "Key" + std::to_string(writer), -1), kRounds - 1) << writer;
}

// Guards a store that waited for another writer and then wrote on the file
// that writer had already replaced: the other writer's new keys were lost.
TEST(SettingsStore, StoreAfterAWaitTakesTheFileThatReplacedTheLockedOne)
{
    TempDir dir;
    const std::string path = dir.file("vexorama.INI");
    WriteFile(path, "[Prog]\nWidth=1\n");
    // The other writer, as this program's store does it: the lock of the
    // file, then a new file renamed over it.
    PosixFile other = PosixFile::OpenReadOnly(path);
    ASSERT_TRUE(other.isOpen());
    ASSERT_EQ(::flock(other.fd(), LOCK_EX), 0);
    struct stat locked {};
    ASSERT_EQ(::fstat(other.fd(), &locked), 0);

    std::atomic<bool> finished{false};
    std::string error;
    std::thread store([&] {
        try {
            SettingsStore(path).writeString("Server", "Port", "7000");
        } catch (const std::exception& e) {
            error = e.what();
        }
        finished = true;
    });
    WaitForLockWaiter(locked.st_ino, finished);
    WriteFile(dir.file("new"), "[Prog]\nWidth=2\n");
    EXPECT_EQ(::rename(dir.file("new").c_str(), path.c_str()), 0);
    EXPECT_EQ(::flock(other.fd(), LOCK_UN), 0);
    store.join();

    EXPECT_EQ(error, "");
    EXPECT_EQ(ReadFile(path), "[Prog]\nWidth=2\n\n[Server]\nPort=7000\n");
}

// Guards "/a" on a big settings file parsing the whole file again for each
// key it reads, and a parsed copy kept after the file changed.
TEST(SettingsStore, ParsesTheFileOnceUntilItChanges)
{
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        void (*change)(const std::string& path); // none: the file stays, and can no longer be read
        const char* expected;
    } rows[] = {
        {"unchanged", nullptr, "700"},
        {"replaced", [](auto& path) { WriteFile(path + "~", "[Prog]\nWidth=800\n"), fs::rename(path + "~", path); },
         "800"},
        {"rewritten in place, same size", [](auto& path) { WriteFile(path, "[Prog]\nWidth=701\n"); }, "701"},
        {"written by another store", [](auto& path) { SettingsStore(path).writeInteger("Prog", "Width", 9); }, "9"},
        {"removed", [](auto& path) { fs::remove(path); }, "600"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TempDir dir;
        const std::string path = dir.file("vexorama.INI");
        WriteFile(path, "[Prog]\nWidth=700\n");
        SettingsStore store(path);
        ASSERT_EQ(store.readString("Prog", "Width", "600"), "700");
        std::optional<ScopedFileFaults> faults;
        if (row.change)
            row.change(path);
        else
            faults.emplace(FileFaults{.failReadAfter = 0});
        EXPECT_EQ(store.readString("Prog", "Width", "600"), row.expected);
    }
}

// Guards: a wrong extension rule (a dot in a folder taken for an extension).
TEST(SettingsFilePath, ReplacesTheExtensionBesideTheExecutable)
{
    TempDir dir;
    std::filesystem::create_directory(dir.file("v1.2"));
    EXPECT_EQ(SettingsFilePath(dir.file("decoder.exe")), dir.file("decoder.INI"));
    EXPECT_EQ(SettingsFilePath(dir.file("v1.2/vexorama")), dir.file("v1.2/vexorama.INI"));
}

// Guards: settings lost on a system-wide install whose folder cannot be written.
TEST(SettingsFilePath, FallsBackToTheUserConfigFolder)
{
    TempDir dir;
    WriteFile(dir.file("plain"), "");
    const std::string unwritable = dir.file("plain") + "/bin/vexorama"; // fails even for root
    ScopedEnv home("HOME", dir.path());
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", dir.file("xdg"));
        EXPECT_EQ(SettingsFilePath(unwritable), dir.file("xdg/vexorama/vexorama.INI"));
        EXPECT_TRUE(std::filesystem::is_directory(dir.file("xdg/vexorama")));
    }
    for (const std::string ignored : {"", "relative/xdg"}) {
        ScopedEnv xdg("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(SettingsFilePath(unwritable), dir.file(".config/vexorama/vexorama.INI"));
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.file(".config/vexorama")));
}

// Guards an installed copy run as root, which can write the system's
// program folders: it kept its settings in /usr/bin/vexorama.INI (left
// behind by a purge) and worked in /usr/bin. A copy in /usr, /usr/local or
// /opt uses the per-user places whoever runs it; a build tree does not.
TEST(SettingsFilePath, AnInstalledCopyUsesThePerUserPlacesEvenForRoot)
{
    TempDir dir;
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.file("xdg"));
    for (const std::string installed : {"/usr/bin/vexorama", "/usr/local/bin/vexorama", "/opt/vexorama/bin/vexorama"}) {
        EXPECT_TRUE(RunsInstalled(installed)) << installed;
        EXPECT_EQ(SettingsFilePath(installed), dir.file("xdg/vexorama/vexorama.INI")) << installed;
        EXPECT_EQ(DefaultWorkingFolder(installed, "/usr/bin/", dir.file("Downloads")), dir.file("Downloads/Vexorama/"));
    }
    std::filesystem::create_directories(dir.file("build/bin"));
    EXPECT_FALSE(RunsInstalled(dir.file("build/bin/vexorama")));
    EXPECT_EQ(DefaultWorkingFolder(dir.file("vexorama"), dir.path() + "/", dir.file("Downloads")), dir.path() + "/");
}

} // namespace
} // namespace vexo
