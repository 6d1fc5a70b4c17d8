// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/block_runs.h"
#include "base/file_io.h"
#include "base/stop_request.h"
#include "decoder/decode_file.h"
#include "decoder/encoded_file.h"
#include "decoder/queue_list.h"
#include "tests/decoder/test_containers.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::FakeViews;
using test::FolderNames;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr std::size_t kRunSize = static_cast<std::size_t>(kRunBlocks) * kDecodeBlockSize;

// Writes an encoded file of `plain` into `dir` and inspects it; the leading
// bytes leave the data at an odd place of the file.
QueueEntry Encode(const TempDir& dir, const std::string& plain, std::uint8_t key, FakeViews& window)
{
    WriteFile(dir.file("enc.avi"), ContainerBytes(plain, key, PatternBytes(4097, 3), "out.bin"));
    const auto entry = InspectFile(dir.file("enc.avi"), true, window);
    if (!entry)
        throw std::logic_error("the test container was not recognised");
    return *entry;
}

// Guards decoding in runs: data of every size around the block and run
// boundaries decodes byte for byte, by the exclusive-or and, for a key of
// 0, by the kernel's copy or the reads and writes that take over where it
// refuses, with runs cut at pumps that fall inside them; the bar still
// moves once per block and the pumps come every `Update` blocks.
TEST(DecodeRunsTest, SizesAroundBlockAndRunBoundariesDecodeExactly)
{
    struct Case {
        std::uint8_t key;
        int refusal;
        std::int32_t pacing;
    };
    const std::vector<std::size_t> sizes = {0,
                                            1,
                                            kDecodeBlockSize - 1,
                                            kDecodeBlockSize,
                                            kDecodeBlockSize + 1,
                                            kRunSize - 1,
                                            kRunSize,
                                            kRunSize + 1,
                                            2 * kRunSize + 1};
    for (const Case c : {Case{0xA5, 0, 100}, Case{0, 0, 7}, Case{0, EXDEV, 100}, Case{0x01, EINVAL, 7}}) {
        for (const std::size_t size : sizes) {
            SCOPED_TRACE(testing::Message() << "key " << int{c.key} << ", refusal " << c.refusal << ", pacing "
                                            << c.pacing << ", size " << size);
            TempDir dir;
            FakeViews window;
            QueueList list{window};
            const std::string plain = PatternBytes(size, static_cast<unsigned>(size));
            const QueueEntry entry = Encode(dir, plain, c.key, window);
            {
                const ScopedFileFaults faults({.refuseKernelCopy = c.refusal});
                DecodeFile(entry, 0, Pacing(c.pacing), list, window, window);
            }
            EXPECT_TRUE(ReadFile(dir.file("out.bin")) == plain);
            const std::size_t blocks = size / kDecodeBlockSize;
            EXPECT_EQ(window.fileProgressHistory.size(), blocks + 2);
            EXPECT_EQ(window.pumps, static_cast<int>(blocks) / c.pacing);
            EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"enc.avi", "out.bin"}));
        }
    }
}

// Guards a stop in the middle of long runs: the decode ends at the pump
// that noticed it, having written no block past it, and leaves nothing
// under the real name and no temporary, whether the kernel copies (a key
// of 0) or the exclusive-or runs.
TEST(DecodeRunsTest, StopAtAPumpEndsTheDecodeThere)
{
    for (const std::uint8_t key : {std::uint8_t{0}, std::uint8_t{0x77}}) {
        SCOPED_TRACE(int{key});
        TempDir dir;
        FakeViews window;
        QueueList list{window};
        const QueueEntry entry = Encode(dir, PatternBytes(100 * kDecodeBlockSize + 5), key, window);
        std::vector<std::uintmax_t> writtenAtPumps;
        window.onPump = [&] {
            for (const std::uintmax_t size : test::SizesTakingShape(dir.path()))
                writtenAtPumps.push_back(size);
            RequestStop();
        };
        EXPECT_THROW(DecodeFile(entry, 0, Pacing(40), list, window, window), StopRequest);
        ClearStopRequest();

        EXPECT_EQ(writtenAtPumps, std::vector<std::uintmax_t>{40 * kDecodeBlockSize});
        EXPECT_EQ(window.fileProgressHistory.size(), 41u);
        EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"enc.avi"});
    }
}

} // namespace
} // namespace vexo
