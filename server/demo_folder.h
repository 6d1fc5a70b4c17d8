// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace vexo::server {

// The demo files are handed out encoded where they match this.
inline constexpr const char* kDemoWrapGlob = "*.bmp";

// Writes a few demo files into folder (a picture that is handed out
// encoded, text files, one with a Cyrillic name, a file split into parts)
// when the folder holds nothing; a folder that holds anything is left
// alone. Returns the names written, none when the folder was not empty.
std::vector<std::string> FillDemoFolder(const std::string& folder);

// A 24-bit BMP picture drawn in code.
std::string MakeDemoPicture(int width, int height);

} // namespace vexo::server
