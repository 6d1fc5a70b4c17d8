// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_names.h"

#include "base/made_files.h"
#include "base/temporary_files.h"

#include <cstring>

namespace vexo {

namespace {

// An extension worth keeping: short, after a stem that is not empty.
constexpr std::size_t kLongestKeptExtension = 16;

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The first `bytes` bytes of `text`, less a character cut in half.
std::string CutOnCharacter(const std::string& text, std::size_t bytes)
{
    if (text.size() <= bytes)
        return text;
    while (bytes > 0 && IsContinuationByte(text[bytes]))
        --bytes;
    return text.substr(0, bytes);
}

} // namespace

std::string FileNamePart(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string FitFileName(const std::string& name, std::size_t reservedBytes)
{
    const std::size_t room = reservedBytes < kMaxFileNameBytes ? kMaxFileNameBytes - reservedBytes : 1;
    if (name.size() <= room)
        return name;
    const std::size_t dot = name.rfind('.');
    const bool keepExtension =
        dot != std::string::npos && dot > 0 && name.size() - dot <= kLongestKeptExtension && name.size() - dot < room;
    if (!keepExtension)
        return CutOnCharacter(name, room);
    const std::string extension = name.substr(dot);
    return CutOnCharacter(name.substr(0, dot), room - extension.size()) + extension;
}

std::string FatSafeName(const std::string& name)
{
    std::string safe = name;
    for (char& c : safe) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\"*:<>?\\|", c) != nullptr)
            c = '_';
    }
    return safe;
}

std::string NameFromOutside(std::string name)
{
    // Control characters would reach the file system, and any terminal
    // that lists the folder, as they are.
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '_';
    }
    if (HasTemporaryShape(name) || IsPartialDownloadName(name) || IsMadeFilesRecordName(name))
        name.front() = '_';
    return name;
}

} // namespace vexo
