// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/work_beside_pump.h"

#include "base/quiet_thread.h"
#include "downloader/pump_pacer.h"

#include <exception>
#include <future>
#include <thread>

namespace vexo {

void RunBesidePump(const std::function<void(const std::atomic<bool>& calledOff)>& work,
                   const std::function<void()>& between)
{
    std::atomic<bool> calledOff{false};
    std::promise<void> done;
    std::future<void> ended = done.get_future();
    std::thread thread = StartQuietThread([&] {
        try {
            work(calledOff);
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    if (!thread.joinable()) {
        work(calledOff);
        return;
    }
    try {
        while (ended.wait_for(kWaitSlice) != std::future_status::ready)
            between();
    } catch (...) {
        calledOff = true;
        thread.join();
        throw;
    }
    thread.join();
    ended.get();
}

} // namespace vexo
