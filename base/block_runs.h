// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>

namespace vexo {

// Decoding and joining move whole blocks in runs, one system call (or one
// buffer) for many, and still report every block. A run never passes a
// pump: the window is pumped, and a stop request noticed, after the same
// bytes as when the blocks went one at a time.

// The longest run that goes through a buffer of the program's.
inline constexpr std::int64_t kRunBlocks = 32;

// The length of the run that starts at block `first` (counting from 1) of
// `last`, when the window is pumped after every `pumpEvery`-th block and a
// run holds at most `longest` blocks.
inline std::int64_t BlocksInRun(std::int64_t first, std::int64_t last, std::int64_t pumpEvery,
                                std::int64_t longest = kRunBlocks)
{
    const std::int64_t toPump = pumpEvery - (first - 1) % pumpEvery;
    return std::min({longest, last - first + 1, toPump});
}

} // namespace vexo
