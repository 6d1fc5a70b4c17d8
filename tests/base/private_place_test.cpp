// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "base/private_place.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

// Guards the one-instance socket and its lock in a place other local users
// can reach: a runtime or fallback folder that is a link, not ours or open
// to others taken as it is; a listener of another user taken for our copy;
// and a lock held elsewhere holding every start for ever.
TEST(PrivatePlace, StrangersCannotListenForOrHoldUpAStart)
{
    const uid_t me = ::geteuid();
    struct FolderCase {
        const char* name;
        std::function<void(const std::string& runtime, const std::string& fallback)> prepare;
        uid_t user;
        bool runtimeSet;
        const char* expected; // "runtime", "fallback" or "" (none)
    };
    const FolderCase folders[] = {
        {"private runtime folder", [](auto&, auto&) {}, me, true, "runtime"},
        {"runtime folder open to others", [](auto& r, auto&) { ::chmod(r.c_str(), 0711); }, me, true, "fallback"},
        {"runtime folder is a link",
         [](auto& r, auto&) {
             std::filesystem::rename(r, r + "-real");
             std::filesystem::create_directory_symlink(r + "-real", r);
         },
         me, true, "fallback"},
        {"no runtime folder: own folder made private", [](auto&, auto&) {}, me, false, "fallback"},
        {"fallback made open by someone",
         [](auto&, auto& f) {
             ::mkdir(f.c_str(), 0700);
             ::chmod(f.c_str(), 0777);
         },
         me, false, ""},
        {"fallback is a link to a folder", [](auto& r, auto& f) { std::filesystem::create_directory_symlink(r, f); },
         me, false, ""},
        {"folders of another user", [](auto&, auto&) {}, me + 1, true, ""},
    };
    for (const FolderCase& row : folders) {
        SCOPED_TRACE(row.name);
        TempDir temp;
        const std::string runtime = temp.file("runtime");
        const uid_t user = row.user;
        const std::string fallback = temp.path() + "/vexorama-" + std::to_string(user);
        ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
        row.prepare(runtime, fallback);
        const std::string expected = std::string(row.expected) == "runtime"    ? runtime + "/"
                                     : std::string(row.expected) == "fallback" ? fallback + "/"
                                                                               : "";
        EXPECT_EQ(PrivateMeetingFolder(row.runtimeSet ? runtime.c_str() : nullptr, temp.path(), user), expected);
        if (!expected.empty()) {
            EXPECT_TRUE(IsPrivateFolder(expected, user));
        }
    }

    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    EXPECT_TRUE(PeerRunsAs(ends[0], me));
    EXPECT_FALSE(PeerRunsAs(ends[0], me + 1));
    ::close(ends[0]);
    ::close(ends[1]);

    // The lock, on a clock of the test's own: each pause moves it on.
    struct LockCase {
        const char* name;
        bool heldElsewhere;
        int releasedAfterPauses; // -1: never
        LockOutcome expected;
    };
    const LockCase locks[] = {
        {"free", false, -1, LockOutcome::Locked},
        {"held for a while", true, 3, LockOutcome::Locked},
        {"held for ever", true, -1, LockOutcome::HeldElsewhere},
    };
    for (const LockCase& row : locks) {
        SCOPED_TRACE(row.name);
        TempDir temp;
        const std::string path = temp.file("socket.lock");
        PosixFile holder = PosixFile::Open(path, O_RDWR | O_CREAT, 0600);
        PosixFile starter = PosixFile::Open(path, O_RDWR, 0600);
        ASSERT_TRUE(holder.isOpen() && starter.isOpen());
        if (row.heldElsewhere) {
            ASSERT_EQ(::flock(holder.fd(), LOCK_EX), 0);
        }
        auto now = std::chrono::steady_clock::time_point{};
        int pauses = 0;
        const WaitClock clock{[&] { return now; },
                              [&](std::chrono::milliseconds pause) {
                                  now += pause;
                                  if (++pauses == row.releasedAfterPauses)
                                      ::flock(holder.fd(), LOCK_UN);
                              }};
        EXPECT_EQ(LockWithin(starter.fd(), 5s, clock), row.expected);
        EXPECT_LE(now - std::chrono::steady_clock::time_point{}, 5s);
        if (row.expected == LockOutcome::HeldElsewhere) {
            EXPECT_EQ(now - std::chrono::steady_clock::time_point{}, 5s);
        }
    }
}

} // namespace
} // namespace vexo
