// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "tests/support/scoped_app_look.h"
#include "tests/support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace vexo {
namespace {

using test::TempDir;

// The relative luminance of a colour, as the contrast rules of WCAG 2 define it.
double Luminance(const QColor& colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double lighter = std::max(Luminance(a), Luminance(b));
    const double darker = std::min(Luminance(a), Luminance(b));
    return (lighter + 0.05) / (darker + 0.05);
}

class DesktopLookTest : public ::testing::Test {
protected:
    test::ScopedAppLook look;
    TempDir programFolder;
    std::unique_ptr<MainWindow> window;

    void start()
    {
        window = std::make_unique<MainWindow>(programFolder.path() + "/vexorama", CommandLine{});
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

    // What the disabled about text is drawn in, and on.
    QColor aboutTextColour() { return c().aboutText->palette().color(QPalette::Disabled, QPalette::Text); }
    QColor aboutBackground() { return c().aboutText->palette().color(QPalette::Disabled, QPalette::Base); }
    QColor goCaption() { return c().goButton->palette().color(QPalette::ButtonText); }
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

// Guards colours fixed for a light desktop: with a dark palette the about
// text was black on dark grey. It takes the palette's window text on the
// window's colour, also when the theme changes while the window is open;
// "Go!" keeps its pale green on a light palette only.
TEST_F(DesktopLookTest, AboutTextAndGoFollowTheDesktopsPalette)
{
    const QPalette light = QApplication::style()->standardPalette();
    look.setPalette(test::DarkDesktopPalette());
    start();
    c().tabs->setCurrentWidget(c().newsTab);
    QApplication::processEvents();
    EXPECT_GE(Contrast(aboutTextColour(), aboutBackground()), 4.5);
    EXPECT_EQ(aboutBackground(), test::DarkDesktopPalette().color(QPalette::Window));
    EXPECT_EQ(goCaption(), test::DarkDesktopPalette().color(QPalette::ButtonText));

    look.setPalette(light);
    QApplication::processEvents();
    EXPECT_EQ(aboutTextColour(), QColor(Qt::black));
    EXPECT_EQ(aboutBackground(), light.color(QPalette::Window));
    EXPECT_EQ(goCaption(), QColor(192, 220, 192));

    look.setPalette(test::DarkDesktopPalette());
    QApplication::processEvents();
    EXPECT_GE(Contrast(aboutTextColour(), aboutBackground()), 4.5);
    EXPECT_EQ(goCaption(), test::DarkDesktopPalette().color(QPalette::ButtonText));
}

} // namespace
} // namespace vexo
