// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/tcp_client.h"

#include "base/stop_request.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexo {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

struct AddrInfoFree {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

} // namespace

std::string TcpHostPart(const std::string& name)
{
    if (name.size() > 1 && name.front() == '[') {
        const std::size_t close = name.find(']');
        if (close != std::string::npos && (close + 1 == name.size() || name[close + 1] == ':'))
            return name.substr(1, close - 1);
        return name;
    }
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos || name.find(':', colon + 1) != std::string::npos)
        return name;
    return name.substr(0, colon);
}

TcpClient::~TcpClient()
{
    close();
}

bool TcpClient::waitFor(short events, Clock::time_point deadline)
{
    deadline = std::min(deadline, checkDeadline_);
    const int slice = static_cast<int>(kWaitSlice.count());
    for (;;) {
        // Bytes that keep coming do not stretch a time-out either.
        const int left = MillisecondsLeft(deadline);
        if (left == 0)
            return false;
        pollfd entry{fd_, events, 0};
        const int ready = ::poll(&entry, 1, std::min(left, slice));
        const int pollError = errno;
        // Also while bytes keep coming: a peer that trickles them must not
        // keep the window waiting either.
        StopIfRequested();
        pacer_.pumpIfDue();
        // The pump may have cut the connection (another server was set).
        if (fd_ < 0)
            return false;
        if (ready > 0)
            return true;
        if (ready < 0 && pollError != EINTR)
            return false;
    }
}

bool TcpClient::connect(const std::string& host, const std::string& port)
{
    close();
    if (host.empty() || port.empty())
        return false;

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0)
        return false;
    const std::unique_ptr<addrinfo, AddrInfoFree> list(found);

    checkDeadline_ = Clock::now() + timeouts_.check;
    const Clock::time_point deadline = Clock::now() + timeouts_.connect;
    for (const addrinfo* address = list.get(); address; address = address->ai_next) {
        fd_ = ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address->ai_protocol);
        if (fd_ < 0)
            continue;
        if (::connect(fd_, address->ai_addr, address->ai_addrlen) == 0)
            return true;
        if (errno == EINPROGRESS && waitFor(POLLOUT, deadline)) {
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
                return true;
        }
        close();
        if (MillisecondsLeft(deadline) == 0)
            break;
    }
    return false;
}

void TcpClient::send(std::string_view bytes)
{
    if (fd_ < 0)
        return;
    if (waitFor(POLLOUT, Clock::now() + timeouts_.line))
        (void)::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void TcpClient::close()
{
    if (fd_ < 0)
        return;
    ::shutdown(fd_, SHUT_RDWR);
    ::close(fd_);
    fd_ = -1;
}

void TcpClient::lineStarts()
{
    lineDeadline_ = Clock::now() + timeouts_.line;
}

std::size_t TcpClient::peek(char* buffer, std::size_t size)
{
    if (fd_ < 0)
        return 0;
    for (;;) {
        if (!waitFor(POLLIN, lineDeadline_))
            return 0;
        const ssize_t got = ::recv(fd_, buffer, size, MSG_PEEK);
        if (got > 0)
            return static_cast<std::size_t>(got);
        if (got == 0 || (errno != EINTR && errno != EAGAIN))
            return 0;
    }
}

void TcpClient::consume(std::size_t size)
{
    char sink[4096];
    while (size > 0 && fd_ >= 0) {
        const ssize_t got = ::recv(fd_, sink, std::min(size, sizeof sink), 0);
        if (got <= 0) {
            if (got < 0 && errno == EINTR)
                continue;
            return;
        }
        size -= static_cast<std::size_t>(got);
    }
}

} // namespace vexo
