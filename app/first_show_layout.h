// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLayout;
class QWidget;

namespace vexo {

// Gives `page` its `layout` (made without a parent) when the page is first
// shown. Until then its widgets exist and take their texts and values, but
// nothing measures them: a tab the first frame does not show costs the
// start-up no text layout.
void LayOutWhenFirstShown(QWidget* page, QLayout* layout);

} // namespace vexo
