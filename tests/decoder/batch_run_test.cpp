// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "base/session.h"
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
#include <stdexcept>

#include <unistd.h>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::FakeViews;
using test::FileExists;
using test::kPadding;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class BatchRunTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeViews ops;
    QueueList list{ops};
    Session session;
    DecoderOptions options;
    DecodeQueue queue{session, list, ops, ops};
    BatchRun run{session, options, queue, list, ops, ops, ops};

    TempDir programFolder;

    BatchRunTest()
    {
        session.workingFolder().choose(dir.path());
        session.openSettings(programFolder.file("vexorama.INI"));
    }

    std::string encoded(const std::string& name, const std::string& storedName, const std::string& plain)
    {
        WriteFile(dir.file(name), ContainerBytes(plain, 0x3C, kPadding, storedName));
        return plain;
    }
    // Queues the named files in this order, as picked in the dialog.
    void pick(const std::vector<std::string>& names)
    {
        std::vector<std::string> paths;
        for (const std::string& name : names)
            paths.push_back(dir.file(name));
        ops.fileAnswers.push_back(paths);
        queue.addPickedFiles();
    }
    bool logged(const std::string& entry) const
    {
        return std::find(ops.log.begin(), ops.log.end(), entry) != ops.log.end();
    }
    void expectRunControlsEnabled(bool enabled) const
    {
        for (DecoderControl c : {DecoderControl::Decode, DecoderControl::ClearQueue, DecoderControl::AddPicked,
                                 DecoderControl::AddAll, DecoderControl::JoinParts, DecoderControl::FolderBox})
            EXPECT_EQ(ops.isEnabled(c), enabled) << test::NameOf(c);
    }
};

// Guards a full run with "Автоудаление": marks in order, encoded files gone,
// plain files written, the whole-run bar at 100, the list empty and the
// controls back.
TEST_F(BatchRunTest, ThreeFilesWithAutoDelete)
{
    const std::string a = encoded("1.avi", "a.bin", PatternBytes(50000, 1));
    const std::string b = encoded("2.avi", "b.bin", PatternBytes(100, 2));
    const std::string c = encoded("3.jpg", "c.bin", PatternBytes(0, 3));
    options.deleteAfterDecoding = true;
    queue.addAllFromFolder();
    ASSERT_EQ(queue.queueCount(), 3);
    const std::string firstLine = list.line(0);

    run.decodeAll();

    EXPECT_TRUE(logged("line 0 " + firstLine + " [OK]"));
    EXPECT_TRUE(logged("line 0 " + firstLine + " [OK] [Deleted]"));
    EXPECT_FALSE(FileExists(dir.file("1.avi")) || FileExists(dir.file("2.avi")) || FileExists(dir.file("3.jpg")));
    EXPECT_EQ(ReadFile(dir.file("a.bin")), a);
    EXPECT_EQ(ReadFile(dir.file("b.bin")), b);
    EXPECT_EQ(ReadFile(dir.file("c.bin")), c);
    EXPECT_EQ(ops.runProgress, 100);
    EXPECT_EQ(list.lineCount(), 0);
    EXPECT_EQ(queue.queueCount(), 0);
    expectRunControlsEnabled(true);
    EXPECT_EQ(ops.focused, DecoderControl::OpenFolder);
    EXPECT_TRUE(ops.messages.empty());
}

// Guards a download still in progress taken for a container: the bytes
// kept for a resume, and their record, are never queued, whatever they hold.
TEST_F(BatchRunTest, PartialDownloadsAreNotQueued)
{
    encoded("1.avi", "a.bin", PatternBytes(100, 1));
    const std::string bytes = ReadFile(dir.file("1.avi"));
    WriteFile(dir.file(".vexorama-partial-2.avi"), bytes);
    WriteFile(dir.file(".vexorama-resume-3.jpg"), bytes);
    queue.addAllFromFolder();
    EXPECT_EQ(queue.queueCount(), 1);
}

// Guards the marks of a name clash: rename mark first, then " [OK]".
TEST_F(BatchRunTest, NameClashLine)
{
    encoded("1.avi", "photo.jpg", PatternBytes(10));
    WriteFile(dir.file("photo.jpg"), "older");
    queue.addAllFromFolder();
    const std::string line = list.line(0);
    run.decodeAll();
    EXPECT_TRUE(logged("line 0 " + line + " [Файл существует, переимнование] [OK]"));
    EXPECT_EQ(ReadFile(dir.file("photo.jpg")), "older");
    EXPECT_EQ(ReadFile(dir.file("(1)photo.jpg")), PatternBytes(10));
}

// Guards the whole-run bar: 100, 300 and 600 bytes give 10, 40, 100; a run
// of empty files shows 100 instead of dividing 0 by 0.
TEST_F(BatchRunTest, WholeRunBarByData)
{
    encoded("1.avi", "a.bin", PatternBytes(100));
    encoded("2.avi", "b.bin", PatternBytes(300));
    encoded("3.avi", "c.bin", PatternBytes(600));
    pick({"1.avi", "2.avi", "3.avi"});
    run.decodeAll();
    EXPECT_EQ(ops.runProgressHistory, (std::vector<std::int64_t>{0, 10, 40, 100}));

    TempDir empty;
    FakeViews window;
    QueueList emptyList(window);
    Session emptySession;
    emptySession.workingFolder().choose(empty.path());
    const DecoderOptions emptyOptions{};
    DecodeQueue emptyQueue(emptySession, emptyList, window, window);
    BatchRun emptyRun(emptySession, emptyOptions, emptyQueue, emptyList, window, window, window);
    WriteFile(empty.file("1.avi"), ContainerBytes("", 1, kPadding, "x.bin"));
    WriteFile(empty.file("2.avi"), ContainerBytes("", 1, kPadding, "y.bin"));
    emptyQueue.addAllFromFolder();
    emptyRun.decodeAll();
    EXPECT_EQ(window.runProgressHistory, (std::vector<std::int64_t>{0, 100, 100}));
}

// Guards a refused deletion: an "I/O Error" box and no " [Deleted]" mark.
TEST_F(BatchRunTest, RefusedDeletionShowsIoError)
{
    list.appendLine("line");
    run.deleteQueuedFile(dir.file("missing.avi"), 1);
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"I/O Error"});
    EXPECT_EQ(list.line(0), "line");
    EXPECT_TRUE(run.failed());
}

// Guards the controls of a run: the six are disabled while it works, "Удалить" is not.
TEST_F(BatchRunTest, ControlsDisabledWhileRunning)
{
    encoded("1.avi", "a.bin", PatternBytes(3 * 35536));
    queue.addAllFromFolder();
    session.setUpdate(Pacing(1));
    int pumps = 0;
    ops.onPump = [&] {
        ++pumps;
        expectRunControlsEnabled(false);
        EXPECT_TRUE(ops.isEnabled(DecoderControl::RemoveEntry));
    };
    run.decodeAll();
    EXPECT_EQ(pumps, 3);
    expectRunControlsEnabled(true);
}

// Guards a run inside a running one: "Go!", "Удалить", the context menu and
// "Соединение" do nothing while a run works.
TEST_F(BatchRunTest, NothingStartsInsideARun)
{
    encoded("1.avi", "a.bin", PatternBytes(2 * 35536));
    encoded("2.avi", "b.bin", PatternBytes(2 * 35536));
    queue.addAllFromFolder();
    encoded("3.avi", "c.bin", PatternBytes(100)); // a scan from inside would find it
    session.setUpdate(Pacing(1));
    ops.onPump = [&] {
        list.userSelected(1);
        run.scanAndDecode();
        queue.removeSelectedEntry();
        EXPECT_FALSE(queue.describeSelectedEntry());
        run.joinWorkingFolder();
        run.decodeAll();
        EXPECT_EQ(queue.queueCount(), 2);
    };
    run.decodeAll();
    EXPECT_TRUE(FileExists(dir.file("a.bin")) && FileExists(dir.file("b.bin")));
    EXPECT_FALSE(FileExists(dir.file("c.bin")));
    EXPECT_FALSE(FileExists(dir.file("(1)a.bin")));
}

// Guards a failed run: the error goes on, the controls come back, the
// decoded entry leaves the queue and the others stay listed for a retry
// that decodes nothing twice.
TEST_F(BatchRunTest, FailedRunKeepsTheUnfinishedEntries)
{
    encoded("1.avi", "a.bin", PatternBytes(1000, 1));
    const std::string second = ContainerBytes(PatternBytes(1000, 2), 0x3C, kPadding, "b.bin");
    WriteFile(dir.file("2.avi"), second);
    encoded("3.avi", "c.bin", PatternBytes(1000, 3));
    pick({"1.avi", "2.avi", "3.avi"});
    ASSERT_EQ(queue.queueCount(), 3);
    const std::vector<std::string> lines = ops.lines();
    std::filesystem::remove(dir.file("2.avi"));

    EXPECT_THROW(run.decodeAll(), std::runtime_error);
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"I/O Error"});
    expectRunControlsEnabled(true);
    EXPECT_FALSE(queue.running());
    ASSERT_EQ(queue.queueCount(), 2);
    EXPECT_EQ(ops.lines(), (std::vector<std::string>{lines[1], lines[2]}));
    EXPECT_TRUE(FileExists(dir.file("a.bin")));
    EXPECT_FALSE(FileExists(dir.file("b.bin")));
    EXPECT_FALSE(FileExists(dir.file("c.bin")));

    WriteFile(dir.file("2.avi"), second);
    run.decodeAll();
    EXPECT_EQ(ReadFile(dir.file("b.bin")), PatternBytes(1000, 2));
    EXPECT_EQ(ReadFile(dir.file("c.bin")), PatternBytes(1000, 3));
    EXPECT_FALSE(FileExists(dir.file("(1)a.bin")));
    EXPECT_EQ(queue.queueCount(), 0);
}

// Guards a container deleted before its output is on the disk: a power cut
// then loses both. When the output cannot be flushed, the run stops and the
// container stays; a run that works removes what a killed one left behind.
TEST_F(BatchRunTest, ContainerGoesOnlyOnceItsOutputIsOnTheDisk)
{
    const std::string plain = encoded("1.avi", "a.bin", PatternBytes(50000, 1));
    options.deleteAfterDecoding = true;
    queue.addAllFromFolder();
    {
        const ScopedFileFaults faults({.failSync = true, .error = EIO});
        EXPECT_THROW(run.decodeAll(), FileError);
    }
    EXPECT_TRUE(FileExists(dir.file("1.avi")));
    EXPECT_FALSE(FileExists(dir.file("a.bin")));

    WriteFile(dir.file(".vexorama-999999999-1"), "left by a killed run");
    run.decodeAll();
    EXPECT_EQ(ReadFile(dir.file("a.bin")), plain);
    EXPECT_EQ(test::FolderNames(dir.path()), std::vector<std::string>{"a.bin"});
}

// Guards joining after a run: decoded parts are joined when "Сразу соединять" is ticked.
TEST_F(BatchRunTest, RunJoinsDecodedParts)
{
    encoded("1.avi", "movie.avi.aa", PatternBytes(40000, 1));
    encoded("2.avi", "movie.avi.ab", PatternBytes(20000, 2));
    queue.addAllFromFolder();
    run.decodeAll();
    EXPECT_EQ(ReadFile(dir.file("movie.avi")), PatternBytes(40000, 1) + PatternBytes(20000, 2));
    EXPECT_TRUE(logged("append Собирается файл movie.avi (Частей: 2) ["));
    EXPECT_EQ(list.lineCount(), 0);

    options.joinAtOnce = false;
    encoded("3.avi", "clip.avi.aa", PatternBytes(100));
    encoded("4.avi", "clip.avi.ab", PatternBytes(100));
    queue.addAllFromFolder();
    run.decodeAll();
    EXPECT_FALSE(FileExists(dir.file("clip.avi")));
}

// Guards an empty run: only the joiner works, and the folder opens when "Открыть папку" is ticked.
TEST_F(BatchRunTest, EmptyQueueJoinsAndOpensTheFolder)
{
    WriteFile(dir.file("x.aa"), "one");
    WriteFile(dir.file("x.ab"), "two");
    WriteFile(dir.file("x.ad"), "four");
    options.openFolderAfter = true;
    run.decodeAll();
    EXPECT_EQ(ReadFile(dir.file("x")), "onetwo");
    EXPECT_EQ(ops.opened, std::vector<std::string>{dir.path()});
    EXPECT_EQ(ops.runProgressHistory.front(), 0);
    EXPECT_EQ(list.lineCount(), 0);
}

// Guards "Go!": scan and decode, and the window closes only with "/a".
TEST_F(BatchRunTest, GoClosesTheWindowOnlyWithAutoRun)
{
    encoded("1.avi", "a.bin", PatternBytes(100));
    run.scanAndDecode();
    EXPECT_TRUE(FileExists(dir.file("a.bin")));
    EXPECT_FALSE(ops.closed);

    session.setCommandLine(ReadCommandLine({"/d", "/a"}));
    encoded("2.avi", "b.bin", PatternBytes(100));
    run.scanAndDecode();
    EXPECT_TRUE(FileExists(dir.file("b.bin")));
    EXPECT_TRUE(ops.closed);
}

// Guards "/a" starting again after every message box: only the first showing runs.
TEST_F(BatchRunTest, AutoRunStartsOnceAtTheFirstShowing)
{
    session.setCommandLine(ReadCommandLine({"/a"}));
    WriteFile(dir.file("plain.jpg"), std::string(35200, 'p')); // its box reactivates the window
    encoded("1.avi", "a.bin", PatternBytes(100));
    int activations = 0;
    ops.onMessage = [&](const FakeViews::Message&) {
        ++activations;
        run.windowShown();
    };
    run.windowShown();
    run.windowShown();
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"plain.jpg -  NOT PACK"});
    EXPECT_TRUE(FileExists(dir.file("a.bin")));
    EXPECT_FALSE(FileExists(dir.file("(1)a.bin")));
    EXPECT_TRUE(ops.closed);
}

// Guards showing without "/a": nothing is scanned or decoded.
TEST_F(BatchRunTest, ShowingWithoutAutoRunDoesNothing)
{
    session.setCommandLine(ReadCommandLine({"/A", "/d"}));
    encoded("1.avi", "a.bin", PatternBytes(100));
    run.windowShown();
    EXPECT_FALSE(FileExists(dir.file("a.bin")));
    EXPECT_FALSE(ops.closed);
}

// Guards an unattended run that fails half way: it stayed open for ever
// behind its window. It ends all the same, and the error reaches the caller.
TEST_F(BatchRunTest, FailedUnattendedRunStillEnds)
{
    session.setCommandLine(ReadCommandLine({"/a"}));
    encoded("1.avi", "a.bin", PatternBytes(100));
    queue.addAllFromFolder();
    std::filesystem::remove(dir.file("1.avi"));
    EXPECT_THROW(run.windowShown(), std::runtime_error);
    EXPECT_TRUE(ops.closed);
    EXPECT_TRUE(run.failed());
}

// Guards the unattended run's exit status counting boxes: a plain picture
// in the folder (" -  NOT PACK") failed the run. A file that is no
// container, and a set of parts joined, are no failure.
TEST_F(BatchRunTest, FileThatIsNoContainerIsNoFailure)
{
    session.setCommandLine(ReadCommandLine({"/a"}));
    WriteFile(dir.file("plain.jpg"), std::string(35200, 'p'));
    const std::string a = encoded("1.avi", "a.bin", PatternBytes(100));
    WriteFile(dir.file("MOVIE.AVI.AA"), "abc");
    WriteFile(dir.file("MOVIE.AVI.AB"), "def");
    run.windowShown();
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"plain.jpg -  NOT PACK"});
    EXPECT_EQ(ReadFile(dir.file("a.bin")), a);
    EXPECT_EQ(ReadFile(dir.file("MOVIE.AVI")), "abcdef");
    EXPECT_TRUE(ops.closed);
    EXPECT_FALSE(run.failed());
}

// Guards a picture destroyed by a later "/a /d": an output the program
// decoded or joined went round again when its last bytes passed the trailer
// check (a junk file made, the picture deleted), or raised " -  NOT PACK"
// at every run; and a plain file whose trailer names control bytes was
// taken for a container.
TEST_F(BatchRunTest, OwnOutputsAndNamesWithControlBytesAreNoContainers)
{
    session.setCommandLine(ReadCommandLine({"/a"}));
    options.deleteAfterDecoding = true;
    options.joinAtOnce = true;
    // Plain data whose last 262 bytes pass the old check, one whose do not.
    const std::string lookalike = test::RawContainer(40262, 0, 7, "abc");
    const std::string plain(40000, '\xff');
    encoded("1.avi", "pic.jpg", lookalike);
    encoded("2.avi", "photo.jpg", plain);
    WriteFile(dir.file("j.jpg.aa"), lookalike.substr(0, 20000));
    WriteFile(dir.file("j.jpg.ab"), lookalike.substr(20000));
    std::vector<std::string> notPacked;
    for (const char* name : {"\x1b[2J", "a\ab", "ab\x7f", "x\ry", "\x1f.jpg"}) {
        const std::string file = "ctl" + std::to_string(notPacked.size()) + ".jpg";
        WriteFile(dir.file(file), test::RawContainer(40262, 0, 7, name));
        notPacked.push_back(file + " -  NOT PACK");
    }
    std::sort(notPacked.begin(), notPacked.end());

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ops.messages.clear();
        run.scanAndDecode();
        std::vector<std::string> texts = ops.messageTexts();
        std::sort(texts.begin(), texts.end());
        EXPECT_EQ(texts, notPacked);
        EXPECT_EQ(ReadFile(dir.file("pic.jpg")), lookalike);
        EXPECT_EQ(ReadFile(dir.file("j.jpg")), lookalike);
        EXPECT_EQ(ReadFile(dir.file("photo.jpg")), plain);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 8);
        EXPECT_FALSE(run.failed());
    }
}

// Guards an unattended run that passed although a container could not be
// opened (the scan dropped it without a word) or a set of parts was not
// joined ("Error!!!"): each fails the run, and the rest is still done.
TEST_F(BatchRunTest, UnopenableContainerOrFailedJoinFailsTheRun)
{
    session.setCommandLine(ReadCommandLine({"/a"}));
    {
        SCOPED_TRACE("a container that cannot be opened");
        BatchRun unattended{session, options, queue, list, ops, ops, ops};
        ASSERT_EQ(::symlink(dir.file("gone").c_str(), dir.file("gone.avi").c_str()), 0);
        const std::string a = encoded("1.avi", "a.bin", PatternBytes(100));
        unattended.windowShown();
        EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"I/O Error - gone.avi"});
        EXPECT_EQ(ReadFile(dir.file("a.bin")), a);
        EXPECT_TRUE(unattended.failed());
        std::filesystem::remove(dir.file("gone.avi"));
    }
    {
        SCOPED_TRACE("a set of parts not joined");
        ops.messages.clear();
        BatchRun unattended{session, options, queue, list, ops, ops, ops};
        WriteFile(dir.file("MOVIE.AVI.AA"), "abc");
        WriteFile(dir.file("MOVIE.AVI.AB"), "def");
        std::filesystem::create_directory(dir.file("MOVIE.AVI")); // the output cannot take its name
        const std::string b = encoded("2.avi", "b.bin", PatternBytes(100));
        unattended.windowShown();
        EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"Error!!!"});
        EXPECT_EQ(ReadFile(dir.file("b.bin")), b);
        EXPECT_TRUE(unattended.failed());
    }
}

// Guards "Соединение": joins, empties a waiting queue, never opens the folder.
TEST_F(BatchRunTest, ManualJoinEmptiesTheQueue)
{
    encoded("1.avi", "a.bin", PatternBytes(100));
    queue.addAllFromFolder();
    WriteFile(dir.file("MOVIE.AVI.AA"), "abc");
    WriteFile(dir.file("MOVIE.AVI.AB"), "def");
    options.openFolderAfter = true;
    run.joinWorkingFolder();
    EXPECT_EQ(ReadFile(dir.file("MOVIE.AVI")), "abcdef");
    EXPECT_EQ(queue.queueCount(), 0);
    EXPECT_EQ(list.lineCount(), 0);
    EXPECT_FALSE(FileExists(dir.file("a.bin")));
    EXPECT_TRUE(ops.opened.empty());
    EXPECT_EQ(ops.focused, DecoderControl::OpenFolder);
    expectRunControlsEnabled(true);
}

// Guards a container cut short while it is decoded: the output came out
// padded, was counted whole, and "Автоудаление" deleted the container. The
// decode stops with an error, leaves no output and keeps the container,
// whether the kernel copies (a key of 0) or the exclusive-or runs.
TEST_F(BatchRunTest, ContainerCutShortMidDecodeIsKept)
{
    for (const std::uint8_t key : {std::uint8_t{0}, std::uint8_t{0x3C}}) {
        SCOPED_TRACE(int{key});
        const std::string plain = PatternBytes(100 * 35536, key);
        WriteFile(dir.file("cut.avi"), ContainerBytes(plain, key, kPadding, "cut.bin"));
        options.deleteAfterDecoding = true;
        session.setUpdate(Pacing(10));
        queue.addAllFromFolder();
        ASSERT_EQ(queue.queueCount(), 1);
        bool cut = false;
        ops.onPump = [&] {
            if (!cut)
                std::filesystem::resize_file(dir.file("cut.avi"), kPadding.size() + plain.size() / 2);
            cut = true;
        };
        EXPECT_THROW(run.decodeAll(), std::runtime_error);
        ops.onPump = nullptr;
        EXPECT_TRUE(cut);
        EXPECT_TRUE(FileExists(dir.file("cut.avi")));
        EXPECT_FALSE(FileExists(dir.file("cut.bin")));
        for (const std::string& entry : ops.log)
            EXPECT_FALSE(entry.ends_with(" [OK]")) << entry;
        queue.clear();
        std::filesystem::remove(dir.file("cut.avi"));
    }
}

} // namespace
} // namespace vexo
