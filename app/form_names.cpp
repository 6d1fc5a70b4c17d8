// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/form_names.h"

#include "app/main_window_controls.h"
#include "app/server_grid.h"
#include "app/server_settings_controls.h"
#include "app/status_bar.h"
#include "app/tray_icon.h"
#include "app/window_timer.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>

#include <initializer_list>
#include <utility>

namespace vexo {

namespace {

using NamedObject = std::pair<QObject*, const char*>;

void Name(std::initializer_list<NamedObject> table)
{
    for (const auto& [object, name] : table)
        object->setObjectName(QString::fromLatin1(name));
}

} // namespace

void NameMainWindowWidgets(const MainWindowControls& c)
{
    Name({
        {c.window, "Vmain"},
        {c.tabs, "Tabs"},
        {c.statusBar, "StatusB"},
        {c.decoderTab, "TabSheet1"},
        {c.decoderCommands, "GroupBox1"},
        {c.addAllButton, "Button2"},
        {c.addPickedButton, "Add"},
        {c.clearQueueButton, "Delet"},
        {c.removeEntryButton, "Delone"},
        {c.queueSeparator, "Bevel1"},
        {c.decodeButton, "Proced"},
        {c.joinPartsButton, "Button1"},
        {c.runSeparator, "Bevel2"},
        {c.openFolderButton, "Button8"},
        {c.openSiteButton, "SiteOpen"},
        {c.joinAtOnceBox, "auto"},
        {c.deleteAfterDecodingBox, "AutoDelete"},
        {c.openFolderAfterBox, "Autoopen"},
        {c.decodeArrivalsBox, "AutoDecode"},
        {c.goButton, "FullGo"},
        {c.folderLabel, "Label1"},
        {c.folderBox, "TFolder"},
        {c.chooseFolderButton, "Button7"},
        {c.queueList, "List"},
        {c.runProgressBar, "ProgressBar1"},
        {c.fileProgressBar, "ProgressBar2"},
        {c.downloaderTab, "TabSheet2"},
        {c.downloaderCommands, "GroupBox2"},
        {c.checkServerButton, "GetList"},
        {c.stopButton, "StopDown"},
        {c.serverSettingsButton, "Settings"},
        {c.autoCheckBox, "AutoO"},
        {c.autoCheckPeriodBox, "aosec"},
        {c.secondsLabel, "Label2"},
        {c.serverFileGrid, "filesl"},
        {c.fetchBox, "GroupBox6"},
        {c.fetchNameLabel, "filenamedown"},
        {c.fetchStatusLabel, "Statusdown"},
        {c.fetchSpeedLabel, "Speeddown"},
        {c.fetchProgressBar, "ProgressBar3"},
        {c.uploadTab, "TabSheet3"},
        {c.newsTab, "NewsSheet"},
        {c.aboutBox, "GroupBox4"},
        {c.aboutText, "Memo2"},
        {c.newsBox, "GroupBox3"},
        {c.newsHolder, "WebNewsHolder"},
        {c.moreBox, "GroupBox5"},
        {c.moreButton, "More"},
        {c.urlTab, "TabSheet4"},
        {c.urlLabel, "Label3"},
        {c.urlBox, "Urlstr"},
        {c.downloadUrlButton, "Download"},
        {c.removalHolder, "DelwebHolder"},
        {c.queueMenu, "PopupMenu1"},
        {c.removeEntryItem, "Delete1"},
        {c.realNameItem, "realnam"},
        {c.sizeItem, "Sizef"},
        {c.keyItem, "Key"},
        {c.trayIcon, "Tray"},
        {c.trayMenu, "PopupMenu2"},
        {c.showWindowItem, "N5"},
        {c.checkServerItem, "N2"},
        {c.stopItem, "N6"},
        {c.autoCheckItem, "N4"},
        {c.exitItem, "N3"},
        {c.runnerTimer, "Timer"},
        {c.fetchProgressTimer, "Timer1"},
        {c.autoCheckTimer, "Bigtimer"},
    });
}

void NameServerSettingsWidgets(const ServerSettingsControls& c)
{
    Name({
        {c.dialog, "SettingForm"},
        {c.loginLabel, "NameSLabel"},
        {c.loginField, "NameS"},
        {c.passwordLabel, "PassSLabel"},
        {c.passwordField, "PassS"},
        {c.serverLabel, "ServerIPLabel"},
        {c.serverField, "ServerIP"},
        {c.portLabel, "PortSLabel"},
        {c.portField, "PortS"},
        {c.removalGroup, "RadioGroup1"},
        {c.removeInBrowserButton, "RadioButton1"},
        {c.removeSilentlyButton, "RadioButton2"},
        {c.keepOnServerButton, "RadioButton3"},
        {c.startAtLoginBox, "StartAtLogin"},
        {c.okButton, "Button1"},
    });
}

QString PageViewName(WebPage page)
{
    switch (page) {
    case WebPage::UploadManagement: return QStringLiteral("WebBrow");
    case WebPage::News: return QStringLiteral("WebNews");
    case WebPage::Removal: return QStringLiteral("delweb");
    }
    return {};
}

} // namespace vexo
