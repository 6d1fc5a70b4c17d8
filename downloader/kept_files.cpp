// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/kept_files.h"

#include "base/atomic_file.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/file_system.h"

#include <algorithm>
#include <cstdlib>

namespace vexo {

namespace {

// The first line of the state file; entries follow as three lines each:
// name, address, listed size. None of them can hold a line feed, since
// the server sends each as a line.
constexpr const char* kHeader = "vexorama kept files 1\n";

bool SameFile(const ServerFile& a, const ServerFile& b)
{
    return a.fileName == b.fileName && a.url == b.url && a.sizeText == b.sizeText;
}

std::string EntryText(const ServerFile& file)
{
    return file.fileName + "\n" + file.url + "\n" + file.sizeText + "\n";
}

} // namespace

bool KeptFiles::holds(const ServerFile& file)
{
    load();
    return std::any_of(entries_.begin(), entries_.end(),
                       [&file](const ServerFile& kept) { return SameFile(kept, file); });
}

void KeptFiles::add(const ServerFile& file)
{
    if (holds(file))
        return;
    entries_.push_back({file.fileName, file.url, "", file.sizeText});
    save();
}

void KeptFiles::keepOnly(const ServerFiles& listed)
{
    load();
    const auto unlisted = [&listed](const ServerFile& kept) {
        for (int i = 1; i <= listed.serverFileCount(); ++i) {
            if (SameFile(kept, listed.at(i)))
                return false;
        }
        return true;
    };
    const auto forgotten = std::remove_if(entries_.begin(), entries_.end(), unlisted);
    if (forgotten == entries_.end())
        return;
    entries_.erase(forgotten, entries_.end());
    save();
}

void KeptFiles::load()
{
    if (loaded_)
        return;
    loaded_ = true;
    if (path_.empty())
        return;
    std::string text;
    try {
        PosixFile file = PosixFile::OpenReadOnly(path_);
        if (!file.isOpen() || !file.isRegular())
            return;
        text = ReadToEnd(file, kMostBytes + 1);
    } catch (const FileError&) {
        // Unreadable: the files kept on the server are fetched once more.
        return;
    }
    if (text.rfind(kHeader, 0) != 0 || text.size() > kMostBytes)
        return;
    std::vector<std::string> lines;
    for (std::size_t start = std::string(kHeader).size(), end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        lines.push_back(text.substr(start, end - start));
    for (std::size_t i = 0; i + 3 <= lines.size(); i += 3)
        entries_.push_back({lines[i], lines[i + 1], "", lines[i + 2]});
}

void KeptFiles::save()
{
    if (path_.empty())
        return;
    std::size_t bytes = std::string(kHeader).size();
    auto first = entries_.end();
    while (first != entries_.begin() && bytes + EntryText(*(first - 1)).size() <= kMostBytes)
        bytes += EntryText(*--first).size();
    entries_.erase(entries_.begin(), first);

    MakeFolder(FolderPart(path_));
    AtomicFile file(path_, SaveOptions{.newFileMode = 0600});
    file.write(kHeader);
    for (const ServerFile& entry : entries_)
        file.write(EntryText(entry));
    file.commit();
}

std::string KeptFilesPath()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    const std::string folder = state && state[0] == '/' ? state : HomeFolder() + "/.local/state";
    return folder + "/vexorama/kept-files";
}

} // namespace vexo
