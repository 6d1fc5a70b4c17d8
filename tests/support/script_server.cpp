// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/script_server.h"

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

int ListenOnLoopback(int backlog, int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, backlog) != 0)
        throw std::runtime_error("cannot listen on loopback");
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

bool Readable(int fd, int milliseconds)
{
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, milliseconds) > 0;
}

} // namespace

ScriptServer::ScriptServer(std::vector<ScriptedReply> replies) : replies_(std::move(replies))
{
    listener_ = ListenOnLoopback(16, port_);
    thread_ = std::thread([this] { serve(); });
}

ScriptServer::~ScriptServer()
{
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

std::vector<std::string> ScriptServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::chrono::steady_clock::time_point> ScriptServer::connectionTimes() const
{
    std::lock_guard lock(mutex_);
    return connectionTimes_;
}

void ScriptServer::serve()
{
    std::size_t served = 0;
    while (!stopping_) {
        if (!Readable(listener_, 50))
            continue;
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        {
            std::lock_guard lock(mutex_);
            connectionTimes_.push_back(std::chrono::steady_clock::now());
        }
        answer(connection, replies_.at(std::min(served++, replies_.size() - 1)));
        ::close(connection);
    }
}

void ScriptServer::answer(int connection, const ScriptedReply& reply)
{
    if (reply.closeAtOnce)
        return;
    std::string request;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (request.find("\n\r\n") == std::string::npos && !stopping_ && std::chrono::steady_clock::now() < deadline) {
        if (!Readable(connection, 50))
            continue;
        char buffer[4096];
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    ::send(connection, reply.bytes.data(), reply.bytes.size(), MSG_NOSIGNAL);
    for (const std::string& piece : reply.later) {
        const auto due = std::chrono::steady_clock::now() + reply.pause;
        while (!stopping_ && (std::chrono::steady_clock::now() < due || (reply.goOn && !reply.goOn())))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (stopping_ || ::send(connection, piece.data(), piece.size(), MSG_NOSIGNAL) < 0)
            return;
    }
    while (reply.holdOpen && !stopping_) {
        char buffer[256];
        if (Readable(connection, 50) && ::recv(connection, buffer, sizeof buffer, 0) <= 0)
            break;
    }
}

int RefusingPort()
{
    int port = 0;
    ::close(ListenOnLoopback(1, port));
    return port;
}

StuckListener::StuckListener()
{
    listener_ = ListenOnLoopback(0, port_);
    // Connect until one connection is left waiting for its handshake: the
    // accept queue is then full and the kernel drops further SYNs.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        fillers_.push_back(fd);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        pollfd entry{fd, POLLOUT, 0};
        if (::poll(&entry, 1, 200) == 0)
            return;
    }
    throw std::runtime_error("cannot fill the accept queue of a loopback listener");
}

StuckListener::~StuckListener()
{
    for (const int fd : fillers_)
        ::close(fd);
    ::close(listener_);
}

std::string HttpResponse(const std::string& status, const std::string& headers, const std::string& body)
{
    return "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + headers + "\r\n" + body;
}

std::string HttpAnswer(const std::string& status, const std::string& body)
{
    return HttpResponse(status, "Content-Length: " + std::to_string(body.size()) + "\r\n", body);
}

} // namespace vexo::test
