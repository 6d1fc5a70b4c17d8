#pragma once

#include <string>

namespace vexo {

// Whether the path names an existing folder (following links).
bool FolderExists(const std::string& path);

} // namespace vexo
