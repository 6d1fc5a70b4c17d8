// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/container_format.h"

#include "base/atomic_file.h"
#include "base/file_io.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>

namespace vexo {

namespace {

// A plain byte loop is not vectorised at -O2; GCC's vector types are, on
// any target. On x86-64 the exclusive-or is built for AVX2 as well.
#if defined(__x86_64__)
#define VEXO_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VEXO_VECTOR_CLONES
#endif

constexpr std::size_t kCopyBlock = 1 << 20;

} // namespace

// On x86-64 the build for AVX2 or the one for any processor is chosen when
// the program loads: decoding runs as fast as memory on either.
VEXO_VECTOR_CLONES void XorBlock(unsigned char* data, std::size_t size, std::uint8_t key)
{
    // GCC documents vector_size on a typedef.
    // NOLINTNEXTLINE(modernize-use-using)
    typedef unsigned char Bytes32 __attribute__((vector_size(32)));
    Bytes32 keys;
    for (auto i = 0; i < 32; ++i)
        keys[i] = key;
    // memcpy moves a vector to and from any address with unaligned loads
    // and stores, which cost nothing extra on aligned data.
    const auto xorAt = [&keys](unsigned char* at) {
        Bytes32 vector;
        std::memcpy(&vector, at, sizeof vector);
        vector ^= keys;
        std::memcpy(at, &vector, sizeof vector);
    };
    std::size_t done = 0;
    for (; done + 128 <= size; done += 128) {
        xorAt(data + done);
        xorAt(data + done + 32);
        xorAt(data + done + 64);
        xorAt(data + done + 96);
    }
    for (; done + 32 <= size; done += 32)
        xorAt(data + done);
    for (; done < size; ++done)
        data[done] ^= key;
}

std::string MakeTrailer(std::int32_t dataOffset, std::uint8_t key, std::string_view storedName)
{
    if (storedName.size() > kMaxStoredNameLength)
        throw std::invalid_argument("stored name of " + std::to_string(storedName.size())
                                    + " bytes does not fit the trailer (at most " + std::to_string(kMaxStoredNameLength)
                                    + ")");
    std::string trailer(kTrailerSize, '\0');
    const auto offset = static_cast<std::uint32_t>(dataOffset);
    for (auto i = 0; i < 4; ++i)
        trailer[i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    trailer[4] = static_cast<char>(key);
    trailer[5] = static_cast<char>(storedName.size());
    trailer.replace(kTrailerNameOffset, storedName.size(), storedName);
    return trailer;
}

void WriteContainer(const std::string& plainPath, const std::string& containerPath, std::uint8_t key,
                    std::string_view leadingBytes, std::string_view storedName)
{
    if (leadingBytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw std::invalid_argument(containerPath + ": " + std::to_string(leadingBytes.size())
                                    + " leading bytes do not fit the 32-bit data offset");
    const std::string trailer = MakeTrailer(static_cast<std::int32_t>(leadingBytes.size()), key, storedName);

    PosixFile plain = PosixFile::Open(plainPath, O_RDONLY);
    if (!plain.isOpen())
        throw FileError(errno, plainPath);
    // Checked at the start as well, so that a taken name costs no copy; the
    // final link is what refuses a name that turned up meanwhile.
    struct stat existing {};
    if (::lstat(containerPath.c_str(), &existing) == 0)
        throw FileError(EEXIST, containerPath);

    // Written under a temporary name, so a failed or cut-off write never
    // leaves a half container that would pass for a whole one.
    AtomicFile container(containerPath, SaveOptions{.newFileMode = 0644});
    container.write(leadingBytes.data(), leadingBytes.size());
    const auto buffer = std::make_unique<unsigned char[]>(kCopyBlock);
    while (const std::size_t got = plain.readUpTo(buffer.get(), kCopyBlock)) {
        XorBlock(buffer.get(), got, key);
        container.write(buffer.get(), got);
    }
    container.write(trailer.data(), trailer.size());
    if (container.commitIfFree() == AtomicFile::Placement::NameTaken)
        throw FileError(EEXIST, containerPath);
}

} // namespace vexo
