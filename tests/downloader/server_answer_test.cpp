// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/line_reader.h"
#include "downloader/server_answer.h"
#include "downloader/server_files.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

AnswerKind Parse(const std::string& bytes, ServerFiles& files)
{
    MemoryStream stream(bytes);
    return ReadServerAnswer(stream, files);
}

// Guards line reading: a carriage return stays part of the line, a line
// ended by the stream keeps what arrived, and the limit is exact.
TEST(LineReaderTest, LinesEndAtTheLineFeedOnly)
{
    MemoryStream stream("one\r\n\ntwo");
    EXPECT_EQ(ReadLine(stream).text, "one\r");
    const AnswerLine empty = ReadLine(stream);
    EXPECT_EQ(empty.text, "");
    EXPECT_EQ(empty.end, LineEnd::Feed);
    const AnswerLine last = ReadLine(stream);
    EXPECT_EQ(last.text, "two");
    EXPECT_EQ(last.end, LineEnd::Closed);
    EXPECT_EQ(ReadLine(stream).end, LineEnd::Closed);

    const std::string exact(kMaxLineLength, 'a');
    const std::string twoLines = exact + "\n" + exact + "b\n";
    MemoryStream atLimit(twoLines);
    EXPECT_EQ(ReadLine(atLimit).end, LineEnd::Feed);
    const AnswerLine over = ReadLine(atLimit);
    EXPECT_EQ(over.end, LineEnd::TooLong);
    EXPECT_EQ(over.text.size(), kMaxLineLength);
}

// Guards the answer's first line: compared byte for byte, case included.
TEST(ServerAnswerTest, FirstLineDecidesTheKind)
{
    ServerFiles files;
    EXPECT_EQ(Parse("error\n", files), AnswerKind::Refused);
    EXPECT_EQ(Parse("connected\n=END=\n", files), AnswerKind::Connected);
    EXPECT_EQ(Parse("connected\r\n=END=\n", files), AnswerKind::Unrecognised);
    EXPECT_EQ(Parse("ERROR\n", files), AnswerKind::Unrecognised);
    EXPECT_EQ(Parse("", files), AnswerKind::Unrecognised);
    EXPECT_EQ(files.serverFileCount(), 0);
}

// Guards the list: four lines per file up to "=END=", names and sizes
// converted from Windows-1251, addresses kept as bytes, nothing read past
// "=END=".
TEST(ServerAnswerTest, ListEntriesKeepTheirFields)
{
    ServerFiles files;
    ASSERT_EQ(Parse("connected\n\xD4\xE8\xEB\xFC\xEC.avi\nhttp://h/\xF4\nref \xF4\n123\n=END=\nx\nu\nr\n1\n", files),
              AnswerKind::Connected);
    ASSERT_EQ(files.serverFileCount(), 1);
    EXPECT_EQ(files.at(1).fileName, "Фильм.avi");
    EXPECT_EQ(files.at(1).url, "http://h/\xF4");
    EXPECT_EQ(files.at(1).removeRef, "ref \xF4");
    EXPECT_EQ(files.at(1).sizeText, "123");
}

// Guards an answer that ends early: whole entries stay, a partial entry
// (even one whose last line lacks only its line feed) is dropped.
TEST(ServerAnswerTest, AnswerEndingEarlyKeepsWholeEntriesOnly)
{
    ServerFiles files;
    EXPECT_EQ(Parse("connected\na\nu\nr\n1\nb\nu\nr\n2", files), AnswerKind::Connected);
    EXPECT_EQ(files.serverFileCount(), 1);
    files.reset();
    EXPECT_EQ(Parse("connected", files), AnswerKind::Connected);
    EXPECT_EQ(files.serverFileCount(), 0);
}

// Guards the file table: a list longer than 255 entries stops at the table's end.
TEST(ServerAnswerTest, ListStopsWhenTheTableIsFull)
{
    std::string answer = "connected\n";
    for (int i = 0; i < 400; ++i)
        answer += "f\nu\nr\n1\n";
    ServerFiles files;
    Parse(answer + "=END=\n", files);
    EXPECT_EQ(files.serverFileCount(), ServerFiles::kCapacity);
}

} // namespace
} // namespace vexo
