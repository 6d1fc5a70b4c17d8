// SPDX-License-Identifier: GPL-3.0-or-later
// Servers that misbehave, for the responsiveness benchmark: each listens on
// 127.0.0.1, prints its port, and runs until it is ended.
//   hostile_peer trickle SECONDS  listing: "connected", then three entries and "=END=", a line every SECONDS
//   hostile_peer silent           listing: "connected" and one whole entry, then silence
//   hostile_peer stall            HTTP: names 1 MiB, sends half of it, then silence
//   hostile_peer plain            HTTP only: a request that never ends (a TLS hello) gets silence
//   hostile_peer full             a listener whose accept queue is full: connects hang
//   hostile_peer fast BYTES       HTTP: BYTES bytes as fast as the connection takes them, under an
//                                 ETag as vexo-server names its files (the fetch keeps a resume record)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace std::string_literals;

int Listen(int backlog, int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, backlog) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("hostile_peer");
        std::exit(1);
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Reads until `end` has arrived; false when the peer closes first.
bool ReadUntil(int connection, const char* end)
{
    std::string request;
    char buffer[4096];
    while (request.find(end) == std::string::npos) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

bool SendAll(int connection, const std::string& bytes)
{
    return ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

// Keeps the connection open, sending nothing, until the client closes it.
void HoldSilent(int connection)
{
    char buffer[4096];
    while (::recv(connection, buffer, sizeof buffer, 0) > 0) {
    }
}

void Trickle(int connection, int seconds)
{
    if (!ReadUntil(connection, "\n\r\n") || !SendAll(connection, "connected\n"))
        return;
    std::vector<std::string> lines;
    for (int file = 1; file <= 3; ++file) {
        const std::string name = std::to_string(file);
        for (const std::string& field : {"trickled-" + name + ".avi", "http://127.0.0.1/" + name, "r" + name, "1000"s})
            lines.push_back(field);
    }
    lines.push_back("=END=");
    for (const std::string& line : lines) {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        if (!SendAll(connection, line + "\n"))
            return;
    }
}

void Silent(int connection)
{
    if (ReadUntil(connection, "\n\r\n") && SendAll(connection, "connected\na.avi\nhttp://127.0.0.1/a\nref-a\n2000\n"))
        HoldSilent(connection);
}

void Stall(int connection)
{
    const std::size_t named = 1 << 20;
    if (ReadUntil(connection, "\r\n\r\n")
        && SendAll(connection, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(named) + "\r\n\r\n")
        && SendAll(connection, std::string(named / 2, 'v')))
        HoldSilent(connection);
}

void Plain(int connection)
{
    if (ReadUntil(connection, "\r\n\r\n"))
        SendAll(connection, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nplain");
}

void Fast(int connection, long long bytes)
{
    if (!ReadUntil(connection, "\r\n\r\n")
        || !SendAll(connection, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(bytes)
                                    + "\r\nETag: \"fast\"\r\nConnection: close\r\n\r\n"))
        return;
    const std::string block(1 << 20, 'f');
    while (bytes > 0) {
        const std::size_t size = static_cast<std::size_t>(std::min<long long>(bytes, block.size()));
        if (!SendAll(connection, block.substr(0, size)))
            return;
        bytes -= static_cast<long long>(size);
    }
}

// Connects until one connection is left waiting for its handshake: the
// accept queue of the backlog-0 listener is then full, and the kernel drops
// further SYNs, so a client's connect hangs until it gives up.
std::vector<int> FillAcceptQueue(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    std::vector<int> fillers;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        fillers.push_back(fd);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        pollfd entry{fd, POLLOUT, 0};
        if (::poll(&entry, 1, 200) == 0)
            return fillers;
    }
    std::fprintf(stderr, "hostile_peer: cannot fill the accept queue\n");
    std::exit(1);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc >= 2 ? argv[1] : "";
    const bool takesNumber = mode == "trickle" || mode == "fast";
    const bool known = takesNumber || mode == "silent" || mode == "stall" || mode == "plain" || mode == "full";
    if (!known || argc != (takesNumber ? 3 : 2)) {
        std::fprintf(stderr, "usage: hostile_peer trickle SECONDS | silent | stall | plain | full | fast BYTES\n");
        return 2;
    }
    const long long number = takesNumber ? std::atoll(argv[2]) : 0;
    int port = 0;
    const int listener = Listen(mode == "full" ? 0 : 16, port);
    if (mode == "full") {
        const std::vector<int> fillers = FillAcceptQueue(port);
        std::printf("%d\n", port);
        std::fflush(stdout);
        for (;;)
            ::pause();
    }
    std::printf("%d\n", port);
    std::fflush(stdout);
    for (;;) {
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        std::thread([connection, mode, number] {
            if (mode == "trickle")
                Trickle(connection, static_cast<int>(number));
            else if (mode == "silent")
                Silent(connection);
            else if (mode == "stall")
                Stall(connection);
            else if (mode == "plain")
                Plain(connection);
            else
                Fast(connection, number);
            ::close(connection);
        }).detach();
    }
}
