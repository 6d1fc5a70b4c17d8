// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_copy.h"
#include "base/file_io.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class FileCopierTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string content = PatternBytes(300000, 5);

    PosixFile source()
    {
        WriteFile(dir.file("source"), content);
        return PosixFile::OpenReadOnly(dir.file("source"));
    }
    PosixFile target() { return PosixFile::Open(dir.file("target"), O_RDWR | O_CREAT | O_TRUNC); }
};

// Guards the copy's place in both files: stretches copied one after the
// other, after bytes written by hand and from a source already read into,
// land in order, by the kernel and by reads and writes alike, and a
// switch from one to the other mid-way loses or repeats nothing.
TEST_F(FileCopierTest, StretchesFollowEachOtherFromBothOffsets)
{
    PosixFile from = source();
    PosixFile to = target();
    from.seek(1000);
    to.writeAll("head");
    FileCopier copier(4096);
    EXPECT_EQ(copier.copy(from, to, 100000), 100000u);
    EXPECT_TRUE(copier.copiesInKernel());
    {
        const ScopedFileFaults faults({.refuseKernelCopy = EXDEV});
        EXPECT_EQ(copier.copy(from, to, 50001), 50001u);
    }
    EXPECT_FALSE(copier.copiesInKernel());
    EXPECT_EQ(copier.copy(from, to, 12345), 12345u);
    to.close();
    EXPECT_TRUE(ReadFile(dir.file("target")) == "head" + content.substr(1000, 100000 + 50001 + 12345));
}

// Guards a kernel that will not copy (across file systems, for files it
// cannot copy, without the call): reads and writes take over, byte exact,
// whatever the error number.
TEST_F(FileCopierTest, RefusedKernelCopyFallsBackToReadsAndWrites)
{
    for (const int refusal : {EXDEV, EINVAL, ENOSYS, EOPNOTSUPP, EIO}) {
        SCOPED_TRACE(refusal);
        PosixFile from = source();
        PosixFile to = target();
        FileCopier copier(35536);
        const ScopedFileFaults faults({.refuseKernelCopy = refusal});
        EXPECT_EQ(copier.copy(from, to, content.size()), content.size());
        EXPECT_FALSE(copier.copiesInKernel());
        to.close();
        EXPECT_TRUE(ReadFile(dir.file("target")) == content);
    }
}

// Guards a source the kernel really refuses, a pipe, with no fault
// installed: its bytes arrive all the same.
TEST_F(FileCopierTest, PipeAsSourceIsCopiedByReads)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    PosixFile reading(ends[0], "pipe");
    PosixFile writing(ends[1], "pipe");
    const std::string bytes = PatternBytes(50000, 9);
    std::thread writer([&] {
        writing.writeAll(bytes.data(), bytes.size());
        writing.close();
    });
    PosixFile to = target();
    FileCopier copier(4096);
    EXPECT_EQ(copier.copy(reading, to, bytes.size()), bytes.size());
    writer.join();
    EXPECT_FALSE(copier.copiesInKernel());
    to.close();
    EXPECT_TRUE(ReadFile(dir.file("target")) == bytes);
}

// Guards a source that ends early: the count says so, on either path,
// and nothing is padded.
TEST_F(FileCopierTest, EarlyEndReturnsTheCountCopied)
{
    for (const int refusal : {0, EXDEV}) {
        SCOPED_TRACE(refusal);
        PosixFile from = source();
        PosixFile to = target();
        from.seek(static_cast<std::int64_t>(content.size()) - 10);
        FileCopier copier(4096);
        const ScopedFileFaults faults({.refuseKernelCopy = refusal});
        EXPECT_EQ(copier.copy(from, to, 100), 10u);
        EXPECT_EQ(to.size(), 10);
    }
}

// Guards the file a failed copy names: a disk that fills up while the
// kernel copies names the target, a read that fails names the source, and
// the target keeps exactly the bytes that were copied.
TEST_F(FileCopierTest, FailureNamesTheFileAtFault)
{
    const auto failure = [&](const FileFaults& fault) {
        PosixFile from = source();
        PosixFile to = target();
        FileCopier copier(4096);
        const ScopedFileFaults faults(fault);
        try {
            copier.copy(from, to, content.size());
        } catch (const FileError& error) {
            return std::to_string(error.error()) + " " + error.path();
        }
        return std::string("no error");
    };
    EXPECT_EQ(failure({.failWriteAfter = 70000, .error = ENOSPC}), std::to_string(ENOSPC) + " " + dir.file("target"));
    EXPECT_TRUE(ReadFile(dir.file("target")) == content.substr(0, 70000));
    EXPECT_EQ(failure({.failReadAfter = 70000, .error = EIO}), std::to_string(EIO) + " " + dir.file("source"));
    EXPECT_TRUE(ReadFile(dir.file("target")) == content.substr(0, 70000));
}

} // namespace
} // namespace vexo
