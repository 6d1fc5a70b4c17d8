#include "downloader_bindings.h"

#include "downloader.h"
#include "main_window.h"
#include "setting_form.h"

#include <QPushButton>
#include <QTimer>

namespace vexo {

DownloaderBindings::DownloaderBindings(TVmain& window)
    : QObject(&window), window_(window),
      downloader_(std::make_unique<Downloader>(window.session(), window.ops()))
{
    setObjectName("DownloaderBindings");
    MainWindowControls& c = window.controls();
    connect(c.Settings, &QPushButton::clicked, this, window.guarded([this] { settingForm().SettingsClick(); }));

    // The dialog reads the settings after the main window's start-up has run.
    QTimer::singleShot(0, this, window.guarded([this] { settingForm(); }));
}

DownloaderBindings::~DownloaderBindings() = default;

TSettingForm& DownloaderBindings::settingForm()
{
    if (!settingForm_)
        settingForm_ = std::make_unique<TSettingForm>(window_);
    return *settingForm_;
}

} // namespace vexo
