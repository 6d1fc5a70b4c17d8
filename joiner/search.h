// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexo {

// File attribute bits an entry must carry to be listed by FindFiles; 0
// admits every entry. On Linux: read-only = the owner may not write it,
// hidden = its name begins with ".", directory = a folder.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrDirectory = 0x10;

// Appends to `list` the entries of `folder` whose names match the wildcard
// `mask` ("*" and "?", without regard to case), skipping "." and "..", in
// the order the file system lists them; subfolders are listed like files,
// but not entered. With `withFolder` each line is folder + "/" + name, else
// the bare name. Returns whether anything was appended; a folder that does
// not exist or cannot be read appends nothing.
bool FindFiles(const std::string& folder, const std::string& mask, std::uint32_t requiredAttributes,
               std::vector<std::string>& list, bool withFolder);

} // namespace vexo
