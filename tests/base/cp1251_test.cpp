// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/cp1251.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

// Guards the letters of the code page, Ё and ё and the symbols of its upper half, converting wrongly either way.
TEST(Cp1251Test, RussianAlphabetAndSymbolsRoundTrip)
{
    std::string all;
    for (int byte = 0xC0; byte <= 0xFF; ++byte)
        all += static_cast<char>(byte);
    EXPECT_EQ(Cp1251ToUtf8(all), "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя");
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
    EXPECT_EQ(Utf8ToCp1251("Ёё№€ plain"), "\xA8\xB8\xB9\x88 plain");
    EXPECT_EQ(Cp1251ToUtf8(""), "");
    EXPECT_EQ(Utf8ToCp1251(""), "");
}

// Guards odd input (the undefined byte 0x98, characters outside the code page, broken UTF-8) failing or eating
// the text around it.
TEST(Cp1251Test, UnconvertibleInputIsReplacedNotDropped)
{
    EXPECT_EQ(Cp1251ToUtf8("a\x98z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(Utf8ToCp1251("a中b😀c"), "a?b?c");
    EXPECT_EQ(Utf8ToCp1251("a\xFF\xFEz"), "a??z");
    EXPECT_EQ(Utf8ToCp1251("я\xD0"), "\xFF?");
    EXPECT_EQ(Utf8ToCp1251("\xE4\xB8x"), "?x");
}

// Guards the output buffer growing wrongly when one byte becomes three (the euro sign).
TEST(Cp1251Test, LongInputThatGrowsThreefold)
{
    const std::string euros(5000, '\x88');
    std::string expected;
    for (int i = 0; i < 5000; ++i)
        expected += "€";
    EXPECT_EQ(Cp1251ToUtf8(euros), expected);
    EXPECT_EQ(Utf8ToCp1251(expected), euros);
}

} // namespace
} // namespace vexo
