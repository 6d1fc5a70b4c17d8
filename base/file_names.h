// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>

namespace vexo {

// The part of a path after its last "/".
std::string FileNamePart(const std::string& path);
// The part of a path up to and including its last "/"; empty without one.
std::string FolderPart(const std::string& path);
// The folder that holds `path`, without a trailing "/": "." for a bare
// name, "/" for a file at the root.
std::string FolderOf(const std::string& path);

// The longest file name Linux takes, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// `name` (UTF-8) cut so that `reservedBytes` more (a "(1)" before it, say)
// still fit in a file name: the part before the extension is shortened on
// a character boundary and the extension kept. A name that fits is
// returned as it is.
std::string FitFileName(const std::string& name, std::size_t reservedBytes = 0);

// `name` with the characters that FAT and exFAT refuse in a file name
// (" * : < > ? \ | and the control characters) as "_".
std::string FatSafeName(const std::string& name);

// A name from outside (a server's listing, the name stored in an encoded
// file) as the program may give it to a file: its control characters
// (0x00-0x1F, 0x7F) become "_", and one in the shape of the program's own
// temporaries or partial downloads (base/temporary_files.h), or the name
// of its record of made files (base/made_files.h),
// gets "_" for its leading ".", so that the program never takes the user's
// file for one of its own.
std::string NameFromOutside(std::string name);

} // namespace vexo
