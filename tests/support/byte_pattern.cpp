// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/byte_pattern.h"

#include <cstdint>

namespace vexo::test {

std::string PatternBytes(std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

} // namespace vexo::test
