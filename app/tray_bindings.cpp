#include "app/tray_bindings.h"

#include "app/main_window.h"
#include "app/program_icon.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace vexo {

TrayBindings::TrayBindings(TVmain& window)
    : QObject(&window), window_(window), trayAvailable_(&QSystemTrayIcon::isSystemTrayAvailable)
{
    MainWindowControls& c = window.controls();
    // One icon for the program, its windows and the tray; decoding it is not free.
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(ProgramIcon());
    c.Tray->setIcon(QApplication::windowIcon());

    connect(c.N5, &QAction::triggered, this, window.guarded([this] { N5Click(); }));
    connect(c.N3, &QAction::triggered, this, window.guarded([this] { N3Click(); }));
    connect(c.Tray, &QSystemTrayIcon::activated, this, &TrayBindings::TrayActivated);
    window.installEventFilter(this);

    // The icon stays for the whole run, whatever state the window is in.
    c.Tray->show();
}

void TrayBindings::TrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    // Only a double-click acts: it carries out the menu's default item, if
    // that is enabled. Single clicks and the middle button do nothing; the
    // right button opens the menu by itself.
    if (reason != QSystemTrayIcon::DoubleClick)
        return;
    QAction* item = window_.controls().PopupMenu2->defaultAction();
    if (item && item->isEnabled())
        item->trigger();
}

void TrayBindings::N5Click()
{
    // Never hides: a minimised (hidden) window comes back in the state it
    // had before, and a shown one is only brought to the front.
    if (window_.isMinimized() || window_.isHidden()) {
        window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
        window_.show();
    }
    window_.raise();
    window_.activateWindow();
}

void TrayBindings::N3Click()
{
    // A hidden window's close ends no event loop by itself.
    if (window_.close())
        QCoreApplication::quit();
}

void TrayBindings::ApplicationEvents1Minimize()
{
    // Without a tray nothing could bring a hidden window back, so it then
    // stays on the taskbar, minimised.
    if (!trayAvailable_())
        return;
    // Hidden once the minimising is through; a restore in between wins.
    QTimer::singleShot(0, &window_, [this] {
        if (window_.isMinimized())
            window_.hide();
    });
}

bool TrayBindings::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &window_ && event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if (window_.isMinimized() && !(change->oldState() & Qt::WindowMinimized))
            window_.guarded([this] { ApplicationEvents1Minimize(); })();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vexo
