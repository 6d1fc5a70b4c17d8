// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/line_reader.h"
#include "downloader/pump_pacer.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace vexo {

// Remote host and port of the server check, both as text, as the
// settings hold them.
struct TcpEndpoint {
    std::string host;
    std::string port;
};

// How long the check waits for the server before it gives up.
struct TcpTimeouts {
    std::chrono::milliseconds connect{15000}; // the whole connect, every address tried
    std::chrono::milliseconds line{30000};    // one answer line
    std::chrono::milliseconds check{60000};   // the whole check, from the connect to the end of the list
};

// The host part of "Server"/"Name", which may carry a port for the web
// addresses built from it: "host:port" gives "host", "[::1]:8080" gives
// "::1"; anything else (a bare IPv6 address too) is taken whole.
std::string TcpHostPart(const std::string& name);

// The TCP client of the check: resolves a host name or dotted address and
// a numeric or named port, connects, sends one request and hands out the
// answer for line reading. Every wait is bounded by its time-out and by the
// check's; a line whose time runs out ends the answer as a closed
// connection would. The socket never blocks: each wait polls in slices of
// kWaitSlice and offers `pump` between them (PumpPacer). What the pump
// throws ends the wait and passes on (the destructor closes the socket);
// a pump that closes the client ends the wait as a closed connection. A
// stop request (base/stop_request.h) ends a wait with StopRequest.
class TcpClient : public ByteStream {
public:
    explicit TcpClient(TcpTimeouts timeouts = {}, std::function<void()> pump = {})
        : timeouts_(timeouts), pacer_(std::move(pump))
    {}
    ~TcpClient() override;
    TcpClient(const TcpClient&) = delete;
    TcpClient& operator=(const TcpClient&) = delete;

    // Connects to the first of the host's addresses that answers in time;
    // false when none does (or the host or port cannot be resolved). The
    // check's time starts here.
    bool connect(const std::string& host, const std::string& port);
    bool connected() const { return fd_ >= 0; }

    // Writes the bytes with a single send once the socket takes them; what
    // the send reports is not examined, as a failure shows up as the answer
    // ending.
    void send(std::string_view bytes);

    // Shuts the connection down in both directions and closes it.
    void close();

    void lineStarts() override;
    std::size_t peek(char* buffer, std::size_t size) override;
    void consume(std::size_t size) override;

private:
    bool waitFor(short events, std::chrono::steady_clock::time_point deadline);

    TcpTimeouts timeouts_;
    PumpPacer pacer_;
    int fd_ = -1;
    std::chrono::steady_clock::time_point lineDeadline_{};
    std::chrono::steady_clock::time_point checkDeadline_ = std::chrono::steady_clock::time_point::max();
};

} // namespace vexo
