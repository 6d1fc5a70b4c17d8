// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace vexo {

// A byte count as " б", " Кб" or " Мб", truncated, stepping by 1024.
std::string SizeToText(std::int64_t count);

// The server's decimal byte count as the text of the grid's "Размер"
// column, worked in thousands: " б", " Кб", " Мб" or " Гб" with three
// decimals. Throws ConversionError when the text left after dropping the
// last three characters is not a number.
std::string ServerSizeToText(const std::string& text);

} // namespace vexo
