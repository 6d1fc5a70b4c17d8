// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/quiet_thread.h"

#include <csignal>
#include <system_error>

#include <pthread.h>

namespace vexo {

std::thread StartQuietThread(std::function<void()> work)
{
    // A new thread inherits the signal mask in force when it is made.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    std::thread thread;
    try {
        thread = std::thread(std::move(work));
    } catch (const std::system_error&) {
        // Left empty.
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return thread;
}

} // namespace vexo
