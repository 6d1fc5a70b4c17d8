// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application_setup.h"
#include "app/main_window.h"
#include "app/server_grid.h"
#include "app/server_settings_dialog.h"
#include "app/status_bar.h"
#include "tests/app/window_fixture.h"
#include "tests/support/qt_text.h"
#include "tests/support/temp_dir.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vexo {
namespace {

using test::U;

class AccessibilityTest : public test::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        QApplication::processEvents();
    }

    static QString NameOf(QObject* object)
    {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
        return accessible ? accessible->text(QAccessible::Name) : QString();
    }
};

// Guards the hand-painted status bar: a screen reader finds one status bar
// whose two children read the panels' texts, line breaks as spaces.
TEST_F(AccessibilityTest, StatusBarPanelsReadTheirTexts)
{
    StatusBar* bar = c().statusBar;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(bar);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::StatusBar);
    ASSERT_EQ(accessible->childCount(), 2);

    bar->setPanelText(0, U("Скачано\r\n12 файлов"));
    bar->setPanelText(1, U("down rem get "));
    QAccessibleInterface* panel0 = accessible->child(0);
    QAccessibleInterface* panel1 = accessible->child(1);
    ASSERT_NE(panel0, nullptr);
    ASSERT_NE(panel1, nullptr);
    EXPECT_EQ(panel0->text(QAccessible::Name), U("Скачано 12 файлов"));
    EXPECT_EQ(panel1->text(QAccessible::Name), U("down rem get "));
    EXPECT_EQ(panel0->parent(), accessible);
    EXPECT_EQ(accessible->indexOfChild(panel1), 1);
    EXPECT_TRUE(accessible->rect().contains(panel0->rect()));
}

// Guards the controls without a caption of their own: every input, list,
// table and progress bar of the window and of the settings dialog has a
// name taken from its label or hint.
TEST_F(AccessibilityTest, InputsListsTablesAndBarsHaveNames)
{
    EXPECT_EQ(NameOf(c().folderBox), U("Текущий каталог"));
    EXPECT_EQ(NameOf(c().autoCheckPeriodBox), U("Автопроверка, секунд"));
    EXPECT_EQ(NameOf(c().queueList), U("Очередь файлов"));
    EXPECT_EQ(NameOf(c().serverFileGrid), U("Файлы на сервере"));
    EXPECT_EQ(NameOf(c().fetchProgressBar), U("Прогресс закачки"));
    EXPECT_EQ(NameOf(c().fetchSpeedLabel), U("Скорость закачки"));

    c().serverSettingsButton->click();
    std::vector<QWidget*> unnamed;
    const QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        const bool needsName = qobject_cast<QLineEdit*>(widget) || qobject_cast<QListWidget*>(widget)
                               || qobject_cast<ServerGrid*>(widget) || qobject_cast<QProgressBar*>(widget)
                               || qobject_cast<QTextEdit*>(widget);
        // Line edits inside other controls (a spin box, a table's editor) are named by those.
        if (needsName && !widget->objectName().isEmpty() && NameOf(widget).isEmpty())
            unnamed.push_back(widget);
    }
    for (QWidget* widget : unnamed)
        ADD_FAILURE() << "no accessible name: " << widget->objectName().toStdString();
    const auto* dialog = window->findChild<ServerSettingsDialog*>(QStringLiteral("SettingForm"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(NameOf(dialog->controls().serverField), U("Сервер"));
    // The hint becomes the description.
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(c().folderBox)
                    ->text(QAccessible::Description)
                    .startsWith(U("Можно изменить вручную")));
}

// Guards screen readers naming the program by its desktop id
// ("io.github.vexorama.Vexorama"): the application they list is "Vexorama".
TEST_F(AccessibilityTest, ApplicationIsNamedVexorama)
{
    NameApplication();
    EXPECT_EQ(NameOf(qApp), U("Vexorama"));
    EXPECT_TRUE(NameOf(window.get()).startsWith(U("Vexorama ")));
}

// Guards the hidden fifth tab, which screen readers were told of as if it
// were there: the tab bar reports the tabs it shows and no others, the
// fifth once the tenth right click on the progress bar has shown it.
TEST_F(AccessibilityTest, HiddenTabIsReportedOnlyOnceShown)
{
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(c().tabs->tabBar());
    ASSERT_NE(bar, nullptr);
    const auto reportedTabs = [bar] {
        QStringList names;
        for (int index = 0; index < bar->childCount(); ++index) {
            QAccessibleInterface* child = bar->child(index);
            if (!child || child->role() != QAccessible::PageTab)
                continue;
            names << child->text(QAccessible::Name);
            EXPECT_EQ(child->parent(), bar);
            EXPECT_EQ(bar->indexOfChild(child), index);
            EXPECT_FALSE(child->state().invisible) << names.back().toStdString();
        }
        return names;
    };
    const QStringList shown = {U("Дешифратор"), U("Downloader"), U("Управление закачкой"), U("О программе")};
    EXPECT_EQ(reportedTabs(), shown);

    for (int click = 1; click <= 10; ++click)
        emit c().fileProgressBar->customContextMenuRequested(QPoint(1, 1));
    ASSERT_TRUE(c().tabs->isTabVisible(4));
    EXPECT_EQ(reportedTabs(), QStringList(shown) << U("Downloader"));
}

// Guards the keys: F5 runs "Обновить" (the tray's check) and Ctrl+Q "Выход"
// in the window, while the tray menu shows its captions with no key beside them.
TEST_F(AccessibilityTest, F5ChecksTheServerAndCtrlQExits)
{
    for (const QAction* item : c().trayMenu->actions())
        EXPECT_TRUE(item->shortcut().isEmpty()) << item->text().toStdString();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QSignalSpy checks(c().checkServerItem, &QAction::triggered);
    QTest::keyClick(c().queueList, Qt::Key_F5);
    EXPECT_EQ(checks.count(), 1);

    QSignalSpy exits(c().exitItem, &QAction::triggered);
    QTest::keyClick(c().folderBox, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(exits.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
} // namespace vexo
