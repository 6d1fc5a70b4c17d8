// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader hears, on a real X display with the accessibility
// bus running (see with_screen_reader_bus.sh).
#include "app/main_window.h"
#include "app/status_bar.h"
#include "tests/display_support/display_test.h"
#include "tests/support/temp_dir.h"

#include <QAccessible>
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vexo {
namespace {

using namespace std::chrono_literals;

struct NameChange {
    QObject* object;
    int child;
    QString text;
};
std::vector<NameChange> g_nameChanges;

void RecordNameChange(QAccessibleEvent* event)
{
    if (event->type() != QAccessible::NameChanged)
        return;
    QAccessibleInterface* changed = event->accessibleInterface();
    g_nameChanges.push_back({event->object(), event->child(), changed ? changed->text(QAccessible::Name) : QString()});
}

// Guards the hand-painted status bar: each change of a panel's text is
// announced for that panel, with the new text readable at once; the same
// text again is no change.
TEST(ScreenReaderTest, StatusBarAnnouncesEachPanelChange)
{
    ASSERT_TRUE(test::HasRealDisplay()) << "run on an X display";
    ASSERT_TRUE(test::WaitUntil([] { return QAccessible::isActive(); }, 10s)) << "the accessibility bus is not running";
    test::TempDir programFolder;
    MainWindow window(programFolder.path() + "/vexorama", {});
    window.showCentred();
    StatusBar* bar = window.controls().statusBar;

    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(RecordNameChange);
    g_nameChanges.clear();
    bar->setPanelText(0, QString::fromUtf8("Скачано 3 файла"));
    bar->setPanelText(1, QStringLiteral("down rem "));
    bar->setPanelText(1, QStringLiteral("down rem "));
    QAccessible::installUpdateHandler(previous);

    std::vector<NameChange> ofTheBar;
    for (const NameChange& change : g_nameChanges) {
        if (change.object == bar)
            ofTheBar.push_back(change);
    }
    ASSERT_EQ(ofTheBar.size(), 2u);
    EXPECT_EQ(ofTheBar[0].child, 0);
    EXPECT_EQ(ofTheBar[0].text, QString::fromUtf8("Скачано 3 файла"));
    EXPECT_EQ(ofTheBar[1].child, 1);
    EXPECT_EQ(ofTheBar[1].text, QStringLiteral("down rem "));
}

} // namespace
} // namespace vexo
