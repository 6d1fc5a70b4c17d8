// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/container_format.h"
#include "server/handout.h"
#include "server/listing_protocol.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>

namespace vexo::server {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Guards the streamed container differing from the one written in one go, at block edges that cut across the
// leading bytes, the data and the trailer.
TEST(HandoutStreamTest, MatchesTheWrittenContainerWhateverTheReadSizes)
{
    TempDir dir;
    std::string plain(10007, '\0');
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<char>(i * 7 + i / 256);
    WriteFile(dir.file("plain"), plain);
    const WrapPlan plan = MakeWrapPlan(5, "plain", "plain.avi", static_cast<std::int64_t>(plain.size()));
    WriteContainer(dir.file("plain"), dir.file("whole"), plan.key, plan.leadingBytes, plan.storedName);
    const std::string expected = ReadFile(dir.file("whole"));

    for (const std::size_t block : {1u, 7u, 262u, 4096u, 65536u}) {
        HandoutStream stream(::open(dir.file("plain").c_str(), O_RDONLY), static_cast<std::int64_t>(plain.size()),
                             plan);
        ASSERT_EQ(stream.size(), static_cast<std::int64_t>(expected.size()));
        std::string streamed;
        std::vector<unsigned char> buffer(block);
        while (const std::size_t got = stream.read(static_cast<std::int64_t>(streamed.size()), buffer.data(), block))
            streamed.append(reinterpret_cast<const char*>(buffer.data()), got);
        EXPECT_EQ(streamed, expected) << "block " << block;
    }
}

// Guards a plain hand-out being altered, and a file that shrank after listing being padded or cut silently.
TEST(HandoutStreamTest, PlainFileAsItIsAndShrunkFileIsAnError)
{
    TempDir dir;
    WriteFile(dir.file("f"), "hello");
    HandoutStream plain(::open(dir.file("f").c_str(), O_RDONLY), 5);
    unsigned char buffer[16];
    ASSERT_EQ(plain.read(0, buffer, sizeof buffer), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "hello");
    EXPECT_EQ(plain.read(5, buffer, sizeof buffer), 0u);

    HandoutStream shrunk(::open(dir.file("f").c_str(), O_RDONLY), 9);
    EXPECT_THROW(shrunk.read(0, buffer, sizeof buffer), std::runtime_error);
}

// Guards the wrapping of a file changing from one listing to the next (the listed size would be wrong), and the
// seed not mattering.
TEST(HandoutStreamTest, WrapPlanFollowsSeedAndName)
{
    const WrapPlan first = MakeWrapPlan(1, "a.avi", "a.avi", kMinimumContainerSize);
    const WrapPlan again = MakeWrapPlan(1, "a.avi", "a.avi", kMinimumContainerSize);
    EXPECT_EQ(first.key, again.key);
    EXPECT_EQ(first.leadingBytes, again.leadingBytes);
    EXPECT_LE(first.leadingBytes.size(), kMaxLeadingBytes);
    int differing = 0;
    for (std::uint64_t seed = 2; seed < 12; ++seed)
        differing += MakeWrapPlan(seed, "a.avi", "a.avi", kMinimumContainerSize).leadingBytes != first.leadingBytes;
    EXPECT_GE(differing, 9);
}

// Guards the request split: login up to the first ":", password with ":" kept, the check word required.
TEST(ListingRequestTest, SplitsLoginAndPassword)
{
    const auto request = ParseListingRequest("user:pa:ss:is_files");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->login, "user");
    EXPECT_EQ(request->password, "pa:ss");
    EXPECT_EQ(ParseListingRequest("user:pw:is_files\r")->password, "pw");
    EXPECT_EQ(ParseListingRequest("::is_files")->login, "");
    EXPECT_FALSE(ParseListingRequest(":is_files"));
    EXPECT_EQ(ParseListingRequest("\xCF\xE5\xF2\xFF:x:is_files")->login, "Петя");
    EXPECT_FALSE(ParseListingRequest("is_files"));
    EXPECT_FALSE(ParseListingRequest("user:pw:other"));
    EXPECT_FALSE(ParseListingRequest("user:pw:is_files:"));
}

// Guards a listing longer than the client's task queue can take.
TEST(ListingRequestTest, ListingIsCappedForTheClientsQueue)
{
    std::vector<WaitingFile> files(200);
    for (std::size_t i = 0; i < files.size(); ++i) {
        files[i].id = std::to_string(i);
        files[i].listedName = "f" + std::to_string(i);
    }
    const std::string answer = FormatListing(files, "h:1");
    EXPECT_EQ(std::count(answer.begin(), answer.end(), '\n'), static_cast<long>(2 + 4 * kMaxListedFiles));
}

} // namespace
} // namespace vexo::server
