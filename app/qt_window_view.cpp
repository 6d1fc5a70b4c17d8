// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_window_view.h"

#include "app/main_window_controls.h"

#include <QAction>
#include <QMainWindow>
#include <QSignalBlocker>
#include <QSystemTrayIcon>
#include <QTabWidget>

namespace vexo {

namespace {

constexpr int kArrivalNoticeMs = 5000;

} // namespace

void QtWindowView::showCaption(const std::string& caption)
{
    c_.window->setWindowTitle(QString::fromStdString(caption));
}

void QtWindowView::resizeWindow(int width, int height)
{
    c_.window->resize(width, height);
}

void QtWindowView::closeWindow()
{
    c_.window->close();
}

void QtWindowView::showDecoderTab()
{
    c_.tabs->setCurrentWidget(c_.decoderTab);
}

void QtWindowView::showUrlTab(bool visible)
{
    c_.tabs->setTabVisible(c_.tabs->indexOf(c_.urlTab), visible);
}

void QtWindowView::showTrayHint(const std::string& hint)
{
    c_.trayIcon->setToolTip(QString::fromStdString(hint));
}

void QtWindowView::markAutoCheck(bool on)
{
    const QSignalBlocker quiet(c_.autoCheckItem);
    c_.autoCheckItem->setChecked(on);
}

void QtWindowView::announceArrival(const std::string& fileName)
{
    // A window in sight shows the arrival itself.
    if (c_.window->isVisible() && !c_.window->isMinimized())
        return;
    if (!c_.trayIcon->isVisible() || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    c_.trayIcon->showMessage(QStringLiteral("Vexorama"),
                             QString::fromUtf8("Скачан файл ") + QString::fromStdString(fileName),
                             QSystemTrayIcon::Information, kArrivalNoticeMs);
}

} // namespace vexo
