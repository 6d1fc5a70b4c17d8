// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/session.h"
#include "decoder/decode_queue.h"
#include "decoder/queue_list.h"
#include "tests/decoder/test_containers.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <tuple>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::FakeViews;
using test::PatternBytes;
using test::TempDir;
using test::WriteFile;

constexpr std::size_t kSmallest = 35200;

class DecodeQueueTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeViews ops;
    QueueList list{ops};
    Session session;
    DecodeQueue queue{session, list, ops, ops};

    TempDir programFolder;

    DecodeQueueTest()
    {
        session.workingFolder().choose(dir.path());
        session.openSettings(programFolder.file("vexorama.INI"));
    }

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
    queue.addAllFromFolder();
    ASSERT_EQ(queue.queueCount(), 2);
    EXPECT_EQ(ops.lines(), (std::vector<std::string>{"z.avi => movie.avi (2 Мб)", "a.jpg => first.jpg (39 Кб)"}));
    EXPECT_EQ(queue.entries()[0].path, scanned("z.avi"));
    EXPECT_FALSE(ops.isEnabled(DecoderControl::AddPicked));
    EXPECT_EQ(ops.focused, DecoderControl::Decode);
    EXPECT_TRUE(ops.messages.empty());
}

// Guards the masks' case: CLIP.AVI and PIC.Jpg are found like clip.avi.
TEST_F(DecodeQueueTest, ScanMatchesMasksWithoutRegardToCase)
{
    encoded("CLIP.AVI", "one.avi");
    encoded("PIC.Jpg", "two.jpg");
    queue.addAllFromFolder();
    EXPECT_EQ(queue.queueCount(), 2);
}

// Guards the minimum size: 35,199 bytes are dropped silently, 35,200 are inspected.
TEST_F(DecodeQueueTest, MinimumSizeFilter)
{
    WriteFile(dir.file("small1.avi"), std::string(kSmallest - 1, 'x'));
    WriteFile(dir.file("small2.avi"), std::string(kSmallest - 1, 'x'));
    WriteFile(dir.file("edge.jpg"), ContainerBytes(PatternBytes(kSmallest - 262 - 4), 1, "lead", "edge.bin"));
    queue.addAllFromFolder();
    ASSERT_EQ(queue.queueCount(), 1);
    EXPECT_EQ(queue.entries()[0].fileSize, static_cast<std::int64_t>(kSmallest));
    EXPECT_TRUE(ops.messages.empty());
}

// Guards one odd candidate aborting the whole scan: folders and FIFOs named
// like videos are skipped without a message, the files after them still
// queued.
TEST_F(DecodeQueueTest, NonRegularCandidatesAreSkippedQuietly)
{
    std::filesystem::create_directory(dir.file("folder.avi"));
    ASSERT_EQ(::mkfifo(dir.file("pipe.avi").c_str(), 0600), 0);
    encoded("real.jpg", "real.bin");
    EXPECT_EQ(queue.addAllFromFolder(), 0);
    ASSERT_EQ(queue.queueCount(), 1);
    EXPECT_EQ(queue.entries()[0].realName, "real.bin");
    EXPECT_TRUE(ops.messages.empty());
}

// Guards: a candidate that cannot be opened (here a link to a file that is
// gone, which even root cannot open) dropped by the scan without a word.
// Its inspection names it, the scan counts it, and the files after it are
// still queued.
TEST_F(DecodeQueueTest, UnopenableCandidateIsToldByName)
{
    ASSERT_EQ(::symlink(dir.file("nowhere").c_str(), dir.file("broken.avi").c_str()), 0);
    encoded("real.jpg", "real.bin");
    EXPECT_EQ(queue.addAllFromFolder(), 1);
    ASSERT_EQ(queue.queueCount(), 1);
    EXPECT_EQ(queue.entries()[0].realName, "real.bin");
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"I/O Error - broken.avi"});
}

// Guards duplicates and repeated rejections: a second scan adds nothing but shows the NOT PACK box again.
TEST_F(DecodeQueueTest, SecondScanAddsNothingAndRepeatsRejections)
{
    encoded("a.avi", "a.bin");
    WriteFile(dir.file("plain.jpg"), std::string(kSmallest, 'p'));
    queue.addAllFromFolder();
    queue.addAllFromFolder();
    EXPECT_EQ(queue.queueCount(), 1);
    EXPECT_EQ(list.lineCount(), 1);
    EXPECT_EQ(ops.messageTexts(), (std::vector<std::string>{"plain.jpg -  NOT PACK", "plain.jpg -  NOT PACK"}));
}

// Guards "Добавить": enabled again when a scan ends with an empty queue.
TEST_F(DecodeQueueTest, ScanOfNothingUsableLeavesAddEnabled)
{
    WriteFile(dir.file("plain.jpg"), std::string(kSmallest, 'p'));
    queue.addAllFromFolder();
    EXPECT_EQ(queue.queueCount(), 0);
    EXPECT_TRUE(ops.isEnabled(DecoderControl::AddPicked));
    EXPECT_EQ(ops.log.back(), "enable AddPicked");
}

// Guards the dialog path: its filter, the names kept verbatim (but "/"),
// the working folder moved even by a file that is not encoded, duplicates skipped.
TEST_F(DecodeQueueTest, AddClickQueuesPickedFilesAndMovesTheWorkingFolder)
{
    TempDir other;
    WriteFile(other.file("a.jpg"), ContainerBytes(PatternBytes(40000), 3, "", "a:b?.jpg"));
    WriteFile(other.file("plain.jpg"), std::string(kSmallest, 'p'));
    ops.fileAnswers.push_back({other.file("a.jpg"), other.file("a.jpg"), other.file("plain.jpg")});
    queue.addPickedFiles();

    EXPECT_EQ(ops.log.front(), "enable QueueList");
    EXPECT_NE(std::find(ops.log.begin(), ops.log.end(),
                        "pick files " + dir.path()
                            + " Vexo Images and Video|*.jpg;*.jpeg;*.gif;*.png;*.bmp;*.avi;*.mpg;*.vob;*.mov"
                              "|All Files|*.*"),
              ops.log.end());
    ASSERT_EQ(queue.queueCount(), 1);
    EXPECT_EQ(queue.entries()[0].realName, "a:b?.jpg");
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"plain.jpg -  NOT PACK"});
    EXPECT_EQ(session.workingFolder().path(), other.path());
    EXPECT_EQ(ops.folderText, other.path());
    EXPECT_FALSE(ops.isEnabled(DecoderControl::AddPicked));
}

// Guards drops on the list: files alone are queued as picked ones are (the
// inspection with its boxes, the working folder moving), one folder alone
// becomes the working folder, and anything else, or any drop while a run
// works, is refused whole without a box.
TEST_F(DecodeQueueTest, DropsQueueFilesTakeOneFolderAndRefuseTheRest)
{
    TempDir other;
    const std::string file = other.file("a.jpg");
    const std::string folder = other.file("sub");
    WriteFile(file, ContainerBytes(PatternBytes(40000), 3, "", "a.bin"));
    WriteFile(other.file("plain.jpg"), std::string(kSmallest, 'p'));
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::mkfifo(other.file("pipe").c_str(), 0600), 0);
    // The drop, a run working, the entries queued, the working folder taken.
    const std::tuple<Drop, bool, int, std::string> drops[] = {
        {{{file, folder}}, false, 0, ""},
        {{{file}, true}, false, 0, ""},
        {{{other.file("gone.jpg")}}, false, 0, ""},
        {{{other.file("pipe")}}, false, 0, ""},
        {{{file}}, true, 0, ""},
        {{{folder + "/"}}, false, 0, folder},
        {{{file, other.file("plain.jpg")}}, false, 1, other.path()}};
    for (const auto& [drop, running, queued, taken] : drops) {
        queue.setRunning(running);
        EXPECT_EQ(queue.takesDrop(drop), !taken.empty()) << taken;
        queue.takeDrop(drop);
        queue.setRunning(false);
        EXPECT_EQ(queue.queueCount(), queued);
        EXPECT_EQ(ops.messageTexts().size(), static_cast<std::size_t>(queued)); // "plain.jpg -  NOT PACK"
        EXPECT_EQ(session.workingFolder().path(), taken.empty() ? dir.path() : taken);
    }
}

// Guards a picked file that cannot be opened: the whole add ends with an error, nothing queued.
TEST_F(DecodeQueueTest, AddClickWithAnUnopenablePickThrows)
{
    encoded("a.avi", "a.bin");
    ops.fileAnswers.push_back({dir.file("a.avi"), dir.file("missing.avi")});
    EXPECT_THROW(queue.addPickedFiles(), std::runtime_error);
    EXPECT_EQ(queue.queueCount(), 0);
}

// Guards a cancelled dialog: nothing queued and "Добавить" enabled.
TEST_F(DecodeQueueTest, CancelledDialogLeavesAddEnabled)
{
    queue.addPickedFiles();
    EXPECT_EQ(queue.queueCount(), 0);
    EXPECT_TRUE(ops.isEnabled(DecoderControl::AddPicked));
}

// Guards removal: entry 3 moves up to 2 with its line, the first line is selected.
TEST_F(DecodeQueueTest, RemovingTheMiddleEntry)
{
    encoded("1.avi", "one.bin");
    encoded("2.avi", "two.bin");
    encoded("3.avi", "three.bin");
    queue.addAllFromFolder();
    ASSERT_EQ(queue.queueCount(), 3);
    const std::string third = queue.entries()[2].realName;
    const std::string thirdLine = list.line(2);
    list.userSelected(1);
    queue.removeSelectedEntry();
    ASSERT_EQ(queue.queueCount(), 2);
    EXPECT_EQ(queue.entries()[1].realName, third);
    EXPECT_EQ(list.line(1), thirdLine);
    EXPECT_EQ(list.selectedLine(), 0);
}

// Guards removing the only entry, and "Очистить": the list clears and "Добавить" comes back.
TEST_F(DecodeQueueTest, RemovingTheOnlyEntryAndClearing)
{
    encoded("1.avi", "one.bin");
    queue.addAllFromFolder();
    list.userSelected(0);
    queue.removeSelectedEntry();
    EXPECT_EQ(queue.queueCount(), 0);
    EXPECT_EQ(list.lineCount(), 0);
    EXPECT_TRUE(ops.isEnabled(DecoderControl::AddPicked));

    queue.addAllFromFolder();
    queue.clear();
    EXPECT_EQ(queue.queueCount(), 0);
    EXPECT_EQ(list.lineCount(), 0);
    EXPECT_TRUE(ops.isEnabled(DecoderControl::AddPicked));
    EXPECT_EQ(ops.focused, DecoderControl::AddAll);
}

// Guards the totals text, summed in 64 bits.
TEST_F(DecodeQueueTest, ListMouseMoveTotals)
{
    queue.showTotals();
    EXPECT_EQ(ops.status, "Всего файлов: 0, размер: 0 б");
    encoded("1.avi", "one.bin", 1048576);
    encoded("2.avi", "two.bin", 1048576);
    queue.addAllFromFolder();
    queue.showTotals();
    EXPECT_EQ(ops.status, "Всего файлов: 2, размер: 2 Мб");
}

// Guards the context menu: nothing selected disables "Удалить" and hides the
// information lines; a selection shows name, size and key.
TEST_F(DecodeQueueTest, PopupMenuDescribesTheSelectedEntry)
{
    EXPECT_TRUE(queue.describeSelectedEntry());
    EXPECT_FALSE(ops.removeItemEnabled);
    EXPECT_FALSE(ops.details);

    encoded("1.avi", "\xEA\xE8\xED\xEE.avi", 40000, 'A');
    queue.addAllFromFolder();
    list.userSelected(0);
    EXPECT_TRUE(queue.describeSelectedEntry());
    EXPECT_TRUE(ops.removeItemEnabled);
    ASSERT_TRUE(ops.details);
    EXPECT_EQ(ops.details->key, "Ключ: A");
    EXPECT_EQ(ops.details->size, "Размер: 39 Кб (40000 байт)");
    EXPECT_EQ(ops.details->realName, "Реалнейм: кино.avi");
}

// Guards changing the queue under a running batch: removal and the menu do nothing then.
TEST_F(DecodeQueueTest, RunningQueueRefusesRemovalAndMenu)
{
    encoded("1.avi", "one.bin");
    encoded("2.avi", "two.bin");
    queue.addAllFromFolder();
    queue.setRunning(true);
    list.userSelected(1);
    queue.removeSelectedEntry();
    queue.removeSelectedEntry();
    EXPECT_FALSE(queue.describeSelectedEntry());
    EXPECT_EQ(queue.queueCount(), 2);
    EXPECT_EQ(list.lineCount(), 2);
}

// Guards the old 255-entry bound: entry 300 can be selected and removed.
TEST_F(DecodeQueueTest, NoBoundOnTheQueueLength)
{
    const std::string content = ContainerBytes(PatternBytes(kSmallest), 1, "", "same.bin");
    for (int i = 0; i < 300; ++i)
        WriteFile(dir.file("f" + std::to_string(i) + ".avi"), content);
    queue.addAllFromFolder();
    ASSERT_EQ(queue.queueCount(), 300);
    list.userSelected(299);
    EXPECT_EQ(queue.selectedPosition(), 300);
    const std::string before = queue.entries()[298].path;
    queue.removeSelectedEntry();
    EXPECT_EQ(queue.queueCount(), 299);
    EXPECT_EQ(queue.entries().back().path, before);
}

} // namespace
} // namespace vexo
