#pragma once

#include "decoder/batch_run.h"
#include "decoder/decode_queue.h"

#include <QObject>

class QPoint;

namespace vexo {

class TVmain;

// The decoder tab's controls bound to the decode queue and the batch run:
// the add, clear and remove buttons, the list's context menu and its
// mouse-over totals, "Расшифровка", "Go!", "Соединение", and the window's
// activation (the "/a" run).
class DecoderBindings : public QObject {
    Q_OBJECT
public:
    explicit DecoderBindings(TVmain& window);

    DecodeQueue& queue() { return queue_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void listContextMenu(const QPoint& position);

    TVmain& window_;
    DecodeQueue queue_;
    BatchRun run_;
};

} // namespace vexo
