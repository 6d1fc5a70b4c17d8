// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/tcp_listing.h"

#include "base/int_text.h"
#include "server/listing_protocol.h"
#include "server/server_log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexo::server {

namespace {

using Clock = std::chrono::steady_clock;

// After the answer: how long to wait for the client's own close while
// reading what it still sends (the tail of its request), so that closing
// never meets unread data, which would reset the connection and could cost
// the client the end of the answer.
constexpr std::chrono::seconds kLingerTime{2};
// With no descriptor left and no connection to give up for a new one,
// accepting pauses this long instead of spinning on a listener that stays
// readable.
constexpr std::chrono::milliseconds kAcceptPause{100};

std::string PeerText(const sockaddr_storage& address, socklen_t length)
{
    char host[NI_MAXHOST];
    char port[NI_MAXSERV];
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, port, sizeof port,
                      NI_NUMERICHOST | NI_NUMERICSERV)
        != 0)
        return "?";
    const std::string hostText = address.ss_family == AF_INET6 ? "[" + std::string(host) + "]" : host;
    return hostText + ":" + port;
}

} // namespace

struct TcpListing::Connection {
    enum class State { Reading, Writing, Lingering, Closed };

    int fd = -1;
    std::string peer;
    std::string input;
    std::string output;
    std::size_t sent = 0;
    State state = State::Reading;
    Clock::time_point deadline;

    ~Connection()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

TcpListing::TcpListing(Answer answer, ServerLog& log, Limits limits)
    : answer_(std::move(answer)), log_(log), limits_(limits)
{}

TcpListing::~TcpListing()
{
    stop();
}

void TcpListing::start(const std::string& address, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string where = address + ":" + std::to_string(port);
    if (const int error = ::getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found); error != 0)
        throw std::runtime_error("cannot listen for the listing on " + where + ": " + ::gai_strerror(error));
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);

    int lastError = 0;
    for (const addrinfo* candidate = found; candidate && listener_ < 0; candidate = candidate->ai_next) {
        const int fd = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                                candidate->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const int yes = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (::bind(fd, candidate->ai_addr, candidate->ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
            lastError = errno;
            ::close(fd);
            continue;
        }
        listener_ = fd;
    }
    if (listener_ < 0)
        throw std::runtime_error("cannot listen for the listing on " + where + ": " + std::strerror(lastError));

    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &length);
    char portText[NI_MAXSERV] = "0";
    ::getnameinfo(reinterpret_cast<sockaddr*>(&bound), length, nullptr, 0, portText, sizeof portText, NI_NUMERICSERV);
    port_ = static_cast<int>(ParseDecimal(portText, 0, 65535).value_or(0));

    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(listener_);
        listener_ = -1;
        throw std::runtime_error(std::string("cannot start the listing: ") + std::strerror(error));
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    thread_ = std::thread([this] { run(); });
}

void TcpListing::stop()
{
    if (thread_.joinable()) {
        const char byte = 0;
        while (::write(wakeWrite_, &byte, 1) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    for (int* fd : {&listener_, &wakeRead_, &wakeWrite_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void TcpListing::run()
{
    using State = Connection::State;
    // In the order of their arrival, so the first one still reading is the
    // one that has waited longest.
    std::vector<std::unique_ptr<Connection>> connections;
    auto acceptPausedUntil = Clock::time_point::min();
    bool acceptFailing = false;

    const auto close = [&](Connection& connection, const char* why) {
        if (why)
            log_.line("tcp " + connection.peer + ": " + why);
        connection.state = State::Closed;
    };
    const auto respond = [&](Connection& connection, std::string_view line) {
        try {
            connection.output = answer_(line, connection.peer);
        } catch (const std::exception& error) {
            log_.line("tcp " + connection.peer + ": " + error.what());
            connection.state = State::Closed;
            return;
        }
        connection.state = State::Writing;
        connection.deadline = Clock::now() + limits_.idleTimeout;
    };
    const auto receive = [&](Connection& connection) {
        char buffer[4096];
        const ssize_t got = ::recv(connection.fd, buffer, sizeof buffer, 0);
        if (got < 0) {
            if (errno != EAGAIN && errno != EINTR)
                close(connection, connection.state == State::Reading ? std::strerror(errno) : nullptr);
            return;
        }
        if (connection.state == State::Lingering) {
            if (got == 0)
                close(connection, nullptr);
            return;
        }
        if (got == 0) {
            // A client that closes its side without a line feed still meant
            // the request it sent.
            if (connection.input.empty())
                close(connection, "closed without a request");
            else
                respond(connection, connection.input);
            return;
        }
        connection.input.append(buffer, static_cast<std::size_t>(got));
        if (const auto end = connection.input.find('\n'); end != std::string::npos)
            respond(connection, std::string_view(connection.input).substr(0, end));
        else if (connection.input.size() > kMaxRequestLine) {
            log_.line("tcp " + connection.peer + ": request line too long, refused");
            connection.output = kListingRefused;
            connection.state = State::Writing;
        }
    };
    const auto send = [&](Connection& connection) {
        const ssize_t sent = ::send(connection.fd, connection.output.data() + connection.sent,
                                    connection.output.size() - connection.sent, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno != EAGAIN && errno != EINTR)
                close(connection, std::strerror(errno));
            return;
        }
        connection.sent += static_cast<std::size_t>(sent);
        if (connection.sent == connection.output.size()) {
            ::shutdown(connection.fd, SHUT_WR);
            connection.state = State::Lingering;
            connection.deadline = Clock::now() + kLingerTime;
        }
    };
    // Gives up the connection that has waited longest for its request line,
    // releasing its descriptor at once; false when none is waiting.
    const auto dropLongestWaiting = [&] {
        const auto waiting = std::find_if(connections.begin(), connections.end(),
                                          [](const auto& connection) { return connection->state == State::Reading; });
        if (waiting == connections.end())
            return false;
        log_.line("tcp " + (*waiting)->peer + ": too many connections, closed");
        connections.erase(waiting);
        return true;
    };
    const auto acceptWaiting = [&] {
        for (;;) {
            sockaddr_storage address{};
            socklen_t length = sizeof address;
            const int fd =
                ::accept4(listener_, reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED)
                    continue;
                if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                    if (dropLongestWaiting())
                        continue;
                    if (!acceptFailing)
                        log_.line(std::string("tcp: cannot accept: ") + std::strerror(errno));
                    acceptFailing = true;
                    acceptPausedUntil = Clock::now() + kAcceptPause;
                }
                return;
            }
            acceptFailing = false;
            auto connection = std::make_unique<Connection>();
            connection->fd = fd;
            connection->peer = PeerText(address, length);
            connection->deadline = Clock::now() + limits_.idleTimeout;
            if (connections.size() >= limits_.maxConnections && !dropLongestWaiting()) {
                log_.line("tcp " + connection->peer + ": too many connections, closed");
                continue;
            }
            connections.push_back(std::move(connection));
        }
    };

    for (;;) {
        const bool accepting = Clock::now() >= acceptPausedUntil;
        std::vector<pollfd> polled{{wakeRead_, POLLIN, 0}, {accepting ? listener_ : -1, POLLIN, 0}};
        auto nextDeadline = accepting ? Clock::time_point::max() : acceptPausedUntil;
        for (const auto& connection : connections) {
            polled.push_back({connection->fd, short(connection->state == State::Writing ? POLLOUT : POLLIN), 0});
            nextDeadline = std::min(nextDeadline, connection->deadline);
        }
        int timeout = -1;
        if (nextDeadline != Clock::time_point::max()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextDeadline - Clock::now());
            timeout = static_cast<int>(std::max<std::int64_t>(0, wait.count()));
        }
        if (::poll(polled.data(), polled.size(), timeout) < 0) {
            if (errno == EINTR)
                continue;
            log_.line(std::string("tcp: poll failed: ") + std::strerror(errno));
            return;
        }
        if (polled[0].revents != 0)
            return; // stop() asked

        for (std::size_t i = 0; i < connections.size(); ++i) {
            Connection& connection = *connections[i];
            if (polled[i + 2].revents == 0)
                continue;
            if (connection.state == State::Writing)
                send(connection);
            else
                receive(connection);
        }
        const auto now = Clock::now();
        for (const auto& connection : connections) {
            if (connection->state != State::Closed && connection->deadline <= now)
                close(*connection, connection->state == State::Lingering ? nullptr : "timed out");
        }
        std::erase_if(connections, [](const auto& connection) { return connection->state == State::Closed; });
        if (polled[1].revents != 0)
            acceptWaiting();
    }
}

} // namespace vexo::server
