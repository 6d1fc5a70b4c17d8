// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vexo {

// Files the program writes (decoded and joined outputs) take shape under a
// hidden temporary name in their folder, ".vexorama-<pid>-<serial>", and
// get their real name only when they are complete. One left behind by a
// program that was killed carries the number of a process that no longer
// runs.
inline constexpr const char* kTemporaryPrefix = ".vexorama-";

// A download takes shape in a hidden file of its own beside the target,
// ".vexorama-partial-<target's name>", with what a resume needs (the
// address, the server's validator) in ".vexorama-resume-<target's name>";
// broken off, both stay until the file is whole or no longer listed. Neither has the
// temporaries' shape, so no clean-up of stale temporaries takes them; no
// folder scan takes them for a user's file, nor any name from outside.
inline constexpr const char* kPartialPrefix = ".vexorama-partial-";
inline constexpr const char* kResumeRecordPrefix = ".vexorama-resume-";

// Whether `name` has the shape of a partial download or its record.
bool IsPartialDownloadName(std::string_view name);

// Whether `name` has the shape of such a temporary, whoever's.
bool HasTemporaryShape(std::string_view name);

// Whether `name` is such a temporary of a process that no longer runs.
bool IsStaleTemporary(std::string_view name);

// Removes the stale temporaries of `folder`: regular files of this user
// in their shape; those of running programs, this one included, stay. No
// name from outside ever takes that shape (NameFromOutside). A folder that
// cannot be read is left alone.
void RemoveStaleTemporaries(const std::string& folder);

} // namespace vexo
