#include "app/downloader_bindings.h"
#include "app/main_window.h"
#include "app/status_bar.h"
#include "tests/support/temp_dir.h"
#include "app/window_timer.h"

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
    TVmain window(programFolder.file("vexorama"), {});
    MainWindowControls& c = window.controls();

    c.AutoO->setChecked(true);
    EXPECT_TRUE(c.N4->isChecked());
    EXPECT_TRUE(c.Bigtimer->isActive());
    c.N4->trigger();
    EXPECT_FALSE(c.N4->isChecked());
    EXPECT_FALSE(c.AutoO->isChecked());
    EXPECT_FALSE(c.Bigtimer->isActive());

    c.aosec->setText("5");
    EXPECT_EQ(c.aosec->text(), "15");
    EXPECT_EQ(c.Bigtimer->interval(), 15000u);

    c.GetList->click();
    c.GetList->setEnabled(false);
    c.N2->trigger();
    EXPECT_EQ(c.StatusB->panelText(1), "get get ");
    emit c.StatusB->clicked();
    EXPECT_EQ(c.StatusB->panelText(1), "");
    EXPECT_TRUE(c.Timer->isActive());
}

} // namespace
} // namespace vexo
