// SPDX-License-Identifier: GPL-3.0-or-later
// A plain HTTP server for the fetch benchmark: serves one file, whatever
// the path asked for, with its Content-Length, one connection after the
// other, straight from the page cache with sendfile. Prints its port and
// runs until it is ended.
//   fetch_server FILE
#include <cstdio>
#include <string>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads the request up to its blank line; nothing in it matters here.
bool ReadRequest(int connection)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

void Serve(int connection, const char* path)
{
    const int file = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (file < 0 || ::fstat(file, &info) != 0 || !ReadRequest(connection)) {
        if (file >= 0)
            ::close(file);
        return;
    }
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                             + std::to_string(info.st_size) + "\r\nConnection: close\r\n\r\n";
    if (::send(connection, head.data(), head.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(head.size())) {
        off_t offset = 0;
        while (offset<info.st_size&& ::sendfile(connection, file, &offset,
                                                static_cast<std::size_t>(info.st_size - offset))> 0) {
        }
    }
    ::close(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fetch_server FILE\n");
        return 2;
    }
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int reuse = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 8) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("fetch_server");
        return 1;
    }
    std::printf("%d\n", ntohs(address.sin_port));
    std::fflush(stdout);
    for (;;) {
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        Serve(connection, argv[1]);
        ::shutdown(connection, SHUT_WR);
        ::close(connection);
    }
}
