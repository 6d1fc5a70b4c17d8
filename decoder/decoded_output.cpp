// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/decoded_output.h"

#include "base/file_io.h"
#include "decoder/container_format.h"
#include "decoder/decode_file.h"
#include "decoder/encoded_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>

namespace vexo {

NumberedName OutputName(const QueueEntry& entry)
{
    return NumberedName(FolderPart(entry.path), entry.realName);
}

bool HoldsDecodedData(const std::string& path, const QueueEntry& entry, PosixFile& encoded)
{
    PosixFile existing = PosixFile::Open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (!existing.isOpen() || !existing.isRegular() || existing.size() != entry.dataSize)
        return false;
    const auto decoded = std::make_unique<unsigned char[]>(kDecodeBlockSize);
    const auto stored = std::make_unique<unsigned char[]>(kDecodeBlockSize);
    for (std::int64_t done = 0; done < entry.dataSize;) {
        const auto size = static_cast<std::size_t>(
            std::min<std::int64_t>(entry.dataSize - done, static_cast<std::int64_t>(kDecodeBlockSize)));
        encoded.readAt(entry.dataOffset + done, decoded.get(), size);
        XorBlock(decoded.get(), size, entry.key);
        existing.readAt(done, stored.get(), size);
        if (std::memcmp(decoded.get(), stored.get(), size) != 0)
            return false;
        done += static_cast<std::int64_t>(size);
    }
    return true;
}

void CheckStillAsInspected(PosixFile& encoded, const QueueEntry& entry)
{
    const std::int64_t size = encoded.size();
    std::optional<TrailerFields> fields;
    if (size == entry.fileSize && size >= kTrailerSize) {
        std::array<unsigned char, kTrailerSize> trailer{};
        encoded.readAt(size - kTrailerSize, trailer.data(), trailer.size());
        fields = ParseTrailer(std::string_view(reinterpret_cast<const char*>(trailer.data()), trailer.size()), size);
    }
    if (!fields || fields->key != entry.key || fields->dataOffset != entry.dataOffset)
        throw std::runtime_error(entry.path + ": the file has changed since it was queued; it was not decoded");
}

} // namespace vexo
