// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QColor;
class QPalette;
class QPushButton;
class QTextEdit;

namespace vexo {

// Whether `palette` draws dark text on a light window.
bool IsLightPalette(const QPalette& palette);

// Draws the disabled `text` in the window's text colour on the window's
// background, as the palette of the moment has them: a disabled box would
// grey its text out, and no fixed colour reads on every desktop.
void DrawInWindowColours(QTextEdit* text);

// Draws `button`'s caption in `colour` while the palette is light; a dark
// palette, which that colour may not stand out on, keeps its own.
void ColourCaptionInLightPalette(QPushButton* button, const QColor& colour);

} // namespace vexo
