// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/started_program.h"

#include <csignal>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexo::test {

namespace {

bool RedirectTo(const std::string& file, int stream)
{
    if (file.empty())
        return true;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    return fd >= 0 && ::dup2(fd, stream) >= 0;
}

} // namespace

void DieWithParent(pid_t parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have gone before the line above took effect.
    if (::getppid() != parent)
        ::_exit(126);
}

pid_t StartProgram(const std::string& program, const std::vector<std::string>& args, const Environment& environment,
                   const Surroundings& surroundings)
{
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        DieWithParent(parent);
        for (const auto& [name, value] : environment) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        if (!surroundings.currentFolder.empty() && ::chdir(surroundings.currentFolder.c_str()) != 0)
            ::_exit(126);
        if (!RedirectTo(surroundings.outputFile, STDOUT_FILENO) || !RedirectTo(surroundings.errorFile, STDERR_FILENO))
            ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return child;
}

int WaitForExit(pid_t child, std::chrono::steady_clock::time_point deadline)
{
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int WaitForExit(pid_t child, std::chrono::seconds limit)
{
    return WaitForExit(child, std::chrono::steady_clock::now() + limit);
}

bool Running(pid_t child)
{
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

StartedProgram::StartedProgram(const std::string& program, const std::vector<std::string>& args,
                               const Environment& environment, const Surroundings& surroundings)
    : pid_(StartProgram(program, args, environment, surroundings))
{}

StartedProgram::~StartedProgram()
{
    if (pid_ > 0 && !reaped_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool StartedProgram::running() const
{
    return pid_ > 0 && !reaped_ && Running(pid_);
}

int StartedProgram::waitForExit(std::chrono::seconds limit)
{
    if (pid_ <= 0 || reaped_)
        return -1;
    reaped_ = true;
    return WaitForExit(pid_, limit);
}

int StartedProgram::stop(int signal, std::chrono::seconds limit)
{
    if (pid_ > 0 && !reaped_)
        ::kill(pid_, signal);
    return waitForExit(limit);
}

} // namespace vexo::test
