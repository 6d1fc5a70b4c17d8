// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/display_support/x_windows.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace vexo::test {

namespace {

QString Xdotool()
{
    return QStandardPaths::findExecutable(QStringLiteral("xdotool"));
}

// xdotool's standard output; a run that hangs (a focus that never comes)
// is killed after a few seconds.
QString RunXdotool(const QStringList& args)
{
    QProcess process;
    process.start(Xdotool(), args);
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

bool XWindows::Installed()
{
    return !Xdotool().isEmpty();
}

std::vector<unsigned long> XWindows::Visible(qint64 pid, const QString& title)
{
    std::vector<unsigned long> windows;
    const QStringList lines =
        RunXdotool({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--pid"), QString::number(pid), QStringLiteral("--name"), title})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        bool number = false;
        const unsigned long window = line.trimmed().toULong(&number);
        if (number)
            windows.push_back(window);
    }
    return windows;
}

void XWindows::Answer(unsigned long window)
{
    RunXdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    RunXdotool({QStringLiteral("key"), QStringLiteral("Return")});
}

} // namespace vexo::test
