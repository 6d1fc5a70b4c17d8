// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace vexo::server {

class ServerLog;

// The TCP listener of the listing exchange: reads one request line per
// connection, hands it to the answer function and sends what it returns,
// then closes. One thread serves all connections with poll(), so a client
// that is slow or silent never holds up another one.
class TcpListing {
public:
    // Gets the request line (without its line feed) and the peer's address
    // text; returns the whole answer.
    using Answer = std::function<std::string(std::string_view line, const std::string& peer)>;

    // How long a client may take to send its whole request line, and then
    // to take the whole answer; a real check needs milliseconds.
    static constexpr std::chrono::seconds kIdleTimeout{5};
    // Connections held at once; at the limit, a newcomer takes the place
    // of the connection that has waited longest for its request line.
    static constexpr std::size_t kMaxConnections = 512;

    struct Limits {
        std::chrono::milliseconds idleTimeout = kIdleTimeout;
        std::size_t maxConnections = kMaxConnections;
    };

    TcpListing(Answer answer, ServerLog& log, Limits limits);
    TcpListing(Answer answer, ServerLog& log) : TcpListing(std::move(answer), log, Limits{}) {}
    ~TcpListing();
    TcpListing(const TcpListing&) = delete;
    TcpListing& operator=(const TcpListing&) = delete;

    // Binds and listens (port 0: any free port); throws std::runtime_error
    // with the reason when it cannot.
    void start(const std::string& address, int port);
    // The port actually listened on.
    int port() const { return port_; }
    // Closes the listener and every connection and joins the thread.
    void stop();

private:
    struct Connection;
    void run();

    Answer answer_;
    ServerLog& log_;
    Limits limits_;
    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int port_ = 0;
    std::thread thread_;
};

} // namespace vexo::server
