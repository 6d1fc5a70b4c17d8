// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

// The engine speaks Russian, as the window does, whatever the desktop's
// language: the texts of the pages' own controls (a file field's button,
// say) and the Accept-Language of every request. Must run before the
// engine starts, that is before its first profile or view is made; a
// language given in QTWEBENGINE_CHROMIUM_FLAGS ("--lang=...") wins.
void SpeakRussian();

} // namespace vexo
