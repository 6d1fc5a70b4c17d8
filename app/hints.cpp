// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/hints.h"

#include <QAction>
#include <QVariant>
#include <QWidget>

namespace vexo {

namespace {

constexpr const char* kHintProperty = "vexoHint";

} // namespace

void SetHint(QWidget* widget, const QString& hint, bool tooltip)
{
    widget->setProperty(kHintProperty, hint);
    // Screen readers read the hint as the control's description.
    widget->setAccessibleDescription(QString(hint).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    if (tooltip)
        widget->setToolTip(hint);
}

void SetHint(QAction* action, const QString& hint)
{
    action->setProperty(kHintProperty, hint);
}

QString HintOf(const QObject* object)
{
    return object ? object->property(kHintProperty).toString() : QString();
}

QString EffectiveHint(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        QString hint = HintOf(widget);
        if (!hint.isEmpty())
            return hint;
    }
    return {};
}

} // namespace vexo
