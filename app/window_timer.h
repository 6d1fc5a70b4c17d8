// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>

namespace vexo {

// A window timer as the program's logic expects it: switched on or off and
// given an interval independently; an interval of 0 delivers no ticks; a
// change of interval or state starts the countdown anew, and setting the
// value it already has changes nothing.
class WindowTimer : public QObject {
    Q_OBJECT
public:
    WindowTimer(std::uint32_t interval, bool active, QObject* parent);

    void setActive(bool active);
    bool isActive() const { return active_; }
    void setInterval(std::uint32_t milliseconds);
    std::uint32_t interval() const { return interval_; }

signals:
    void tick();

private:
    void apply();

    QTimer timer_;
    std::uint32_t interval_;
    bool active_;
};

} // namespace vexo
