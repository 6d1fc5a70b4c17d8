// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/settings_store.h"
#include "decoder/container_format.h"
#include "tests/decoder/test_containers.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::FileExists;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Starts the program offscreen and returns its process id; its standard
// error goes to `errorLog` when one is named.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& args, const std::string& errorLog = {})
{
    return test::StartProgram(program, args, {{"QT_QPA_PLATFORM", "offscreen"}}, {.errorFile = errorLog});
}

// Runs the program offscreen and waits for it to end by itself.
int RunProgram(const std::string& program, const std::vector<std::string>& args, std::chrono::seconds limit,
               const std::string& errorLog = {})
{
    return test::WaitForExit(StartProgram(program, args, errorLog), limit);
}

std::set<std::string> Entries(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A copy of the program in a folder of its own, where it keeps its
// settings, and a data folder for it to work on.
class AutoRunEndToEnd : public ::testing::Test {
protected:
    AutoRunEndToEnd()
    {
        std::filesystem::create_directories(programFolder);
        std::filesystem::create_directories(data);
        std::filesystem::copy_file(VEXORAMA_BINARY, program);
    }

    TempDir root;
    const std::string programFolder = root.file("program");
    const std::string data = root.file("data");
    const std::string program = programFolder + "/vexorama";
};

// Guards the unattended run end to end: "/a" with "/d" and a folder scans,
// decodes, joins decoded and plain parts, deletes what it used up, never
// stops at a box for a folder named like a video, exits by itself, and
// leaves the folder and the settings as they should be.
TEST_F(AutoRunEndToEnd, DecodesJoinsAndExits)
{
    const std::string partA = PatternBytes(300000, 1), partB = PatternBytes(123457, 2);
    const std::string photo = PatternBytes(80000, 3);
    WriteFile(data + "/a1.avi", ContainerBytes(partA, 0x11, PatternBytes(999, 9), "movie.avi.aa"));
    WriteFile(data + "/a2.jpg", ContainerBytes(partB, 0xEE, "", "movie.avi.ab"));
    WriteFile(data + "/x.jpg", ContainerBytes(photo, 0x80, "lead", "photo.jpg"));
    WriteFile(data + "/photo.jpg", "already here");
    WriteFile(data + "/CLIP.MKV.AA", "first-");
    WriteFile(data + "/CLIP.MKV.AB", "second");
    WriteFile(data + "/tiny.avi", "too small to be encoded");
    std::filesystem::create_directory(data + "/folder.avi");

    ASSERT_EQ(RunProgram(program, {"/a", "/d", data}, std::chrono::seconds(60)), 0);

    EXPECT_EQ(Entries(data),
              (std::set<std::string>{"movie.avi", "photo.jpg", "(1)photo.jpg", "CLIP.MKV", "tiny.avi", "folder.avi"}));
    EXPECT_TRUE(ReadFile(data + "/movie.avi") == partA + partB);
    EXPECT_TRUE(ReadFile(data + "/(1)photo.jpg") == photo);
    EXPECT_EQ(ReadFile(data + "/photo.jpg"), "already here");
    EXPECT_EQ(ReadFile(data + "/CLIP.MKV"), "first-second");

    const SettingsStore settings(programFolder + "/vexorama.INI");
    EXPECT_EQ(settings.readString("Prog", "Folder", ""), data);
    EXPECT_TRUE(settings.readBool("Prog", "AutoDel", false));
    EXPECT_EQ(settings.readInteger("Prog", "Width", 0), 640);
    EXPECT_EQ(settings.readInteger("Prog", "Height", 0), 500);
}

// Guards "/a /d FOLDER" with a mistyped FOLDER: it decoded and deleted the
// containers of the fallback folder, stored that folder, and exited 0. Now
// it says why on standard error and ends with 2, having touched nothing.
TEST_F(AutoRunEndToEnd, FolderThatIsNoFolderEndsTheRunUntouched)
{
    const std::string container = ContainerBytes(PatternBytes(40000, 4), 0x21, "", "clip.bin");
    WriteFile(programFolder + "/x.avi", container);
    WriteFile(data + "/file.avi", container);
    std::filesystem::create_symlink(root.file("gone"), root.file("link"));
    const std::string errors = root.file("errors.txt");
    for (const std::string& folder : {root.file("mistyped"), data + "/file.avi", root.file("link"), std::string("")}) {
        SCOPED_TRACE(folder);
        ASSERT_EQ(RunProgram(program, {"/a", "/d", folder}, std::chrono::seconds(60), errors), 2);
        EXPECT_NE(ReadFile(errors).find(folder + ", ничего не сделано"), std::string::npos) << ReadFile(errors);
        EXPECT_EQ(Entries(programFolder), (std::set<std::string>{"vexorama", "x.avi"}));
        EXPECT_EQ(Entries(data), (std::set<std::string>{"file.avi"}));
        EXPECT_EQ(ReadFile(programFolder + "/x.avi"), container);
    }
}

// Guards "/a" waiting for ever at a box nobody answers, and its exit
// status counting boxes: an ordinary picture in the folder held the run at
// its " -  NOT PACK" box, and a settings file that cannot be written at
// its error. Both are told on standard error, the run ends by itself, and
// with 0: a file that is no container is no failure.
TEST_F(AutoRunEndToEnd, BoxesNeitherHoldNorFailTheRun)
{
    const std::string plain = PatternBytes(60000, 6);
    WriteFile(data + "/x.avi", ContainerBytes(plain, 0x42, "lead", "clip.bin"));
    WriteFile(data + "/holiday.jpg", std::string(35200, 'p'));
    // Where the settings file would be: no write can make it.
    std::filesystem::create_directory(programFolder + "/vexorama.INI");
    const std::string errors = root.file("errors.txt");

    ASSERT_EQ(RunProgram(program, {"/a", data}, std::chrono::seconds(60), errors), 0);

    const std::string told = ReadFile(errors);
    EXPECT_NE(told.find("vexorama: holiday.jpg -  NOT PACK\n"), std::string::npos) << told;
    EXPECT_NE(told.find("vexorama.INI"), std::string::npos) << told;
    EXPECT_TRUE(ReadFile(data + "/clip.bin") == plain);
    EXPECT_EQ(ReadFile(data + "/holiday.jpg"), std::string(35200, 'p'));
}

// Guards an unattended run that ended with 0 although a container found
// could not be opened (the scan dropped it without a word). Root opens any
// file whatever its mode, so the container is a link whose file is gone.
// It is named on standard error, the others are decoded, and the status is 1.
TEST_F(AutoRunEndToEnd, ContainerThatCannotBeOpenedFailsTheRun)
{
    const std::string plain = PatternBytes(60000, 7);
    WriteFile(data + "/x.avi", ContainerBytes(plain, 0x42, "lead", "clip.bin"));
    std::filesystem::create_symlink(root.file("gone.avi"), data + "/gone.avi");
    const std::string errors = root.file("errors.txt");

    ASSERT_EQ(RunProgram(program, {"/a", data}, std::chrono::seconds(60), errors), 1);

    const std::string told = ReadFile(errors);
    EXPECT_NE(told.find("vexorama: I/O Error - gone.avi\n"), std::string::npos) << told;
    EXPECT_TRUE(ReadFile(data + "/clip.bin") == plain);
}

// Guards: two "/a /d" runs started at once on one folder (a script while
// the window works there) decoding every container twice, into "(1)"
// copies, and ending at an "I/O Error" box. Each file is decoded (and the
// split one joined) once, and both runs end with 0.
TEST_F(AutoRunEndToEnd, TwoRunsInOneFolderDecodeEachFileOnce)
{
    std::set<std::string> names;
    std::vector<std::string> plains;
    for (int i = 0; i < 6; ++i) {
        const std::string name = "file" + std::to_string(i) + ".bin";
        plains.push_back(PatternBytes(4000000 + i, static_cast<std::uint8_t>(i + 1)));
        WriteFile(data + "/" + std::to_string(i) + ".avi", ContainerBytes(plains.back(), 0x5A, "", name));
        names.insert(name);
    }
    const std::string partA = PatternBytes(2000000, 7), partB = PatternBytes(300000, 8);
    WriteFile(data + "/p1.jpg", ContainerBytes(partA, 0x21, "", "movie.mkv.aa"));
    WriteFile(data + "/p2.jpg", ContainerBytes(partB, 0x22, "", "movie.mkv.ab"));
    // Not a video's name: a run after the other would stop at the plain
    // video's " -  NOT PACK" box.
    names.insert("movie.mkv");
    // A second copy with settings of its own, as a script's would be.
    const std::string secondFolder = root.file("second");
    std::filesystem::create_directories(secondFolder);
    std::filesystem::copy_file(VEXORAMA_BINARY, secondFolder + "/vexorama");

    const pid_t first = StartProgram(program, {"/a", "/d", data});
    const pid_t second = StartProgram(secondFolder + "/vexorama", {"/a", "/d", data});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    EXPECT_EQ(test::WaitForExit(first, deadline), 0);
    EXPECT_EQ(test::WaitForExit(second, deadline), 0);

    EXPECT_EQ(Entries(data), names);
    for (std::size_t i = 0; i < plains.size(); ++i)
        EXPECT_TRUE(ReadFile(data + "/file" + std::to_string(i) + ".bin") == plains[i]) << i;
    EXPECT_TRUE(ReadFile(data + "/movie.mkv") == partA + partB);
}

// Guards a run ended by SIGTERM (a logout, a kill from the shell): the
// decode it cut short left a truncated file under the real name, which the
// next run decoded beside as "(1)name". It now stops at its next pump,
// before the decode is done (no big.bin), removes its temporary, keeps the
// container and exits with 128 + 15.
TEST_F(AutoRunEndToEnd, TerminationLeavesNoHalfFile)
{
    // A sparse container of 2 GiB of data: long enough to be caught half way.
    const std::string container = data + "/big.avi";
    const std::int64_t size = (std::int64_t{2} << 30) + kTrailerSize;
    const int fd = ::open(container.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    const std::string trailer = MakeTrailer(0, 0x55, "big.bin");
    ASSERT_EQ(::pwrite(fd, trailer.data(), trailer.size(), size - kTrailerSize), static_cast<ssize_t>(trailer.size()));
    ::close(fd);

    const pid_t child = StartProgram(program, {"/a", "/d", data});
    const auto started = std::chrono::steady_clock::now();
    const auto decoding = [&] { return !test::SizesTakingShape(data, child).empty(); };
    while (!decoding() && std::chrono::steady_clock::now() - started < std::chrono::seconds(30))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(decoding());
    ASSERT_EQ(::kill(child, SIGTERM), 0);
    const auto signalled = std::chrono::steady_clock::now();
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() - signalled > std::chrono::seconds(30)) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            FAIL() << "the program did not end after SIGTERM";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM);
    EXPECT_EQ(Entries(data), std::set<std::string>{"big.avi"});
    EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(container)), size);
}

} // namespace
} // namespace vexo
