#pragma once

#include <QObject>

#include <memory>

namespace vexo {

class SettingsStore;
class TSettingForm;
class TVmain;
struct Downloader;
struct SettingFormFields;

// The server downloader's Qt side: owns its logic and the settings dialog,
// and binds the downloader tab's controls, the tray items, the status bar
// and the three timers to their handlers.
class DownloaderBindings : public QObject {
    Q_OBJECT
public:
    explicit DownloaderBindings(TVmain& window);
    ~DownloaderBindings() override;

    Downloader& downloader() { return *downloader_; }
    // The settings dialog. Its fields are read right after the main window's
    // start-up; its window is built at its first use.
    TSettingForm& settingForm();

private:
    void readSettingFormFields();

    TVmain& window_;
    std::unique_ptr<Downloader> downloader_;
    std::unique_ptr<SettingsStore> settingFormStore_;
    std::unique_ptr<SettingFormFields> settingFormFields_;
    std::unique_ptr<TSettingForm> settingForm_;
};

} // namespace vexo
