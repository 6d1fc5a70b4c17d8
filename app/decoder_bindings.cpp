// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/decoder_bindings.h"

#include "app/main_window_controls.h"
#include "app/window_context.h"
#include "base/handler_boundary.h"
#include "window_handlers/views.h"

#include <QAction>
#include <QEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>

namespace vexo {

DecoderBindings::DecoderBindings(WindowContext& context)
    : QObject(context.controls.window), context_(context), list_(context.views.decoder),
      boxes_(context.views.dialogs, context.views.decoder),
      queue_(context.session, list_, context.views.decoder, boxes_),
      run_(context.session, context.decoderOptions, queue_, list_, context.views.decoder, context.views.window, boxes_)
{
    MainWindowControls& c = context.controls;
    HandlerBoundary& boundary = context.boundary;
    connect(c.addAllButton, &QPushButton::clicked, this, boundary.guard([this] { queue_.addAllFromFolder(); }));
    connect(c.addPickedButton, &QPushButton::clicked, this, boundary.guard([this] { queue_.addPickedFiles(); }));
    connect(c.clearQueueButton, &QPushButton::clicked, this, boundary.guard([this] { queue_.clear(); }));
    connect(c.removeEntryButton, &QPushButton::clicked, this, boundary.guard([this] { queue_.removeSelectedEntry(); }));
    connect(c.removeEntryItem, &QAction::triggered, this, boundary.guard([this] { queue_.removeSelectedEntry(); }));
    connect(c.queueList, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> selected = context_.controls.queueList->selectedItems();
        list_.userSelected(selected.isEmpty() ? -1 : context_.controls.queueList->row(selected.front()));
    });
    connect(c.queueList, &QWidget::customContextMenuRequested, this, &DecoderBindings::openQueueMenu);
    connect(c.decodeButton, &QPushButton::clicked, this, boundary.guard([this] { run_.decodeAll(); }));
    connect(c.goButton, &QPushButton::clicked, this, boundary.guard([this] { run_.scanAndDecode(); }));
    connect(c.joinPartsButton, &QPushButton::clicked, this, boundary.guard([this] { run_.joinWorkingFolder(); }));

    // Mouse movement over the list arrives at its viewport, buttons held or not.
    c.queueList->setMouseTracking(true);
    c.queueList->viewport()->setMouseTracking(true);
    c.queueList->viewport()->installEventFilter(this);
}

void DecoderBindings::windowShown()
{
    context_.boundary.run([this] { run_.windowShown(); });
}

void DecoderBindings::openQueueMenu(const QPoint& position)
{
    bool open = false;
    context_.boundary.run([this, &open] { open = queue_.describeSelectedEntry(); });
    if (open) {
        MainWindowControls& c = context_.controls;
        c.queueMenu->popup(c.queueList->viewport()->mapToGlobal(position));
    }
}

bool DecoderBindings::eventFilter(QObject* watched, QEvent* event)
{
    const MainWindowControls& c = context_.controls;
    if (event->type() == QEvent::MouseMove && watched == c.queueList->viewport())
        context_.boundary.run([this] { queue_.showTotals(); });
    return QObject::eventFilter(watched, event);
}

} // namespace vexo
