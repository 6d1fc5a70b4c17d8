// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>

namespace vexo {

struct WindowContext;

// The tray icon and the window's life in the tray: the icon is shown for
// the whole run, a double-click runs the menu's default item (a click, on
// a tray without double clicks, shows or hides the window), "Показать/
// скрыть" restores and fronts the window, "Выход" closes it, and minimising
// takes the window off the taskbar while a tray is there to bring it back.
// Where the program cannot see the window minimised (Wayland), closing the
// window with a tray there hides it into the tray instead.
// The arrival notice's click brings the window back as "Показать/скрыть"
// does, and its "Открыть папку" opens the working folder.
class TrayBindings : public QObject {
    Q_OBJECT
public:
    explicit TrayBindings(WindowContext& context);

    // Puts the icon in the tray, and gives the program's windows their icon,
    // once the shown window is first painted: the first frame needs neither,
    // and the icon's pictures and the desktop's tray on the session bus cost
    // the start-up.
    void putInTrayOncePainted();
    // The same at once, for a window that starts in the tray. Once a run.
    void putInTray();

    // Whether a system tray is available; the platform's answer unless a
    // test replaces it.
    void setTrayProbe(std::function<bool()> probe) { trayAvailable_ = std::move(probe); }
    bool trayAvailable() const { return trayAvailable_(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bringWindowBack();
    void exitProgram();
    void hideIntoTrayOnClose();
    void hideToTrayOnMinimise();
    void toggleWindow();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);

    WindowContext& context_;
    std::function<bool()> trayAvailable_;
    bool inTray_ = false;
    bool minimisingUnseen_;
    bool toldOfTray_ = false;
};

} // namespace vexo
