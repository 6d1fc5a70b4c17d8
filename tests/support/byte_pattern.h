// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace vexo::test {

// Bytes that differ from position to position and from seed to seed, so
// that data shifted, copied twice, left out or out of order shows.
std::string PatternBytes(std::size_t size, unsigned seed = 1);

} // namespace vexo::test
