// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "app/server_grid.h"
#include "tests/app/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vexo {
namespace {

class KeyboardTest : public test::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // A key pressed where the focus is, or on the window where no control has it.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : window.get(), key, modifiers);
    }
    void showDownloaderTabWithFiles()
    {
        c().tabs->setCurrentWidget(c().downloaderTab);
        window->views().downloader.showServerFiles(
            {{{"Имя Файла", "Размер"}, {"a.avi", "1 Мб"}, {"b.jpg", "2 Мб"}}, 1});
        QApplication::processEvents();
    }
};

// Guards the server grid keeping Tab and Shift+Tab for its cells: the
// keyboard never took the focus out of it again.
TEST_F(KeyboardTest, TabAndShiftTabLeaveTheServerGrid)
{
    showDownloaderTabWithFiles();
    ServerGrid* grid = c().serverFileGrid;
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        grid->setFocus();
        ASSERT_TRUE(grid->hasFocus());
        press(key, key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_FALSE(grid->hasFocus()) << key;
    }
}

// Guards the tab keys, which did nothing: Ctrl+Tab and Ctrl+PageDown show
// the next tab, Ctrl+Shift+Tab and Ctrl+PageUp the previous one, from a
// text box and from the grid alike, going round the ends past the hidden
// tab, and onto it once it is shown.
TEST_F(KeyboardTest, CtrlTabAndCtrlPageKeysChangeTabsPastTheHiddenOne)
{
    QTabWidget* tabs = c().tabs;
    c().folderBox->setFocus();
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    c().serverFileGrid->setFocus();
    ASSERT_TRUE(c().serverFileGrid->hasFocus());
    press(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 2);
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 3);
    press(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);
    press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tabs->currentIndex(), 3);
    press(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 2);

    tabs->setTabVisible(4, true);
    tabs->setCurrentIndex(3);
    press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 4);
    press(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);
}

// Guards the focus after a download: the server controls, disabled while
// it ran, had sent the focus into the grid, where it stayed. It comes back
// to the control that had it, unless the user has moved it meanwhile.
TEST_F(KeyboardTest, FocusReturnsAfterADownload)
{
    showDownloaderTabWithFiles();
    DownloaderView& view = window->views().downloader;
    c().checkServerButton->setFocus();
    view.setServerControlsEnabled(false);
    EXPECT_FALSE(c().checkServerButton->hasFocus());
    view.setServerControlsEnabled(true);
    EXPECT_TRUE(c().checkServerButton->hasFocus());

    c().autoCheckBox->setFocus();
    view.setServerControlsEnabled(false);
    c().tabs->setCurrentWidget(c().decoderTab);
    c().folderBox->setFocus();
    view.setServerControlsEnabled(true);
    EXPECT_TRUE(c().folderBox->hasFocus());
}

} // namespace
} // namespace vexo
