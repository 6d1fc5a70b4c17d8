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

    // Something keeps failing: the icon takes its error look and the hint
    // ends with a line naming `lastError`. Called again as the error
    // changes; clearTrouble brings back the icon's own look and hint.
    virtual void showTrouble(const std::string& lastError) = 0;
    virtual void clearTrouble() = 0;
    // A short notification from the downloader (a failure, or that it works
    // again), shown only while the window is out of the user's sight.
    virtual void announce(const std::string& text) = 0;
    // Whether the window sits in the tray (hidden or minimised), where a box
    // would pop up over the desktop out of nowhere.
    virtual bool windowInTray() const = 0;
};

} // namespace vexo
