// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_names.h"
#include "base/terminal_text.h"
#include "base/url_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vexo {
namespace {

std::string Repeat(const std::string& text, int times)
{
    std::string result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

// Guards names Linux refuses (over 255 bytes): they are cut on a character
// boundary, never inside a letter's bytes, keeping a short extension and
// leaving room for a "(n)" before them; names that fit stay as they are.
TEST(FitFileNameTest, ShortensOnCharacterBoundariesKeepingTheExtension)
{
    EXPECT_EQ(FitFileName("photo.jpg"), "photo.jpg");
    const std::string fits = Repeat("a", 255);
    EXPECT_EQ(FitFileName(fits), fits);

    EXPECT_EQ(FitFileName(Repeat("Ж", 128)), Repeat("Ж", 127));
    EXPECT_EQ(FitFileName(Repeat("Ж", 130) + ".avi"), Repeat("Ж", 125) + ".avi");
    EXPECT_EQ(FitFileName(Repeat("Ж", 124) + ".avi", 4), Repeat("Ж", 123) + ".avi");
    EXPECT_EQ(FitFileName(Repeat("a", 300), 3), Repeat("a", 252));

    // A long "extension" is just part of the name.
    const std::string dotted = "x." + Repeat("b", 300);
    EXPECT_EQ(FitFileName(dotted), dotted.substr(0, 255));
    for (const std::string& name : {Repeat("Ж", 200) + ".tar.gz", Repeat("€", 100)}) {
        const std::string fitted = FitFileName(name, 3);
        EXPECT_LE(fitted.size(), 252u) << name;
        EXPECT_NE(static_cast<unsigned char>(fitted.back()) & 0xC0, 0xC0u) << name;
    }
}

// Guards a removal reference's Windows-1251 bytes turning into something
// else on the wire: each byte a URL cannot carry becomes %XX of itself, and
// Guards control bytes from outside: a listed or stored name with ESC, BEL
// or CR lands on disk with "_" for them, and a box text sent to standard
// error reaches the terminal with every control escaped.
TEST(NamesFromOutsideTest, ControlBytesNeverReachFileNamesOrTheTerminal)
{
    struct Case {
        std::string raw, fileName, terminal;
    };
    const Case cases[] = {
        {"a\x1b[2Jb.jpg", "a_[2Jb.jpg", "a\\x1b[2Jb.jpg"},
        {"bell\x07\r.avi", "bell__.avi", "bell\\x07\\x0d.avi"},
        {"del\x7f\ttab", "del__tab", "del\\x7f\\x09tab"},
        {"\xc2\x9b"
         "31m \xd0\x96.jpg",
         "\xc2\x9b"
         "31m \xd0\x96.jpg",
         "\\xc2\\x9b31m \xd0\x96.jpg"},
        {"two\nlines \xff", "two_lines \xff", "two\nlines \\xff"},
        {"photo.jpg", "photo.jpg", "photo.jpg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NameFromOutside(c.raw), c.fileName) << c.terminal;
        EXPECT_EQ(TerminalText(c.raw), c.terminal);
    }
}

// what is already escaped stays as it is.
TEST(EncodeUrlBytesTest, EscapesEachByteAURLCannotCarry)
{
    EXPECT_EQ(EncodeUrlBytes("http://h:8080/uploader/del.php?f=1&x=y"), "http://h:8080/uploader/del.php?f=1&x=y");
    EXPECT_EQ(EncodeUrlBytes("del.php?f=a b%41&n=\xE9"), "del.php?f=a%20b%41&n=%E9");
    EXPECT_EQ(EncodeUrlBytes("\x01<\"|\x7F>"), "%01%3C%22%7C%7F%3E");
}

} // namespace
} // namespace vexo
