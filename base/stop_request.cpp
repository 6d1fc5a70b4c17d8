// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/stop_request.h"

#include <atomic>

namespace vexo {

namespace {

// Lock-free, so that a signal handler may set it.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace

void RequestStop() noexcept
{
    stopRequested.store(true, std::memory_order_relaxed);
}

bool StopRequested() noexcept
{
    return stopRequested.load(std::memory_order_relaxed);
}

void ClearStopRequest() noexcept
{
    stopRequested.store(false, std::memory_order_relaxed);
}

StopRequest::StopRequest() : std::runtime_error("The program is ending")
{}

void StopIfRequested()
{
    if (StopRequested())
        throw StopRequest();
}

} // namespace vexo
