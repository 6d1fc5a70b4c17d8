// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

// Whether the path names an existing folder (following links).
bool FolderExists(const std::string& path);

} // namespace vexo
