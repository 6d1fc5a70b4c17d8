#include "app/decoder_bindings.h"

#include "app/main_window.h"

#include <QAction>
#include <QEvent>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace vexo {

DecoderBindings::DecoderBindings(TVmain& window)
    : QObject(&window), window_(window), queue_(window.session(), window.ops()),
      run_(window.session(), window.ops(), queue_)
{
    MainWindowControls& c = window.controls();
    connect(c.Button2, &QPushButton::clicked, this, window.guarded([this] { queue_.AddAllFromFolder(); }));
    connect(c.Add, &QPushButton::clicked, this, window.guarded([this] { queue_.AddClick(); }));
    connect(c.Delet, &QPushButton::clicked, this, window.guarded([this] { queue_.DeletClick(); }));
    connect(c.Delone, &QPushButton::clicked, this, window.guarded([this] { queue_.DeloneClick(); }));
    connect(c.Delete1, &QAction::triggered, this, window.guarded([this] { queue_.Delete1Click(); }));
    connect(c.List, &QWidget::customContextMenuRequested, this, &DecoderBindings::listContextMenu);
    connect(c.Proced, &QPushButton::clicked, this, window.guarded([this] { run_.DecodeAll(); }));
    connect(c.FullGo, &QPushButton::clicked, this, window.guarded([this] { run_.ScanAndDecode(); }));
    connect(c.Button1, &QPushButton::clicked, this, window.guarded([this] { run_.Button1Click(); }));
    window.installEventFilter(this);

    // Mouse movement over the list arrives at its viewport, buttons held or not.
    c.List->setMouseTracking(true);
    c.List->viewport()->setMouseTracking(true);
    c.List->viewport()->installEventFilter(this);
}

void DecoderBindings::listContextMenu(const QPoint& position)
{
    bool open = false;
    window_.guarded([this, &open] { open = queue_.PopupMenu1Popup(); })();
    if (open) {
        MainWindowControls& c = window_.controls();
        c.PopupMenu1->popup(c.List->viewport()->mapToGlobal(position));
    }
}

bool DecoderBindings::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && watched == window_.controls().List->viewport())
        window_.guarded([this] { queue_.ListMouseMove(); })();
    else if (event->type() == QEvent::WindowActivate && watched == &window_)
        window_.guarded([this] { run_.FormActivate(); })();
    return QObject::eventFilter(watched, event);
}

} // namespace vexo
