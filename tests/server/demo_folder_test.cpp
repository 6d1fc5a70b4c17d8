// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "server/demo_folder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace vexo::server {
namespace {

using test::FolderNames;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Guards the demo set: a file missing or half written, and a folder that
// holds anything being filled.
TEST(DemoFolderTest, FillsOnlyAnEmptyFolder)
{
    TempDir dir;
    auto names = FillDemoFolder(dir.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, FolderNames(dir.path()));
    EXPECT_EQ(names.size(), 6u);
    EXPECT_EQ(ReadFile(dir.file("картинка.bmp")), MakeDemoPicture(200, 150));

    TempDir used;
    WriteFile(used.file("mine.txt"), "mine");
    EXPECT_TRUE(FillDemoFolder(used.path()).empty());
    EXPECT_EQ(FolderNames(used.path()), std::vector<std::string>{"mine.txt"});
}

// Guards a demo file whose write or close fails: an error naming it, and
// no half file left under its name or as a temporary.
TEST(DemoFolderTest, FailedWriteLeavesNoFile)
{
    const FileFaults cases[] = {{.failWriteAfter = 1000, .error = ENOSPC}, {.failClose = true}};
    for (const FileFaults& fault : cases) {
        TempDir dir;
        std::string error = "no error";
        {
            ScopedFileFaults faults(fault);
            try {
                FillDemoFolder(dir.path());
            } catch (const std::runtime_error& e) {
                error = e.what();
            }
        }
        const std::string reason = fault.failClose ? "Input/output error" : "No space left on device";
        EXPECT_EQ(error, dir.file("картинка.bmp") + ": " + reason);
        EXPECT_TRUE(FolderNames(dir.path()).empty());
    }
}

} // namespace
} // namespace vexo::server
