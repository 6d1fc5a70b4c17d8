// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "tests/support/scoped_app_look.h"
#include "tests/support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vexo {
namespace {

using test::TempDir;

class DesktopLookTest : public ::testing::Test {
protected:
    test::ScopedAppLook look;
    TempDir programFolder;
    std::unique_ptr<MainWindow> window;

    void start()
    {
        window = std::make_unique<MainWindow>(programFolder.path() + "/vexorama", std::vector<std::string>{});
        window->showCentred();
        QApplication::processEvents();
    }
    MainWindowControls& c() { return window->controls(); }

    // A button's own width, or, where the design fixes it ("Go!", narrower
    // than the style's least width), room for its caption and margins.
    static int neededWidth(const QAbstractButton* button)
    {
        if (button->minimumWidth() != button->maximumWidth())
            return button->sizeHint().width();
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return button->fontMetrics().horizontalAdvance(button->text()) + 2 * margin;
    }
};

// Guards captions clipped at the desktop's larger fonts: at 10 and 11 pt
// the window kept its fixed minimum width of 640 px, and the buttons and
// check boxes of the command rows got less than their captions need.
TEST_F(DesktopLookTest, CaptionsAreWholeAtTenAndElevenPoints)
{
    for (const int points : {10, 11}) {
        look.setPointSize(points);
        start();
        for (QWidget* tab : {c().decoderTab, c().downloaderTab}) {
            c().tabs->setCurrentWidget(tab);
            QApplication::processEvents();
            for (QAbstractButton* button : tab->findChildren<QAbstractButton*>())
                EXPECT_GE(button->width(), neededWidth(button)) << points << " pt: " << button->text().toStdString();
        }
        window.reset();
    }
}

} // namespace
} // namespace vexo
