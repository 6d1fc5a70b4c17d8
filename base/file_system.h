// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

// Whether the path names an existing folder (following links).
bool FolderExists(const std::string& path);

// Makes the folder and the folders above it that are missing; one that
// cannot be made is left for the first use to report.
void MakeFolder(const std::string& path);

} // namespace vexo
