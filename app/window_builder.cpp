// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_builder.h"

#include "app/accessible_names.h"
#include "app/form_names.h"
#include "app/hint_echo.h"
#include "app/hints.h"
#include "app/status_bar.h"
#include "app/tab_bar_accessible.h"
#include "app/tab_builders.h"
#include "app/tab_keys.h"
#include "app/window_timer.h"

#include <QMainWindow>
#include <QMenu>
#include <QSpacerItem>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vexo {

namespace {

constexpr int kDesignWidth = 640;

} // namespace

MainWindowControls BuildMainWindow(QMainWindow& window)
{
    MainWindowControls c;
    c.window = &window;
    // At least 640 x 300. Beyond that the layouts set the least width: a
    // larger desktop font widens the captions, and so the window.
    window.setMinimumHeight(300);
    window.resize(kDesignWidth, 500);

    auto* central = new QWidget(&window);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Holds the window to its design width at the least.
    layout->addSpacerItem(new QSpacerItem(kDesignWidth, 0, QSizePolicy::Fixed, QSizePolicy::Fixed));

    InstallTabBarAccessibility();
    c.tabs = new QTabWidget(central);
    c.tabs->addTab(BuildDecoderTab(c), QString::fromUtf8("Дешифратор"));
    c.tabs->addTab(BuildDownloaderTab(c), QStringLiteral("Downloader"));
    c.tabs->addTab(BuildUploadTab(c), QString::fromUtf8("Управление закачкой"));
    c.tabs->addTab(BuildNewsTab(c), QString::fromUtf8("О программе"));
    c.tabs->addTab(BuildUrlTab(c), QStringLiteral("Downloader"));
    BindTabSwitchKeys(c.tabs, &window);

    c.statusBar = new StatusBar(central);
    SetHint(c.statusBar, QString::fromUtf8("Vexorama — свободный клиент сервиса Vexo. Команда Vexorama"));

    layout->addWidget(c.tabs, 1);
    layout->addWidget(c.statusBar);
    window.setCentralWidget(central);

    BuildMenus(c, &window);
    c.runnerTimer = new WindowTimer(5000, true, &window);
    c.fetchProgressTimer = new WindowTimer(100, false, &window);
    c.autoCheckTimer = new WindowTimer(1000, false, &window);
    c.periodTypingTimer = new WindowTimer(1000, false, &window);
    c.trayHintTimer = new WindowTimer(1000, false, &window);

    auto* hintEcho = new HintEcho(c.statusBar);
    hintEcho->watchMenu(c.queueMenu);
    hintEcho->watchMenu(c.trayMenu);

    NameMainWindowWidgets(c);
    NameForScreenReaders(c);
    return c;
}

} // namespace vexo
