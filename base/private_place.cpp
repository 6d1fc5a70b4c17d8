// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/private_place.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>

#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>

namespace vexo {

namespace {

constexpr auto kLockRetry = std::chrono::milliseconds(20);

std::string WithSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

bool IsPrivateFolder(const std::string& path, uid_t user)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == user
           && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

std::string PrivateMeetingFolder(const char* runtimeFolder, const std::string& tempFolder, uid_t user)
{
    if (runtimeFolder && runtimeFolder[0] == '/' && IsPrivateFolder(runtimeFolder, user))
        return WithSlash(runtimeFolder);
    const std::string own = WithSlash(tempFolder) + "vexorama-" + std::to_string(user);
    // One made already, by us or by someone else, is taken only as it is.
    ::mkdir(own.c_str(), 0700);
    return IsPrivateFolder(own, user) ? own + "/" : std::string();
}

std::string TemporaryFolder()
{
    const char* temp = std::getenv("TMPDIR");
    return temp && temp[0] == '/' ? temp : "/tmp";
}

bool PeerRunsAs(int socketFd, uid_t user)
{
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer
           && peer.uid == user;
}

WaitClock WaitClock::System()
{
    return {[] { return std::chrono::steady_clock::now(); },
            [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); }};
}

LockOutcome LockWithin(int fd, std::chrono::milliseconds limit, const WaitClock& clock)
{
    const auto deadline = clock.now() + limit;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return LockOutcome::Locked;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return LockOutcome::Unsupported;
        const auto now = clock.now();
        if (now >= deadline)
            return LockOutcome::HeldElsewhere;
        clock.sleep(std::min(kLockRetry, std::chrono::ceil<std::chrono::milliseconds>(deadline - now)));
    }
}

} // namespace vexo
