// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/stop_signals.h"

#include "base/stop_request.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace vexo {

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Written by the handler, read by the event loop.
int wakePipe[2] = {-1, -1};

extern "C" void RecordStopSignal(int signal)
{
    const int savedErrno = errno;
    RequestStop();
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &number, 1);
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals(QMainWindow& window) : QObject(&window), window_(window)
{
    if (wakePipe[0] < 0 && ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::signalArrived);

    struct sigaction action {};
    action.sa_handler = RecordStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in progress returns, and sees the request.
    action.sa_flags = 0;
    for (int signal : kStopSignals)
        ::sigaction(signal, &action, nullptr);
}

StopSignals::~StopSignals()
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : kStopSignals)
        ::sigaction(signal, &action, nullptr);
}

void StopSignals::signalArrived()
{
    unsigned char number = 0;
    int last = 0;
    while (::read(wakePipe[0], &number, 1) == 1)
        last = number;
    if (last == 0)
        return;
    // The close stores the window's size, as the close box would; the exit
    // ends every event loop, a message box's included.
    window_.close();
    QCoreApplication::exit(128 + last);
}

} // namespace vexo
