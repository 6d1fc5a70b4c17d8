// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the trailer parsing of encoded files. The input is
// the file size (8 bytes, little-endian) followed by the bytes found at the
// trailer's place. Whatever they hold, the parser must not read past them,
// and an accepted trailer must satisfy the recognition check and yield a
// name that cannot leave its folder.
#include "decoder/container_format.h"
#include "decoder/encoded_file.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

std::size_t Utf8Characters(const std::string& text)
{
    std::size_t count = 0;
    for (const char c : text)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < sizeof(std::int64_t))
        return 0;
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < sizeof bits; ++i)
        bits |= static_cast<std::uint64_t>(data[i]) << (8 * i);
    const auto fileSize = static_cast<std::int64_t>(bits);
    // An exact-size copy, so that AddressSanitizer sees any read past it.
    const std::string trailer(reinterpret_cast<const char*>(data) + sizeof bits, size - sizeof bits);

    const auto fields = vexo::ParseTrailer(trailer, fileSize);
    if (!fields)
        return 0;
    Require(fields->dataOffset >= 0);
    Require(fields->dataOffset <= fileSize - vexo::kTrailerSize);
    Require(fields->storedName.size() >= 3 && fields->storedName.size() <= 128);
    Require(static_cast<unsigned char>(trailer[5]) == fields->storedName.size());
    Require(trailer.compare(vexo::kTrailerNameOffset, fields->storedName.size(), fields->storedName) == 0);
    Require(static_cast<std::uint8_t>(trailer[4]) == fields->key);
    for (const char c : fields->storedName)
        Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);

    for (const bool sanitise : {true, false}) {
        const std::string name = vexo::RealNameFromStored(fields->storedName, sanitise);
        Require(name.find('/') == std::string::npos);
        Require(name.find('\0') == std::string::npos);
        Require(Utf8Characters(name) == fields->storedName.size());
        if (sanitise)
            Require(name.find_first_of("?*:\\|\"") == std::string::npos);
    }
    return 0;
}
