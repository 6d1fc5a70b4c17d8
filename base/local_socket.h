// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace vexo {

// A stream socket on a path in the file system (AF_UNIX), where copies of
// the program run by one user meet. Nothing blocks but the waits that are
// asked for, and a peer that went away is an answer, never a signal.
class LocalSocket {
public:
    enum class Reach {
        Connected,     // a listener took the connection
        NobodyListens, // no socket there, or one left by a copy that died
        Busy,          // a listener is there but takes no connection now
    };

    LocalSocket() = default;
    ~LocalSocket();
    LocalSocket(LocalSocket&& other) noexcept;
    LocalSocket& operator=(LocalSocket&& other) noexcept;
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;

    // Connects to the listener at `path`; open only when `reach` is Connected.
    static LocalSocket Connect(const std::string& path, Reach& reach);
    // Listens at `path` in place of any socket left there. A closed socket,
    // with `error` saying why, when it cannot.
    static LocalSocket Listen(const std::string& path, std::string& error);

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // A listener's next waiting connection; closed when none waits.
    LocalSocket accept();
    // Sends all of `bytes`, waiting at most `limit` for room: false when
    // the peer is gone or the time is up.
    bool send(std::string_view bytes, std::chrono::milliseconds limit);
    // The bytes that have arrived, without waiting; `ended` is set once the
    // peer has closed its end (or the connection broke).
    std::string receive(bool& ended);
    // Waits at most `limit` for something to receive (the peer's end too).
    bool waitReadable(std::chrono::milliseconds limit);
    void close();

private:
    explicit LocalSocket(int fd) : fd_(fd) {}

    int fd_ = -1;
};

} // namespace vexo
