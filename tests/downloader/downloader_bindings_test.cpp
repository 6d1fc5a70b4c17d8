// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/downloader_bindings.h"
#include "app/main_window.h"
#include "app/status_bar.h"
#include "app/window_timer.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vexo {
namespace {

// Guards the wiring of the downloader's controls on the real window: the
// box and the tray item follow each other without looping, the period box
// keeps its floor, the clicks queue checks and the status bar empties the
// queue.
TEST(DownloaderBindingsTest, ControlsReachTheirHandlers)
{
    test::TempDir programFolder;
    MainWindow window(programFolder.file("vexorama"), {});
    MainWindowControls& c = window.controls();

    c.autoCheckBox->setChecked(true);
    EXPECT_TRUE(c.autoCheckItem->isChecked());
    EXPECT_TRUE(c.autoCheckTimer->isActive());
    c.autoCheckItem->trigger();
    EXPECT_FALSE(c.autoCheckItem->isChecked());
    EXPECT_FALSE(c.autoCheckBox->isChecked());
    EXPECT_FALSE(c.autoCheckTimer->isActive());

    c.autoCheckPeriodBox->setText(QStringLiteral("5"));
    EXPECT_EQ(c.autoCheckPeriodBox->text(), QStringLiteral("15"));
    EXPECT_EQ(c.autoCheckTimer->interval(), 15000u);

    c.checkServerButton->click();
    c.checkServerButton->click();
    EXPECT_EQ(c.statusBar->panelText(1), QStringLiteral("get "));
    emit c.statusBar->clicked();
    c.checkServerButton->setEnabled(false);
    c.checkServerItem->trigger();
    EXPECT_EQ(c.statusBar->panelText(1), QStringLiteral("get "));
    emit c.statusBar->clicked();
    EXPECT_EQ(c.statusBar->panelText(1), QString());
    EXPECT_TRUE(c.runnerTimer->isActive());
}

} // namespace
} // namespace vexo
