// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "joiner/folder_entries.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace vexo {

// The names of one folder, read once and keyed by their case-folded form,
// so that the parts following a first part are found without regard to case
// ("MOVIE.AVI.AA" is followed by "MOVIE.AVI.AB" or "movie.avi.ab") without
// listing the folder again for every candidate.
class PartIndex {
public:
    // Reads `folder`; a folder that cannot be read gives an empty index.
    explicit PartIndex(std::string folder);

    const std::string& folder() const { return folder_; }

    // The name on disk of the regular file (or link to one) whose name
    // equals `name` without regard to case; a folder does not count. Where
    // several names differ only in case, the exact spelling wins, then the
    // lowest in byte order.
    std::optional<std::string> findFile(const std::string& name) const;

private:
    std::string folder_;
    std::unordered_map<std::u32string, std::vector<FolderEntry>> entriesByFoldedName_;
};

} // namespace vexo
