// SPDX-License-Identifier: GPL-3.0-or-later
// The titles and frames of the program's windows as the X window manager
// reads them (xprop), on a real X display.
#include "app/application_setup.h"
#include "app/main_window.h"
#include "tests/display_support/display_test.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexo {
namespace {

using namespace std::chrono_literals;

// What xprop says of one property of the window `id`, after the " = ".
QString WindowProperty(WId id, const char* property)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(id), QString::fromLatin1(property)});
    if (!xprop.waitForFinished(10000))
        return {};
    const QString said = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype equals = said.indexOf(QStringLiteral(" = "));
    return equals < 0 ? QString() : said.mid(equals + 3);
}

QString Quoted(const QString& title)
{
    return QLatin1Char('"') + title + QLatin1Char('"');
}

// The motif hints as numbers: flags, functions, decorations, ...
std::vector<unsigned> MotifHints(WId id)
{
    std::vector<unsigned> numbers;
    for (const QString& number : WindowProperty(id, "_MOTIF_WM_HINTS").split(QStringLiteral(", ")))
        numbers.push_back(number.toUInt(nullptr, 16));
    return numbers;
}

constexpr unsigned kMinimiseFunction = 0x08;
constexpr unsigned kMaximiseFunction = 0x10;
constexpr unsigned kCloseFunction = 0x20;
constexpr unsigned kMinimiseBox = 0x20;
constexpr unsigned kMaximiseBox = 0x40;

// Guards the application's name appended to every window and box title
// ("Настройки — Vexorama", which the settings dialog's narrow frame clips),
// and minimise and maximise boxes on the settings dialog: each title is
// its caption alone, and the dialog offers closing only.
TEST(WindowTitlesTest, TitlesAreTheCaptionsAlone)
{
    if (!test::HasRealDisplay())
        VEXO_SKIP_OR_FAIL() << "needs an X display (run under xvfb-run)";
    if (QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
        VEXO_SKIP_OR_FAIL() << "needs xprop (apt-get install x11-utils)";
    NameApplication();
    test::TempDir programFolder;
    MainWindow window(programFolder.path() + "/vexorama", {});
    window.showCentred();
    ASSERT_TRUE(test::WaitUntil([&] { return window.isVisible(); }, 10s));
    EXPECT_EQ(WindowProperty(window.winId(), "_NET_WM_NAME"), Quoted(window.windowTitle()));
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("Vexorama ")));

    window.controls().serverSettingsButton->click();
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(test::WaitUntil([&] { return dialog->isVisible(); }, 10s));
    EXPECT_EQ(WindowProperty(dialog->winId(), "_NET_WM_NAME"), Quoted(QString::fromUtf8("Настройки")));
    // The frame as the window manager reads it.
    const std::vector<unsigned> hints = MotifHints(dialog->winId());
    ASSERT_GE(hints.size(), 3u);
    EXPECT_EQ(hints[1] & (kMinimiseFunction | kMaximiseFunction | kCloseFunction), kCloseFunction);
    EXPECT_EQ(hints[2] & (kMinimiseBox | kMaximiseBox), 0u);
    dialog->close();

    QString boxTitle;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            test::WaitUntil([&] { return box->isVisible(); }, 10s);
            boxTitle = WindowProperty(box->winId(), "_NET_WM_NAME");
            box->accept();
        }
    });
    window.views().dialogs.showMessage(MessageKind::Information, "Текущая папка не существует");
    EXPECT_EQ(boxTitle, Quoted(QStringLiteral("Information")));
}

} // namespace
} // namespace vexo
