// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/search.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace vexo {
namespace {

using test::TempDir;
using test::WriteFile;

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

class FindFilesTest : public ::testing::Test {
protected:
    TempDir dir;
    std::vector<std::string> list;

    void touch(const std::string& name) { WriteFile(dir.file(name), "x"); }
    bool find(const std::string& mask, std::uint32_t attributes = 0, bool withFolder = false)
    {
        return FindFiles(dir.path(), mask, attributes, list, withFolder);
    }
};

// Guards the case rule and the folder rule: upper-case names match a
// lower-case mask, a matching subfolder is listed but not entered.
TEST_F(FindFilesTest, MatchesWithoutRegardToCaseAndListsSubfoldersWithoutEnteringThem)
{
    touch("a.aa");
    touch("B.AA");
    touch("other.ab");
    touch("a.aab");
    std::filesystem::create_directory(dir.file("c.aa"));
    WriteFile(dir.file("c.aa/inner.aa"), "x");

    EXPECT_TRUE(find("*.aa"));
    EXPECT_EQ(Sorted(list), (std::vector<std::string>{"B.AA", "a.aa", "c.aa"}));

    list.clear();
    EXPECT_TRUE(find("*.AA", 0, true));
    EXPECT_EQ(Sorted(list), (std::vector<std::string>{dir.file("B.AA"), dir.file("a.aa"), dir.file("c.aa")}));
}

// Guards the fold of UTF-8 names: Cyrillic letters fold like ASCII ones,
// and "?" stands for one character, not one byte.
TEST_F(FindFilesTest, FoldsCyrillicNamesAndCountsCharactersNotBytes)
{
    touch("ФИЛЬМ Ёлка.AVI");
    touch("фильм ёлка.jpg");
    touch("Кот.avi");

    EXPECT_TRUE(find("фильм ёлка.*"));
    EXPECT_EQ(Sorted(list), (std::vector<std::string>{"ФИЛЬМ Ёлка.AVI", "фильм ёлка.jpg"}));
    list.clear();
    EXPECT_TRUE(find("???.avi"));
    EXPECT_EQ(list, (std::vector<std::string>{"Кот.avi"}));
    list.clear();
    EXPECT_FALSE(find("??????.avi"));
}

// Guards names that are not valid UTF-8: they still match by their bytes
// instead of being dropped or crashing the fold.
TEST_F(FindFilesTest, NamesThatAreNotUtf8StillMatch)
{
    const std::string odd = std::string("\xCF\xF0\xE8\xE2\xE5\xF2") + ".AA";
    touch(odd);
    EXPECT_TRUE(find("*.aa"));
    EXPECT_EQ(list, (std::vector<std::string>{odd}));
}

// Guards the dot entries and hidden files: "." and ".." never appear,
// names beginning with a dot are listed like any other.
TEST_F(FindFilesTest, SkipsDotEntriesButListsHiddenFiles)
{
    touch(".hidden");
    EXPECT_TRUE(find("*"));
    EXPECT_EQ(list, (std::vector<std::string>{".hidden"}));
}

// Guards the list and the result: earlier lines stay in front, two masks
// give all of the first one's matches, then the second's; a folder that
// does not exist appends nothing and answers false.
TEST_F(FindFilesTest, AppendsBehindExistingLinesAndReportsMissingFolders)
{
    touch("one.avi");
    touch("two.jpg");
    list = {"kept"};
    EXPECT_TRUE(find("*.avi"));
    EXPECT_TRUE(find("*.jpg"));
    EXPECT_FALSE(find("*.png"));
    EXPECT_EQ(list, (std::vector<std::string>{"kept", "one.avi", "two.jpg"}));

    EXPECT_FALSE(FindFiles(dir.file("missing"), "*", 0, list, false));
    EXPECT_EQ(list.size(), 3u);
}

// Guards the attribute test: every required bit must be present, so an
// entry that has only some of them is left out.
TEST_F(FindFilesTest, RequiredAttributesMustAllBePresent)
{
    touch(".hidden.aa");
    touch(".locked.aa");
    std::filesystem::permissions(dir.file(".locked.aa"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    touch("plain.aa");
    std::filesystem::create_directory(dir.file(".folder.aa"));

    EXPECT_TRUE(find("*.aa", kAttrHidden));
    EXPECT_EQ(Sorted(list), (std::vector<std::string>{".folder.aa", ".hidden.aa", ".locked.aa"}));
    list.clear();
    EXPECT_TRUE(find("*.aa", kAttrHidden | kAttrReadOnly));
    EXPECT_EQ(list, (std::vector<std::string>{".locked.aa"}));
    list.clear();
    EXPECT_TRUE(find("*.aa", kAttrDirectory));
    EXPECT_EQ(list, (std::vector<std::string>{".folder.aa"}));
}

} // namespace
} // namespace vexo
