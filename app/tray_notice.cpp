// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tray_notice.h"

#include "app/desktop_bus.h"

#include <QString>
#include <QSystemTrayIcon>

namespace vexo {

namespace {

constexpr int kNoticeMs = 5000;

} // namespace

void ShowTrayNotice(QSystemTrayIcon& icon, const QString& text)
{
    const QString title = QStringLiteral("Vexorama");
    if (NotifyDesktop(title, text, kNoticeMs))
        return;
    if (!icon.isVisible() || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    icon.showMessage(title, text, QSystemTrayIcon::Information, kNoticeMs);
}

} // namespace vexo
