// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/folder_lock.h"

#include "base/dialogs.h"
#include "base/stop_request.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo {

namespace {

// Short enough that the window never looks stuck, long enough to cost nothing.
constexpr auto kWaitSlice = std::chrono::milliseconds(20);

// A folder this program holds: the descriptor whose open file description
// carries the lock, and how many FolderLocks share it.
struct HeldFolder {
    int fd = -1;
    int users = 0;
};

std::mutex heldMutex;

std::map<FolderLocks::Key, HeldFolder>& HeldFolders()
{
    static std::map<FolderLocks::Key, HeldFolder> held;
    return held;
}

// Shares the lock when this program holds the folder already.
bool ShareIfHeld(const FolderLocks::Key& key)
{
    const std::lock_guard guard(heldMutex);
    const auto found = HeldFolders().find(key);
    if (found == HeldFolders().end())
        return false;
    ++found->second.users;
    return true;
}

void Register(const FolderLocks::Key& key, int fd)
{
    const std::lock_guard guard(heldMutex);
    HeldFolders()[key] = HeldFolder{fd, 1};
}

void CloseQuietly(int fd) noexcept
{
    // The descriptor is gone whatever close() reports; a retry could close
    // another one opened meanwhile.
    ::close(fd);
}

void Unregister(const FolderLocks::Key& key) noexcept
{
    const std::lock_guard guard(heldMutex);
    const auto found = HeldFolders().find(key);
    if (found == HeldFolders().end() || --found->second.users > 0)
        return;
    // Unlocked by hand too: a child forked meanwhile shares the open file
    // description, and closing our descriptor alone would leave it locked.
    while (::flock(found->second.fd, LOCK_UN) != 0 && errno == EINTR) {
    }
    CloseQuietly(found->second.fd);
    HeldFolders().erase(found);
}

enum class Attempt { Locked, HeldElsewhere, Unlockable };

Attempt TryLock(int fd)
{
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return Attempt::Locked;
        if (errno == EINTR)
            continue;
        return errno == EWOULDBLOCK ? Attempt::HeldElsewhere : Attempt::Unlockable;
    }
}

// A folder opened for locking, not yet locked.
struct OpenFolder {
    FolderLocks::Key key;
    int fd = -1;
};

// -1 when the folder cannot be opened (missing, not a folder, no permission).
int OpenForLocking(const std::string& folder)
{
    const char* path = folder.empty() ? "." : folder.c_str();
    for (;;) {
        const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 || errno != EINTR)
            return fd;
    }
}

// The folders by identity, each once, in the order of their identities:
// the same for every copy of the program, whatever paths name them.
std::vector<OpenFolder> OpenDistinct(const std::vector<std::string>& folders)
{
    std::vector<OpenFolder> opened;
    for (const std::string& folder : folders) {
        const int fd = OpenForLocking(folder);
        if (fd < 0)
            continue;
        struct stat status {};
        if (::fstat(fd, &status) != 0) {
            CloseQuietly(fd);
            continue;
        }
        const FolderLocks::Key key{static_cast<unsigned long long>(status.st_dev),
                                   static_cast<unsigned long long>(status.st_ino)};
        if (std::any_of(opened.begin(), opened.end(), [&](const OpenFolder& o) { return o.key == key; })) {
            CloseQuietly(fd);
            continue;
        }
        opened.push_back({key, fd});
    }
    std::sort(opened.begin(), opened.end(), [](const OpenFolder& a, const OpenFolder& b) { return a.key < b.key; });
    return opened;
}

} // namespace

FolderLocks::FolderLocks(const std::vector<std::string>& folders, Dialogs& dialogs,
                         const std::function<void()>& waiting)
{
    std::vector<OpenFolder> opened = OpenDistinct(folders);
    std::size_t next = 0;
    try {
        for (; next < opened.size(); ++next) {
            OpenFolder& folder = opened[next];
            Attempt attempt = Attempt::Locked;
            bool shared = ShareIfHeld(folder.key);
            if (!shared)
                attempt = TryLock(folder.fd);
            while (!shared && attempt == Attempt::HeldElsewhere) {
                if (!waited_) {
                    waited_ = true;
                    if (waiting)
                        waiting();
                }
                std::this_thread::sleep_for(kWaitSlice);
                dialogs.pump();
                StopIfRequested();
                shared = ShareIfHeld(folder.key);
                if (!shared)
                    attempt = TryLock(folder.fd);
            }
            if (shared) {
                CloseQuietly(folder.fd);
                held_.push_back(folder.key);
            } else if (attempt == Attempt::Locked) {
                Register(folder.key, folder.fd);
                held_.push_back(folder.key);
            } else {
                CloseQuietly(folder.fd);
            }
            folder.fd = -1;
        }
    } catch (...) {
        for (; next < opened.size(); ++next) {
            if (opened[next].fd >= 0)
                CloseQuietly(opened[next].fd);
        }
        release();
        throw;
    }
}

FolderLocks::~FolderLocks()
{
    release();
}

void FolderLocks::release() noexcept
{
    for (const Key& key : held_)
        Unregister(key);
    held_.clear();
}

} // namespace vexo
