// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <utility>

namespace vexo::test {

// Answers each message box that comes up modal while it lives, as a user
// would press its default button, and keeps their texts; `look` sees each
// box before it is answered.
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::chrono::milliseconds every = std::chrono::milliseconds(20),
                         std::function<void(QMessageBox&)> look = {})
        : look_(std::move(look))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts_ << box->text();
                if (look_)
                    look_(*box);
                box->accept();
            }
        });
        timer_.start(every);
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    void stop() { timer_.stop(); }
    const QStringList& texts() const { return texts_; }

private:
    std::function<void(QMessageBox&)> look_;
    QTimer timer_;
    QStringList texts_;
};

} // namespace vexo::test
