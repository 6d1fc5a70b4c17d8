// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/server/loopback_client.h"

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexo::test {

namespace {

int ConnectLoopback(int port, bool& connected, int receiveBuffer = 0)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket() failed");
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    return fd;
}

class Socket {
public:
    explicit Socket(int port) : fd_(ConnectLoopback(port, connected_)) {}
    ~Socket() { ::close(fd_); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool connected() const { return connected_; }

    void send(std::string_view bytes)
    {
        while (!bytes.empty()) {
            const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0)
                throw std::runtime_error("send() failed");
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
    }

    std::string receiveAll()
    {
        std::string received;
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
            if (got == 0)
                return received;
            if (got < 0)
                throw std::runtime_error(errno == EAGAIN ? "the server did not close in time" : "recv() failed");
            received.append(buffer, static_cast<std::size_t>(got));
        }
    }

private:
    bool connected_ = false;
    int fd_;
};

HttpReply Exchange(int port, const std::string& request)
{
    Socket socket(port);
    if (!socket.connected())
        throw std::runtime_error("cannot connect to port " + std::to_string(port));
    socket.send(request);
    const std::string reply = socket.receiveAll();
    const auto headerEnd = reply.find("\r\n\r\n");
    if (reply.compare(0, 9, "HTTP/1.1 ") != 0 || headerEnd == std::string::npos)
        throw std::runtime_error("not an HTTP reply: " + reply.substr(0, 100));
    return {std::stoi(reply.substr(9, 3)), reply.substr(0, headerEnd + 2), reply.substr(headerEnd + 4)};
}

} // namespace

std::string TcpExchange(int port, const std::vector<std::string>& pieces)
{
    Socket socket(port);
    if (!socket.connected())
        throw std::runtime_error("cannot connect to port " + std::to_string(port));
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        socket.send(pieces[i]);
    }
    return socket.receiveAll();
}

HttpReply HttpGet(int port, std::string_view target, std::string_view headers)
{
    return Exchange(port, "GET " + std::string(target) + " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                              + std::string(headers) + "\r\n");
}

HttpReply HttpPostFile(int port, std::string_view target, std::string_view fileName, std::string_view content)
{
    const std::string boundary = "----vexo-test-boundary";
    std::string body = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"file\"; filename=\""
                       + std::string(fileName) + "\"\r\nContent-Type: application/octet-stream\r\n\r\n"
                       + std::string(content) + "\r\n--" + boundary + "--\r\n";
    return Exchange(port, "POST " + std::string(target)
                              + " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                                "Content-Type: multipart/form-data; boundary="
                              + boundary + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
}

bool Accepts(int port)
{
    return Socket(port).connected();
}

} // namespace vexo::test

namespace vexo::test {

IdleConnection::IdleConnection(int port) : fd_(ConnectLoopback(port, connected_))
{}

IdleConnection::~IdleConnection()
{
    ::close(fd_);
}

bool IdleConnection::connected() const
{
    return connected_;
}

} // namespace vexo::test

namespace vexo::test {

HeldConnection::HeldConnection(int port, int receiveBuffer) : fd_(ConnectLoopback(port, connected_, receiveBuffer))
{}

HeldConnection::~HeldConnection()
{
    ::close(fd_);
}

bool HeldConnection::connected() const
{
    return connected_;
}

bool HeldConnection::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::string HeldConnection::receive(std::size_t most)
{
    pollfd polled{fd_, POLLIN, 0};
    if (::poll(&polled, 1, 1000) <= 0)
        return {};
    std::string bytes(most, '\0');
    const ssize_t got = ::recv(fd_, bytes.data(), most, MSG_DONTWAIT);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

bool HeldConnection::closedWithin(std::chrono::milliseconds limit, std::size_t* received)
{
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    char buffer[65536];
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(giveUp - std::chrono::steady_clock::now()).count();
        pollfd polled{fd_, POLLIN, 0};
        if (left <= 0 || ::poll(&polled, 1, static_cast<int>(left)) <= 0)
            return false;
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR))
            return true;
        if (got > 0 && received)
            *received += static_cast<std::size_t>(got);
    }
}

} // namespace vexo::test
