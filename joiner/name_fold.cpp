// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/name_fold.h"

namespace vexo {

namespace {

// Stray bytes of a name that is not valid UTF-8 are kept as values above the
// Unicode range, one per byte.
constexpr char32_t kStrayByteBase = 0x110000;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The code point starting at `at`, and how many bytes it takes; a stray byte
// when the sequence is not valid (overlong, surrogate, out of range, cut off).
char32_t DecodeOne(std::string_view text, std::size_t at, std::size_t& length)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    length = 1;
    if (lead < 0x80)
        return lead;
    // Continuation bytes that follow the lead, and the smallest value that
    // needs that many (anything below is an overlong form).
    std::size_t count = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        count = 1;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        count = 2;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        count = 3;
        minimum = 0x10000;
    } else {
        return kStrayByteBase + lead;
    }
    char32_t value = lead & (0x3F >> count);
    if (at + count >= text.size())
        return kStrayByteBase + lead;
    for (std::size_t i = 1; i <= count; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(byte))
            return kStrayByteBase + lead;
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return kStrayByteBase + lead;
    length = count + 1;
    return value;
}

// Pairs laid out as upper case at one parity and its lower case right after.
bool InPairRange(char32_t c, char32_t first, char32_t last, bool upperIsEven)
{
    return c >= first && c <= last && ((c % 2 == 0) == upperIsEven);
}

} // namespace

char32_t FoldCodePoint(char32_t c)
{
    if (c < 0x80)
        return (c >= U'A' && c <= U'Z') ? c + 32 : c;
    // Latin-1: À..Þ except ×
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return c + 32;
    // Latin Extended-A
    if (c == 0x130)
        return U'i';
    if (c == 0x178)
        return 0xFF;
    if (InPairRange(c, 0x100, 0x12F, true) || InPairRange(c, 0x132, 0x137, true) || InPairRange(c, 0x139, 0x148, false)
        || InPairRange(c, 0x14A, 0x177, true) || InPairRange(c, 0x179, 0x17E, false))
        return c + 1;
    // Greek
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return c + 37;
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return c + 63;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return c + 32;
    // Cyrillic: Ѐ..Џ, А..Я, then the paired letters of the extended block
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if (c == 0x4C0)
        return 0x4CF;
    if (InPairRange(c, 0x460, 0x481, true) || InPairRange(c, 0x48A, 0x4BF, true) || InPairRange(c, 0x4C1, 0x4CE, false)
        || InPairRange(c, 0x4D0, 0x52F, true))
        return c + 1;
    return c;
}

std::u32string FoldName(std::string_view utf8)
{
    std::u32string folded;
    folded.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        std::size_t length = 1;
        folded.push_back(FoldCodePoint(DecodeOne(utf8, at, length)));
        at += length;
    }
    return folded;
}

} // namespace vexo
