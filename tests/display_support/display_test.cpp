// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/display_support/display_test.h"

#include "tests/support/started_program.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QThread>

#include <unistd.h>

namespace vexo::test {

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limit.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

QString BuildProgram(const QString& name)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

ChildProcess::ChildProcess(const QString& program, const QStringList& args) : process_(std::make_unique<QProcess>())
{
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    process_->setChildProcessModifier([parent = ::getpid()] { DieWithParent(parent); });
    process_->start(program, args);
    process_->waitForStarted(10000);
}

ChildProcess::~ChildProcess()
{
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(5000)) {
            process_->kill();
            process_->waitForFinished(5000);
        }
    }
}

bool ChildProcess::running() const
{
    return process_->state() == QProcess::Running;
}

QString ChildProcess::output()
{
    output_ += QString::fromUtf8(process_->readAllStandardOutput());
    return output_;
}

} // namespace vexo::test

namespace vexo::test {

bool TrayHost::Installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty();
}

bool TrayHost::Placed(const QRect& icon)
{
    return icon.isValid() && icon.x() > 0;
}

TrayHost::TrayHost()
{
    if (!Installed())
        return;
    process_ = std::make_unique<ChildProcess>(
        QStringLiteral("trayer"),
        QStringList{QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"), QStringLiteral("right"),
                    QStringLiteral("--widthtype"), QStringLiteral("request"), QStringLiteral("--height"),
                    QStringLiteral("32"), QStringLiteral("--transparent"), QStringLiteral("false"),
                    QStringLiteral("--tint"), QStringLiteral("0xdddddd")});
    up_ = WaitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, std::chrono::seconds(10));
}

} // namespace vexo::test
