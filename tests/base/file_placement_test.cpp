// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/atomic_file.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/numbered_name.h"
#include "base/program_files.h"
#include "base/temporary_files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::FileExists;
using test::FolderNames;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

// The three ways a finished file gets its name: without a name until then
// (O_TMPFILE and a hard link), a hidden temporary renamed without
// replacing, and where the file system takes neither (FAT and exFAT over
// FUSE) the name claimed first.
struct PlacingWay {
    const char* name;
    FileFaults refusals;
};
const PlacingWay kPlacingWays[] = {
    {"unnamed", {}},
    {"rename without replacing", {.refuseUnnamedFiles = true}},
    {"claimed name", {.refuseUnnamedFiles = true, .refuseNoReplaceRename = true}},
};

AtomicFile::Placement WriteAndPlace(const std::string& path, const std::string& text)
{
    AtomicFile file(path, {.temporaryPrefix = kTemporaryPrefix, .unnamed = true});
    file.write(text);
    return file.commitIfFree();
}

// Guards the placing of a finished file on any disk: decoding into a FAT
// folder failed for every file (it took a hard link), and a fallback must
// never replace a file or a link of that name, nor leave its temporary.
TEST(FilePlacementTest, EveryWayPlacesWithoutReplacing)
{
    for (const PlacingWay& way : kPlacingWays) {
        SCOPED_TRACE(way.name);
        TempDir dir;
        WriteFile(dir.file("taken"), "the user's");
        ASSERT_EQ(::symlink("nowhere", dir.file("link").c_str()), 0);
        const ScopedFileFaults refusals(way.refusals);
        EXPECT_EQ(WriteAndPlace(dir.file("taken"), "new"), AtomicFile::Placement::NameTaken);
        EXPECT_EQ(WriteAndPlace(dir.file("link"), "new"), AtomicFile::Placement::NameTaken);
        EXPECT_EQ(WriteAndPlace(dir.file("free"), "new"), AtomicFile::Placement::Placed);
        EXPECT_EQ(ReadFile(dir.file("taken")), "the user's");
        EXPECT_EQ(ReadFile(dir.file("free")), "new");
        EXPECT_FALSE(FileExists(dir.file("nowhere")));
        EXPECT_EQ(FolderNames(dir.path()), (Names{"free", "link", "taken"}));
    }
}

// Guards a file without a name: one that shows a name while it is written
// could be left behind by a crash, and one given up must leave nothing.
TEST(FilePlacementTest, UnnamedFileShowsNoNameUntilPlaced)
{
    TempDir dir;
    {
        AtomicFile file(dir.file("out"), {.unnamed = true});
        file.write("half");
        EXPECT_TRUE(FolderNames(dir.path()).empty());
        EXPECT_EQ(test::SizesTakingShape(dir.path()), std::vector<std::uintmax_t>{4});
    }
    EXPECT_TRUE(test::SizesTakingShape(dir.path()).empty());
    AtomicFile replacing(dir.file("out"), {.unnamed = true});
    WriteFile(dir.file("out"), "old");
    replacing.write("replaced");
    replacing.commit();
    EXPECT_EQ(ReadFile(dir.file("out")), "replaced");
    EXPECT_EQ(FolderNames(dir.path()), Names{"out"});
}

// Guards the "(n)" rule of every file written for the user: a taken name,
// or one holding other bytes, is passed over; one holding exactly the same
// bytes takes the file without a copy.
TEST(FilePlacementTest, TakenNamesArePassedOverAndTheSameBytesAreNotCopied)
{
    for (const PlacingWay& way : kPlacingWays) {
        SCOPED_TRACE(way.name);
        TempDir dir;
        WriteFile(dir.file("photo.jpg"), "first");
        const ScopedFileFaults refusals(way.refusals);
        const auto place = [&](const std::string& text) {
            AtomicFile file(dir.file("photo.jpg"), {.temporaryPrefix = kTemporaryPrefix, .unnamed = true});
            file.write(text);
            file.finish();
            NumberedName name(dir.path() + "/", "photo.jpg");
            const PlacedAs placed = PlaceWithoutReplacing(file, name);
            return std::pair{placed, FileNamePart(name.path())};
        };
        EXPECT_EQ(place("second"), std::pair(PlacedAs::NewFile, std::string("(1)photo.jpg")));
        EXPECT_EQ(place("second"), std::pair(PlacedAs::SameFileThere, std::string("(1)photo.jpg")));
        EXPECT_EQ(place("first"), std::pair(PlacedAs::SameFileThere, std::string("photo.jpg")));
        EXPECT_EQ(place("third"), std::pair(PlacedAs::NewFile, std::string("(2)photo.jpg")));
        EXPECT_EQ(ReadFile(dir.file("photo.jpg")), "first");
        EXPECT_EQ(FolderNames(dir.path()), (Names{"(1)photo.jpg", "(2)photo.jpg", "photo.jpg"}));
    }
}

// Guards the program's own files in its own folder: a listed file named
// like the executable replaced it, execute bit and all, and the next start
// ran the server's file; the module and the settings file likewise. Their
// names are never used there, made or not, in any case.
TEST(FilePlacementTest, ProgramFilesAreNeverCreatedOrReplaced)
{
    TempDir program;
    TempDir elsewhere;
    WriteFile(program.file("vexorama"), "the program");
    ASSERT_EQ(::chmod(program.file("vexorama").c_str(), 0755), 0);
    SetProgramFiles({program.file("vexorama"), program.file("vexorama.INI"), program.file(kWebModuleFileName)});
    EXPECT_EQ(NumberedName(program.path() + "/", "vexorama").path(), program.file("(1)vexorama"));
    EXPECT_EQ(NumberedName(program.path() + "/./", "VEXORAMA.ini").path(), program.path() + "/./(1)VEXORAMA.ini");
    EXPECT_EQ(NumberedName(program.path() + "/", "vexorama_web.so").path(), program.file("(1)vexorama_web.so"));
    EXPECT_EQ(NumberedName(elsewhere.path() + "/", "vexorama").path(), elsewhere.file("vexorama"));

    AtomicFile download(program.file("vexorama.INI"), {.unnamed = true});
    download.write("[Server]\nName=evil\n");
    download.finish();
    NumberedName name(program.path() + "/", "vexorama.INI");
    EXPECT_EQ(PlaceWithoutReplacing(download, name), PlacedAs::NewFile);
    AtomicFile named(program.file("vexorama"), {.unnamed = true});
    named.write("#!/bin/sh\n");
    named.finish();
    NumberedName executable(program.path() + "/", "vexorama");
    EXPECT_EQ(PlaceWithoutReplacing(named, executable), PlacedAs::NewFile);
    EXPECT_EQ(FolderNames(program.path()), (Names{"(1)vexorama", "(1)vexorama.INI", "vexorama"}));
    EXPECT_EQ(ReadFile(program.file("vexorama")), "the program");
    struct stat info {};
    ASSERT_EQ(::stat(program.file("(1)vexorama").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0111, 0u) << "a download took the execute bit of the file whose name it found taken";
    SetProgramFiles({});
}

// Guards the clean-up of temporaries: a listed or stored name shaped like
// one (".vexorama-99999999-1") was removed by the next run as stale. Names
// from outside never take the shape, and the clean-up removes only this
// user's regular files of exactly that shape whose process is gone.
TEST(FilePlacementTest, OnlyTheProgramsOwnStaleTemporariesAreRemoved)
{
    EXPECT_EQ(NameFromOutside(".vexorama-99999999-1"), "_vexorama-99999999-1");
    EXPECT_EQ(NameFromOutside(".vexorama-notes.txt"), ".vexorama-notes.txt");
    EXPECT_EQ(NameFromOutside("photo.jpg"), "photo.jpg");

    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0);
    const std::string pid = std::to_string(gone);
    TempDir dir;
    const Names kept = {
        ".vexorama--1",
        ".vexorama-" + pid,
        ".vexorama-" + pid + "-",
        ".vexorama-" + pid + "-1a",
        ".vexorama-+" + pid + "-1",
        ".vexorama-" + pid + "-+1",
        ".vexorama-x" + pid + "-1",
        ".vexorama-1-1",
        ".vexorama_" + pid + "-1",
        "x.vexorama-" + pid + "-1",
        ".Vexorama-" + pid + "-1",
    };
    for (const std::string& name : kept)
        WriteFile(dir.file(name), "the user's");
    WriteFile(dir.file(".vexorama-" + pid + "-7"), "half");
    std::filesystem::create_directory(dir.file(".vexorama-" + pid + "-8"));
    ASSERT_EQ(::symlink("elsewhere", dir.file(".vexorama-" + pid + "-9").c_str()), 0);
    RemoveStaleTemporaries(dir.path());
    Names expected = kept;
    expected.push_back(".vexorama-" + pid + "-8");
    expected.push_back(".vexorama-" + pid + "-9");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderNames(dir.path()), expected);
}

// Guards the bytes of a download in progress lost on a failure or an
// uncommitted end: a kept file stays with what it holds (a failed write
// included), goes on after the bytes asked for, cutting off the rest, is
// removed only by discard(), and is placed like any other.
TEST(FilePlacementTest, KeptFileStaysUntilPlacedOrDiscarded)
{
    TempDir dir;
    const std::string kept = dir.file(".vexorama-partial-clip.avi");
    const SaveOptions options{.keptTemporary = kept};
    {
        AtomicFile file(dir.file("clip.avi"), options);
        file.resumeFrom(0);
        file.write("0123456789");
    }
    EXPECT_EQ(ReadFile(kept), "0123456789");
    {
        AtomicFile file(dir.file("clip.avi"), options);
        file.resumeFrom(4);
        const ScopedFileFaults full({.failWriteAfter = 0, .error = ENOSPC});
        EXPECT_THROW(file.write("abc"), FileError);
    }
    EXPECT_EQ(ReadFile(kept), "0123");
    {
        AtomicFile file(dir.file("clip.avi"), options);
        file.resumeFrom(99);
        file.write("xy");
        ASSERT_EQ(file.commitIfFree(), AtomicFile::Placement::Placed);
    }
    EXPECT_EQ(FolderNames(dir.path()), Names{"clip.avi"});
    EXPECT_EQ(ReadFile(dir.file("clip.avi")), "0123xy");
    AtomicFile discarded(dir.file("other.avi"), options);
    discarded.resumeFrom(0);
    discarded.discard();
    EXPECT_EQ(FolderNames(dir.path()), Names{"clip.avi"});
}

// Guards the names FAT refuses: a listed "a:b.avi" was fetched whole and
// then dropped, at every check. They map as the folder scan maps them.
TEST(FilePlacementTest, NamesFatRefusesMapToUnderscores)
{
    EXPECT_EQ(FatSafeName("a:b?c*d<e>f|g\"h\\i\x01j.avi"), "a_b_c_d_e_f_g_h_i_j.avi");
    EXPECT_EQ(FatSafeName("Обычное имя.avi"), "Обычное имя.avi");
    NumberedName name("dir/", "a:b.avi");
    name.next();
    EXPECT_TRUE(name.mapRefusedCharacters());
    EXPECT_EQ(name.path(), "dir/a_b.avi");
    EXPECT_FALSE(name.mapRefusedCharacters());
}

} // namespace
} // namespace vexo
