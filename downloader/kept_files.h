// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/server_files.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace vexo {

// The listed files that arrived whole while the server keeps what is
// fetched ("Не удалять"), so that a list that still holds one does not
// fetch it again, in this run or a later one. A file is known by its name,
// address and listed size together. The record lives in a small state file
// of the user's, read at its first use and written whole (AtomicFile) at
// every change; a damaged or unreadable file counts as far as its whole
// entries go. It keeps at most kMostBytes, the newest entries first.
class KeptFiles {
public:
    static constexpr std::size_t kMostBytes = 256 * 1024;

    // An empty `path` keeps the record for this run only.
    explicit KeptFiles(std::string path = {}) : path_(std::move(path)) {}

    bool holds(const ServerFile& file);
    // The file arrived whole. Throws FileError when the state file cannot
    // be written; the run still knows the file.
    void add(const ServerFile& file);
    // Forgets the files that `listed`, a whole list, no longer holds: the
    // server forgot them, and a new upload under such a name is fetched.
    // Throws FileError as add() does.
    void keepOnly(const ServerFiles& listed);

private:
    void load();
    void save();

    std::string path_;
    bool loaded_ = false;
    std::vector<ServerFile> entries_; // oldest first; removal references unused
};

// Where the record lives: $XDG_STATE_HOME/vexorama/kept-files when that is
// an absolute path, ~/.local/state/vexorama/kept-files otherwise.
std::string KeptFilesPath();

} // namespace vexo
