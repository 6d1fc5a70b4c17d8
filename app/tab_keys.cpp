// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tab_keys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTabWidget>

#include <utility>

namespace vexo {

int NeighbourTab(const QTabWidget& tabs, int step)
{
    const int count = tabs.count();
    const int current = tabs.currentIndex();
    if (count == 0 || step == 0)
        return current;
    int index = current;
    for (int tried = 1; tried < count; ++tried) {
        index = ((index + step) % count + count) % count;
        if (tabs.isTabVisible(index) && tabs.isTabEnabled(index))
            return index;
    }
    return current;
}

void BindTabSwitchKeys(QTabWidget* tabs, QWidget* window)
{
    // Window-wide keys: the focused control (the grid, a text box) never
    // keeps them for itself.
    const std::pair<QKeySequence, int> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& [key, step] : keys) {
        auto* shortcut = new QShortcut(key, window);
        QObject::connect(shortcut, &QShortcut::activated, tabs,
                         [tabs, step = step] { tabs->setCurrentIndex(NeighbourTab(*tabs, step)); });
    }
}

} // namespace vexo
