// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tray_notice.h"

#include "app/desktop_bus.h"
#include "app/tray_icon.h"

#include <QString>

namespace vexo {

namespace {

constexpr int kNoticeMs = 5000;

} // namespace

void ShowTrayNotice(TrayIcon& icon, const QString& text)
{
    const QString title = QStringLiteral("Vexorama");
    if (NotifyDesktop(title, text, kNoticeMs))
        return;
    if (!icon.isVisible())
        return;
    icon.showMessage(title, text, QSystemTrayIcon::Information, kNoticeMs);
}

} // namespace vexo
