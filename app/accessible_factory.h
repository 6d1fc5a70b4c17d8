// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>
#include <QLatin1String>
#include <QObject>
#include <QString>

namespace vexo {

// Gives every Widget (of exactly that class, not a subclass) the screen
// reader's view `Accessible` instead of Qt's own. Installs once however
// often it is called.
template <typename Widget, typename Accessible>
void InstallAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
            if (className == QLatin1String(Widget::staticMetaObject.className()))
                return new Accessible(static_cast<Widget*>(object));
            return nullptr;
        });
        return true;
    }();
    (void)installed;
}

} // namespace vexo
