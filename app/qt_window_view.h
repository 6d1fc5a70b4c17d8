// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/tray_view.h"
#include "window_handlers/window_view.h"

#include <QString>

namespace vexo {

struct MainWindowControls;

// The main window as a whole and its tray icon.
class QtWindowView : public WindowView, public TrayView {
public:
    explicit QtWindowView(MainWindowControls& controls) : c_(controls) {}

    void showCaption(const std::string& caption) override;
    void resizeWindow(int width, int height) override;
    void closeWindow() override;
    void showDecoderTab() override;
    void showUrlTab(bool visible) override;

    void showTrayHint(const std::string& hint) override;
    void markAutoCheck(bool on) override;
    void setStopItemEnabled(bool enabled) override;
    void announceArrivals(const std::vector<std::string>& names) override;
    void endArrivals() override;
    void showTrouble(const std::string& lastError) override;
    void clearTrouble() override;
    void announce(const std::string& text) override;
    bool windowInTray() const override;

private:
    void showToolTip();

    MainWindowControls& c_;
    // The hint as the logic gave it, and the error line below it while
    // something keeps failing.
    QString hint_;
    bool inTrouble_ = false;
    QString lastError_;
};

} // namespace vexo
