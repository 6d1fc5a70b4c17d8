// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/decoder/test_containers.h"

#include "decoder/container_format.h"
#include "tests/support/byte_pattern.h"

#include <stdexcept>

namespace vexo::test {

std::string ContainerBytes(std::string_view plain, std::uint8_t key, std::string_view leading,
                           std::string_view storedName)
{
    std::string bytes(leading);
    for (char c : plain)
        bytes += static_cast<char>(static_cast<std::uint8_t>(c) ^ key);
    bytes += MakeTrailer(static_cast<std::int32_t>(leading.size()), key, storedName);
    return bytes;
}

std::string RawContainer(std::int64_t fileSize, std::int32_t dataOffset, std::uint8_t key, std::string_view storedName,
                         char fill)
{
    if (fileSize < kTrailerSize)
        throw std::invalid_argument("a container holds at least its trailer");
    std::string trailer(kTrailerSize, fill);
    const auto offset = static_cast<std::uint32_t>(dataOffset);
    for (int i = 0; i < 4; ++i)
        trailer[i] = static_cast<char>(offset >> (8 * i));
    trailer[4] = static_cast<char>(key);
    trailer[5] = static_cast<char>(storedName.size());
    trailer.replace(kTrailerNameOffset, storedName.size(), storedName);
    return PatternBytes(static_cast<std::size_t>(fileSize - kTrailerSize), 7) + trailer;
}

} // namespace vexo::test
