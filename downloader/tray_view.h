// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

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
    // A file has arrived whole: a short notification naming it, shown only
    // while the window sits in the tray.
    virtual void announceArrival(const std::string& fileName) = 0;
};

} // namespace vexo
