// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vexo::test {

// Plain blocking clients for tests of the server over 127.0.0.1. Every
// read gives up after a few seconds, so a server that hangs fails the test
// instead of stalling it.

// Sends the pieces (with a short pause between them) and returns all bytes
// received until the server closes.
std::string TcpExchange(int port, const std::vector<std::string>& pieces);

struct HttpReply {
    int status = 0;
    std::string headers; // the header block as received
    std::string body;
};

// One HTTP/1.0 request; target is sent as it stands, with `headers`
// (whole lines) added.
HttpReply HttpGet(int port, std::string_view target, std::string_view headers = {});
// A multipart/form-data POST with one file part named "file".
HttpReply HttpPostFile(int port, std::string_view target, std::string_view fileName, std::string_view content);

// Whether a TCP connection to the port is accepted.
bool Accepts(int port);

// A connection that sends nothing while it lives.
class IdleConnection {
public:
    explicit IdleConnection(int port);
    ~IdleConnection();
    IdleConnection(const IdleConnection&) = delete;
    IdleConnection& operator=(const IdleConnection&) = delete;
    bool connected() const;

private:
    int fd_;
    bool connected_;
};

// A connection the test drives by hand, as a slow client would: it sends
// and reads only when told to.
class HeldConnection {
public:
    // receiveBuffer > 0: the socket's receive buffer, set before connecting,
    // so that the server soon has to wait for this client's reading.
    explicit HeldConnection(int port, int receiveBuffer = 0);
    ~HeldConnection();
    HeldConnection(const HeldConnection&) = delete;
    HeldConnection& operator=(const HeldConnection&) = delete;
    bool connected() const;

    // False when the server has closed or reset the connection.
    bool send(std::string_view bytes);
    // Up to most bytes, waiting at most a second; "" when none came.
    std::string receive(std::size_t most);
    // Whether the server closes (or resets) the connection within the
    // time; whatever it sends meanwhile is read, counted into received
    // when given, and dropped.
    bool closedWithin(std::chrono::milliseconds limit, std::size_t* received = nullptr);

private:
    int fd_;
    bool connected_;
};

} // namespace vexo::test
