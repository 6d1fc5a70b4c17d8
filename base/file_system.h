// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

// Whether the path names an existing folder (following links).
bool FolderExists(const std::string& path);
// Whether the path names an existing regular file (following links).
bool RegularFileExists(const std::string& path);

// The user's home folder: $HOME, else the one the user database names.
std::string HomeFolder();

// Makes the folder and the folders above it that are missing; one that
// cannot be made is left for the first use to report.
void MakeFolder(const std::string& path);

// `path` as an absolute path, taken from the current folder when it is
// relative, with its "." and ".." steps and doubled "/" resolved by name
// (links are not followed). It ends with "/" only when `path` does, or when
// it is the root. An empty path, or one whose current folder is gone,
// stays as it is.
std::string AbsolutePath(const std::string& path);

} // namespace vexo
