// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "decoder/container_format.h"
#include "tests/decoder/test_containers.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/mman.h>
#include <sys/stat.h>

namespace vexo {
namespace {

using test::FileExists;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string Encoded(std::string bytes, std::uint8_t key)
{
    for (char& c : bytes)
        c = static_cast<char>(static_cast<std::uint8_t>(c) ^ key);
    return bytes;
}

// Guards the word-wise loop: wrong head or tail at any alignment, or bytes outside the range touched.
TEST(XorBlockTest, MatchesAByteLoopAtEveryLengthAndAlignment)
{
    // Past 128 bytes the loop of four vectors runs; 33 offsets cover every
    // alignment of a 32-byte vector.
    const std::string original = PatternBytes(340);
    for (std::size_t offset = 0; offset < 33; ++offset) {
        for (std::size_t length = 0; length <= 300; ++length) {
            std::string bytes = original;
            XorBlock(reinterpret_cast<unsigned char*>(bytes.data()) + offset, length, 0xA5);
            std::string expected = original;
            for (std::size_t i = offset; i < offset + length; ++i)
                expected[i] = static_cast<char>(static_cast<std::uint8_t>(expected[i]) ^ 0xA5);
            ASSERT_EQ(bytes, expected) << "offset " << offset << ", length " << length;
        }
    }
}

// Guards the trailer layout: little-endian signed offset, key, length byte, name, zero fill, 262 bytes.
TEST(MakeTrailerTest, LaysOutTheFields)
{
    const std::string trailer = MakeTrailer(0x01020304, 0xFE, "\xCA\xEE\xF2.avi");
    ASSERT_EQ(trailer.size(), 262u);
    EXPECT_EQ(trailer.substr(0, 6), std::string("\x04\x03\x02\x01\xFE\x07", 6));
    EXPECT_EQ(trailer.substr(6, 7), "\xCA\xEE\xF2.avi");
    EXPECT_EQ(trailer.substr(13), std::string(262 - 13, '\0'));

    EXPECT_EQ(MakeTrailer(-1, 0, "abc").substr(0, 4), "\xFF\xFF\xFF\xFF");
    // The length byte cannot count 256: such a name would be stored as an empty one.
    const std::string longest(255, 'n');
    EXPECT_EQ(MakeTrailer(0, 0, longest).substr(5), '\xFF' + longest + '\0');
    EXPECT_THROW(MakeTrailer(0, 0, std::string(256, 'n')), std::invalid_argument);
}

class WriteContainerTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string plain = dir.file("plain.bin");
    std::string container = dir.file("out.avi");
};

// Guards the streamed copy across several blocks: any byte lost, doubled or left unencoded.
TEST_F(WriteContainerTest, WritesLeadingBytesEncodedDataAndTrailer)
{
    const std::string content = PatternBytes(3 * 1024 * 1024 + 17);
    WriteFile(plain, content);
    WriteContainer(plain, container, 0x5C, "lead", "name.avi");
    EXPECT_EQ(ReadFile(container), "lead" + Encoded(content, 0x5C) + MakeTrailer(4, 0x5C, "name.avi"));

    WriteFile(plain, "");
    WriteContainer(plain, dir.file("empty.avi"), 1, "", "e.avi");
    EXPECT_EQ(ReadFile(dir.file("empty.avi")), MakeTrailer(0, 1, "e.avi"));
}

// Guards an existing file being replaced, and a missing plain file leaving an empty container behind.
TEST_F(WriteContainerTest, NeverReplacesAFileAndNamesThePathInErrors)
{
    WriteFile(plain, "data");
    WriteFile(container, "precious");
    try {
        WriteContainer(plain, container, 1, "", "abc");
        FAIL() << "an existing container was replaced";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), container + ": File exists");
    }
    EXPECT_EQ(ReadFile(container), "precious");

    try {
        WriteContainer(dir.file("missing"), dir.file("new.avi"), 1, "", "abc");
        FAIL() << "a missing plain file was taken";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), dir.file("missing") + ": No such file or directory");
    }
    EXPECT_FALSE(FileExists(dir.file("new.avi")));
}

// Guards a failed write or read leaving a half-written container that would pass for a whole one.
TEST_F(WriteContainerTest, FailedWriteOrReadLeavesNoFile)
{
    WriteFile(plain, PatternBytes(100000));
    const auto failure = [&](const FileFaults& fault) {
        ScopedFileFaults faults(fault);
        try {
            WriteContainer(plain, container, 1, "lead", "abc");
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(failure({.failWriteAfter = 50000, .error = ENOSPC}), container + ": No space left on device");
    EXPECT_FALSE(FileExists(container));
    EXPECT_EQ(failure({.failReadAfter = 50000, .error = EIO}), plain + ": Input/output error");
    EXPECT_FALSE(FileExists(container));
    for (const FileFaults& fault :
         {FileFaults{.failSync = true}, FileFaults{.failClose = true}, FileFaults{.failRename = true}}) {
        EXPECT_EQ(failure(fault), container + ": Input/output error");
        EXPECT_FALSE(FileExists(container));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0755), 0);
    EXPECT_THROW(WriteContainer(dir.file("folder"), container, 1, "", "abc"), std::runtime_error);
    EXPECT_FALSE(FileExists(container));
}

// Guards leading bytes beyond the signed 32-bit data offset wrapping to a negative offset on disk.
TEST_F(WriteContainerTest, RefusesLeadingBytesBeyondTheDataOffsetField)
{
    WriteFile(plain, "data");
    const std::size_t tooMany = 0x80000000u;
    // Address space only; nothing of it is ever read.
    void* reserved = ::mmap(nullptr, tooMany, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(reserved, MAP_FAILED);
    EXPECT_THROW(WriteContainer(plain, container, 1, std::string_view(static_cast<char*>(reserved), tooMany), "abc"),
                 std::invalid_argument);
    ::munmap(reserved, tooMany);
    EXPECT_FALSE(FileExists(container));
    EXPECT_THROW(WriteContainer(plain, container, 1, "", std::string(256, 'n')), std::invalid_argument);
    EXPECT_FALSE(FileExists(container));
}

} // namespace
} // namespace vexo
