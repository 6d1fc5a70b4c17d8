// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/xdg_open.h"

#include <cerrno>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vexo {

bool XdgOpen(const std::string& address)
{
    // The shell starts xdg-open in the background and ends at once, so the
    // window never waits for the browser and no child is left to reap.
    static const char kScript[] = "command -v xdg-open >/dev/null 2>&1 || exit 127\n"
                                  "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &\n";
    std::string shell = "sh", script = kScript, name = "xdg-open", argument = address;
    char* argv[] = {shell.data(), const_cast<char*>("-c"), script.data(), name.data(), argument.data(), nullptr};

    pid_t child = 0;
    if (::posix_spawn(&child, "/bin/sh", nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace vexo
