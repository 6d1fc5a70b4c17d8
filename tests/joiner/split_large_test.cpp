// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/joiner/join_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::JoinFixture;

constexpr std::int64_t k2GiB = std::int64_t{1} << 31;

// Bytes written at `offset` of a sparse file.
using Marker = std::pair<std::int64_t, std::string>;

void MakeSparseFile(const std::string& path, std::int64_t size, const std::vector<Marker>& markers)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    for (const auto& [offset, bytes] : markers)
        ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), offset), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

std::string BytesAt(const std::string& path, std::int64_t offset, std::size_t count)
{
    std::string bytes(count, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY);
    const ssize_t got = fd < 0 ? -1 : ::pread(fd, bytes.data(), count, offset);
    if (fd >= 0)
        ::close(fd);
    bytes.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    return bytes;
}

// Guards 32-bit part sizes: a first part past 2 GiB is copied whole (its
// bytes land at the same offsets), the next part follows it, and the bytes
// bar counts up to 100 instead of going negative.
TEST_F(JoinFixture, PartOver2GiBJoinsWhole)
{
    const std::int64_t fullBlocks = k2GiB / static_cast<std::int64_t>(kJoinBlockSize) + 1;
    const std::int64_t size = fullBlocks * static_cast<std::int64_t>(kJoinBlockSize) + 9;
    const std::vector<Marker> markers = {{0, "first"}, {k2GiB - 3, "across-2GiB"}, {size - 9, "last-nine"}};
    MakeSparseFile(dir.file("huge.mkv.aa"), size, markers);
    const std::string ab = part("huge.mkv.ab", 1000);
    join(true);

    EXPECT_EQ(ops.lines().back(), "Собирается файл huge.mkv (Частей: 2) [ aa-(del) ab-(del) ] ok");
    const std::string output = dir.file("huge.mkv");
    EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(output)), size + 1000);
    for (const auto& [offset, bytes] : markers)
        EXPECT_EQ(BytesAt(output, offset, bytes.size()), bytes) << offset;
    EXPECT_EQ(BytesAt(output, k2GiB + 100, 4), std::string(4, '\0'));
    EXPECT_EQ(BytesAt(output, size, ab.size()), ab);

    const auto bytesBar = ops.fileProgressHistory;
    ASSERT_EQ(bytesBar.size(), static_cast<std::size_t>(fullBlocks));
    EXPECT_EQ(bytesBar.front(), 0);
    EXPECT_EQ(bytesBar.back(), 100);
    EXPECT_TRUE(std::is_sorted(bytesBar.begin(), bytesBar.end()));
}

} // namespace
} // namespace vexo
