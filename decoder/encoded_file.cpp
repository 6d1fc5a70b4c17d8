// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/encoded_file.h"

#include "base/cp1251.h"
#include "base/dialogs.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "decoder/container_format.h"

#include <algorithm>
#include <array>

namespace vexo {

namespace {

constexpr std::size_t kHeadSize = kTrailerNameOffset; // DataOffset, Key, L
constexpr unsigned kMinNameLength = 3;
constexpr unsigned kMaxNameLength = 128;

bool IsUnsafeAnywhere(char c)
{
    // Linux's only separator and the end of a C string.
    return c == '/' || c == '\0';
}

bool IsControlByte(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

bool IsUnsafeInScannedName(char c)
{
    switch (c) {
    case '?':
    case '*':
    case ':':
    case '\\':
    case '/':
    case '|':
    case '"': return true;
    default: return false;
    }
}

} // namespace

std::optional<TrailerFields> ParseTrailer(std::string_view trailer, std::int64_t fileSize)
{
    if (trailer.size() < kHeadSize)
        return std::nullopt;
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(trailer[i]); };
    const auto dataOffset = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(byte(0)) | static_cast<std::uint32_t>(byte(1)) << 8
        | static_cast<std::uint32_t>(byte(2)) << 16 | static_cast<std::uint32_t>(byte(3)) << 24);
    const unsigned nameLength = byte(5);
    // The data must end where the trailer begins: an offset inside the
    // trailer would leave a negative amount of data.
    if (fileSize < kTrailerSize || dataOffset < 0 || dataOffset > fileSize - kTrailerSize)
        return std::nullopt;
    if (nameLength < kMinNameLength || nameLength > kMaxNameLength)
        return std::nullopt;
    if (trailer.size() < kHeadSize + nameLength)
        return std::nullopt;
    const std::string_view storedName = trailer.substr(kHeadSize, nameLength);
    // The service never stores a name with a control character; a plain
    // file whose last bytes happen to pass the checks above mostly has one.
    if (std::any_of(storedName.begin(), storedName.end(), IsControlByte))
        return std::nullopt;
    return TrailerFields{dataOffset, byte(4), std::string(storedName)};
}

std::string RealNameFromStored(std::string_view storedName, bool sanitiseName)
{
    std::string bytes(storedName);
    for (char& c : bytes) {
        if (IsUnsafeAnywhere(c) || (sanitiseName && IsUnsafeInScannedName(c)))
            c = '_';
    }
    return NameFromOutside(Cp1251ToUtf8(bytes));
}

std::optional<QueueEntry> InspectFile(const std::string& path, bool sanitiseName, Dialogs& dialogs,
                                      const std::function<void()>& afterOpen)
{
    PosixFile file = PosixFile::OpenReadWrite(path);
    if (!file.isOpen()) {
        dialogs.showMessage(MessageKind::Warning, "I/O Error - " + FileNamePart(path));
        return std::nullopt;
    }
    if (afterOpen)
        afterOpen();

    const std::int64_t fileSize = file.size();
    std::optional<TrailerFields> fields;
    if (fileSize >= kTrailerSize) {
        std::array<unsigned char, kTrailerSize> trailer{};
        file.readAt(fileSize - kTrailerSize, trailer.data(), trailer.size());
        fields =
            ParseTrailer(std::string_view(reinterpret_cast<const char*>(trailer.data()), trailer.size()), fileSize);
    }
    file.close();
    if (!fields) {
        dialogs.showMessage(MessageKind::Warning, FileNamePart(path) + " -  NOT PACK");
        return std::nullopt;
    }

    QueueEntry entry;
    entry.path = path;
    entry.realName = RealNameFromStored(fields->storedName, sanitiseName);
    entry.key = fields->key;
    entry.dataOffset = fields->dataOffset;
    entry.fileSize = fileSize;
    entry.dataSize = fileSize - fields->dataOffset - kTrailerSize;
    return entry;
}

} // namespace vexo
