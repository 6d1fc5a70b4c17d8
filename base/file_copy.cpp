// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_copy.h"

#include "base/file_io.h"

#include <algorithm>

namespace vexo {

FileCopier::FileCopier(std::size_t bufferSize) : bufferSize_(std::max<std::size_t>(bufferSize, 1))
{}

std::size_t FileCopier::copy(PosixFile& source, PosixFile& target, std::size_t size)
{
    std::size_t done = 0;
    while (done < size && !kernelFailed_) {
        const std::optional<std::size_t> moved = target.copyInKernelFrom(source, size - done);
        // A refusal, a failure, or nothing copied before the source's known
        // end (some file systems copy nothing rather than refuse): reads and
        // writes take over, and they tell an early end from a failure and
        // name the file at fault.
        if (!moved || *moved == 0) {
            kernelFailed_ = true;
            break;
        }
        done += *moved;
    }
    if (done < size)
        done += copyThroughBuffer(source, target, size - done);
    return done;
}

std::size_t FileCopier::copyThroughBuffer(PosixFile& source, PosixFile& target, std::size_t size)
{
    if (!buffer_)
        buffer_ = std::make_unique_for_overwrite<unsigned char[]>(bufferSize_);
    std::size_t done = 0;
    while (done < size) {
        const std::size_t wanted = std::min(size - done, bufferSize_);
        const std::size_t got = source.readUpTo(buffer_.get(), wanted);
        target.writeAll(buffer_.get(), got);
        done += got;
        if (got < wanted)
            break;
    }
    return done;
}

} // namespace vexo
