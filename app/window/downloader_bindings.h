#pragma once

#include <QObject>

#include <memory>

namespace vexo {

class TSettingForm;
class TVmain;
struct Downloader;

// The server downloader's Qt side: owns its logic and the settings dialog,
// and binds the downloader tab's controls, the tray items, the status bar
// and the three timers to their handlers.
class DownloaderBindings : public QObject {
    Q_OBJECT
public:
    explicit DownloaderBindings(TVmain& window);
    ~DownloaderBindings() override;

    Downloader& downloader() { return *downloader_; }
    // The settings dialog, made right after the main window's start-up (or
    // at its first use, should that come earlier).
    TSettingForm& settingForm();

private:
    TVmain& window_;
    std::unique_ptr<Downloader> downloader_;
    std::unique_ptr<TSettingForm> settingForm_;
};

} // namespace vexo
