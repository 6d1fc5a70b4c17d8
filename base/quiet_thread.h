// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <thread>

namespace vexo {

// Starts a thread that takes no signals, so that they still reach the
// thread that waits for them and interrupt its waits. Returns an empty
// (not joinable) thread when the system has none to give: the caller then
// does the work itself.
std::thread StartQuietThread(std::function<void()> work);

} // namespace vexo
