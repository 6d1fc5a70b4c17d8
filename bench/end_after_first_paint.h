// SPDX-License-Identifier: GPL-3.0-or-later
// The end of a start-up measurement: the first turn of the event loop after
// the window's first paint. A window server answers the window's mapping
// when it likes, so the first turn alone may come before any paint; with
// `--unpainted` among the program's arguments the measurement ends there
// all the same (a window built and shown, but maybe not yet drawn). The
// process ends without the tear-down of the window and the application,
// which is no part of starting: `cleanUp` runs first.
#pragma once

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

namespace vexo {

class EndAtFirstTurnAfterPaint : public QObject {
public:
    explicit EndAtFirstTurnAfterPaint(
        QWidget& window, std::function<void()> cleanUp = [] {})
        : QObject(&window), cleanUp_(std::move(cleanUp)),
          painted_(QCoreApplication::arguments().contains(QStringLiteral("--unpainted")))
    {
        window.installEventFilter(this);
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (!painted_)
                return;
            cleanUp_();
            std::fflush(nullptr);
            std::_Exit(0);
        });
        // A window that is never painted measures nothing.
        QTimer::singleShot(std::chrono::minutes(1), this, [] {
            std::fputs("the window was never painted\n", stderr);
            QCoreApplication::exit(1);
        });
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted_ = true;
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> cleanUp_;
    // Or not waited for.
    bool painted_;
};

} // namespace vexo
