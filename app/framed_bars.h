// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <map>

class QProgressBar;

namespace vexo {

// Progress bars that take their latest value at most once a frame. Long
// work moves its bars thousands of times a second, and a screen shows no
// more than one value per frame; a bar's own setValue would repaint each
// time. Positions and maxima are 64-bit: a bar beyond QProgressBar's int
// range is shown to scale.
class FramedBars : public QObject {
    Q_OBJECT
public:
    explicit FramedBars(QObject* parent);

    void setPosition(QProgressBar* bar, std::int64_t position);
    void setRange(QProgressBar* bar, std::int64_t position, std::int64_t maximum);

private:
    struct Value {
        std::int64_t position = 0;
        std::int64_t maximum = 100;
    };

    void showSoon();
    void show(QProgressBar* bar, const Value& value);

    std::map<QProgressBar*, Value> values_;
    QTimer frame_;
};

} // namespace vexo
