#include "app/downloader_bindings.h"

#include "downloader/auto_check.h"
#include "downloader/downloader.h"
#include "downloader/http_fetch.h"
#include "app/main_window.h"
#include "app/setting_form.h"
#include "app/status_bar.h"
#include "app/window_timer.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace vexo {

DownloaderBindings::DownloaderBindings(TVmain& window)
    : QObject(&window), window_(window),
      downloader_(std::make_unique<Downloader>(window.session(), window.ops()))
{
    setObjectName("DownloaderBindings");
    MainWindowControls& c = window.controls();
    Downloader& d = *downloader_;
    connect(c.Settings, &QPushButton::clicked, this, window.guarded([this] { settingForm().SettingsClick(); }));
    connect(c.GetList, &QPushButton::clicked, this, window.guarded([&d] { GetListClick(d); }));
    connect(c.AutoO, &QCheckBox::toggled, this, window.guarded([&d] { AutoOClick(d); }));
    connect(c.aosec, &QLineEdit::textChanged, this, window.guarded([&d] { aosecChange(d); }));
    connect(c.N2, &QAction::triggered, this, window.guarded([&d] { N2Click(d); }));
    // The item toggles its own mark when chosen; the box follows the mark.
    connect(c.N4, &QAction::toggled, this, window.guarded([&d] { N4Click(d); }));
    connect(c.StatusB, &StatusBar::clicked, this, window.guarded([&d] { StatusBClick(d); }));
    connect(c.Timer, &WindowTimer::tick, this, window.guarded([&d] { TimerTimer(d); }));
    connect(c.Timer1, &WindowTimer::tick, this,
            window.guarded([&d] { Timer1Timer(d.progress, d.session, d.ops); }));
    connect(c.Bigtimer, &WindowTimer::tick, this, window.guarded([&d] { BigtimerTimer(d); }));

    // The dialog reads the settings after the main window's start-up has run;
    // building its window waits until it is first opened.
    QTimer::singleShot(0, this, window.guarded([this] { readSettingFormFields(); }));
}

void DownloaderBindings::readSettingFormFields()
{
    if (settingFormFields_)
        return;
    const Session& session = window_.session();
    // The dialog's own handle on the settings file, for the whole run.
    settingFormStore_ = std::make_unique<SettingsStore>(session.settings ? session.settings->path()
                                                                         : SettingsFilePath(session.executablePath));
    settingFormFields_ = std::make_unique<SettingFormFields>(ReadSettingFormFields(*settingFormStore_));
}

DownloaderBindings::~DownloaderBindings() = default;

TSettingForm& DownloaderBindings::settingForm()
{
    if (!settingForm_) {
        readSettingFormFields();
        settingForm_ = std::make_unique<TSettingForm>(window_, std::move(settingFormStore_), *settingFormFields_);
    }
    return *settingForm_;
}

} // namespace vexo
