// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/local_socket.h"

#include "base/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vexo {

namespace {

constexpr int kWaitingConnections = 8;

// False when `path` does not fit a socket address.
bool AddressOf(const std::string& path, sockaddr_un& address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int NewSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

// Waits for `events` on `fd` up to `deadline`; false once it has passed.
bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

LocalSocket::~LocalSocket()
{
    close();
}

LocalSocket::LocalSocket(LocalSocket&& other) noexcept : fd_(std::exchange(other.fd_, -1))
{}

LocalSocket& LocalSocket::operator=(LocalSocket&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void LocalSocket::close()
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

LocalSocket LocalSocket::Connect(const std::string& path, Reach& reach)
{
    reach = Reach::NobodyListens;
    sockaddr_un address;
    if (!AddressOf(path, address))
        return {};
    LocalSocket socket(NewSocket());
    if (!socket.isOpen())
        return {};
    int result;
    do
        result = ::connect(socket.fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        reach = Reach::Connected;
        return socket;
    }
    // A full queue of waiting connections: someone listens, but does not answer.
    if (errno == EAGAIN)
        reach = Reach::Busy;
    return {};
}

LocalSocket LocalSocket::Listen(const std::string& path, std::string& error)
{
    sockaddr_un address;
    if (!AddressOf(path, address)) {
        error = SystemErrorText(path, ENAMETOOLONG);
        return {};
    }
    LocalSocket socket(NewSocket());
    // What lies there is left by a copy that died: nobody answered on it.
    if (!socket.isOpen() || (::unlink(path.c_str()) != 0 && errno != ENOENT)
        || ::bind(socket.fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::chmod(path.c_str(), 0600) != 0 || ::listen(socket.fd_, kWaitingConnections) != 0) {
        error = SystemErrorText(path, errno);
        return {};
    }
    return socket;
}

LocalSocket LocalSocket::accept()
{
    for (;;) {
        const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            return LocalSocket(fd);
        if (errno != EINTR && errno != ECONNABORTED)
            return {};
    }
}

bool LocalSocket::send(std::string_view bytes, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno == EAGAIN && WaitFor(fd_, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

std::string LocalSocket::receive(bool& ended)
{
    ended = false;
    std::string received;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (count > 0) {
            received.append(buffer, static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        ended = count == 0 || errno != EAGAIN;
        return received;
    }
}

bool LocalSocket::waitReadable(std::chrono::milliseconds limit)
{
    return WaitFor(fd_, POLLIN, std::chrono::steady_clock::now() + limit);
}

} // namespace vexo
