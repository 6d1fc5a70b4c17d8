// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vexo {

// Reads a whole signed 32-bit integer the way the settings file and the
// server's size texts are read: optional leading blanks, an optional sign,
// then decimal digits, or hexadecimal after "$", "0x" or "0X" (hex values
// take all 32 bits, so "$FFFFFFFF" is -1). Anything else, trailing
// characters or an overflow included, is not a number.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// The conversion failure of a text that must be a number:
// "'<text>' is not a valid integer value".
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(std::string_view text);
};

// ParseInt32, or ConversionError.
std::int32_t StrToInt(std::string_view text);

// Reads a whole plain decimal from `lowest` to `highest`, the way texts of
// the program's own making, command-line options and the numbers peers
// write plainly are read: an optional "-", then digits and nothing else (no
// blanks, no "+", no hex). Out of range or anything else is not a number.
std::optional<std::int64_t> ParseDecimal(std::string_view text, std::int64_t lowest, std::int64_t highest);

// ParseDecimal for the whole unsigned 64-bit range (seeds): digits only.
std::optional<std::uint64_t> ParseUnsignedDecimal(std::string_view text);

} // namespace vexo
