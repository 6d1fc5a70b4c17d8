// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>

namespace vexo {

class PosixFile;

// Copies stretches of one file into another, from file offset to file
// offset: inside the kernel (copy_file_range) while the two files allow
// it, so that no byte passes through the program; otherwise, across file
// systems, for special files or where the kernel cannot copy, by reads and
// writes through a buffer of its own, made when first needed. Once the
// kernel has failed, the copier reads and writes from then on.
class FileCopier {
public:
    // `bufferSize` is the largest read of the fallback.
    explicit FileCopier(std::size_t bufferSize);

    // Copies `size` bytes and returns the count copied, less than `size`
    // only where the source ended. A read or write that fails throws
    // FileError naming the file at fault.
    std::size_t copy(PosixFile& source, PosixFile& target, std::size_t size);

    // Whether the copies so far went through the kernel.
    bool copiesInKernel() const { return !kernelFailed_; }

private:
    std::size_t copyThroughBuffer(PosixFile& source, PosixFile& target, std::size_t size);

    std::size_t bufferSize_;
    std::unique_ptr<unsigned char[]> buffer_;
    bool kernelFailed_ = false;
};

} // namespace vexo
