// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QMenu;

namespace vexo {

class StatusBar;

// Echoes hints into status panel 0: whenever the event loop runs out of
// events, the hint over the control under the pointer (disabled controls
// included, in any window of the program); and the hint of a highlighted
// menu item. Panel 0 changes only when the hint differs from the last one
// taken, so a status text stays until the pointer meets another hint.
class HintEcho : public QObject {
    Q_OBJECT
public:
    explicit HintEcho(StatusBar* statusBar);

    void watchMenu(QMenu* menu);

    // Takes the hint under the pointer now.
    void update();

private:
    void take(const QString& hint);

    StatusBar* statusBar_;
    QString last_;
};

} // namespace vexo
