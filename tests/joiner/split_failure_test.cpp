// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "base/program_files.h"
#include "base/stop_request.h"
#include "tests/joiner/join_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace vexo {
namespace {

using test::FileExists;
using test::JoinFixture;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Lines = std::vector<std::string>;

// Guards a part that cannot be opened: the box names it, and the join
// stops with no cut output under the real name and every other part kept
// (the first one was deleted already, so no later run found the set).
TEST_F(JoinFixture, PartThatCannotBeOpenedStopsThatFileOnly)
{
    const std::string aa = part("x.aa", 100);
    part("x.ab", 100);
    const std::string ac = part("x.ac", 100);
    ops.onPump = [this] {
        if (ops.lines().back().ends_with("[ aa ab"))
            std::filesystem::remove(dir.file("x.ab"));
    };
    join(true);

    EXPECT_EQ(ops.messageTexts(), (Lines{"Error!!! file:" + dir.file("x.ab")}));
    EXPECT_EQ(ops.messages.at(0).kind, MessageKind::Warning);
    EXPECT_EQ(ops.lines().back(), "Собирается файл x (Частей: 3) [ aa ab");
    EXPECT_FALSE(FileExists(dir.file("x")));
    EXPECT_EQ(ReadFile(dir.file("x.aa")), aa);
    EXPECT_EQ(ReadFile(dir.file("x.ac")), ac);
    EXPECT_EQ(test::FolderNames(dir.path()), (Lines{"x.aa", "x.ac"}));
}

// Guards a first part that is a folder: opening it fails with the box
// naming it, and the part after it is neither copied nor deleted.
TEST_F(JoinFixture, FolderAsFirstPartCannotBeOpened)
{
    std::filesystem::create_directory(dir.file("old.aa"));
    const std::string ab = part("old.ab", 10);
    join(true);
    EXPECT_EQ(ops.messageTexts(), (Lines{"Error!!! file:" + dir.file("old.aa")}));
    EXPECT_EQ(ReadFile(dir.file("old.ab")), ab);
    EXPECT_FALSE(FileExists(dir.file("old")));
}

// Guards the output opened blindly: a first part that cannot be opened cost
// an existing file of the output's name all its bytes (truncated before any
// part was opened). The file now stays as it was, and so do the parts.
TEST_F(JoinFixture, PartThatCannotBeOpenedLeavesAnExistingOutputAlone)
{
    WriteFile(dir.file("old"), "precious");
    std::filesystem::create_directory(dir.file("old.aa"));
    const std::string ab = part("old.ab", 10);
    join(true);
    EXPECT_EQ(ops.messageTexts(), (Lines{"Error!!! file:" + dir.file("old.aa")}));
    EXPECT_EQ(ReadFile(dir.file("old")), "precious");
    EXPECT_EQ(ReadFile(dir.file("old.ab")), ab);
}

// Guards an output name that is a symbolic link (the program overwrote the
// file outside the folder it leads to) or a FIFO (the program froze for
// ever opening it): "Error!!!", nothing written, the parts kept.
TEST_F(JoinFixture, OutputThatIsNoRegularFileIsRefused)
{
    TempDir elsewhere;
    WriteFile(elsewhere.file("target"), "outside the folder");
    std::filesystem::create_symlink(elsewhere.file("target"), dir.file("linked"));
    const std::string linkedAa = part("linked.aa", 10);
    part("linked.ab", 10);
    ASSERT_EQ(::mkfifo(dir.file("piped").c_str(), 0600), 0);
    const std::string pipedAa = part("piped.aa", 10);
    part("piped.ab", 10);

    join(true);

    EXPECT_EQ(ops.messageTexts(), (Lines{"Error!!!", "Error!!!"}));
    EXPECT_EQ(ReadFile(elsewhere.file("target")), "outside the folder");
    EXPECT_EQ(ReadFile(dir.file("linked.aa")), linkedAa);
    EXPECT_EQ(ReadFile(dir.file("piped.aa")), pipedAa);
}

// Guards a join that failed passing as done (an unattended run ended with
// 0 after "Error!!!"): the run tells whether every set was joined; a lone
// first part, which has nothing to be joined with, is no failure.
TEST_F(JoinFixture, JoinTellsWhetherEverySetWasJoined)
{
    part("lone.aa", 10);
    part("good.aa", 10);
    part("good.ab", 10);
    EXPECT_TRUE(join(true));
    EXPECT_TRUE(ops.messages.empty());

    std::filesystem::create_directory(dir.file("bad"));
    part("bad.aa", 10);
    part("bad.ab", 10);
    part("next.aa", 10);
    part("next.ab", 10);
    EXPECT_FALSE(join(true));
    EXPECT_EQ(ops.messageTexts(), (Lines{"Error!!!"}));
    EXPECT_EQ(ReadFile(dir.file("next")).size(), 20u);
}

// Guards a part deleted before the output holding its bytes is on the disk
// (a power cut then loses both): when the flush fails, the part stays.
TEST_F(JoinFixture, PartGoesOnlyOnceTheOutputIsOnTheDisk)
{
    const std::string aa = part("y.aa", 50000);
    const std::string ab = part("y.ab", 50000);
    {
        const ScopedFileFaults faults({.failSync = true, .error = EIO});
        join(true);
    }
    ASSERT_EQ(ops.messages.size(), 1u);
    EXPECT_EQ(ops.messages[0].text, "Error!!! file:" + dir.file("y") + " - Input/output error");
    EXPECT_EQ(ReadFile(dir.file("y.aa")), aa);
    EXPECT_EQ(ReadFile(dir.file("y.ab")), ab);
}

// Guards an output that cannot be created: "Error!!!", no log line for it,
// its parts untouched even with deletion on, and the next file still joined.
TEST_F(JoinFixture, OutputThatCannotBeCreatedSkipsThatFile)
{
    std::filesystem::create_directory(dir.file("movie.avi"));
    const std::string aa = part("movie.avi.aa", 10);
    part("movie.avi.ab", 10);
    part("next.aa", 10);
    part("next.ab", 10);
    join(true);

    EXPECT_EQ(ops.messageTexts(), (Lines{"Error!!!"}));
    EXPECT_EQ(ReadFile(dir.file("movie.avi.aa")), aa);
    EXPECT_TRUE(FileExists(dir.file("movie.avi.ab")));
    EXPECT_EQ(ReadFile(dir.file("next")).size(), 20u);
    for (const std::string& line : ops.lines())
        EXPECT_FALSE(line.starts_with("Собирается файл movie.avi")) << line;
}

// Guards a part that shrinks while it is copied: the copy stops with a box
// instead of padding or reporting success, and the part is not deleted.
TEST_F(JoinFixture, PartThatShrinksWhileCopiedIsKept)
{
    part("s.aa", 3 * kJoinBlockSize);
    part("s.ab", 10);
    ops.onPump = [this] {
        if (ops.fileProgress == 33)
            std::filesystem::resize_file(dir.file("s.aa"), 10);
    };
    join(true, 1);

    ASSERT_EQ(ops.messages.size(), 1u);
    EXPECT_TRUE(ops.messages[0].text.starts_with("Error!!! file:" + dir.file("s.aa") + " - ")) << ops.messages[0].text;
    EXPECT_TRUE(FileExists(dir.file("s.aa")));
    EXPECT_TRUE(FileExists(dir.file("s.ab")));
    EXPECT_EQ(ops.lines().back(), "Собирается файл s (Частей: 2) [ aa");
}

// Guards a deletion that fails: the part is not marked as deleted.
TEST_F(JoinFixture, PartThatCannotBeDeletedIsNotMarked)
{
    part("g.aa", 2 * kJoinBlockSize);
    part("g.ab", 10);
    ops.onPump = [this] {
        if (ops.fileProgress == 50)
            std::filesystem::remove(dir.file("g.aa"));
    };
    join(true, 1);
    EXPECT_EQ(ops.lines().back(), "Собирается файл g (Частей: 2) [ aa ab-(del) ] ok");
    EXPECT_EQ(ReadFile(dir.file("g")).size(), 2 * kJoinBlockSize + 10);
}

// Guards unchecked writes: with writes failing past a count (as on a full
// disk), the short write and the failing one stop that file with a box
// naming the output, no part is deleted, no cut output is left under the
// real name, and the next file is still joined.
TEST_F(JoinFixture, FailedWriteStopsThatFileAndKeepsItsParts)
{
    const std::string aa = part("big.aa", 60000);
    const std::string ab = part("big.ab", 60000);
    part("big.ac", 10);
    part("small.aa", 10);
    part("small.ab", 10);
    constexpr std::size_t kLimit = 100000;

    // The disk fills up while "big" is joined (whichever file comes first)
    // and has room again once the box is up.
    std::optional<ScopedFileFaults> faults;
    bool failed = false;
    ops.onPump = [&] {
        if (!faults && !failed && ops.lines().back().starts_with("Собирается файл big"))
            faults.emplace(FileFaults{.failWriteAfter = kLimit, .error = ENOSPC});
    };
    ops.onMessage = [&](const test::FakeViews::Message&) {
        faults.reset();
        failed = true;
    };
    join(true);

    EXPECT_EQ(ops.messageTexts(), (Lines{"Error!!! file:" + dir.file("big") + " - No space left on device"}));
    const Lines lines = ops.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Собирается файл big (Частей: 3) [ aa ab"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Собирается файл small (Частей: 2) [ aa-(del) ab-(del) ] ok"),
              lines.end());
    EXPECT_TRUE(ReadFile(dir.file("big.aa")) == aa);
    EXPECT_TRUE(ReadFile(dir.file("big.ab")) == ab);
    EXPECT_TRUE(FileExists(dir.file("big.ac")));
    EXPECT_FALSE(FileExists(dir.file("big")));
    EXPECT_EQ(ReadFile(dir.file("small")).size(), 20u);
}

// Guards unchecked reads and closes: a part that fails to be read or
// closed stops that file with a box naming the part, and the part is not
// deleted.
TEST_F(JoinFixture, FailedReadOrCloseStopsThatFileAndKeepsItsParts)
{
    const std::string aa = part("r.aa", 60000);
    part("r.ab", 10);
    {
        ScopedFileFaults faults({.failReadAfter = 50000, .error = EIO});
        join(true);
    }
    EXPECT_EQ(ops.messageTexts(), (Lines{"Error!!! file:" + dir.file("r.aa") + " - Input/output error"}));
    EXPECT_TRUE(ReadFile(dir.file("r.aa")) == aa);
    EXPECT_EQ(ops.lines().back(), "Собирается файл r (Частей: 2) [ aa");

    ops.messages.clear();
    {
        ScopedFileFaults faults({.failClose = true, .error = EIO});
        join(true);
    }
    EXPECT_EQ(ops.messageTexts(), (Lines{"Error!!! file:" + dir.file("r.aa") + " - Input/output error"}));
    EXPECT_TRUE(ReadFile(dir.file("r.aa")) == aa);
    EXPECT_TRUE(FileExists(dir.file("r.ab")));
}

// Guards a join with deletion that is stopped (closing the window,
// SIGTERM): it left a cut output under the real name and the first part
// deleted, so no later run found the set and the user saw a whole-looking
// file. Now the old file of that name and every part stay, and the next
// run joins them whole beside it, deleting the parts only after that.
TEST_F(JoinFixture, StoppedJoinLeavesEverythingForTheNextRun)
{
    WriteFile(dir.file("m"), "an older m");
    const std::string aa = part("m.aa", 3 * kJoinBlockSize);
    const std::string ab = part("m.ab", 3 * kJoinBlockSize + 1);
    ops.onPump = [this] {
        if (ops.lines().back().ends_with("[ aa ab"))
            RequestStop();
    };
    EXPECT_THROW(join(true, 1), StopRequest);
    ClearStopRequest();
    EXPECT_EQ(ReadFile(dir.file("m")), "an older m");
    EXPECT_EQ(test::FolderNames(dir.path()), (Lines{"m", "m.aa", "m.ab"}));

    ops.onPump = nullptr;
    join(true);
    EXPECT_TRUE(ReadFile(dir.file("(1)m")) == aa + ab);
    EXPECT_EQ(ReadFile(dir.file("m")), "an older m");
    EXPECT_EQ(ops.lines().back(),
              "Собирается файл m (Частей: 2) [ aa-(del) ab-(del) ] ok [Файл существует, сохранён как (1)m]");
    EXPECT_EQ(test::FolderNames(dir.path()), (Lines{"(1)m", "m"}));
}

// Guards a join the disk has no room for: it was cut short half way. It
// is refused before it starts, with the room it needs, and changes nothing.
TEST_F(JoinFixture, JoinWithoutRoomIsRefusedBeforeItStarts)
{
    const std::string aa = part("n.aa", 1000);
    const std::string ab = part("n.ab", 1000);
    {
        const ScopedFileFaults faults({.freeBytes = 1999});
        join(true);
    }
    EXPECT_EQ(ops.messageTexts(), (Lines{"Error!!! file:" + dir.file("n")
                                         + " - на диске нет места для собранного файла: нужно 1 Кб, свободно 1 Кб"}));
    EXPECT_EQ(test::FolderNames(dir.path()), (Lines{"n.aa", "n.ab"}));
    EXPECT_EQ(ReadFile(dir.file("n.aa")), aa);
}

// Guards the program's own files: parts named like the executable joined
// over it. The output takes the "(n)" name instead.
TEST_F(JoinFixture, JoinNeverReplacesTheProgramsOwnFiles)
{
    WriteFile(dir.file("vexorama"), "the program");
    SetProgramFiles({dir.file("vexorama")});
    const std::string aa = part("vexorama.aa", 10);
    const std::string ab = part("vexorama.ab", 10);
    join(false);
    SetProgramFiles({});
    EXPECT_EQ(ReadFile(dir.file("vexorama")), "the program");
    EXPECT_EQ(ReadFile(dir.file("(1)vexorama")), aa + ab);
}

} // namespace
} // namespace vexo
