// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/hint_echo.h"

#include "app/hints.h"
#include "app/status_bar.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>

namespace vexo {

HintEcho::HintEcho(StatusBar* statusBar) : QObject(statusBar), statusBar_(statusBar)
{
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &HintEcho::update);
}

void HintEcho::watchMenu(QMenu* menu)
{
    connect(menu, &QMenu::hovered, this, [this](QAction* action) { take(HintOf(action)); });
}

void HintEcho::update()
{
    // A menu that is open owns the pointer; its items report their own hints.
    if (QApplication::activePopupWidget())
        return;
    take(EffectiveHint(QApplication::widgetAt(QCursor::pos())));
}

void HintEcho::take(const QString& hint)
{
    // A hint may carry a short part before "|"; the panel shows the long part.
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    const QString longPart = bar < 0 ? hint : hint.mid(bar + 1);
    if (longPart == last_)
        return;
    last_ = longPart;
    statusBar_->setPanelText(0, longPart);
}

} // namespace vexo
