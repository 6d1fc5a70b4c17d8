// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QAction;
class QObject;
class QWidget;

namespace vexo {

// A control's hint: shown in status panel 0 while the pointer rests on the
// control (or on a child without a hint of its own). With `tooltip` it also
// becomes the control's tool tip; only the decoder tab shows tool tips.
void SetHint(QWidget* widget, const QString& hint, bool tooltip = false);
void SetHint(QAction* action, const QString& hint);

// The control's own hint, empty when it has none.
QString HintOf(const QObject* object);

// The hint in force over a widget: its own, or that of the nearest
// container that has one.
QString EffectiveHint(const QWidget* widget);

} // namespace vexo
