// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/decode_queue.h"

#include "base/cp1251.h"
#include "base/dialogs.h"
#include "base/file_io.h"
#include "base/made_files.h"
#include "base/session.h"
#include "base/size_text.h"
#include "base/temporary_files.h"
#include "decoder/container_format.h"
#include "decoder/decoder_view.h"
#include "decoder/queue_list.h"
#include "decoder/working_folder.h"
#include "joiner/search.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace vexo {

namespace {

const char* const kPickFilter = "Vexo Images and Video|*.jpg;*.jpeg;*.gif;*.png;*.bmp;*.avi;*.mpg;*.vob;*.mov"
                                "|All Files|*.*";

// The folder of a picked file as the working folder: no trailing "/",
// except for the root itself.
std::string PickedFolder(const std::string& path)
{
    std::string folder = FolderPart(path);
    if (folder.size() <= 1)
        return folder;
    return folder.substr(0, folder.size() - 1);
}

} // namespace

DecodeQueue::DecodeQueue(Session& session, QueueList& list, DecoderView& view, Dialogs& dialogs)
    : session_(session), list_(list), view_(view), dialogs_(dialogs)
{}

std::string QueueLineText(const QueueEntry& entry)
{
    return FileNamePart(entry.path) + " => " + entry.realName + " (" + SizeToText(entry.dataSize) + ")";
}

void DecodeQueue::append(QueueEntry entry)
{
    entries_.push_back(std::move(entry));
    list_.appendLine(QueueLineText(entries_.back()));
}

bool DecodeQueue::isQueued(const std::string& path) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&](const QueueEntry& e) { return e.path == path; });
}

void DecodeQueue::emptyQueue()
{
    list_.clearLines();
    entries_.clear();
    view_.setEnabled(DecoderControl::AddPicked, true);
}

int DecodeQueue::addAllFromFolder()
{
    const std::string folder = session_.workingFolder().path();
    std::vector<std::string> candidates;
    FindFiles(folder, "*.avi", 0, candidates, false);
    FindFiles(folder, "*.jpg", 0, candidates, false);
    dropSmallFiles(candidates, true);
    if (!candidates.empty())
        view_.setEnabled(DecoderControl::AddPicked, false);

    // The program's own outputs never go round again, whatever their last
    // bytes look like.
    const MadeFiles made(folder);
    int unopened = 0;
    for (const std::string& name : candidates) {
        const std::string path = folder + "/" + name;
        // A download still in progress is no file of the user's yet.
        if (isQueued(path) || made.contains(name) || IsPartialDownloadName(name))
            continue;
        bool opened = false;
        if (auto entry = InspectFile(path, true, dialogs_, [&] { opened = true; }))
            append(std::move(*entry));
        if (!opened)
            ++unopened;
    }

    if (entries_.empty())
        view_.setEnabled(DecoderControl::AddPicked, true);
    else
        view_.focus(DecoderControl::Decode);
    return unopened;
}

void DecodeQueue::enablePickedRun()
{
    view_.setEnabled(DecoderControl::QueueList, true);
    view_.setEnabled(DecoderControl::Decode, true);
    view_.setEnabled(DecoderControl::ClearQueue, true);
}

void DecodeQueue::addPickedFiles()
{
    enablePickedRun();
    addFiles(dialogs_.pickFiles(session_.workingFolder().path(), kPickFilter));
}

bool DecodeQueue::takesDrop(const Drop& drop) const
{
    return !running_ && UseOfDrop(drop) != DropUse::Refuse;
}

void DecodeQueue::takeDrop(const Drop& drop)
{
    if (running_)
        return;
    switch (UseOfDrop(drop)) {
    case DropUse::QueueFiles:
        enablePickedRun();
        addFiles(drop.localPaths);
        break;
    case DropUse::TakeFolder: SetWorkingFolder(session_, view_, DroppedFolder(drop.localPaths.front())); break;
    case DropUse::Refuse: break;
    }
}

void DecodeQueue::addFiles(std::vector<std::string> picked)
{
    if (!picked.empty()) {
        dropSmallFiles(picked, false);
        if (!picked.empty())
            view_.setEnabled(DecoderControl::AddPicked, false);
        for (const std::string& path : picked) {
            if (isQueued(path))
                continue;
            // The folder of a picked file becomes the working folder, even
            // when the file proves not to be encoded.
            const auto moveWorkingFolder = [&] {
                // A folder that cannot be stored is still used; the adding goes on.
                try {
                    SetWorkingFolder(session_, view_, PickedFolder(path));
                } catch (const SettingsWriteError& error) {
                    dialogs_.showMessage(MessageKind::Warning, error.what());
                }
            };
            if (auto entry = InspectFile(path, false, dialogs_, moveWorkingFolder))
                append(std::move(*entry));
        }
    }

    if (entries_.empty())
        view_.setEnabled(DecoderControl::AddPicked, true);
}

void DecodeQueue::dropSmallFiles(std::vector<std::string>& candidates, bool inFolder) const
{
    std::vector<std::string> kept;
    for (const std::string& candidate : candidates) {
        const std::string path = inFolder ? session_.workingFolder().path() + "/" + candidate : candidate;
        const PosixFile file = PosixFile::OpenReadWrite(path);
        if (!file.isOpen()) {
            if (!inFolder)
                throw std::runtime_error("Cannot open file " + SystemErrorText(path, errno));
            // A folder named like a video is none of ours; a file that
            // cannot be opened (a broken link, a locked file) is told by name.
            if (errno != EISDIR)
                kept.push_back(candidate);
            continue;
        }
        if (!file.isRegular() || file.size() < kMinimumContainerSize)
            continue;
        kept.push_back(candidate);
    }
    candidates = std::move(kept);
}

void DecodeQueue::showTotals()
{
    std::int64_t total = 0;
    for (const QueueEntry& entry : entries_)
        total += entry.dataSize;
    view_.showStatus("Всего файлов: " + std::to_string(queueCount()) + ", размер: " + SizeToText(total));
}

void DecodeQueue::clear()
{
    emptyQueue();
    view_.focus(DecoderControl::AddAll);
}

void DecodeQueue::removeSelectedEntry()
{
    if (running_)
        return;
    const int position = selectedPosition();
    if (position == 0)
        return;
    if (queueCount() == 1) {
        emptyQueue();
        return;
    }
    removeEntry(position);
    list_.selectLine(0);
}

bool DecodeQueue::describeSelectedEntry()
{
    if (running_)
        return false;
    const int position = selectedPosition();
    if (position == 0) {
        view_.describeEntry(std::nullopt);
        return true;
    }
    const QueueEntry& entry = entries_[static_cast<std::size_t>(position - 1)];
    view_.describeEntry(EntryDetails{
        "Реалнейм: " + entry.realName,
        "Размер: " + SizeToText(entry.dataSize) + " (" + std::to_string(entry.dataSize) + " байт)",
        "Ключ: " + Cp1251ToUtf8(std::string(1, static_cast<char>(entry.key))),
    });
    return true;
}

int DecodeQueue::selectedPosition() const
{
    const int line = list_.selectedLine();
    // A selected log line of a run is no entry.
    if (line < 0 || line >= queueCount())
        return 0;
    return line + 1;
}

void DecodeQueue::removeEntry(int position)
{
    if (position < 1 || position > queueCount())
        return;
    entries_.erase(entries_.begin() + (position - 1));
    list_.deleteLine(position - 1);
}

void DecodeQueue::dropFinished(int count)
{
    count = std::clamp(count, 0, queueCount());
    entries_.erase(entries_.begin(), entries_.begin() + count);
}

void DecodeQueue::relist()
{
    list_.clearLines();
    for (const QueueEntry& entry : entries_)
        list_.appendLine(QueueLineText(entry));
}

} // namespace vexo
