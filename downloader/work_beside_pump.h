// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <functional>

namespace vexo {

// Runs `work` on a thread of its own (base/quiet_thread.h) and returns
// when it has ended, passing on what it throws. Meanwhile this thread waits
// in slices of kWaitSlice (downloader/pump_pacer.h) and runs `between`
// after each, so that a long step on the disk (a final flush, a rename on
// a slow stick) never holds the window. When `between` throws, `work` is
// called off: its flag `calledOff` turns true, it is waited for (it should
// stop at its next safe point), and what `between` threw passes on. Where
// no thread can be had, `work` runs here.
void RunBesidePump(const std::function<void(const std::atomic<bool>& calledOff)>& work,
                   const std::function<void()>& between);

} // namespace vexo
