// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

// `WorkingFolder`: where files are decoded, joined and fetched. Two rules
// move it, and each user says which applies: the decoder's folder box takes
// a folder as the user gives it, missing or not, while a fetch needs a
// folder to write into and falls back to the default one.
class WorkingFolder {
public:
    // The folder fetching settled on, and whether it had to give way.
    struct InUse {
        std::string path;
        bool fellBack = false;
    };

    const std::string& path() const { return path_; }

    // The decoder's rule: `folder` is stored as given, even when it names
    // no existing folder. Returns whether the folder changed.
    bool choose(const std::string& folder);

    // The fetching's rule: a folder that is not an existing folder (gone,
    // or a file in its place) becomes `defaultFolder`, made when missing.
    InUse fallBack(const std::string& defaultFolder);

private:
    std::string path_;
};

} // namespace vexo
