// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

namespace vexo {

class ServerSettingsDialog;
class Downloader;
struct ServerSettingsForm;
struct WindowContext;

// The server downloader's Qt side: owns its logic, makes the settings dialog,
// and binds the downloader tab's controls, the tray items, the status bar
// and the three timers to their handlers.
class DownloaderBindings : public QObject {
    Q_OBJECT
public:
    explicit DownloaderBindings(WindowContext& context);
    ~DownloaderBindings() override;

    const Downloader& downloader() const { return *downloader_; }
    // The start-up has opened the settings file: the check takes the server
    // it holds, and the automatic check its switch and period.
    void takeStoredSettings();

private:
    // The settings dialog. Its fields are read right after the main window's
    // start-up; its window is built at its first use.
    ServerSettingsDialog& settingsDialog();
    void readSettingsDialogFields();

    WindowContext& context_;
    std::unique_ptr<Downloader> downloader_;
    std::unique_ptr<ServerSettingsForm> dialogFields_;
    // A child window of the main window, which owns it.
    ServerSettingsDialog* dialog_ = nullptr;
};

} // namespace vexo
