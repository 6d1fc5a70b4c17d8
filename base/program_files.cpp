// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/program_files.h"

#include "base/file_names.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace vexo {

namespace {

struct ProgramFile {
    std::string folder; // with links followed
    std::string name;   // in lower case
};

std::mutex gMutex;
std::vector<ProgramFile> gFiles;

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string RealFolder(const std::string& path)
{
    const std::string folder = FolderOf(path);
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(folder.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : folder;
}

} // namespace

void SetProgramFiles(const std::vector<std::string>& paths)
{
    std::vector<ProgramFile> files;
    files.reserve(paths.size());
    for (const std::string& path : paths)
        files.push_back({RealFolder(path), Lower(FileNamePart(path))});
    const std::lock_guard lock(gMutex);
    gFiles = std::move(files);
}

bool IsProgramFile(const std::string& path)
{
    const std::string name = Lower(FileNamePart(path));
    const std::lock_guard lock(gMutex);
    const auto named = [&](const ProgramFile& file) { return file.name == name; };
    if (std::none_of(gFiles.begin(), gFiles.end(), named))
        return false;
    const std::string folder = RealFolder(path);
    return std::any_of(gFiles.begin(), gFiles.end(),
                       [&](const ProgramFile& file) { return file.name == name && file.folder == folder; });
}

} // namespace vexo
