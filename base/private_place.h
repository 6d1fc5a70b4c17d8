// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include <sys/types.h>

namespace vexo {

// Where copies of the program run by one user meet (the one-instance
// socket and its lock), checked so that no other local user can listen
// in their place, hold their lock, or be taken for one of them.

// Whether `path` itself (not a link) is a folder owned by `user` that
// nobody else may enter: no group or other permission bits.
bool IsPrivateFolder(const std::string& path, uid_t user);

// The folder to meet in, with its trailing "/": `runtimeFolder`
// ($XDG_RUNTIME_DIR) when it is set, absolute and private; otherwise
// "<tempFolder>/vexorama-<user>", made with mode 0700 where it is missing
// and taken only when it is private. Empty when neither can be had.
std::string PrivateMeetingFolder(const char* runtimeFolder, const std::string& tempFolder, uid_t user);

// The temporary folder: $TMPDIR when it is absolute, /tmp otherwise.
std::string TemporaryFolder();

// Whether the other end of the connected local socket `socketFd` runs as
// `user` (SO_PEERCRED). False when it cannot be told.
bool PeerRunsAs(int socketFd, uid_t user);

// A clock and a way to wait, so that tests wait on a clock of their own.
struct WaitClock {
    std::function<std::chrono::steady_clock::time_point()> now;
    std::function<void(std::chrono::milliseconds)> sleep;
    static WaitClock System();
};

enum class LockOutcome {
    Locked,        // held now, until the file is closed
    HeldElsewhere, // someone else still held it when the time was up
    Unsupported,   // the file cannot be locked: go on as if alone
};

// An exclusive flock(2) on `fd`, tried without blocking every 20 ms at
// most until `limit` has passed on `clock`: a lock held for ever elsewhere
// never holds the caller for ever.
LockOutcome LockWithin(int fd, std::chrono::milliseconds limit, const WaitClock& clock);

} // namespace vexo
