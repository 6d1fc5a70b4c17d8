// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/file_io.h"

#include <string>

// The system calls of base/file_io.cpp that the other file modules of this
// floor make too, with the fault seam in front of them. Not for use above
// this floor.

namespace vexo::detail {

// Fails the step when its fault is installed: true with errno set.
bool Faulted(bool FileFaults::*field);
// open(2) with close-on-exec, retried after an interrupting signal.
int OpenDescriptor(const std::string& path, int flags, unsigned mode);
// close(2), where an interrupted close counts as done.
int CloseChecked(int fd);
// fdatasync(2) or fsync(2).
int SyncDescriptor(int fd, bool dataOnly);
// The path with its symbolic links followed to the file they lead to, made
// or not; the path as it is where it is no link or the links go round.
std::string ResolveLinks(const std::string& path);

} // namespace vexo::detail
