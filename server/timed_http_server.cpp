// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/timed_http_server.h"

#include "base/int_text.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <linux/sockios.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexo::server {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadBlock = 16 * 1024;
// How often a blocked answer looks at what the client has taken.
constexpr std::chrono::milliseconds kPaceCheck{250};

// Waits until the socket is ready for events or the deadline passes; an
// error or hang-up counts as ready, so that the next call reports it.
bool WaitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd polled{fd, events, 0};
        const int ready = ::poll(&polled, 1, static_cast<int>(std::min<std::int64_t>(left, 60000)));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

void AddressText(const sockaddr_storage& address, socklen_t length, std::string& ip, int& port)
{
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, service, sizeof service,
                      NI_NUMERICHOST | NI_NUMERICSERV)
        != 0)
        return;
    ip = host;
    port = static_cast<int>(ParseDecimal(service, 0, 65535).value_or(0));
}

// One connection's socket as cpp-httplib reads and writes it, kept for all
// the requests of the connection so that bytes of a next request read
// ahead are not lost. A request's line and headers must be in by their
// deadline; its body, and then the answer, must keep the pace.
class ConnectionStream final : public httplib::Stream {
public:
    explicit ConnectionStream(int fd) : fd_(fd) {}

    // The next request's line and headers must be in by the deadline.
    void expectRequest(Clock::time_point deadline)
    {
        headDeadline_ = deadline;
        phase_ = Phase::Head;
    }
    void headReceived() { enter(Phase::Body); }
    // Whether bytes of a next request arrive within the time.
    bool requestArrives(std::chrono::milliseconds within) const
    {
        return buffered() > 0 || WaitFor(fd_, POLLIN, Clock::now() + within);
    }

    bool is_readable() const override { return buffered() > 0 || WaitFor(fd_, POLLIN, readGiveUp()); }
    bool is_writable() const override
    {
        enter(Phase::Answer);
        for (;;) {
            keepAnswerPace();
            const auto giveUp = paceStart_ + TimedHttpServer::kPaceTime;
            if (Clock::now() >= giveUp) {
                dropReason_ = "too slow, dropped";
                return false;
            }
            if (WaitFor(fd_, POLLOUT, std::min(giveUp, Clock::now() + kPaceCheck)))
                return true;
        }
    }

    ssize_t read(char* ptr, size_t size) override
    {
        if (buffered() == 0) {
            if (size >= buffer_.size())
                return receive(ptr, size);
            const ssize_t got = receive(buffer_.data(), buffer_.size());
            if (got <= 0)
                return got;
            begin_ = 0;
            end_ = static_cast<std::size_t>(got);
        }
        const std::size_t taken = std::min(size, buffered());
        std::memcpy(ptr, buffer_.data() + begin_, taken);
        begin_ += taken;
        return static_cast<ssize_t>(taken);
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        for (;;) {
            if (!is_writable())
                return -1;
            const ssize_t sent = ::send(fd_, ptr, size, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (sent >= 0) {
                sent_ += static_cast<std::uint64_t>(sent);
                return sent;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return -1;
        }
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            AddressText(address, length, ip, port);
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            AddressText(address, length, ip, port);
    }

    socket_t socket() const override { return fd_; }

    // Why the server gave up on the client; nullptr when it did not.
    const char* dropReason() const { return dropReason_; }

private:
    enum class Phase { Head, Body, Answer };

    std::size_t buffered() const { return end_ - begin_; }
    Clock::time_point readGiveUp() const
    {
        return phase_ == Phase::Head ? headDeadline_ : paceStart_ + TimedHttpServer::kPaceTime;
    }

    // Starts the pace anew when the stream turns from reading to writing or
    // back.
    void enter(Phase phase) const
    {
        if (phase_ == phase)
            return;
        phase_ = phase;
        paceStart_ = Clock::now();
        paceBase_ = phase == Phase::Answer ? acknowledged() : received_;
    }

    // What the client has taken of the answer: sent, less what the kernel
    // still holds unacknowledged. The kernel's own signal that a socket is
    // writable again can take much longer than the client's reading does.
    std::uint64_t acknowledged() const
    {
        int queued = 0;
        if (::ioctl(fd_, SIOCOUTQ, &queued) != 0 || queued < 0)
            queued = 0;
        return sent_ - std::min<std::uint64_t>(sent_, static_cast<std::uint64_t>(queued));
    }

    void keepAnswerPace() const
    {
        const std::uint64_t taken = acknowledged();
        if (taken - paceBase_ >= TimedHttpServer::kPaceBytes || taken == sent_) {
            paceStart_ = Clock::now();
            paceBase_ = taken;
        }
    }

    // Bytes from the socket: at least one, 0 when the client has closed,
    // -1 on an error or when the client is too slow.
    ssize_t receive(char* into, std::size_t size)
    {
        if (phase_ != Phase::Head)
            enter(Phase::Body);
        for (;;) {
            if (!WaitFor(fd_, POLLIN, readGiveUp())) {
                if (Clock::now() >= readGiveUp())
                    dropReason_ = phase_ == Phase::Head ? "timed out" : "too slow, dropped";
                return -1;
            }
            const ssize_t got = ::recv(fd_, into, size, MSG_DONTWAIT);
            if (got > 0) {
                received_ += static_cast<std::uint64_t>(got);
                if (phase_ == Phase::Body && received_ - paceBase_ >= TimedHttpServer::kPaceBytes) {
                    paceStart_ = Clock::now();
                    paceBase_ = received_;
                }
            }
            if (got >= 0)
                return got;
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return -1;
        }
    }

    int fd_;
    std::vector<char> buffer_ = std::vector<char>(kReadBlock);
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t received_ = 0;
    std::uint64_t sent_ = 0;
    Clock::time_point headDeadline_;
    // cpp-httplib asks whether the stream is writable through a const
    // function; the answer moves the pace on.
    mutable Phase phase_ = Phase::Head;
    mutable Clock::time_point paceStart_;
    mutable std::uint64_t paceBase_ = 0;
    mutable const char* dropReason_ = nullptr;
};

} // namespace

TimedHttpServer::TimedHttpServer()
{
    new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
}

void TimedHttpServer::reportDrops(std::function<void(const std::string&)> report)
{
    dropReport_ = std::move(report);
}

void TimedHttpServer::widenBacklog()
{
    // A second listen() on a listening socket sets its backlog anew.
    ::listen(svr_sock_, SOMAXCONN);
}

void TimedHttpServer::closeConnections()
{
    std::lock_guard lock(mutex_);
    closing_ = true;
    for (const socket_t sock : open_)
        ::shutdown(sock, SHUT_RDWR);
}

bool TimedHttpServer::track(socket_t sock)
{
    std::lock_guard lock(mutex_);
    if (closing_)
        return false;
    open_.insert(sock);
    return true;
}

void TimedHttpServer::untrack(socket_t sock)
{
    std::lock_guard lock(mutex_);
    open_.erase(sock);
}

// Takes the place of the library's own loop over a connection's requests,
// which waits for each byte anew.
bool TimedHttpServer::process_and_close_socket(socket_t sock)
{
    bool served = false;
    if (track(sock)) {
        ConnectionStream stream(sock);
        for (std::size_t left = keep_alive_max_count_; left > 0 && svr_sock_ != INVALID_SOCKET; --left) {
            if (left != keep_alive_max_count_ && !stream.requestArrives(kKeepAliveTime))
                break;
            stream.expectRequest(Clock::now() + kRequestHeadTime);
            bool closed = false;
            served = process_request(stream, left == 1, closed, [&](httplib::Request&) { stream.headReceived(); });
            if (!served || closed)
                break;
        }
        untrack(sock);
        if (stream.dropReason() && dropReport_) {
            std::string ip = "?";
            int port = 0;
            stream.get_remote_ip_and_port(ip, port);
            const std::string host = ip.find(':') == std::string::npos ? ip : "[" + ip + "]";
            dropReport_("http " + host + ":" + std::to_string(port) + ": " + stream.dropReason());
        }
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return served;
}

} // namespace vexo::server
