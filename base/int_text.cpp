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

// The magnitude of a text of decimal digits alone, if it fits in 64 bits.
std::optional<std::uint64_t> DecimalMagnitude(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    std::uint64_t magnitude = 0;
    for (const char c : digits) {
        const int digit = DigitValue(c, false);
        if (digit < 0 || magnitude > (UINT64_MAX - static_cast<std::uint64_t>(digit)) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(digit);
    }
    return magnitude;
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

std::optional<std::int64_t> ParseDecimal(std::string_view text, std::int64_t lowest, std::int64_t highest)
{
    const bool negative = text.starts_with('-');
    const std::optional<std::uint64_t> magnitude = DecimalMagnitude(negative ? text.substr(1) : text);
    if (!magnitude)
        return std::nullopt;
    std::int64_t value = 0;
    if (!negative && *magnitude <= static_cast<std::uint64_t>(INT64_MAX))
        value = static_cast<std::int64_t>(*magnitude);
    else if (negative && *magnitude <= static_cast<std::uint64_t>(INT64_MAX) + 1)
        value = static_cast<std::int64_t>(~*magnitude + 1); // two's complement: INT64_MIN included
    else
        return std::nullopt;
    if (value < lowest || value > highest)
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> ParseUnsignedDecimal(std::string_view text)
{
    return DecimalMagnitude(text);
}

} // namespace vexo
