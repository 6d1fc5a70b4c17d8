#include "decoder/batch_run.h"
#include "decoder/decode_queue.h"
#include "tests/support/fake_window.h"
#include "base/session.h"
#include "tests/support/temp_dir.h"
#include "tests/decoder/test_containers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::FakeWindow;
using test::FileExists;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kPadding(36000, 'L'); // leading bytes that lift small data over the size filter

class BatchRunTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeWindow ops;
    Session session;
    DecodeQueue queue{session, ops};
    BatchRun run{session, ops, queue};

    BatchRunTest() { session.workingFolder = dir.path(); }

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
        queue.AddClick();
    }
    bool logged(const std::string& entry) const
    {
        return std::find(ops.log.begin(), ops.log.end(), entry) != ops.log.end();
    }
    void expectRunControlsEnabled(bool enabled) const
    {
        for (Control c : {Control::Proced, Control::Delet, Control::Add, Control::Button2, Control::Button1,
                          Control::TFolder})
            EXPECT_EQ(ops.isEnabled(c), enabled) << ControlName(c);
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
    ops.setChecked(Control::AutoDelete, true);
    queue.AddAllFromFolder();
    ASSERT_EQ(queue.QueueCount(), 3);
    const std::string firstLine = ops.line(0);

    run.DecodeAll();

    EXPECT_TRUE(logged("line 0 " + firstLine + " [OK]"));
    EXPECT_TRUE(logged("line 0 " + firstLine + " [OK] [Deleted]"));
    EXPECT_FALSE(FileExists(dir.file("1.avi")) || FileExists(dir.file("2.avi")) || FileExists(dir.file("3.jpg")));
    EXPECT_EQ(ReadFile(dir.file("a.bin")), a);
    EXPECT_EQ(ReadFile(dir.file("b.bin")), b);
    EXPECT_EQ(ReadFile(dir.file("c.bin")), c);
    EXPECT_EQ(ops.progress(Control::ProgressBar1), 100);
    EXPECT_EQ(ops.lineCount(), 0);
    EXPECT_EQ(queue.QueueCount(), 0);
    expectRunControlsEnabled(true);
    EXPECT_EQ(ops.focused, Control::Button8);
    EXPECT_TRUE(ops.messages.empty());
}

// Guards the marks of a name clash: rename mark first, then " [OK]".
TEST_F(BatchRunTest, NameClashLine)
{
    encoded("1.avi", "photo.jpg", PatternBytes(10));
    WriteFile(dir.file("photo.jpg"), "older");
    queue.AddAllFromFolder();
    const std::string line = ops.line(0);
    run.DecodeAll();
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
    run.DecodeAll();
    EXPECT_EQ(ops.progressHistory(Control::ProgressBar1), (std::vector<std::int64_t>{0, 10, 40, 100}));

    TempDir empty;
    FakeWindow window;
    Session emptySession;
    emptySession.workingFolder = empty.path();
    DecodeQueue emptyQueue(emptySession, window);
    BatchRun emptyRun(emptySession, window, emptyQueue);
    WriteFile(empty.file("1.avi"), ContainerBytes("", 1, kPadding, "x.bin"));
    WriteFile(empty.file("2.avi"), ContainerBytes("", 1, kPadding, "y.bin"));
    emptyQueue.AddAllFromFolder();
    emptyRun.DecodeAll();
    EXPECT_EQ(window.progressHistory(Control::ProgressBar1), (std::vector<std::int64_t>{0, 100, 100}));
}

// Guards a refused deletion: an "I/O Error" box and no " [Deleted]" mark.
TEST_F(BatchRunTest, RefusedDeletionShowsIoError)
{
    ops.appendLine("line");
    run.DeleteQueuedFile(dir.file("missing.avi"), 1);
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"I/O Error"});
    EXPECT_EQ(ops.line(0), "line");
}

// Guards the controls of a run: the six are disabled while it works, "Удалить" is not.
TEST_F(BatchRunTest, ControlsDisabledWhileRunning)
{
    encoded("1.avi", "a.bin", PatternBytes(3 * 35536));
    queue.AddAllFromFolder();
    session.update = 1;
    int pumps = 0;
    ops.onPump = [&] {
        ++pumps;
        expectRunControlsEnabled(false);
        EXPECT_TRUE(ops.isEnabled(Control::Delone));
    };
    run.DecodeAll();
    EXPECT_EQ(pumps, 3);
    expectRunControlsEnabled(true);
}

// Guards a run inside a running one: "Go!", "Удалить", the context menu and
// "Соединение" do nothing while a run works.
TEST_F(BatchRunTest, NothingStartsInsideARun)
{
    encoded("1.avi", "a.bin", PatternBytes(2 * 35536));
    encoded("2.avi", "b.bin", PatternBytes(2 * 35536));
    queue.AddAllFromFolder();
    encoded("3.avi", "c.bin", PatternBytes(100)); // a scan from inside would find it
    session.update = 1;
    ops.onPump = [&] {
        ops.selectLine(1);
        run.ScanAndDecode();
        queue.DeloneClick();
        EXPECT_FALSE(queue.PopupMenu1Popup());
        run.Button1Click();
        run.DecodeAll();
        EXPECT_EQ(queue.QueueCount(), 2);
    };
    run.DecodeAll();
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
    ASSERT_EQ(queue.QueueCount(), 3);
    const std::vector<std::string> lines = ops.lines();
    std::filesystem::remove(dir.file("2.avi"));

    EXPECT_THROW(run.DecodeAll(), std::runtime_error);
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"I/O Error"});
    expectRunControlsEnabled(true);
    EXPECT_FALSE(queue.running());
    ASSERT_EQ(queue.QueueCount(), 2);
    EXPECT_EQ(ops.lines(), (std::vector<std::string>{lines[1], lines[2]}));
    EXPECT_TRUE(FileExists(dir.file("a.bin")));
    EXPECT_FALSE(FileExists(dir.file("b.bin")));
    EXPECT_FALSE(FileExists(dir.file("c.bin")));

    WriteFile(dir.file("2.avi"), second);
    run.DecodeAll();
    EXPECT_EQ(ReadFile(dir.file("b.bin")), PatternBytes(1000, 2));
    EXPECT_EQ(ReadFile(dir.file("c.bin")), PatternBytes(1000, 3));
    EXPECT_FALSE(FileExists(dir.file("(1)a.bin")));
    EXPECT_EQ(queue.QueueCount(), 0);
}

// Guards joining after a run: decoded parts are joined when "Сразу соединять" is ticked.
TEST_F(BatchRunTest, RunJoinsDecodedParts)
{
    encoded("1.avi", "movie.avi.aa", PatternBytes(40000, 1));
    encoded("2.avi", "movie.avi.ab", PatternBytes(20000, 2));
    queue.AddAllFromFolder();
    run.DecodeAll();
    EXPECT_EQ(ReadFile(dir.file("movie.avi")), PatternBytes(40000, 1) + PatternBytes(20000, 2));
    EXPECT_TRUE(logged("append Собирается файл movie.avi (Частей: 2) ["));
    EXPECT_EQ(ops.lineCount(), 0);

    ops.setChecked(Control::AutoJoin, false);
    encoded("3.avi", "clip.avi.aa", PatternBytes(100));
    encoded("4.avi", "clip.avi.ab", PatternBytes(100));
    queue.AddAllFromFolder();
    run.DecodeAll();
    EXPECT_FALSE(FileExists(dir.file("clip.avi")));
}

// Guards an empty run: only the joiner works, and the folder opens when "Открыть папку" is ticked.
TEST_F(BatchRunTest, EmptyQueueJoinsAndOpensTheFolder)
{
    WriteFile(dir.file("x.aa"), "one");
    WriteFile(dir.file("x.ab"), "two");
    WriteFile(dir.file("x.ad"), "four");
    ops.setChecked(Control::Autoopen, true);
    run.DecodeAll();
    EXPECT_EQ(ReadFile(dir.file("x")), "onetwo");
    EXPECT_EQ(ops.shellOpened, std::vector<std::string>{dir.path()});
    EXPECT_EQ(ops.progressHistory(Control::ProgressBar1).front(), 0);
    EXPECT_EQ(ops.lineCount(), 0);
}

// Guards "Go!": scan and decode, and the window closes only with "/a".
TEST_F(BatchRunTest, GoClosesTheWindowOnlyWithAutoRun)
{
    encoded("1.avi", "a.bin", PatternBytes(100));
    run.ScanAndDecode();
    EXPECT_TRUE(FileExists(dir.file("a.bin")));
    EXPECT_FALSE(ops.closed);

    session.args = {"/d", "/a"};
    encoded("2.avi", "b.bin", PatternBytes(100));
    run.ScanAndDecode();
    EXPECT_TRUE(FileExists(dir.file("b.bin")));
    EXPECT_TRUE(ops.closed);
}

// Guards "/a" starting again after every message box: only the first activation runs.
TEST_F(BatchRunTest, AutoRunStartsOnceAtTheFirstActivation)
{
    session.args = {"/a"};
    WriteFile(dir.file("plain.jpg"), std::string(35200, 'p')); // its box reactivates the window
    encoded("1.avi", "a.bin", PatternBytes(100));
    int activations = 0;
    ops.onMessage = [&](const FakeWindow::Message&) {
        ++activations;
        run.FormActivate();
    };
    run.FormActivate();
    run.FormActivate();
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"plain.jpg -  NOT PACK"});
    EXPECT_TRUE(FileExists(dir.file("a.bin")));
    EXPECT_FALSE(FileExists(dir.file("(1)a.bin")));
    EXPECT_TRUE(ops.closed);
}

// Guards activation without "/a": nothing is scanned or decoded.
TEST_F(BatchRunTest, ActivationWithoutAutoRunDoesNothing)
{
    session.args = {"/A", "/d"};
    encoded("1.avi", "a.bin", PatternBytes(100));
    run.FormActivate();
    EXPECT_FALSE(FileExists(dir.file("a.bin")));
    EXPECT_FALSE(ops.closed);
}

// Guards "Соединение": joins, empties a waiting queue, never opens the folder.
TEST_F(BatchRunTest, ManualJoinEmptiesTheQueue)
{
    encoded("1.avi", "a.bin", PatternBytes(100));
    queue.AddAllFromFolder();
    WriteFile(dir.file("MOVIE.AVI.AA"), "abc");
    WriteFile(dir.file("MOVIE.AVI.AB"), "def");
    ops.setChecked(Control::Autoopen, true);
    run.Button1Click();
    EXPECT_EQ(ReadFile(dir.file("MOVIE.AVI")), "abcdef");
    EXPECT_EQ(queue.QueueCount(), 0);
    EXPECT_EQ(ops.lineCount(), 0);
    EXPECT_FALSE(FileExists(dir.file("a.bin")));
    EXPECT_TRUE(ops.shellOpened.empty());
    EXPECT_EQ(ops.focused, Control::Button8);
    expectRunControlsEnabled(true);
}

} // namespace
} // namespace vexo
