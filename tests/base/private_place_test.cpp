// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "base/local_socket.h"
#include "base/private_place.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Guards the one-instance socket and its lock in a place other local users
// can reach: a runtime or fallback folder that is a link, not ours or open
// to others taken as it is; a listener of another user taken for our copy;
// and a lock held elsewhere holding every start for ever.
TEST(PrivatePlace, StrangersCannotListenForOrHoldUpAStart)
{
    const uid_t me = ::geteuid();
    const struct {
        const char* name;
        void (*prepare)(const std::string& runtime, const std::string& fallback);
        uid_t user;
        bool runtimeSet;
        char expected; // 'r'untime, 'f'allback or none
    } folders[] = {
        {"private runtime folder", [](auto&, auto&) {}, me, true, 'r'},
        {"runtime folder open to others", [](auto& r, auto&) { ::chmod(r.c_str(), 0711); }, me, true, 'f'},
        {"runtime folder is a link",
         [](auto& r, auto&) { fs::rename(r, r + "-real"), fs::create_directory_symlink(r + "-real", r); }, me, true,
         'f'},
        {"no runtime folder", [](auto&, auto&) {}, me, false, 'f'},
        {"fallback open to others", [](auto&, auto& f) { ::mkdir(f.c_str(), 0700), ::chmod(f.c_str(), 0777); }, me,
         false, 0},
        {"fallback is a link", [](auto& r, auto& f) { fs::create_directory_symlink(r, f); }, me, false, 0},
        {"folders of another user", [](auto&, auto&) {}, me + 1, true, 0},
    };
    for (const auto& row : folders) {
        SCOPED_TRACE(row.name);
        const test::TempDir temp;
        const std::string runtime = temp.file("runtime");
        const std::string fallback = temp.file("vexorama-" + std::to_string(row.user));
        ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
        row.prepare(runtime, fallback);
        const std::string expected = row.expected == 'r' ? runtime + "/" : row.expected == 'f' ? fallback + "/" : "";
        EXPECT_EQ(PrivateMeetingFolder(row.runtimeSet ? runtime.c_str() : nullptr, temp.path(), row.user), expected);
    }

    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    EXPECT_TRUE(PeerRunsAs(ends[0], me));
    EXPECT_FALSE(PeerRunsAs(ends[0], me + 1));
    ::close(ends[0]);
    ::close(ends[1]);

    // The lock, on a clock of the test's own that each pause moves on.
    const struct {
        const char* name;
        int releasedAfterPauses; // 0: not held; -1: held for ever
        LockOutcome expected;
        std::chrono::milliseconds waited;
    } locks[] = {
        {"free", 0, LockOutcome::Locked, 0ms},
        {"held for a while", 3, LockOutcome::Locked, 60ms},
        {"held for ever", -1, LockOutcome::HeldElsewhere, 5s},
    };
    for (const auto& row : locks) {
        SCOPED_TRACE(row.name);
        const test::TempDir temp;
        PosixFile holder = PosixFile::Open(temp.file("lock"), O_RDWR | O_CREAT, 0600);
        PosixFile starter = PosixFile::Open(temp.file("lock"), O_RDWR, 0600);
        ASSERT_EQ(row.releasedAfterPauses == 0 ? 0 : ::flock(holder.fd(), LOCK_EX), 0);
        std::chrono::steady_clock::time_point now{};
        int pauses = 0;
        const WaitClock clock{[&] { return now; },
                              [&](std::chrono::milliseconds pause) {
                                  now += pause;
                                  if (++pauses == row.releasedAfterPauses)
                                      ::flock(holder.fd(), LOCK_UN);
                              }};
        EXPECT_EQ(LockWithin(starter.fd(), 5s, clock), row.expected);
        EXPECT_EQ(now.time_since_epoch(), row.waited);
    }
}

// Guards the meeting socket: a socket left by a copy that died taken for a
// listener or keeping the next copy from listening, a wait for a connection
// where none came, a request split over sends, and a peer gone away killing
// the sender (SIGPIPE) or leaving its reader waiting.
TEST(PrivatePlace, MeetingSocketOutlivesDeadCopiesAndGonePeers)
{
    using namespace std::string_view_literals;
    const test::TempDir temp;
    const std::string path = temp.file("meet");
    std::string error;
    LocalSocket::Reach reach = LocalSocket::Reach::Connected;
    EXPECT_FALSE(LocalSocket::Connect(path, reach).isOpen());
    EXPECT_EQ(reach, LocalSocket::Reach::NobodyListens);
    ASSERT_TRUE(LocalSocket::Listen(path, error).isOpen()) << error; // closed at once: left behind
    EXPECT_FALSE(LocalSocket::Connect(path, reach).isOpen());
    EXPECT_EQ(reach, LocalSocket::Reach::NobodyListens);

    LocalSocket listener = LocalSocket::Listen(path, error);
    ASSERT_TRUE(listener.isOpen()) << error;
    EXPECT_FALSE(listener.accept().isOpen());
    LocalSocket starter = LocalSocket::Connect(path, reach);
    ASSERT_EQ(reach, LocalSocket::Reach::Connected);
    LocalSocket heard = listener.accept();
    ASSERT_TRUE(heard.isOpen());
    EXPECT_TRUE(PeerRunsAs(heard.fd(), ::geteuid()));
    std::string received;
    bool ended = false;
    for (const std::string_view part : {"S/ho"sv, "me\0"sv}) {
        ASSERT_TRUE(starter.send(part, 1s));
        ASSERT_TRUE(heard.waitReadable(5s));
        received += heard.receive(ended);
    }
    EXPECT_EQ(received, "S/home\0"sv);
    EXPECT_FALSE(ended);
    starter.close();
    EXPECT_EQ(heard.receive(ended), "");
    EXPECT_TRUE(ended);
    EXPECT_FALSE(heard.send("+", 0ms));
    EXPECT_FALSE(LocalSocket::Listen(temp.file(std::string(120, 'x')), error).isOpen());
    EXPECT_NE(error.find("xxx"), std::string::npos);
}

} // namespace
} // namespace vexo
