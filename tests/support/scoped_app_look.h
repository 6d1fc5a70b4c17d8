// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QFont>
#include <QPalette>

namespace vexo::test {

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
