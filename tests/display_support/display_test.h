// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

namespace vexo::test {

// Whether the tests run on a real X display (not offscreen).
bool HasRealDisplay();
// Whether they run as a client of a Wayland compositor.
bool OnWayland();

// Pumps events until `done` holds or `limit` passes; says whether it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

// Where a program of the build tree lies, beside the test executable.
QString BuildProgram(const QString& name);

// A helper program run for the length of a test, ended when it goes.
class ChildProcess {
public:
    ChildProcess(const QString& program, const QStringList& args);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running() const;
    // Everything it has written on standard output so far.
    QString output();

private:
    std::unique_ptr<QProcess> process_;
    QString output_;
};

} // namespace vexo::test

namespace vexo::test {

// A system tray for the display: `trayer` from Debian, run for the length
// of a test. up() says whether a tray now takes icons.
class TrayHost {
public:
    TrayHost();

    static bool Installed();
    // Whether an icon's place is final: the host shows icons at the right
    // end of a bar along the top, and an icon not yet placed sits at 0, 0.
    static bool Placed(const QRect& icon);
    bool up() const { return up_; }

private:
    std::unique_ptr<ChildProcess> process_;
    bool up_ = false;
};

} // namespace vexo::test
