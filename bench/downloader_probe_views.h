// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "downloader/downloader_view.h"
#include "downloader/tray_view.h"
#include "web/web_pages_view.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vexo::bench {

// The downloader's views for a benchmark: they keep the last status text
// and the last message box's text (answered at once), and hand the pump to
// the function the benchmark gives.
class DownloaderProbeViews final : public DownloaderView, public TrayView, public WebPagesView, public Dialogs {
public:
    explicit DownloaderProbeViews(std::function<void()> pump) : pump_(std::move(pump)) {}

    std::string lastStatus;
    std::string lastMessage;

    // DownloaderView
    void setServerControlsEnabled(bool) override {}
    void showAutoCheck(bool) override {}
    void showAutoCheckPeriod(const std::string&) override {}
    void setStopEnabled(bool) override {}
    void showServerFiles(const ServerFileTable&) override {}
    void showFetchName(const std::string&) override {}
    void showFetchStatus(const std::string&) override {}
    void showFetchSpeed(const std::string&) override {}
    void showFetchProgress(std::int64_t, std::int64_t) override {}
    void setTimerActive(DownloaderTimer, bool) override {}
    void setTimerInterval(DownloaderTimer, std::uint32_t) override {}
    void showStatus(const std::string& text) override { lastStatus = text; }
    void showQueuedTasks(const std::string&) override {}

    // TrayView
    void showTrayHint(const std::string&) override {}
    void markAutoCheck(bool) override {}
    void setStopItemEnabled(bool) override {}
    void announceArrivals(const std::vector<std::string>&) override {}
    void endArrivals() override {}
    void showTrouble(const std::string&) override {}
    void clearTrouble() override {}
    void announce(const std::string&) override {}
    bool windowInTray() const override { return false; }

    // WebPagesView
    void load(WebPage, const std::string&) override {}
    std::string address(WebPage) const override { return {}; }
    void whenRemovalLoaded(std::function<void(const std::string&, bool)>) override {}

    // Dialogs
    void showMessage(MessageKind, const std::string& text) override { lastMessage = text; }
    void showNotice(MessageKind, const std::string& text) override { lastMessage = text; }
    std::vector<std::string> pickFiles(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> pickFolder(const std::string&, const std::string&) override { return {}; }
    void openExternally(const std::string&) override {}
    void pump() override { pump_(); }

private:
    std::function<void()> pump_;
};

} // namespace vexo::bench
