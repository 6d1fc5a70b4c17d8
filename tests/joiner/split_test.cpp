// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/part_index.h"
#include "tests/joiner/join_fixture.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace vexo {
namespace {

using test::FileExists;
using test::JoinFixture;
using test::ReadFile;
using Lines = std::vector<std::string>;
using Bars = std::vector<std::int64_t>;

// Guards the order and completeness of the copy and the log: three parts
// (one full block and a tail, a tail only, two exact blocks) give their exact
// concatenation, both log lines byte for byte, and both bars (a tail never
// moves the bytes bar).
TEST_F(JoinFixture, ThreePartsJoinInOrderWithTheirLogAndBars)
{
    const std::string aa = part("movie.avi.aa", kJoinBlockSize + 5);
    const std::string ab = part("movie.avi.ab", 10);
    const std::string ac = part("movie.avi.ac", 2 * kJoinBlockSize);
    join();

    EXPECT_EQ(ops.lines(),
              (Lines{"Найден файл movie.avi (Частей: 3)", "Собирается файл movie.avi (Частей: 3) [ aa ab ac ] ok"}));
    EXPECT_EQ(ReadFile(dir.file("movie.avi")), aa + ab + ac);
    EXPECT_TRUE(FileExists(dir.file("movie.avi.aa")) && FileExists(dir.file("movie.avi.ac")));
    EXPECT_EQ(ops.runProgressHistory, (Bars{33, 67, 100}));
    EXPECT_EQ(ops.fileProgressHistory, (Bars{100, 50, 100}));
    EXPECT_TRUE(ops.messages.empty());
}

// Guards deletion: every part copied is gone and marked, and a file of the
// output's name that already existed is neither replaced nor appended to.
TEST_F(JoinFixture, DeletionMarksAndRemovesEveryPartAndKeepsAnOldOutput)
{
    test::WriteFile(dir.file("movie.avi"), std::string(200000, 'o'));
    const std::string aa = part("movie.avi.aa", 100);
    const std::string ab = part("movie.avi.ab", 200);
    const std::string ac = part("movie.avi.ac", 300);
    join(true);

    EXPECT_EQ(ops.lines().back(), "Собирается файл movie.avi (Частей: 3) [ aa-(del) ab-(del) ac-(del) ] ok"
                                  " [Файл существует, сохранён как (1)movie.avi]");
    EXPECT_EQ(ReadFile(dir.file("(1)movie.avi")), aa + ab + ac);
    EXPECT_EQ(ReadFile(dir.file("movie.avi")), std::string(200000, 'o'));
    for (const char* name : {"movie.avi.aa", "movie.avi.ab", "movie.avi.ac"})
        EXPECT_FALSE(FileExists(dir.file(name))) << name;
}

// Guards parts joined over the user's own file: "holiday.jpg.aa" and
// ".ab" replaced a different "holiday.jpg". The output takes the first free
// "(n)" name and says so; a file holding the joined bytes is the join done.
TEST_F(JoinFixture, JoinNeverReplacesADifferentFile)
{
    struct Case {
        Lines present; // before the join, each with bytes of its own
        bool identical;
        std::string output;
    };
    for (const Case& c : {Case{{"holiday.jpg"}, false, "(1)holiday.jpg"},
                          Case{{"holiday.jpg", "(1)holiday.jpg"}, false, "(2)holiday.jpg"},
                          Case{{"holiday.jpg"}, true, "holiday.jpg"}}) {
        SCOPED_TRACE(c.output);
        const std::string joined = part("holiday.jpg.aa", 300) + part("holiday.jpg.ab", 200);
        for (const std::string& name : c.present)
            test::WriteFile(dir.file(name), c.identical ? joined : "mine: " + name);
        EXPECT_TRUE(join(true));
        const std::string renamed = c.identical ? "" : " [Файл существует, сохранён как " + c.output + "]";
        EXPECT_EQ(ops.lines().back(), "Собирается файл holiday.jpg (Частей: 2) [ aa-(del) ab-(del) ] ok" + renamed);
        EXPECT_EQ(ReadFile(dir.file(c.output)), joined);
        for (const std::string& name : c.present) {
            EXPECT_EQ(ReadFile(dir.file(name)), c.identical ? joined : "mine: " + name);
            std::filesystem::remove(dir.file(name));
        }
        EXPECT_FALSE(FileExists(dir.file("holiday.jpg.aa")) || FileExists(dir.file("holiday.jpg.ab")));
        std::filesystem::remove(dir.file(c.output));
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
}

// Guards the one-part rule and the gap rule: a lone first part is skipped
// without an output, and counting stops at the first missing part.
TEST_F(JoinFixture, LonePartIsSkippedAndCountingStopsAtAGap)
{
    part("clip.jpg.aa", 50);
    join();
    EXPECT_EQ(ops.lines(), (Lines{"Найден файл clip.jpg (Частей: 1)", "clip.jpg - только одна часть, пропуск"}));
    EXPECT_FALSE(FileExists(dir.file("clip.jpg")));

    std::filesystem::remove(dir.file("clip.jpg.aa"));
    ops.linesCleared();
    const std::string aa = part("x.aa", 7);
    const std::string ab = part("x.ab", 8);
    const std::string ad = part("x.ad", 9);
    join(true);
    EXPECT_EQ(ops.lines(),
              (Lines{"Найден файл x (Частей: 2)", "Собирается файл x (Частей: 2) [ aa-(del) ab-(del) ] ok"}));
    EXPECT_EQ(ReadFile(dir.file("x")), aa + ab);
    EXPECT_EQ(ReadFile(dir.file("x.ad")), ad);
}

// Guards the case rule: upper-case parts are found and followed, the output
// keeps the first part's spelling, and the parts are opened by their names
// on disk.
TEST_F(JoinFixture, UpperCasePartsJoinUnderTheFirstPartsSpelling)
{
    const std::string aa = part("MOVIE.AVI.AA", 40000);
    const std::string ab = part("MOVIE.AVI.AB", 30);
    const std::string ac = part("movie.avi.Ac", 20);
    join(true);

    EXPECT_EQ(ops.lines(), (Lines{"Найден файл MOVIE.AVI (Частей: 3)",
                                  "Собирается файл MOVIE.AVI (Частей: 3) [ aa-(del) ab-(del) ac-(del) ] ok"}));
    EXPECT_EQ(ReadFile(dir.file("MOVIE.AVI")), aa + ab + ac);
    EXPECT_FALSE(FileExists(dir.file("MOVIE.AVI.AA")) || FileExists(dir.file("MOVIE.AVI.AB"))
                 || FileExists(dir.file("movie.avi.Ac")));
}

// Guards folders among the parts: a folder named like a first part is
// counted (and skipped as one part), a folder named like a following part
// does not count.
TEST_F(JoinFixture, FoldersCountAsFirstPartsOnly)
{
    std::filesystem::create_directory(dir.file("old.aa"));
    part("y.aa", 5);
    std::filesystem::create_directory(dir.file("y.ab"));
    join();

    std::vector<std::string> lines = ops.lines();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (Lines{"old - только одна часть, пропуск", "y - только одна часть, пропуск",
                            "Найден файл old (Частей: 1)", "Найден файл y (Частей: 1)"}));
    EXPECT_TRUE(ops.messages.empty());
}

// Guards hidden entries named ".aa", ".ab": with nothing before the
// suffix they are no parts, and never fail a run with "Error!!!".
TEST_F(JoinFixture, EntriesWithNothingBeforeTheSuffixAreNoParts)
{
    for (const Lines& hidden : {Lines{".aa", ".ab"}, Lines{".AA", ".ab", ".ac"}, Lines{".aa"}}) {
        SCOPED_TRACE(hidden.front());
        for (const std::string& name : hidden)
            part(name, 10);
        const std::string aa = part("a.aa", 3);
        const std::string ab = part("a.ab", 4);
        ops.linesCleared();
        EXPECT_TRUE(join());
        EXPECT_EQ(ops.lines(), (Lines{"Найден файл a (Частей: 2)", "Собирается файл a (Частей: 2) [ aa ab ] ok"}));
        EXPECT_EQ(ReadFile(dir.file("a")), aa + ab);
        EXPECT_TRUE(ops.messages.empty());
        for (const std::string& name : hidden)
            std::filesystem::remove(dir.file(name));
        std::filesystem::remove(dir.file("a"));
    }
}

// Guards the rounding of the parts bar: halves go to the even neighbour.
TEST_F(JoinFixture, PartsBarRoundsHalvesToEven)
{
    for (const char* suffix : {"aa", "ab", "ac", "ad", "ae", "af", "ag", "ah"})
        part(std::string("eight.") + suffix, 3);
    join();
    EXPECT_EQ(ops.runProgressHistory, (Bars{12, 25, 38, 50, 62, 75, 88, 100}));
}

// Guards the pumping points and the line handling: each log change replaces
// the last line, the list is pumped after each found line, at each part,
// every interval-th block and after each file.
TEST_F(JoinFixture, PumpsAtTheNamedPointsOnly)
{
    part("x.aa", 3 * kJoinBlockSize);
    part("x.ab", 1);
    join(false, 2);

    const std::string head = "Собирается файл x (Частей: 2) [";
    EXPECT_EQ(ops.log, (Lines{"append Найден файл x (Частей: 2)",
                              "pump",
                              "select 0",
                              "append " + head,
                              "run progress 50",
                              "select 1",
                              "line 1 " + head + " aa",
                              "pump",
                              "file progress 33",
                              "file progress 67",
                              "pump",
                              "file progress 100",
                              "run progress 100",
                              "select 1",
                              "line 1 " + head + " aa ab",
                              "pump",
                              "line 1 " + head + " aa ab ] ok",
                              "pump",
                              "select 1",
                              "pump"}));
}

// Guards a pacing value edited to 0 or a negative number: the block
// remainder stays defined (0 acts as 1, -2 as 2).
TEST_F(JoinFixture, IntervalBelowOneActsAsThePacingValue)
{
    part("x.aa", 4 * kJoinBlockSize);
    part("x.ab", 1);
    const int pumpsOutsideBlocks = 5;
    join(false, 0);
    EXPECT_EQ(ops.pumps, pumpsOutsideBlocks + 4);
    ops.pumps = 0;
    join(false, -2);
    EXPECT_EQ(ops.pumps, pumpsOutsideBlocks + 2);
}

// Guards the table size: more than 256 first parts are all found and
// handled.
TEST_F(JoinFixture, MoreThan256FirstPartsAreAllHandled)
{
    for (int i = 0; i < 300; ++i)
        part("f" + std::to_string(i) + ".aa", 1);
    part("f299.ab", 1);
    join();
    EXPECT_EQ(ops.lines().size(), 600u);
    EXPECT_EQ(ReadFile(dir.file("f299")).size(), 2u);
}

// Guards the suffixes past "zz": part 676 is "{a", and counting goes on
// through it.
TEST_F(JoinFixture, SuffixesContinuePastZz)
{
    EXPECT_EQ(PartSuffix(0), "aa");
    EXPECT_EQ(PartSuffix(1), "ab");
    EXPECT_EQ(PartSuffix(25), "az");
    EXPECT_EQ(PartSuffix(26), "ba");
    EXPECT_EQ(PartSuffix(675), "zz");
    EXPECT_EQ(PartSuffix(676), "{a");
    EXPECT_EQ(PartSuffix(31 * 26), "Ђa"); // byte 0x80 of Windows-1251

    std::string expected;
    for (int n = 0; n < 678; ++n)
        expected += part("many." + PartSuffix(n), 1);
    const SplitFile entry = CountParts(PartIndex(dir.path()), "many.aa");
    EXPECT_EQ(entry.partCount(), 678);
    EXPECT_EQ(entry.partNames.back(), "many.{b");
    join();
    EXPECT_EQ(ReadFile(dir.file("many")), expected);
    EXPECT_TRUE(ops.lines().back().ends_with(" zz {a {b ] ok"));
}

} // namespace
} // namespace vexo
