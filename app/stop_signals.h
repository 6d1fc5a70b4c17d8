// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QMainWindow;
class QSocketNotifier;

namespace vexo {

// SIGTERM, SIGINT and SIGHUP end the program cleanly: the work in progress
// stops at its next pump (its temporary files go with it), the main window
// closes as it would by its close box, and the program exits with status
// 128 + the signal's number. The handler only records the signal; the rest
// runs on the event loop.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QMainWindow& window);
    ~StopSignals() override;

private:
    void signalArrived();

    QMainWindow& window_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace vexo
