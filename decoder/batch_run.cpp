// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/batch_run.h"

#include "base/dialogs.h"
#include "base/folder_lock.h"
#include "base/percent.h"
#include "base/session.h"
#include "base/temporary_files.h"
#include "decoder/decode_file.h"
#include "decoder/decode_queue.h"
#include "decoder/decoder_options.h"
#include "decoder/decoder_view.h"
#include "decoder/queue_list.h"
#include "decoder/window_closer.h"
#include "decoder/working_folder.h"
#include "joiner/split.h"

#include <memory>
#include <optional>
#include <set>
#include <vector>

#include <unistd.h>

namespace vexo {

namespace {

constexpr const char* kFolderBusyText = "Папка занята другой копией программы, ожидание...";

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

BatchRun::BatchRun(Session& session, const DecoderOptions& options, DecodeQueue& queue, QueueList& list,
                   DecoderView& view, WindowCloser& window, Dialogs& dialogs)
    : session_(session), options_(options), queue_(queue), list_(list), view_(view), window_(window), dialogs_(dialogs)
{}

void BatchRun::setRunControls(bool enabled, bool withFolderBox)
{
    for (DecoderControl control : {DecoderControl::Decode, DecoderControl::ClearQueue, DecoderControl::AddPicked,
                                   DecoderControl::AddAll, DecoderControl::JoinParts})
        view_.setEnabled(control, enabled);
    if (withFolderBox)
        view_.setEnabled(DecoderControl::FolderBox, enabled);
}

void BatchRun::joinSplitFiles()
{
    if (!JoinSplitFiles(session_.workingFolder().path(), list_, dialogs_, options_.deleteAfterDecoding,
                        session_.update()))
        failed_ = true;
}

std::unique_ptr<FolderLocks> BatchRun::lockFolders(const std::vector<std::string>& folders)
{
    // A wait that comes before the run proper disables what could start or
    // change a run meanwhile; without a wait the controls stay as they are.
    const bool beforeRun = !queue_.running();
    std::optional<RunningQueue> running;
    if (beforeRun)
        running.emplace(queue_);
    bool waited = false;
    try {
        auto locks = std::make_unique<FolderLocks>(folders, dialogs_, [&] {
            waited = true;
            if (beforeRun)
                setRunControls(false, true);
            view_.showStatus(kFolderBusyText);
            view_.repaintStatusNow();
        });
        if (waited)
            view_.showStatus("");
        if (waited && beforeRun)
            setRunControls(true, true);
        return locks;
    } catch (...) {
        if (waited && beforeRun)
            setRunControls(true, true);
        throw;
    }
}

std::vector<std::string> BatchRun::outputFolders() const
{
    std::vector<std::string> folders{session_.workingFolder().path()};
    for (const QueueEntry& entry : queue_.entries())
        folders.push_back(FolderPart(entry.path));
    return folders;
}

void BatchRun::decodeAll()
{
    if (queue_.running())
        return;
    const RunningQueue running(queue_);
    setRunControls(false, true);
    try {
        const auto locks = lockFolders(outputFolders());
        decodeQueued();
        if (options_.joinAtOnce)
            joinSplitFiles();
    } catch (...) {
        // What was decoded stays decoded and leaves the queue; the rest
        // stays queued and listed for another try.
        failed_ = true;
        queue_.relist();
        setRunControls(true, true);
        throw;
    }
    setRunControls(true, true);

    if (options_.openFolderAfter)
        OpenWorkingFolder(session_.workingFolder(), dialogs_);
    else
        view_.focus(DecoderControl::OpenFolder);
    list_.clearLines();
}

void BatchRun::removeStaleTemporaries() const
{
    std::set<std::string> folders{session_.workingFolder().path()};
    for (const QueueEntry& entry : queue_.entries())
        folders.insert(FolderPart(entry.path));
    for (const std::string& folder : folders)
        RemoveStaleTemporaries(folder.empty() ? "." : folder);
}

void BatchRun::decodeQueued()
{
    removeStaleTemporaries();
    view_.showRunProgress(0);
    const int count = queue_.queueCount();
    std::int64_t total = 0;
    for (const QueueEntry& entry : queue_.entries())
        total += entry.dataSize;
    std::int64_t done = 0;
    const std::int32_t pacing = session_.update().blocks();

    int finished = 0;
    try {
        for (int k = 1; k <= count; ++k) {
            const QueueEntry entry = queue_.entries()[static_cast<std::size_t>(k - 1)];
            list_.selectLine(k - 1);
            DecodeFile(entry, k, session_.update(), list_, view_, dialogs_);
            ++finished;
            list_.appendToLine(k - 1, " [OK]");
            if (k % pacing == 0)
                view_.repaintStatusNow();
            if (options_.deleteAfterDecoding)
                deleteQueuedFile(entry.path, k);
            done += entry.dataSize;
            view_.showRunProgress(RoundedPercent(done, total));
        }
    } catch (...) {
        queue_.dropFinished(finished);
        throw;
    }
    queue_.dropFinished(count);
}

void BatchRun::deleteQueuedFile(const std::string& path, int position)
{
    if (::unlink(path.c_str()) != 0) {
        failed_ = true;
        dialogs_.showMessage(MessageKind::Warning, "I/O Error");
        return;
    }
    if (position > 0 && position <= list_.lineCount())
        list_.appendToLine(position - 1, " [Deleted]");
}

void BatchRun::scanAndDecode()
{
    if (queue_.running())
        return;
    try {
        // Taken before the scan: after another copy of the program worked
        // here, its containers are gone or their outputs already there, and
        // the scan finds nothing left to do.
        const auto locks = lockFolders({session_.workingFolder().path()});
        if (queue_.addAllFromFolder() > 0)
            failed_ = true;
        decodeAll();
    } catch (...) {
        failed_ = true;
        if (session_.commandLine().unattended)
            window_.closeWindow();
        throw;
    }
    if (session_.commandLine().unattended)
        window_.closeWindow();
}

void BatchRun::windowShown()
{
    if (shown_)
        return;
    shown_ = true;
    if (session_.commandLine().unattended)
        scanAndDecode();
}

void BatchRun::joinWorkingFolder()
{
    if (queue_.running())
        return;
    const RunningQueue running(queue_);
    setRunControls(false, false);
    try {
        const auto locks = lockFolders({session_.workingFolder().path()});
        joinSplitFiles();
    } catch (...) {
        failed_ = true;
        queue_.relist();
        setRunControls(true, false);
        throw;
    }
    list_.clearLines();
    queue_.dropFinished(queue_.queueCount());
    setRunControls(true, false);
    view_.focus(DecoderControl::OpenFolder);
}

} // namespace vexo
