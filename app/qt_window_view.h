// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/tray_view.h"
#include "window_handlers/window_view.h"

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

private:
    MainWindowControls& c_;
};

} // namespace vexo
