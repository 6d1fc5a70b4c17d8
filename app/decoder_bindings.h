// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/batch_run.h"
#include "decoder/decode_queue.h"
#include "decoder/queue_list.h"
#include "window_handlers/arrival_decoding.h"

#include <QObject>

class QPoint;

namespace vexo {

struct WindowContext;

// The decoder tab's controls bound to the decode queue and the batch run:
// the add, clear and remove buttons, the list's selection, context menu,
// mouse-over totals and the files and folders dropped on it, "Расшифровка",
// "Go!", "Соединение", and the window's first showing (the "/a" run).
class DecoderBindings : public QObject {
    Q_OBJECT
public:
    explicit DecoderBindings(WindowContext& context);

    DecodeQueue& queue() { return queue_; }
    BatchRun& run() { return run_; }
    // The boxes of the queue and the runs, which a run of the arrivals quiets.
    RunBoxes& boxes() { return boxes_; }
    // The window is up and the event loop turns.
    void windowShown();
    // Whether a run failed so far (BatchRun::failed).
    bool runFailed() const { return run_.failed(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void openQueueMenu(const QPoint& position);

    WindowContext& context_;
    QueueList list_;
    RunBoxes boxes_;
    DecodeQueue queue_;
    BatchRun run_;
};

} // namespace vexo
