#include "decoder/batch_run.h"

#include "decoder/decode_file.h"
#include "decoder/decode_queue.h"
#include "decoder/percent.h"
#include "base/session.h"
#include "joiner/split.h"
#include "base/window_handlers.h"
#include "base/window_ops.h"

#include <algorithm>
#include <unistd.h>

namespace vexo {

namespace {

constexpr const char* kAutoRunSwitch = "/a";

// Marks the queue as running for the lifetime of the object.
class RunningQueue {
public:
    explicit RunningQueue(DecodeQueue& queue) : queue_(queue) { queue_.setRunning(true); }
    ~RunningQueue() { queue_.setRunning(false); }
    RunningQueue(const RunningQueue&) = delete;
    RunningQueue& operator=(const RunningQueue&) = delete;

private:
    DecodeQueue& queue_;
};

} // namespace

BatchRun::BatchRun(Session& session, WindowOps& ops, DecodeQueue& queue)
    : session_(session), ops_(ops), queue_(queue)
{
}

void BatchRun::setRunControls(bool enabled, bool withFolderBox)
{
    for (Control control : {Control::Proced, Control::Delet, Control::Add, Control::Button2, Control::Button1})
        ops_.setEnabled(control, enabled);
    if (withFolderBox)
        ops_.setEnabled(Control::TFolder, enabled);
}

void BatchRun::joinSplitFiles()
{
    JoinSplitFiles(session_.workingFolder, ops_, ops_.isChecked(Control::AutoDelete), session_.update);
}

void BatchRun::DecodeAll()
{
    if (queue_.running())
        return;
    const RunningQueue running(queue_);
    setRunControls(false, true);
    try {
        decodeQueued();
        if (ops_.isChecked(Control::AutoJoin))
            joinSplitFiles();
    } catch (...) {
        // What was decoded stays decoded and leaves the queue; the rest
        // stays queued and listed for another try.
        queue_.Relist();
        setRunControls(true, true);
        throw;
    }
    setRunControls(true, true);

    if (ops_.isChecked(Control::Autoopen))
        Button8Click(session_, ops_);
    else
        ops_.setFocus(Control::Button8);
    ops_.clearLines();
}

void BatchRun::decodeQueued()
{
    ops_.setProgress(Control::ProgressBar1, 0);
    const int count = queue_.QueueCount();
    std::int64_t total = 0;
    for (const QueueEntry& entry : queue_.entries())
        total += entry.DataSize;
    std::int64_t done = 0;
    const int pacing = std::max<std::int32_t>(session_.update, 1);

    int finished = 0;
    try {
        for (int k = 1; k <= count; ++k) {
            const QueueEntry entry = queue_.entries()[static_cast<std::size_t>(k - 1)];
            ops_.selectLine(k - 1);
            DecodeFile(entry, k, session_, ops_);
            ++finished;
            ops_.setLine(k - 1, ops_.line(k - 1) + " [OK]");
            if (k % pacing == 0)
                ops_.repaintStatus();
            if (ops_.isChecked(Control::AutoDelete))
                DeleteQueuedFile(entry.Path, k);
            done += entry.DataSize;
            ops_.setProgress(Control::ProgressBar1, RoundedPercent(done, total));
        }
    } catch (...) {
        queue_.DropFinished(finished);
        throw;
    }
    queue_.DropFinished(count);
}

void BatchRun::DeleteQueuedFile(const std::string& path, int position)
{
    if (::unlink(path.c_str()) != 0) {
        ops_.showMessage(MessageKind::Warning, "I/O Error");
        return;
    }
    if (position > 0 && position <= ops_.lineCount())
        ops_.setLine(position - 1, ops_.line(position - 1) + " [Deleted]");
}

bool BatchRun::startedWithAutoRun() const
{
    return std::find(session_.args.begin(), session_.args.end(), kAutoRunSwitch) != session_.args.end();
}

void BatchRun::ScanAndDecode()
{
    if (queue_.running())
        return;
    queue_.AddAllFromFolder();
    DecodeAll();
    if (startedWithAutoRun())
        ops_.closeWindow();
}

void BatchRun::FormActivate()
{
    if (activated_)
        return;
    activated_ = true;
    if (startedWithAutoRun())
        ScanAndDecode();
}

void BatchRun::Button1Click()
{
    if (queue_.running())
        return;
    const RunningQueue running(queue_);
    setRunControls(false, false);
    try {
        joinSplitFiles();
    } catch (...) {
        queue_.Relist();
        setRunControls(true, false);
        throw;
    }
    ops_.clearLines();
    queue_.DropFinished(queue_.QueueCount());
    setRunControls(true, false);
    ops_.setFocus(Control::Button8);
}

} // namespace vexo
