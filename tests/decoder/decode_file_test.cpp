// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "base/pacing.h"
#include "base/stop_request.h"
#include "base/temporary_files.h"
#include "decoder/decode_file.h"
#include "decoder/encoded_file.h"
#include "decoder/queue_list.h"
#include "tests/decoder/test_containers.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include <sys/wait.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::FakeViews;
using test::FileExists;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class DecodeFileTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeViews ops;
    QueueList list{ops};
    Pacing pacing{100};

    // Writes an encoded file and queues its line the way the queue would.
    QueueEntry encode(const std::string& plain, std::uint8_t key, std::size_t leading, const std::string& storedName,
                      const std::string& fileName = "enc.avi")
    {
        WriteFile(dir.file(fileName), ContainerBytes(plain, key, PatternBytes(leading, 3), storedName));
        auto entry = InspectFile(dir.file(fileName), true, ops);
        if (!entry)
            throw std::logic_error("the test container was not recognised");
        list.appendLine(fileName + " line");
        return *entry;
    }

    std::vector<std::string> statusTexts() const { return ops.statusHistory; }
};

// Guards byte-exact decoding at the block boundaries: no block, one block, two blocks and a tail.
TEST_F(DecodeFileTest, RoundTripsAtBlockBoundaries)
{
    struct Case {
        std::size_t size;
        std::uint8_t key;
        std::size_t leading;
        std::size_t blocks;
    };
    for (const Case c :
         {Case{0, 0x5A, 0, 0}, Case{35535, 0xFF, 17, 0}, Case{35536, 0x01, 4096, 1}, Case{71073, 0x80, 35536, 2}}) {
        SCOPED_TRACE(c.size);
        TempDir folder;
        const std::string plain = PatternBytes(c.size, static_cast<unsigned>(c.size));
        WriteFile(folder.file("x.jpg"), ContainerBytes(plain, c.key, PatternBytes(c.leading), "out.bin"));
        FakeViews window;
        QueueList windowList{window};
        const auto entry = InspectFile(folder.file("x.jpg"), true, window);
        ASSERT_TRUE(entry);
        windowList.appendLine("x.jpg => out.bin");
        pacing = Pacing(1);

        DecodeFile(*entry, 1, pacing, windowList, window, window);

        EXPECT_EQ(ReadFile(folder.file("out.bin")), plain);
        EXPECT_EQ(window.pumps, static_cast<int>(c.blocks));
        EXPECT_EQ(window.statusRepaints, static_cast<int>(c.blocks) + 1);
        EXPECT_EQ(window.status, "Файл закрывается...");
        const auto bar = window.fileProgressHistory;
        ASSERT_EQ(bar.size(), c.blocks + 2);
        EXPECT_EQ(bar.front(), 0);
        EXPECT_EQ(bar.back(), 100);
        EXPECT_EQ(window.lines(), std::vector<std::string>{"x.jpg => out.bin"});
    }
}

// Guards the progress text after every block and the percentages' rounding.
TEST_F(DecodeFileTest, ProgressTextAfterEveryBlock)
{
    const auto entry = encode(PatternBytes(71073), 7, 10, "movie.avi");
    DecodeFile(entry, 1, pacing, list, ops, ops);
    EXPECT_EQ(statusTexts(),
              (std::vector<std::string>{"Обработка movie.avi ... 50% 34 Кб/69 Кб",
                                        "Обработка movie.avi ... 100% 69 Кб/69 Кб", "Файл закрывается..."}));
    EXPECT_EQ(ops.fileProgressHistory, (std::vector<std::int64_t>{0, 50, 100, 100}));
}

// Guards the pacing: messages every `Update` blocks, never for a file of fewer blocks.
TEST_F(DecodeFileTest, PumpsEveryUpdateBlocks)
{
    const auto entry = encode(PatternBytes(7 * kDecodeBlockSize + 5), 9, 0, "seven.avi");
    pacing = Pacing(3);
    DecodeFile(entry, 1, pacing, list, ops, ops);
    EXPECT_EQ(ops.pumps, 2);
    EXPECT_EQ(ops.statusRepaints, 8);

    const auto few = encode(PatternBytes(7 * kDecodeBlockSize), 9, 0, "few.avi", "few.avi");
    pacing = Pacing(100);
    ops.pumps = 0;
    DecodeFile(few, 2, pacing, list, ops, ops);
    EXPECT_EQ(ops.pumps, 0);
}

// Guards a stale status panel: every change of the progress text is set and
// repainted at once, and the last block's text reads 100 per cent.
TEST_F(DecodeFileTest, EveryChangedProgressTextIsRepainted)
{
    const auto entry = encode(PatternBytes(300 * kDecodeBlockSize), 2, 0, "long.avi");
    DecodeFile(entry, 1, pacing, list, ops, ops);
    const std::vector<std::string> texts = statusTexts();
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(ops.statusRepaints, static_cast<int>(texts.size()));
    for (std::size_t i = 1; i < texts.size(); ++i)
        EXPECT_NE(texts[i], texts[i - 1]);
    EXPECT_EQ(texts[texts.size() - 2], "Обработка long.avi ... 100% 10 Мб/10 Мб");
    for (std::size_t i = 0; i + 1 < ops.log.size(); ++i) {
        if (ops.log[i].rfind("status ", 0) == 0 && ops.log[i + 1] != "pump") {
            EXPECT_EQ(ops.log[i + 1], "repaint status") << i;
        }
    }
}

// Guards the renaming chain: photo.jpg, (1)photo.jpg, (2)photo.jpg, never replacing a file.
TEST_F(DecodeFileTest, RenamingChainNeverReplaces)
{
    const std::string plain = PatternBytes(50000);
    const auto entry = encode(plain, 0x33, 100, "photo.jpg");
    DecodeFile(entry, 1, pacing, list, ops, ops);
    EXPECT_EQ(list.line(0), "enc.avi line");
    EXPECT_EQ(ReadFile(dir.file("photo.jpg")), plain);

    WriteFile(dir.file("photo.jpg"), "another photo");
    WriteFile(dir.file("(1)photo.jpg"), "keep me");
    DecodeFile(entry, 1, pacing, list, ops, ops);
    EXPECT_EQ(list.line(0), "enc.avi line [Файл существует, переимнование]");
    EXPECT_EQ(ReadFile(dir.file("(1)photo.jpg")), "keep me");
    EXPECT_EQ(ReadFile(dir.file("(2)photo.jpg")), plain);
    EXPECT_EQ(ReadFile(dir.file("photo.jpg")), "another photo");
}

// Guards a second copy of a decoded file: a run killed after its output was
// in place but before its encoded file went decodes it again, and must find
// the output already there instead of adding "(1)name" beside it.
TEST_F(DecodeFileTest, OutputAlreadyInPlaceIsNotDecodedTwice)
{
    const std::string plain = PatternBytes(80000);
    const auto entry = encode(plain, 0x5C, 10, "photo.jpg");
    WriteFile(dir.file("photo.jpg"), plain.substr(0, 79999) + "x");
    DecodeFile(entry, 1, pacing, list, ops, ops);
    EXPECT_EQ(ReadFile(dir.file("(1)photo.jpg")), plain);

    DecodeFile(entry, 1, pacing, list, ops, ops);
    EXPECT_FALSE(FileExists(dir.file("(2)photo.jpg")));
    EXPECT_EQ(ReadFile(dir.file("(1)photo.jpg")), plain);
    EXPECT_EQ(test::FolderNames(dir.path()), (std::vector<std::string>{"(1)photo.jpg", "enc.avi", "photo.jpg"}));
}

// Guards creating the output through a link that appeared under its name:
// the link counts as taken and its target is never written.
TEST_F(DecodeFileTest, DanglingLinkIsNotFollowed)
{
    const auto entry = encode(PatternBytes(100), 1, 0, "pic.jpg");
    ASSERT_EQ(::symlink(dir.file("elsewhere").c_str(), dir.file("pic.jpg").c_str()), 0);
    DecodeFile(entry, 1, pacing, list, ops, ops);
    EXPECT_FALSE(FileExists(dir.file("elsewhere")));
    EXPECT_EQ(ReadFile(dir.file("(1)pic.jpg")), PatternBytes(100));
}

// Guards a file that shrank after inspection: an error, no read past the
// buffer, no padded output left behind.
TEST_F(DecodeFileTest, ShrunkFileEndsWithAnError)
{
    for (const std::int64_t keep : {std::int64_t{50000}, std::int64_t{110000}}) {
        SCOPED_TRACE(keep);
        TempDir folder;
        WriteFile(folder.file("s.avi"), ContainerBytes(PatternBytes(120000), 5, "", "short.bin"));
        FakeViews window;
        QueueList windowList{window};
        const auto entry = InspectFile(folder.file("s.avi"), true, window);
        ASSERT_TRUE(entry);
        std::filesystem::resize_file(folder.file("s.avi"), static_cast<std::uintmax_t>(keep));
        EXPECT_THROW(DecodeFile(*entry, 0, pacing, windowList, window, window), std::runtime_error);
        EXPECT_FALSE(FileExists(folder.file("short.bin")));
        EXPECT_TRUE(window.messages.empty());
    }
}

// Guards the "I/O Error" box before the failure when the encoded file is
// gone, and the output's folder cannot take the file.
TEST_F(DecodeFileTest, UnopenableFilesShowIoErrorAndThrow)
{
    const auto entry = encode(PatternBytes(1000), 1, 0, "lost.bin");
    std::filesystem::remove(entry.path);
    EXPECT_THROW(DecodeFile(entry, 1, pacing, list, ops, ops), std::runtime_error);
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"I/O Error"});
    EXPECT_FALSE(FileExists(dir.file("lost.bin")));

    QueueEntry elsewhere = entry;
    elsewhere.path = dir.file("no-such-folder/enc.avi");
    EXPECT_THROW(DecodeFile(elsewhere, 1, pacing, list, ops, ops), std::runtime_error);
    EXPECT_EQ(ops.messages.size(), 2u);
}

// Guards a failed write (a full disk), read or close of the output:
// an error naming the file, and no truncated output left.
TEST_F(DecodeFileTest, FailedWriteReadOrCloseLeavesNoTruncatedOutput)
{
    const auto entry = encode(PatternBytes(200000), 1, 0, "big.bin");
    const auto failure = [&](const FileFaults& fault) {
        ScopedFileFaults faults(fault);
        try {
            DecodeFile(entry, 1, pacing, list, ops, ops);
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(failure({.failWriteAfter = 100000, .error = ENOSPC}), dir.file("big.bin") + ": No space left on device");
    EXPECT_FALSE(FileExists(dir.file("big.bin")));

    EXPECT_EQ(failure({.failReadAfter = 100000, .error = EIO}), entry.path + ": Input/output error");
    EXPECT_FALSE(FileExists(dir.file("big.bin")));

    // A close can be the first to report decoded bytes that never reached the disk.
    EXPECT_EQ(failure({.failClose = true, .error = EIO}), dir.file("big.bin") + ": Input/output error");
    EXPECT_FALSE(FileExists(dir.file("big.bin")));

    EXPECT_EQ(ReadFile(entry.path).size(), static_cast<std::size_t>(entry.fileSize));
    EXPECT_TRUE(ops.messages.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// Guards a stored name that is too long for Linux once in UTF-8 (128
// Cyrillic letters are 256 bytes): it stopped every decode with "File name
// too long". The name is shortened on a character boundary, its extension
// kept, and so is a "(n)" name.
TEST_F(DecodeFileTest, NamesTooLongForTheFolderAreShortened)
{
    // n times "Ж": one byte in Windows-1251, two in UTF-8.
    const auto stored = [](int n) { return std::string(static_cast<std::size_t>(n), '\xC6'); };
    const auto letters = [](int n) {
        std::string text;
        for (int i = 0; i < n; ++i)
            text += "Ж";
        return text;
    };

    const std::string plain = PatternBytes(40000);
    DecodeFile(encode(plain, 1, 0, stored(128), "long.avi"), 1, pacing, list, ops, ops);
    EXPECT_EQ(ReadFile(dir.file(letters(127))), plain);

    // "Ж…Ж.avi" fits, 252 bytes; "(1)" to "(9)" still fit beside it, "(10)" does not.
    const std::string other = PatternBytes(40000, 2);
    const auto entry = encode(other, 2, 0, stored(124) + ".avi", "ext.avi");
    WriteFile(dir.file(letters(124) + ".avi"), "taken");
    for (int n = 1; n <= 9; ++n)
        WriteFile(dir.file("(" + std::to_string(n) + ")" + letters(124) + ".avi"), "taken");
    DecodeFile(entry, 2, pacing, list, ops, ops);
    const std::string tenth = "(10)" + letters(123) + ".avi";
    EXPECT_EQ(tenth.size(), 254u);
    EXPECT_EQ(ReadFile(dir.file(tenth)), other);
}

// Guards a container replaced between inspection and decoding by another
// of the same size: it was decoded with the old key and offset, and "/d"
// then deleted the new file. Now it is not decoded, and nothing is written.
TEST_F(DecodeFileTest, ContainerReplacedSinceInspectionIsNotDecoded)
{
    const std::string plain = PatternBytes(60000);
    const auto entry = encode(plain, 0x21, 400, "photo.jpg");
    const std::string replacement =
        ContainerBytes(PatternBytes(60000 + 300, 4), 0x42, PatternBytes(100, 5), "photo.jpg");
    ASSERT_EQ(replacement.size(), static_cast<std::size_t>(entry.fileSize));
    WriteFile(entry.path, replacement);

    try {
        DecodeFile(entry, 1, pacing, list, ops, ops);
        FAIL() << "decoded a file that changed since it was queued";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  entry.path + ": the file has changed since it was queued; it was not decoded");
    }
    EXPECT_EQ(test::FolderNames(dir.path()), std::vector<std::string>{"enc.avi"});
    EXPECT_EQ(ReadFile(entry.path), replacement);
}

// Guards a decode that is stopped (the window closed, a signal) half way:
// it left a truncated file under the real name, which the next run then
// decoded beside as "(1)name". Nothing may carry the name, and no hidden
// temporary may be left.
TEST_F(DecodeFileTest, StoppedDecodeLeavesNoOutputAndNoTemporary)
{
    const auto entry = encode(PatternBytes(400000), 9, 0, "movie.avi");
    pacing = Pacing(1);
    ops.onPump = [this] {
        if (ops.pumps == 3)
            RequestStop();
    };
    EXPECT_THROW(DecodeFile(entry, 1, pacing, list, ops, ops), StopRequest);
    ClearStopRequest();
    EXPECT_EQ(test::FolderNames(dir.path()), std::vector<std::string>{"enc.avi"});
}

// Guards the hidden temporaries a killed run leaves behind: the next run in
// that folder removes them, but never one of a program still running.
TEST_F(DecodeFileTest, TemporariesOfProgramsThatNoLongerRunAreRecognised)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ASSERT_GT(gone, 0);
    ::waitpid(gone, nullptr, 0);
    const std::string stale = ".vexorama-" + std::to_string(gone) + "-7";
    const std::string live = ".vexorama-" + std::to_string(::getpid()) + "-7";
    WriteFile(dir.file(stale), "half");
    WriteFile(dir.file(live), "in use");
    WriteFile(dir.file(".vexorama-notes.txt"), "the user's");
    EXPECT_TRUE(IsStaleTemporary(stale));
    EXPECT_FALSE(IsStaleTemporary(live));
    EXPECT_FALSE(IsStaleTemporary(".vexorama-notes.txt"));
    RemoveStaleTemporaries(dir.path());
    EXPECT_EQ(test::FolderNames(dir.path()), (std::vector<std::string>{live, ".vexorama-notes.txt"}));
}

} // namespace
} // namespace vexo
