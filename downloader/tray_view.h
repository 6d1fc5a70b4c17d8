// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace vexo {

// The tray icon.
class TrayView {
public:
    virtual ~TrayView() = default;

    virtual void showTrayHint(const std::string& hint) = 0;
    // The check mark of "Автообновление".
    virtual void markAutoCheck(bool on) = 0;
    // The item "Остановить": enabled while a download runs.
    virtual void setStopItemEnabled(bool enabled) = 0;
    // The files the current check has brought whole so far, the whole list
    // each time it changes: one notice for the check that updates itself,
    // shown only while the window sits in the tray.
    virtual void announceArrivals(const std::vector<std::string>& names) = 0;
    // The check whose arrivals were announced is over: the next arrivals
    // are a new notice's.
    virtual void endArrivals() = 0;
};

} // namespace vexo
