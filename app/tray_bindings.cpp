// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tray_bindings.h"

#include "app/after_first_paint.h"
#include "app/arrival_notice.h"
#include "app/main_window_controls.h"
#include "app/program_icon.h"
#include "app/tray_icon.h"
#include "app/tray_notice.h"
#include "app/window_context.h"
#include "app/window_presence.h"
#include "base/handler_boundary.h"
#include "base/session.h"
#include "decoder/working_folder.h"
#include "window_handlers/views.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include <chrono>
#include <utility>

namespace vexo {

TrayBindings::TrayBindings(WindowContext& context)
    : QObject(context.controls.window), context_(context), minimisingUnseen_(OnWayland())
{
    // The program's own icon on the session bus is a tray Qt may not know of.
    trayAvailable_ = [this] {
        return context_.controls.trayIcon->onSessionBus() || QSystemTrayIcon::isSystemTrayAvailable();
    };
    MainWindowControls& c = context.controls;
    connect(c.showWindowItem, &QAction::triggered, this, context.boundary.guard([this] { bringWindowBack(); }));
    connect(c.exitItem, &QAction::triggered, this, context.boundary.guard([this] { exitProgram(); }));
    connect(c.trayIcon, &TrayIcon::activated, this, &TrayBindings::trayActivated);
    connect(c.arrivalNotice, &ArrivalNotice::windowAsked, this, context.boundary.guard([this] { bringWindowBack(); }));
    connect(c.arrivalNotice, &ArrivalNotice::folderAsked, this, context.boundary.guard([this] {
        OpenWorkingFolder(context_.session.workingFolder(), context_.views.dialogs);
    }));
    c.window->installEventFilter(this);
}

void TrayBindings::putInTrayOncePainted()
{
    RunAfterFirstPaint(
        *context_.controls.window, [this] { putInTray(); }, std::chrono::seconds(5));
}

void TrayBindings::putInTray()
{
    if (std::exchange(inTray_, true))
        return;
    MainWindowControls& c = context_.controls;
    // One icon for the program, its windows and the tray; decoding it is not free.
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(ProgramIcon());
    // The error look, when something failed before, stays.
    if (c.trayIcon->icon().isNull())
        c.trayIcon->setIcon(QApplication::windowIcon());
    // The icon stays for the whole run, whatever state the window is in.
    c.trayIcon->show();
}

void TrayBindings::trayActivated(QSystemTrayIcon::ActivationReason reason)
{
    // A tray on the session bus has no double click: its click shows the
    // window, or hides it into the tray when it is in front.
    if (context_.controls.trayIcon->onSessionBus() && reason == QSystemTrayIcon::Trigger) {
        context_.boundary.run([this] { toggleWindow(); });
        return;
    }
    // Elsewhere only a double-click acts: it carries out the menu's default
    // item, if that is enabled. Single clicks and the middle button do
    // nothing; the right button opens the menu by itself.
    if (reason != QSystemTrayIcon::DoubleClick)
        return;
    QAction* item = context_.controls.trayMenu->defaultAction();
    if (item && item->isEnabled())
        item->trigger();
}

void TrayBindings::toggleWindow()
{
    QMainWindow& window = *context_.controls.window;
    if (WindowInSight(window))
        window.hide();
    else
        bringWindowBack();
}

void TrayBindings::bringWindowBack()
{
    // Never hides: a minimised (hidden) window comes back in the state it
    // had before, and a shown one is only brought to the front.
    QMainWindow& window = *context_.controls.window;
    if (window.isMinimized() || window.isHidden()) {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
    } else if (minimisingUnseen_ && !window.isActiveWindow()) {
        // Minimised, for all the program knows, and a Wayland client may
        // not raise itself: mapped anew, the window comes to the front.
        window.hide();
        window.show();
    }
    window.raise();
    window.activateWindow();
}

void TrayBindings::exitProgram()
{
    // A hidden window's close ends no event loop by itself.
    if (context_.controls.window->close())
        QCoreApplication::quit();
}

void TrayBindings::hideToTrayOnMinimise()
{
    // Without a tray nothing could bring a hidden window back, so it then
    // stays on the taskbar, minimised.
    if (!trayAvailable_())
        return;
    // Hidden once the minimising is through; a restore in between wins.
    QMainWindow* window = context_.controls.window;
    QTimer::singleShot(0, window, [window] {
        if (window->isMinimized())
            window->hide();
    });
}

void TrayBindings::hideIntoTrayOnClose()
{
    context_.controls.window->hide();
    // Said once a run: a user who closed the window may have meant to end
    // the program.
    if (std::exchange(toldOfTray_, true))
        return;
    ShowTrayNotice(*context_.controls.trayIcon,
                   QString::fromUtf8("Vexorama работает дальше в трее. Завершить её можно пунктом «Выход» "
                                     "в меню значка."));
}

bool TrayBindings::eventFilter(QObject* watched, QEvent* event)
{
    QMainWindow* window = context_.controls.window;
    // Where minimising goes unseen, the window's close box is the way into
    // the tray. Only the user's close (from the window system) is taken:
    // "Выход", a stop signal and the end of an unattended run still close.
    if (watched == window && event->type() == QEvent::Close && event->spontaneous() && minimisingUnseen_
        && trayAvailable_()) {
        event->ignore();
        context_.boundary.run([this] { hideIntoTrayOnClose(); });
        return true;
    }
    if (watched == window && event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if (window->isMinimized() && !(change->oldState() & Qt::WindowMinimized))
            context_.boundary.run([this] { hideToTrayOnMinimise(); });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vexo
