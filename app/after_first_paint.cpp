// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/after_first_paint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace vexo {

namespace {

class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget& window, std::function<void()> work, std::chrono::milliseconds latest)
        : QObject(&window), work_(std::move(work))
    {
        window.installEventFilter(this);
        QTimer::singleShot(latest, this, [this] { run(); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Not from inside the paint: the frame is flushed first.
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { run(); });
        return QObject::eventFilter(watched, event);
    }

private:
    void run()
    {
        if (!work_)
            return;
        parent()->removeEventFilter(this);
        std::exchange(work_, nullptr)();
        deleteLater();
    }

    std::function<void()> work_;
};

} // namespace

void RunAfterFirstPaint(QWidget& window, std::function<void()> work, std::chrono::milliseconds latest)
{
    new AfterFirstPaint(window, std::move(work), latest);
}

} // namespace vexo
