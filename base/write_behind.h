// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace vexo {

class PosixFile;

// For a file that is flushed once it is complete: starts the disk writes
// of what was written every few megabytes, so that the disk works while
// the writing goes on and the final flush has little left to wait for.
// The flush alone still makes the file durable.
class WriteBehind {
public:
    // Bytes written between two starts.
    static constexpr std::size_t kStep = std::size_t{16} << 20;

    // `bytes` more were written to `file`.
    void wrote(PosixFile& file, std::size_t bytes);

private:
    std::size_t pending_ = 0;
};

} // namespace vexo
