// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vexo {

// A file name's characters with upper case folded to lower case, so that two
// names can be compared the way a case-insensitive file system compares
// them. The fold is a fixed table (Latin, Greek and Cyrillic letters), not
// the C library's, whose answer would depend on the process's locale.
// Bytes that are not valid UTF-8 stay distinct values of their own and
// never fold, so such names still match only themselves.
std::u32string FoldName(std::string_view utf8);

// One code point folded the same way.
char32_t FoldCodePoint(char32_t c);

} // namespace vexo
