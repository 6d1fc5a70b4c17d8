// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/file_io.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vexo::server {

// How one file is wrapped when it is handed out encoded. Derived from the
// server's seed and the file's name (and size), so the same file gets the
// same key and leading bytes in every listing and download: the listed size
// stays what the download delivers. Up to kMaxLeadingBytes leading bytes,
// and more where the container would otherwise be smaller than the
// smallest one the client's folder scan takes.
struct WrapPlan {
    std::uint8_t key = 0;
    std::string leadingBytes;
    std::string storedName; // Windows-1251
};

inline constexpr std::size_t kMaxLeadingBytes = 4096;
// Stored names outside this range are not recognised by decoders.
inline constexpr std::size_t kMinWrappedNameLength = 3;
inline constexpr std::size_t kMaxWrappedNameLength = 128;

WrapPlan MakeWrapPlan(std::uint64_t seed, std::string_view fileName, std::string storedName, std::int64_t plainSize);

// A 64-bit FNV-1a hash of the bytes, for ids and seeds.
std::uint64_t HashBytes(std::string_view bytes);

// The bytes a download delivers: leading bytes, the file (encoded with the
// key when wrapped) and the trailer; a plain file has neither leading bytes
// nor trailer. Reads the file at any offset, so the whole never needs to
// be in memory.
class HandoutStream {
public:
    // Takes ownership of fd, an open descriptor of the plain file.
    HandoutStream(int fd, std::int64_t plainSize);
    HandoutStream(int fd, std::int64_t plainSize, WrapPlan plan);
    HandoutStream(const HandoutStream&) = delete;
    HandoutStream& operator=(const HandoutStream&) = delete;

    std::int64_t size() const;
    // The file's modification time, in seconds.
    std::int64_t modified() const;
    // A strong ETag of these bytes: it changes with the file (replaced,
    // rewritten, touched) and with the wrapping.
    std::string entityTag() const;

    // Fills buffer with up to length bytes from offset and returns the
    // count, 0 at the end. Throws std::runtime_error when the file cannot
    // be read or has become shorter than it was.
    std::size_t read(std::int64_t offset, unsigned char* buffer, std::size_t length);

private:
    PosixFile file_;
    std::int64_t plainSize_;
    bool wrapped_ = false;
    std::uint8_t key_ = 0;
    std::string leading_;
    std::string trailer_;
};

} // namespace vexo::server
