// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/decoder_bindings.h"

#include "app/main_window_controls.h"
#include "app/window_context.h"
#include "base/handler_boundary.h"
#include "window_handlers/views.h"

#include <QAction>
#include <QDropEvent>
#include <QEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace vexo {

namespace {

// What a drag brings, in the logic's terms. A local file's path is taken
// byte for byte from its address, so that a name that is not UTF-8 stays
// the name on the disk.
Drop DropOf(const QMimeData* data)
{
    Drop drop;
    if (!data || !data->hasUrls()) {
        drop.foreign = true;
        return drop;
    }
    for (const QUrl& url : data->urls()) {
        const bool onThisHost = url.host().isEmpty() || url.host() == QLatin1String("localhost");
        if (url.isLocalFile() && onThisHost)
            drop.localPaths.push_back(
                QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
        else
            drop.foreign = true;
    }
    return drop;
}

// A drop is taken as a copy: a file manager that was offered a move would
// delete the user's files once the drop is done.
bool OfferCopy(QDropEvent* event)
{
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event->possibleActions() & action) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    event->ignore();
    return false;
}

} // namespace

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
    // Files and folders dropped from a file manager.
    c.queueList->setAcceptDrops(true);
    c.queueList->viewport()->setAcceptDrops(true);
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
    if (watched != c.queueList->viewport())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove: context_.boundary.run([this] { queue_.showTotals(); }); break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        bool takes = false;
        context_.boundary.run([&] { takes = queue_.takesDrop(DropOf(drag->mimeData())); });
        if (!takes || !OfferCopy(drag))
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* dropped = static_cast<QDropEvent*>(event);
        if (OfferCopy(dropped)) {
            // Taken once the drag is over: its boxes must not hold up the
            // file manager that waits for the drop to end.
            QTimer::singleShot(0, this, [this, drop = DropOf(dropped->mimeData())] {
                context_.boundary.run([&] { queue_.takeDrop(drop); });
            });
        }
        return true;
    }
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vexo
