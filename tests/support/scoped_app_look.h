// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QFont>
#include <QPalette>

#include <utility>

namespace vexo::test {

// A dark desktop theme's palette: light text on dark grey.
inline QPalette DarkDesktopPalette()
{
    QPalette dark;
    const std::pair<QPalette::ColorRole, QColor> roles[] = {
        {QPalette::Window, QColor(49, 54, 59)},        {QPalette::WindowText, QColor(239, 240, 241)},
        {QPalette::Base, QColor(35, 38, 41)},          {QPalette::AlternateBase, QColor(49, 54, 59)},
        {QPalette::Text, QColor(239, 240, 241)},       {QPalette::Button, QColor(49, 54, 59)},
        {QPalette::ButtonText, QColor(239, 240, 241)}, {QPalette::Highlight, QColor(61, 174, 233)},
    };
    for (const auto& [role, colour] : roles)
        dark.setColor(role, colour);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(110, 113, 117));
    return dark;
}

// The application's font and palette, as a desktop would set them, for the
// length of a test; the old ones come back at its end.
class ScopedAppLook {
public:
    ScopedAppLook() = default;
    ~ScopedAppLook()
    {
        QApplication::setFont(font_);
        QApplication::setPalette(palette_);
    }
    ScopedAppLook(const ScopedAppLook&) = delete;
    ScopedAppLook& operator=(const ScopedAppLook&) = delete;

    void setPointSize(int points)
    {
        QFont font = font_;
        font.setPointSize(points);
        QApplication::setFont(font);
    }
    void setPalette(const QPalette& palette) { QApplication::setPalette(palette); }

private:
    QFont font_ = QApplication::font();
    QPalette palette_ = QApplication::palette();
};

} // namespace vexo::test
