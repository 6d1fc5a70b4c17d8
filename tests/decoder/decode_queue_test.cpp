#include "decoder/decode_queue.h"
#include "tests/support/fake_window.h"
#include "base/session.h"
#include "tests/support/temp_dir.h"
#include "tests/decoder/test_containers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::FakeWindow;
using test::PatternBytes;
using test::TempDir;
using test::WriteFile;

constexpr std::size_t kSmallest = 35200;

class DecodeQueueTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeWindow ops;
    Session session;
    DecodeQueue queue{session, ops};

    DecodeQueueTest() { session.workingFolder = dir.path(); }

    // An encoded file of `dataSize` bytes of data named `storedName`.
    void encoded(const std::string& name, const std::string& storedName, std::size_t dataSize = 40000,
                 std::uint8_t key = 7)
    {
        WriteFile(dir.file(name), ContainerBytes(PatternBytes(dataSize), key, "lead", storedName));
    }
    std::string scanned(const std::string& name) const { return dir.path() + "/" + name; }
};

// Guards the scan's order and line text: all *.avi before all *.jpg, "name => RealName (size)".
TEST_F(DecodeQueueTest, ScanQueuesAviBeforeJpgWithLineTexts)
{
    encoded("a.jpg", "first.jpg", 40000);
    encoded("z.avi", "movie.avi", 2 * 1048576);
    queue.AddAllFromFolder();
    ASSERT_EQ(queue.QueueCount(), 2);
    EXPECT_EQ(ops.lines(), (std::vector<std::string>{"z.avi => movie.avi (2 Мб)", "a.jpg => first.jpg (39 Кб)"}));
    EXPECT_EQ(queue.entries()[0].Path, scanned("z.avi"));
    EXPECT_FALSE(ops.isEnabled(Control::Add));
    EXPECT_EQ(ops.focused, Control::Proced);
    EXPECT_TRUE(ops.messages.empty());
}

// Guards the masks' case: CLIP.AVI and PIC.Jpg are found like clip.avi.
TEST_F(DecodeQueueTest, ScanMatchesMasksWithoutRegardToCase)
{
    encoded("CLIP.AVI", "one.avi");
    encoded("PIC.Jpg", "two.jpg");
    queue.AddAllFromFolder();
    EXPECT_EQ(queue.QueueCount(), 2);
}

// Guards the minimum size: 35,199 bytes are dropped silently, 35,200 are inspected.
TEST_F(DecodeQueueTest, MinimumSizeFilter)
{
    WriteFile(dir.file("small1.avi"), std::string(kSmallest - 1, 'x'));
    WriteFile(dir.file("small2.avi"), std::string(kSmallest - 1, 'x'));
    WriteFile(dir.file("edge.jpg"), ContainerBytes(PatternBytes(kSmallest - 262 - 4), 1, "lead", "edge.bin"));
    queue.AddAllFromFolder();
    ASSERT_EQ(queue.QueueCount(), 1);
    EXPECT_EQ(queue.entries()[0].FileSize, static_cast<std::int64_t>(kSmallest));
    EXPECT_TRUE(ops.messages.empty());
}

// Guards one odd candidate aborting the whole scan: folders, FIFOs and
// unopenable entries named like videos are skipped without a message, the
// files after them still queued.
TEST_F(DecodeQueueTest, NonRegularCandidatesAreSkippedQuietly)
{
    std::filesystem::create_directory(dir.file("folder.avi"));
    ASSERT_EQ(::mkfifo(dir.file("pipe.avi").c_str(), 0600), 0);
    ASSERT_EQ(::symlink(dir.file("nowhere").c_str(), dir.file("broken.jpg").c_str()), 0); // cannot be opened
    encoded("real.jpg", "real.bin");
    queue.AddAllFromFolder();
    ASSERT_EQ(queue.QueueCount(), 1);
    EXPECT_EQ(queue.entries()[0].RealName, "real.bin");
    EXPECT_TRUE(ops.messages.empty());
}

// Guards duplicates and repeated rejections: a second scan adds nothing but shows the NOT PACK box again.
TEST_F(DecodeQueueTest, SecondScanAddsNothingAndRepeatsRejections)
{
    encoded("a.avi", "a.bin");
    WriteFile(dir.file("plain.jpg"), std::string(kSmallest, 'p'));
    queue.AddAllFromFolder();
    queue.AddAllFromFolder();
    EXPECT_EQ(queue.QueueCount(), 1);
    EXPECT_EQ(ops.lineCount(), 1);
    EXPECT_EQ(ops.messageTexts(), (std::vector<std::string>{"plain.jpg -  NOT PACK", "plain.jpg -  NOT PACK"}));
}

// Guards "Добавить": enabled again when a scan ends with an empty queue.
TEST_F(DecodeQueueTest, ScanOfNothingUsableLeavesAddEnabled)
{
    WriteFile(dir.file("plain.jpg"), std::string(kSmallest, 'p'));
    queue.AddAllFromFolder();
    EXPECT_EQ(queue.QueueCount(), 0);
    EXPECT_TRUE(ops.isEnabled(Control::Add));
    EXPECT_EQ(ops.log.back(), "enable Add");
}

// Guards the dialog path: its filter, the names kept verbatim (but "/"),
// the working folder moved even by a file that is not encoded, duplicates skipped.
TEST_F(DecodeQueueTest, AddClickQueuesPickedFilesAndMovesTheWorkingFolder)
{
    TempDir other;
    WriteFile(other.file("a.jpg"), ContainerBytes(PatternBytes(40000), 3, "", "a:b?.jpg"));
    WriteFile(other.file("plain.jpg"), std::string(kSmallest, 'p'));
    ops.fileAnswers.push_back({other.file("a.jpg"), other.file("a.jpg"), other.file("plain.jpg")});
    queue.AddClick();

    EXPECT_EQ(ops.log.front(), "enable List");
    EXPECT_NE(std::find(ops.log.begin(), ops.log.end(),
                        "pick files " + dir.path()
                            + " Vexo Images and Video|*.jpg;*.jpeg;*.gif;*.png;*.bmp;*.avi;*.mpg;*.vob;*.mov"
                              "|All Files|*.*"),
              ops.log.end());
    ASSERT_EQ(queue.QueueCount(), 1);
    EXPECT_EQ(queue.entries()[0].RealName, "a:b?.jpg");
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"plain.jpg -  NOT PACK"});
    EXPECT_EQ(session.workingFolder, other.path());
    EXPECT_EQ(ops.text(Control::TFolder), other.path());
    EXPECT_FALSE(ops.isEnabled(Control::Add));
}

// Guards a picked file that cannot be opened: the whole add ends with an error, nothing queued.
TEST_F(DecodeQueueTest, AddClickWithAnUnopenablePickThrows)
{
    encoded("a.avi", "a.bin");
    ops.fileAnswers.push_back({dir.file("a.avi"), dir.file("missing.avi")});
    EXPECT_THROW(queue.AddClick(), std::runtime_error);
    EXPECT_EQ(queue.QueueCount(), 0);
}

// Guards a cancelled dialog: nothing queued and "Добавить" enabled.
TEST_F(DecodeQueueTest, CancelledDialogLeavesAddEnabled)
{
    queue.AddClick();
    EXPECT_EQ(queue.QueueCount(), 0);
    EXPECT_TRUE(ops.isEnabled(Control::Add));
}

// Guards removal: entry 3 moves up to 2 with its line, the first line is selected.
TEST_F(DecodeQueueTest, RemovingTheMiddleEntry)
{
    encoded("1.avi", "one.bin");
    encoded("2.avi", "two.bin");
    encoded("3.avi", "three.bin");
    queue.AddAllFromFolder();
    ASSERT_EQ(queue.QueueCount(), 3);
    const std::string third = queue.entries()[2].RealName;
    const std::string thirdLine = ops.line(2);
    ops.selectLine(1);
    queue.DeloneClick();
    ASSERT_EQ(queue.QueueCount(), 2);
    EXPECT_EQ(queue.entries()[1].RealName, third);
    EXPECT_EQ(ops.line(1), thirdLine);
    EXPECT_EQ(ops.selectedLine(), 0);
}

// Guards removing the only entry, and "Очистить": the list clears and "Добавить" comes back.
TEST_F(DecodeQueueTest, RemovingTheOnlyEntryAndClearing)
{
    encoded("1.avi", "one.bin");
    queue.AddAllFromFolder();
    ops.selectLine(0);
    queue.Delete1Click();
    EXPECT_EQ(queue.QueueCount(), 0);
    EXPECT_EQ(ops.lineCount(), 0);
    EXPECT_TRUE(ops.isEnabled(Control::Add));

    queue.AddAllFromFolder();
    queue.DeletClick();
    EXPECT_EQ(queue.QueueCount(), 0);
    EXPECT_EQ(ops.lineCount(), 0);
    EXPECT_TRUE(ops.isEnabled(Control::Add));
    EXPECT_EQ(ops.focused, Control::Button2);
}

// Guards the totals text, summed in 64 bits.
TEST_F(DecodeQueueTest, ListMouseMoveTotals)
{
    queue.ListMouseMove();
    EXPECT_EQ(ops.statusText(0), "Всего файлов: 0, размер: 0 б");
    encoded("1.avi", "one.bin", 1048576);
    encoded("2.avi", "two.bin", 1048576);
    queue.AddAllFromFolder();
    queue.ListMouseMove();
    EXPECT_EQ(ops.statusText(0), "Всего файлов: 2, размер: 2 Мб");
}

// Guards the context menu: nothing selected disables "Удалить" and hides the
// information lines; a selection shows name, size and key.
TEST_F(DecodeQueueTest, PopupMenuDescribesTheSelectedEntry)
{
    EXPECT_TRUE(queue.PopupMenu1Popup());
    EXPECT_FALSE(ops.isEnabled(Control::Delete1));
    EXPECT_FALSE(ops.isVisible(Control::Realnam));
    EXPECT_FALSE(ops.isVisible(Control::Sizef));
    EXPECT_FALSE(ops.isVisible(Control::Key));

    encoded("1.avi", "\xEA\xE8\xED\xEE.avi", 40000, 'A');
    queue.AddAllFromFolder();
    ops.selectLine(0);
    EXPECT_TRUE(queue.PopupMenu1Popup());
    EXPECT_TRUE(ops.isEnabled(Control::Delete1));
    EXPECT_TRUE(ops.isVisible(Control::Key));
    EXPECT_FALSE(ops.isEnabled(Control::Key));
    EXPECT_EQ(ops.text(Control::Key), "Ключ: A");
    EXPECT_EQ(ops.text(Control::Sizef), "Размер: 39 Кб (40000 байт)");
    EXPECT_EQ(ops.text(Control::Realnam), "Реалнейм: кино.avi");
}

// Guards changing the queue under a running batch: removal and the menu do nothing then.
TEST_F(DecodeQueueTest, RunningQueueRefusesRemovalAndMenu)
{
    encoded("1.avi", "one.bin");
    encoded("2.avi", "two.bin");
    queue.AddAllFromFolder();
    queue.setRunning(true);
    ops.selectLine(1);
    queue.DeloneClick();
    queue.Delete1Click();
    EXPECT_FALSE(queue.PopupMenu1Popup());
    EXPECT_EQ(queue.QueueCount(), 2);
    EXPECT_EQ(ops.lineCount(), 2);
}

// Guards the old 255-entry bound: entry 300 can be selected and removed.
TEST_F(DecodeQueueTest, NoBoundOnTheQueueLength)
{
    const std::string content = ContainerBytes(PatternBytes(kSmallest), 1, "", "same.bin");
    for (int i = 0; i < 300; ++i)
        WriteFile(dir.file("f" + std::to_string(i) + ".avi"), content);
    queue.AddAllFromFolder();
    ASSERT_EQ(queue.QueueCount(), 300);
    ops.selectLine(299);
    EXPECT_EQ(queue.SelectedQueuePosition(), 300);
    const std::string before = queue.entries()[298].Path;
    queue.DeloneClick();
    EXPECT_EQ(queue.QueueCount(), 299);
    EXPECT_EQ(queue.entries().back().Path, before);
}

} // namespace
} // namespace vexo
