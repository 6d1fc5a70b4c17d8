// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_system.h"
#include "base/working_folder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vexo {
namespace {

using test::TempDir;
using test::WriteFile;

// What stands at the working folder's path when a rule runs.
enum class Place { Nothing, Folder, File };
enum class Rule { Choose, FallBack };

// Guards the two rules that move the working folder being mixed up: the
// folder box keeping a missing folder as typed, and fetching never writing
// into a folder that is gone (or a file in its place) but into the default
// one, made for it.
TEST(WorkingFolderTest, ChooseKeepsTheFolderAsGivenAndFallBackNeedsAnExistingOne)
{
    struct Row {
        const char* name;
        Rule rule;
        Place place;
        bool expectDefault; // the default folder, made, is the folder after the rule
        bool expectChange;  // choose: changed; fallBack: fell back
    };
    const Row rows[] = {
        {"choose a missing folder", Rule::Choose, Place::Nothing, false, true},
        {"choose an existing folder", Rule::Choose, Place::Folder, false, true},
        {"fall back from a gone folder", Rule::FallBack, Place::Nothing, true, true},
        {"keep an existing folder", Rule::FallBack, Place::Folder, false, false},
        {"fall back from a file in the folder's place", Rule::FallBack, Place::File, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TempDir dir;
        const std::string given = dir.file("work");
        const std::string defaultFolder = dir.file("program/default");
        if (row.place == Place::Folder)
            std::filesystem::create_directory(given);
        if (row.place == Place::File)
            WriteFile(given, "not a folder");

        WorkingFolder folder;
        if (row.rule == Rule::Choose) {
            EXPECT_EQ(folder.choose(given), row.expectChange);
            EXPECT_FALSE(folder.choose(given)); // the same folder again changes nothing
        } else {
            folder.choose(given);
            const WorkingFolder::InUse inUse = folder.fallBack(defaultFolder);
            EXPECT_EQ(inUse.fellBack, row.expectChange);
            EXPECT_EQ(inUse.path, folder.path());
        }
        EXPECT_EQ(folder.path(), row.expectDefault ? defaultFolder : given);
        EXPECT_EQ(FolderExists(defaultFolder), row.expectDefault);
        EXPECT_EQ(FolderExists(given), row.place == Place::Folder);
    }
}

} // namespace
} // namespace vexo
