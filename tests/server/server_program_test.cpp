// SPDX-License-Identifier: GPL-3.0-or-later
// The vexo-server program itself: start-up messages, exit codes, stop signals.
#include "base/program_version.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <regex>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexo::server {
namespace {

using namespace std::chrono_literals;

// vexo-server as a child process with its standard output and error read
// through pipes; killed if a test leaves it running.
class ServerProcess {
public:
    explicit ServerProcess(std::vector<std::string> args)
    {
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe2() failed");
        args.insert(args.begin(), VEXO_SERVER_PROGRAM);
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const pid_t parent = ::getpid();
        pid_ = ::fork();
        if (pid_ == 0) {
            test::DieWithParent(parent);
            if (::dup2(out[1], 1) < 0 || ::dup2(err[1], 2) < 0)
                ::_exit(126);
            ::execv(VEXO_SERVER_PROGRAM, argv.data());
            ::_exit(127);
        }
        const bool failed = pid_ < 0;
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
        if (failed)
            throw std::runtime_error("cannot start " VEXO_SERVER_PROGRAM);
    }
    ~ServerProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        ::close(err_);
    }

    // Reads standard output until it matches pattern or the time is up.
    bool waitForOutput(const std::regex& pattern, std::chrono::milliseconds limit = 10s)
    {
        const auto giveUp = std::chrono::steady_clock::now() + limit;
        while (!std::regex_search(output_, pattern)) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(giveUp - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !readSome(out_, output_, static_cast<int>(left.count())))
                return false;
        }
        return true;
    }

    // Waits for the exit (up to 10 s) and returns the exit code, -1 for a
    // signal or no exit; reads the rest of both outputs.
    int finish()
    {
        while (readSome(out_, output_, 10000)) {
        }
        while (readSome(err_, errors_, 10000)) {
        }
        int status = 0;
        const pid_t pid = std::exchange(pid_, -1);
        if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    void signal(int number) { ::kill(pid_, number); }
    const std::string& output() const { return output_; }
    const std::string& errors() const { return errors_; }

private:
    static bool readSome(int fd, std::string& into, int timeoutMs)
    {
        pollfd polled{fd, POLLIN, 0};
        if (::poll(&polled, 1, timeoutMs) <= 0)
            return false;
        char buffer[4096];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        into.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string output_;
    std::string errors_;
};

const std::regex kStarted("listing on 127\\.0\\.0\\.1:(\\d+), web site on 127\\.0\\.0\\.1:(\\d+)");

// Guards SIGTERM and SIGINT not stopping the server cleanly with exit code 0.
TEST(ServerProgramTest, StopSignalsEndItWithExitCodeZero)
{
    for (const int stopSignal : {SIGTERM, SIGINT}) {
        test::TempDir folder;
        ServerProcess server({"--folder", folder.path(), "--tcp-port", "0", "--http-port", "0"});
        ASSERT_TRUE(server.waitForOutput(kStarted)) << server.output();
        server.signal(stopSignal);
        EXPECT_EQ(server.finish(), 0) << server.errors();
        EXPECT_TRUE(server.output().ends_with("stopped\n")) << server.output();
    }
}

// Guards a port in use being shared or reported unclearly.
TEST(ServerProgramTest, PortInUseIsAClearError)
{
    const int holder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(holder, 1), 0);
    socklen_t length = sizeof address;
    ::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length);
    const std::string port = std::to_string(ntohs(address.sin_port));

    test::TempDir folder;
    for (const char* option : {"--tcp-port", "--http-port"}) {
        ServerProcess server({"--folder", folder.path(), "--tcp-port", "0", "--http-port", "0", option, port});
        EXPECT_EQ(server.finish(), 1) << option;
        EXPECT_NE(server.errors().find("127.0.0.1:" + port + ": Address already in use"), std::string::npos)
            << server.errors();
    }
    ::close(holder);
}

// Guards a missing folder or a bad option starting a server, or failing without saying why.
TEST(ServerProgramTest, BadStartsAreExplained)
{
    ServerProcess missing({"--folder", "/nonexistent/vexo", "--tcp-port", "0", "--http-port", "0"});
    EXPECT_EQ(missing.finish(), 1);
    EXPECT_EQ(missing.errors(), "vexo-server: folder /nonexistent/vexo: No such file or directory\n");

    ServerProcess badOption({"--folder", "/tmp", "--tcp-port", "x"});
    EXPECT_EQ(badOption.finish(), 2);
    EXPECT_NE(badOption.errors().find("--tcp-port needs a number"), std::string::npos);

    ServerProcess help({"--help"});
    EXPECT_EQ(help.finish(), 0);
    EXPECT_TRUE(help.output().starts_with("Usage: vexo-server"));
}

// Guards --version failing, printing anything but the project's version, or starting a server.
TEST(ServerProgramTest, VersionIsTheProjects)
{
    ServerProcess version({"--version"});
    EXPECT_EQ(version.finish(), 0);
    EXPECT_EQ(version.output(), "vexo-server " VEXO_VERSION "\n");
    EXPECT_EQ(version.errors(), "");

    ServerProcess help({"--help"});
    EXPECT_EQ(help.finish(), 0);
    EXPECT_NE(help.output().find("--version"), std::string::npos);
}

} // namespace
} // namespace vexo::server
