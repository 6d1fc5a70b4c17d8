// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vexo {

// Windows-1251 is the code page of everything that crosses the program's
// edge as bytes: names stored in encoded files, the server's answer lines,
// the login sent to the server. Inside, text is UTF-8.
//
// Neither direction fails on odd input, because the bytes come from files
// and peers we do not control:
// - Cp1251ToUtf8: the one byte the code page leaves undefined (0x98)
//   becomes U+FFFD, the replacement character.
// - Utf8ToCp1251: a character the code page cannot hold, and every byte of
//   malformed UTF-8, becomes one "?".
// Both open their own converter per call, so they are safe to call from
// any thread.
std::string Cp1251ToUtf8(std::string_view bytes);
std::string Utf8ToCp1251(std::string_view text);

// The length (1 to 4) of the well-formed UTF-8 character at the start of
// `text`, or 0 when it is malformed (an overlong form, a surrogate, past
// U+10FFFF, cut short) or `text` is empty.
std::size_t WellFormedUtf8Length(std::string_view text);

// Whether `bytes` are well-formed UTF-8 (no overlong forms, no surrogates,
// nothing past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Text from a file that may come from the original Windows program: kept
// when it is valid UTF-8, otherwise read as Windows-1251.
std::string Utf8OrCp1251ToUtf8(std::string_view bytes);

} // namespace vexo
