// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexo {

// An encoded file is: leading bytes, the plain file with every byte
// exclusive-or'ed with a one-byte key, and a fixed-size trailer at the very
// end: DataOffset (little-endian signed 32-bit), Key, name length L, then
// a name area of 256 bytes whose first L bytes are the stored name
// (Windows-1251) of the plain file.
inline constexpr int kTrailerSize = 262;
inline constexpr int kTrailerNameOffset = 6;
// The name area holds 256 bytes, but its length must fit the length byte.
inline constexpr std::size_t kMaxStoredNameLength = 255;
// The smallest file the decoder takes for a container; a smaller one is
// passed over without a word.
inline constexpr std::int64_t kMinimumContainerSize = 275 * 128; // 35,200 bytes

// The fewest leading bytes that bring a container of `plainSize` bytes of
// data to kMinimumContainerSize. The decoder skips leading bytes whatever
// they hold, so a container made for it is padded with them.
constexpr std::int64_t LeadingBytesToReachMinimum(std::int64_t plainSize)
{
    return plainSize >= kMinimumContainerSize - kTrailerSize ? 0 : kMinimumContainerSize - kTrailerSize - plainSize;
}

// data[i] ^= key for every byte. The hot loop of encoding and decoding.
void XorBlock(unsigned char* data, std::size_t size, std::uint8_t key);

// The 262 trailer bytes: dataOffset, key, the name's length, the name, zero
// fill. storedName is raw bytes; longer than 255 throws
// std::invalid_argument.
std::string MakeTrailer(std::int32_t dataOffset, std::uint8_t key, std::string_view storedName);

// Writes a new encoded file at containerPath: leadingBytes, the content of
// plainPath encoded with key (read and written in blocks, any size), and the
// trailer naming storedName. An existing containerPath is never replaced.
// Throws std::invalid_argument for leading bytes beyond the signed 32-bit
// DataOffset or a stored name beyond 255 bytes, and std::runtime_error
// "<path>: <reason>" when a file cannot be read or written; in every case
// no container file is left behind.
void WriteContainer(const std::string& plainPath, const std::string& containerPath, std::uint8_t key,
                    std::string_view leadingBytes, std::string_view storedName);

} // namespace vexo
