// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

// One HTTP/1.0 request; target is sent as it stands.
HttpReply HttpGet(int port, std::string_view target);
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

} // namespace vexo::test
