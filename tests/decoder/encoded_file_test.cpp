// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/container_format.h"
#include "decoder/encoded_file.h"
#include "tests/decoder/test_containers.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace vexo {
namespace {

using test::FakeViews;
using test::RawContainer;
using test::TempDir;
using test::WriteFile;

constexpr std::int64_t kSize = 40000;

class InspectFileTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeViews ops;

    std::optional<QueueEntry> inspect(const std::string& content, bool sanitise = true,
                                      const std::string& name = "c.avi")
    {
        WriteFile(dir.file(name), content);
        return InspectFile(dir.file(name), sanitise, ops);
    }
};

// Guards the name-length bounds of the recognition check: 3 and 128 are taken, 2 and 129 are not.
TEST_F(InspectFileTest, NameLengthBounds)
{
    EXPECT_FALSE(inspect(RawContainer(kSize, 0, 1, std::string(2, 'n'))));
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"c.avi -  NOT PACK"});
    EXPECT_EQ(inspect(RawContainer(kSize, 0, 1, std::string(3, 'n')))->realName, "nnn");
    EXPECT_EQ(inspect(RawContainer(kSize, 0, 1, std::string(128, 'n')))->realName, std::string(128, 'n'));
    EXPECT_FALSE(inspect(RawContainer(kSize, 0, 1, std::string(129, 'n'))));
    EXPECT_EQ(ops.messages.size(), 2u);
    EXPECT_EQ(ops.messages.back().kind, MessageKind::Warning);
}

// Guards the data-offset bounds, and a negative data size from an offset
// inside the trailer (or at the file's end) passing the check.
TEST_F(InspectFileTest, DataOffsetBounds)
{
    EXPECT_FALSE(inspect(RawContainer(kSize, -1, 1, "abc")));

    const auto none = inspect(RawContainer(kSize, 0, 1, "abc"));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->dataOffset, 0);
    EXPECT_EQ(none->dataSize, kSize - kTrailerSize);

    const auto empty = inspect(RawContainer(kSize, kSize - kTrailerSize, 1, "abc"));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->dataSize, 0);

    EXPECT_FALSE(inspect(RawContainer(kSize, kSize - kTrailerSize + 1, 1, "abc")));
    EXPECT_FALSE(inspect(RawContainer(kSize, kSize, 1, "abc")));
    EXPECT_FALSE(inspect(RawContainer(kSize, kSize + 1, 1, "abc")));
    EXPECT_EQ(ops.messages.size(), 4u);
}

// Guards the entry's fields, and reading beyond the stored name: the rest
// of the name area does not matter.
TEST_F(InspectFileTest, EntryFieldsIgnoreTheRestOfTheNameArea)
{
    const auto zeros = inspect(RawContainer(kSize, 1234, 0xA5, "movie.avi"));
    const auto noise = inspect(RawContainer(kSize, 1234, 0xA5, "movie.avi", '\x7f'), true, "d.avi");
    ASSERT_TRUE(zeros && noise);
    EXPECT_EQ(zeros->path, dir.file("c.avi"));
    EXPECT_EQ(zeros->realName, "movie.avi");
    EXPECT_EQ(zeros->key, 0xA5);
    EXPECT_EQ(zeros->dataOffset, 1234);
    EXPECT_EQ(zeros->fileSize, kSize);
    EXPECT_EQ(zeros->dataSize, kSize - 1234 - kTrailerSize);
    EXPECT_EQ(noise->realName, zeros->realName);
    EXPECT_EQ(noise->dataSize, zeros->dataSize);
    EXPECT_TRUE(ops.messages.empty());
}

// Guards the name rules: the scan replaces ? * : \ / | " and keeps < >,
// the dialog keeps them, and neither path keeps "/" or NUL.
TEST_F(InspectFileTest, NameRulesOfBothPaths)
{
    EXPECT_EQ(inspect(RawContainer(kSize, 0, 1, "a:b?.jpg"), true)->realName, "a_b_.jpg");
    EXPECT_EQ(inspect(RawContainer(kSize, 0, 1, "a:b?.jpg"), false)->realName, "a:b?.jpg");
    EXPECT_EQ(inspect(RawContainer(kSize, 0, 1, "x<y>.avi"), true)->realName, "x<y>.avi");
    EXPECT_EQ(inspect(RawContainer(kSize, 0, 1, "x<y>.avi"), false)->realName, "x<y>.avi");
    EXPECT_EQ(inspect(RawContainer(kSize, 0, 1, "*\\|\"x"), true)->realName, "____x");
    // Control bytes are never in a name the service stores: no container.
    EXPECT_FALSE(inspect(RawContainer(kSize, 0, 1, "\x01\x1f.x"), true));
}

// Guards a stored name escaping the folder: "/" becomes "_" on both paths,
// and one with a NUL is no container at all.
TEST_F(InspectFileTest, SlashAndNulNeverSurvive)
{
    for (const bool sanitise : {true, false}) {
        const auto entry = inspect(RawContainer(kSize, 0, 1, "../../etc/x/y"), sanitise);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->realName, std::string(".._.._etc_x_y")) << sanitise;
        EXPECT_FALSE(inspect(RawContainer(kSize, 0, 1, std::string("../../etc/x\0y", 13)), sanitise));
    }
}

// Guards the stored name's code page: Windows-1251 bytes become UTF-8, one character per byte.
TEST_F(InspectFileTest, StoredNameIsDecodedFromWindows1251)
{
    const auto entry = inspect(RawContainer(kSize, 0, 1, "\xF4\xEE\xF2\xEE.jpg"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->realName, "фото.jpg");
}

// Guards the two boxes: a file that cannot be opened names itself after "I/O Error - ".
TEST_F(InspectFileTest, UnopenableFileShowsIoErrorWithItsName)
{
    EXPECT_FALSE(InspectFile(dir.file("gone.avi"), true, ops));
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"I/O Error - gone.avi"});
}

// Guards the order of a picked file's working-folder move: after the open, before the check.
TEST_F(InspectFileTest, AfterOpenRunsBeforeTheCheckOnly)
{
    WriteFile(dir.file("plain.jpg"), std::string(kSize, 'x'));
    int moves = 0;
    EXPECT_FALSE(InspectFile(dir.file("plain.jpg"), false, ops, [&] {
        EXPECT_TRUE(ops.messages.empty());
        ++moves;
    }));
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"plain.jpg -  NOT PACK"});
    EXPECT_FALSE(InspectFile(dir.file("missing.jpg"), false, ops, [&] { ++moves; }));
    EXPECT_EQ(moves, 1);
}

// Guards the trailer parser against a cut trailer and a file shorter than one.
TEST(ParseTrailerTest, ShortInputIsNoTrailer)
{
    const std::string trailer = MakeTrailer(0, 9, "name.avi");
    EXPECT_TRUE(ParseTrailer(trailer, 1000));
    EXPECT_FALSE(ParseTrailer(trailer.substr(0, 6 + 7), 1000));
    EXPECT_FALSE(ParseTrailer(trailer.substr(0, 5), 1000));
    EXPECT_FALSE(ParseTrailer(trailer, kTrailerSize - 1));
    EXPECT_TRUE(ParseTrailer(trailer, kTrailerSize));
    // A size near the bottom of the range must not wrap round when the
    // trailer is taken off it (found by the fuzzer).
    EXPECT_FALSE(ParseTrailer(trailer, std::numeric_limits<std::int64_t>::min() + 73));
    EXPECT_FALSE(ParseTrailer(trailer, -1));
}

} // namespace
} // namespace vexo
