// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/int_text.h"

namespace vexo {

namespace {

int DigitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> ParseInt32(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;

    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }

    bool hex = false;
    if (pos < text.size() && text[pos] == '$') {
        hex = true;
        pos += 1;
    } else if (text.substr(pos, 2) == "0x" || text.substr(pos, 2) == "0X") {
        hex = true;
        pos += 2;
    }

    if (pos == text.size())
        return std::nullopt;

    // Hex may fill all 32 bits (the sign bit included); decimal stops at the
    // magnitude of INT32_MIN, and only a minus sign may reach it.
    const std::uint64_t base = hex ? 16 : 10;
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos], hex);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + static_cast<std::uint64_t>(digit);
        if (magnitude > limit)
            return std::nullopt;
    }

    // Two's complement wrap: "$FFFFFFFF" is -1 and "-$1" is -1 as well.
    std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
    if (negative)
        bits = ~bits + 1u;
    return static_cast<std::int32_t>(bits);
}

ConversionError::ConversionError(std::string_view text)
    : std::runtime_error("'" + std::string(text) + "' is not a valid integer value")
{}

std::int32_t StrToInt(std::string_view text)
{
    if (const auto value = ParseInt32(text))
        return *value;
    throw ConversionError(text);
}

} // namespace vexo
