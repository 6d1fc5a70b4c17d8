// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_window_view.h"

#include "app/arrival_notice.h"
#include "app/main_window_controls.h"
#include "app/program_icon.h"
#include "app/tab_bar_accessible.h"
#include "app/tray_icon.h"
#include "app/tray_notice.h"
#include "app/window_presence.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>

namespace vexo {

namespace {

// What a window manager's frame adds to the window: known once the window
// has been framed; before that, room for a title bar and borders.
QSize FrameAllowance(const QWidget& window)
{
    const QSize frame = window.frameGeometry().size() - window.size();
    return frame == QSize(0, 0) ? QSize(8, 32) : frame;
}

} // namespace

void QtWindowView::showCaption(const std::string& caption)
{
    c_.window->setWindowTitle(QString::fromStdString(caption));
}

void QtWindowView::resizeWindow(int width, int height)
{
    QSize size(width, height);
    // A size stored on a larger screen shrinks to this one's free area.
    if (const QScreen* screen = c_.window->screen())
        size = size.boundedTo(screen->availableGeometry().size() - FrameAllowance(*c_.window));
    c_.window->resize(size);
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
    const int index = c_.tabs->indexOf(c_.urlTab);
    if (c_.tabs->isTabVisible(index) == visible)
        return;
    c_.tabs->setTabVisible(index, visible);
    AnnounceTabsChanged(c_.tabs->tabBar());
}

void QtWindowView::showTrayHint(const std::string& hint)
{
    hint_ = QString::fromStdString(hint);
    showToolTip();
}

void QtWindowView::showToolTip()
{
    const QString text = inTrouble_ ? hint_ + QLatin1Char('\n') + lastError_ : hint_;
    // Asked for at every tick of a download: a tray on the session bus is
    // told only of a change.
    if (c_.trayIcon->toolTip() != text)
        c_.trayIcon->setToolTip(text);
}

void QtWindowView::markAutoCheck(bool on)
{
    const QSignalBlocker quiet(c_.autoCheckItem);
    c_.autoCheckItem->setChecked(on);
}

void QtWindowView::setStopItemEnabled(bool enabled)
{
    c_.stopItem->setEnabled(enabled);
}

void QtWindowView::announceArrivals(const std::vector<std::string>& names)
{
    // A window in front of the user shows the arrivals itself.
    if (WindowInSight(*c_.window))
        return;
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names)
        shown << QString::fromStdString(name);
    c_.arrivalNotice->show(shown);
}

void QtWindowView::endArrivals()
{
    c_.arrivalNotice->endCheck(WindowInSight(*c_.window));
}

void QtWindowView::showTrouble(const std::string& lastError)
{
    if (!inTrouble_) {
        inTrouble_ = true;
        // The tray may not hold the program's icon yet: the window's first
        // paint comes before it.
        if (QApplication::windowIcon().isNull())
            QApplication::setWindowIcon(ProgramIcon());
        c_.trayIcon->setIcon(TroubleIcon(QApplication::windowIcon()));
    }
    // A text of several lines (a box's) is one line of the hint.
    lastError_ = QString::fromStdString(lastError).simplified();
    showToolTip();
}

void QtWindowView::clearTrouble()
{
    if (!inTrouble_)
        return;
    inTrouble_ = false;
    c_.trayIcon->setIcon(QApplication::windowIcon());
    lastError_.clear();
    showToolTip();
}

void QtWindowView::announce(const std::string& text)
{
    if (WindowInSight(*c_.window))
        return;
    ShowTrayNotice(*c_.trayIcon, QString::fromStdString(text));
}

bool QtWindowView::windowInTray() const
{
    return c_.window->isHidden() || c_.window->isMinimized();
}

} // namespace vexo
