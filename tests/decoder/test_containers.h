// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vexo::test {

// Leading bytes that lift small data over the decoder's size filter.
inline const std::string kPadding(36000, 'L');

// The content of an encoded file: leading bytes, plain ^ key, trailer.
std::string ContainerBytes(std::string_view plain, std::uint8_t key, std::string_view leading,
                           std::string_view storedName);

// A trailer-only file body of `fileSize` bytes whose trailer holds the
// given raw fields; the name area after the name is filled with `fill`.
std::string RawContainer(std::int64_t fileSize, std::int32_t dataOffset, std::uint8_t key, std::string_view storedName,
                         char fill = '\0');

} // namespace vexo::test
