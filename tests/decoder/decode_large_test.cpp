// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/pacing.h"
#include "decoder/container_format.h"
#include "decoder/decode_file.h"
#include "decoder/encoded_file.h"
#include "decoder/queue_list.h"
#include "tests/decoder/test_containers.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::FakeViews;
using test::PatternBytes;
using test::TempDir;

constexpr std::int64_t kTwoGiB = std::int64_t{1} << 31;
constexpr std::int64_t kPage = 4096;
constexpr std::int64_t kMargin = kPage; // checked bytes around each region

struct Region {
    std::int64_t start; // in the plain data
    std::int64_t size;
};

void WriteAt(int fd, std::int64_t position, const std::string& bytes)
{
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), position), static_cast<ssize_t>(bytes.size()));
}

std::string ReadAt(int fd, std::int64_t position, std::int64_t size)
{
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::pread(fd, bytes.data(), bytes.size(), position);
    bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return bytes;
}

// Frees the decoded output behind the decoder as it goes, keeping the
// regions to check (with their margins), so the test stays light on disk.
class HolePuncher {
public:
    HolePuncher(std::string path, std::vector<Region> keep) : path_(std::move(path)), keep_(std::move(keep)) {}

    void operator()()
    {
        const int fd = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return;
        const std::int64_t end = ::lseek(fd, 0, SEEK_END) / kPage * kPage;
        std::int64_t from = done_;
        for (const Region& region : keep_) {
            const std::int64_t keepFrom = (region.start - kMargin) / kPage * kPage;
            const std::int64_t keepTo = region.start + region.size + kMargin;
            punch(fd, from, std::min(keepFrom, end));
            from = std::max(from, keepTo / kPage * kPage + kPage);
        }
        punch(fd, from, end);
        done_ = std::max(done_, end);
        ::close(fd);
    }

private:
    static void punch(int fd, std::int64_t from, std::int64_t to)
    {
        if (to > from)
            ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, from, to - from);
    }

    std::string path_;
    std::vector<Region> keep_;
    std::int64_t done_ = 0;
};

// Guards 32-bit sizes: a sparse container of more than 2 GiB inspects with
// its 64-bit sizes and decodes byte for byte at both ends and across the
// 2 GiB mark. Holes of the container decode to the key; the output is
// freed behind the decoder except where it is checked.
TEST(DecodeLargeTest, SparseContainerOverTwoGiB)
{
    TempDir dir;
    const std::string path = dir.file("big.avi");
    const std::int32_t leading = 4096 + 17;
    const std::int64_t dataSize = kTwoGiB + 100 * static_cast<std::int64_t>(kDecodeBlockSize) + 123;
    const std::int64_t fileSize = leading + dataSize + kTrailerSize;
    const std::uint8_t key = 0xC3;
    const std::vector<Region> regions = {{0, 65536}, {kTwoGiB - 40000, 80000}, {dataSize - 65536, 65536}};

    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, fileSize), 0);
    std::vector<std::string> plains;
    for (const Region& region : regions) {
        std::string bytes = PatternBytes(static_cast<std::size_t>(region.size), static_cast<unsigned>(region.start));
        plains.push_back(bytes);
        for (char& c : bytes)
            c = static_cast<char>(static_cast<std::uint8_t>(c) ^ key);
        WriteAt(fd, leading + region.start, bytes);
    }
    WriteAt(fd, fileSize - kTrailerSize, MakeTrailer(leading, key, "huge.bin"));
    ::close(fd);

    FakeViews ops;
    QueueList list{ops};
    const auto entry = InspectFile(path, true, ops);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->fileSize, fileSize);
    EXPECT_EQ(entry->dataSize, dataSize);

    Pacing pacing{100};
    ops.onPump = HolePuncher(dir.file("huge.bin"), regions);
    DecodeFile(*entry, 0, pacing, list, ops, ops);
    EXPECT_EQ(ops.fileProgress, 100);

    const int out = ::open(dir.file("huge.bin").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(out, 0);
    EXPECT_EQ(::lseek(out, 0, SEEK_END), dataSize);
    for (std::size_t i = 0; i < regions.size(); ++i) {
        const Region& region = regions[i];
        SCOPED_TRACE(region.start);
        EXPECT_TRUE(ReadAt(out, region.start, region.size) == plains[i]);
        const std::int64_t before = std::max<std::int64_t>(0, region.start - kMargin);
        const std::int64_t after = std::min(dataSize, region.start + region.size + kMargin);
        EXPECT_TRUE(ReadAt(out, before, region.start - before) == std::string(region.start - before, char(key)));
        const std::int64_t tail = after - (region.start + region.size);
        EXPECT_TRUE(ReadAt(out, region.start + region.size, tail) == std::string(tail, char(key)));
    }
    ::close(out);
}

} // namespace
} // namespace vexo
