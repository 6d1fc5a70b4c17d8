// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/block_runs.h"
#include "base/file_io.h"
#include "base/stop_request.h"
#include "tests/joiner/join_fixture.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace vexo {
namespace {

using test::FileExists;
using test::JoinFixture;
using test::ReadFile;

// Part sizes at and beside the block and the run boundaries.
std::vector<std::size_t> BoundarySizes()
{
    const std::size_t run = static_cast<std::size_t>(kRunBlocks) * kJoinBlockSize;
    return {0, 1, kJoinBlockSize - 1, kJoinBlockSize, kJoinBlockSize + 1, run - 1, run, run + 1, 2 * run + 1};
}

// Guards copying in runs: parts of every size around the block and run
// boundaries join byte for byte, through the kernel's copy and through the
// reads and writes that take over where the kernel refuses, with runs cut
// at pumps that fall inside them; the bytes bar still moves once per full
// block, and the pumps come every interval-th block of each part.
TEST_F(JoinFixture, PartsAroundBlockAndRunBoundariesJoinExactly)
{
    struct Case {
        int refusal;
        std::int32_t interval;
        bool deleteParts;
    };
    for (const Case c : {Case{0, 100, false}, Case{0, 7, true}, Case{EXDEV, 100, true}, Case{EINVAL, 7, false}}) {
        SCOPED_TRACE(testing::Message() << "refusal " << c.refusal << ", interval " << c.interval);
        std::string expected;
        std::size_t fullBlocks = 0;
        int blockPumps = 0;
        const std::vector<std::size_t> sizes = BoundarySizes();
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            expected += part("runs." + PartSuffix(static_cast<std::int32_t>(i)), sizes[i]);
            fullBlocks += sizes[i] / kJoinBlockSize;
            blockPumps += static_cast<int>(sizes[i] / kJoinBlockSize) / c.interval;
        }
        ops.fileProgressHistory.clear();
        ops.pumps = 0;
        {
            const ScopedFileFaults faults({.refuseKernelCopy = c.refusal});
            join(c.deleteParts, c.interval);
        }
        EXPECT_TRUE(ops.messages.empty());
        EXPECT_TRUE(ReadFile(dir.file("runs")) == expected);
        EXPECT_EQ(ops.fileProgressHistory.size(), fullBlocks);
        // Found line, one per part, the " ] ok" line and the file's end.
        EXPECT_EQ(ops.pumps, blockPumps + static_cast<int>(sizes.size()) + 3);
        EXPECT_EQ(FileExists(dir.file("runs.aa")), !c.deleteParts);
    }
}

// Guards a stop in the middle of a part copied in long runs: the copy ends
// at the pump that noticed it, the output holding exactly the blocks
// reported so far, and then nothing is left of it: no cut file under the
// real name, and neither that part nor the next is deleted.
TEST_F(JoinFixture, StopAtAPumpEndsTheCopyThere)
{
    const std::string aa = part("s.aa", 100 * kJoinBlockSize + 7);
    part("s.ab", 10);
    std::vector<std::uintmax_t> writtenAtStop;
    ops.onPump = [this, &writtenAtStop] {
        if (ops.fileProgressHistory.size() == 40) {
            writtenAtStop = test::SizesTakingShape(dir.path());
            RequestStop();
        }
    };
    EXPECT_THROW(join(true, 40), StopRequest);
    ClearStopRequest();

    EXPECT_EQ(ops.fileProgressHistory.size(), 40u);
    EXPECT_EQ(writtenAtStop, std::vector<std::uintmax_t>{40 * kJoinBlockSize});
    EXPECT_EQ(test::FolderNames(dir.path()), (std::vector<std::string>{"s.aa", "s.ab"}));
    EXPECT_TRUE(ReadFile(dir.file("s.aa")) == aa);
}

} // namespace
} // namespace vexo
