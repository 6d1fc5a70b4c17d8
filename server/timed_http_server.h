// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>

#include <httplib.h>

namespace vexo::server {

// cpp-httplib's server, serving each connection with limits that slow or
// silent clients cannot stretch: the library's own timeouts count from the
// last byte, so a client trickling its request a byte at a time would hold
// a worker for ever. Many workers, so that a few slow clients never take
// them all; and stopping closes the connections still open instead of
// waiting for their clients.
class TimedHttpServer : public httplib::Server {
public:
    // Workers serving connections at once; a connection beyond them waits
    // for the next free one.
    static constexpr std::size_t kWorkers = 64;
    // The request line and headers must be in this long after the server
    // starts waiting for them.
    static constexpr std::chrono::seconds kRequestHeadTime{5};
    // A kept-alive connection must start its next request within this.
    static constexpr std::chrono::seconds kKeepAliveTime{2};
    // A request's body, and then the answer, must move at least kPaceBytes
    // every kPaceTime (or the answer be taken whole): a client slower than
    // that is dropped instead of holding a worker for hours.
    static constexpr std::chrono::seconds kPaceTime{5};
    static constexpr std::uint64_t kPaceBytes = 32 * 1024;

    TimedHttpServer();

    // Gets a line of text ("http ADDR:PORT: timed out") for each client
    // given up for slowness; set before serving.
    void reportDrops(std::function<void(const std::string&)> report);

    // After binding: lets the kernel queue as many connections as it
    // allows. The library listens with room for 5, and clients of a burst
    // beyond that wait a second or more each for the handshake to be
    // repeated.
    void widenBacklog();

    // Closes every connection being served, and from now on every newly
    // accepted one; for stopping.
    void closeConnections();

private:
    bool process_and_close_socket(socket_t sock) override;
    bool track(socket_t sock);
    void untrack(socket_t sock);

    std::function<void(const std::string&)> dropReport_;
    std::mutex mutex_;
    std::set<socket_t> open_;
    bool closing_ = false;
};

} // namespace vexo::server
