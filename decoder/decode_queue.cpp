#include "decoder/decode_queue.h"

#include "base/cp1251.h"
#include "base/file_io.h"
#include "joiner/search.h"
#include "base/session.h"
#include "base/size_text.h"
#include "base/window_ops.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace vexo {

namespace {

constexpr std::int64_t kMinimumCandidateSize = 275 * 128; // 35,200 bytes

const char* const kPickFilter = "Vexo Images and Video|*.jpg;*.jpeg;*.gif;*.png;*.bmp;*.avi;*.mpg;*.vob;*.mov"
                                "|All Files|*.*";

// The folder of a picked file as the working folder: no trailing "/",
// except for the root itself.
std::string PickedFolder(const std::string& path)
{
    const std::string folder = FolderPart(path);
    if (folder.size() <= 1)
        return folder;
    return folder.substr(0, folder.size() - 1);
}

} // namespace

DecodeQueue::DecodeQueue(Session& session, WindowOps& ops) : session_(session), ops_(ops) {}

std::string DecodeQueue::LineText(const QueueEntry& entry)
{
    return FileNamePart(entry.Path) + " => " + entry.RealName + " (" + SizeToText(entry.DataSize) + ")";
}

void DecodeQueue::append(QueueEntry entry)
{
    entries_.push_back(std::move(entry));
    ops_.appendLine(LineText(entries_.back()));
}

bool DecodeQueue::isQueued(const std::string& path) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&](const QueueEntry& e) { return e.Path == path; });
}

void DecodeQueue::emptyQueue()
{
    ops_.clearLines();
    entries_.clear();
    ops_.setEnabled(Control::Add, true);
}

void DecodeQueue::AddAllFromFolder()
{
    const std::string folder = session_.workingFolder;
    std::vector<std::string> candidates;
    FindFiles(folder, "*.avi", 0, candidates, false);
    FindFiles(folder, "*.jpg", 0, candidates, false);
    DropSmallFiles(candidates, true);
    if (!candidates.empty())
        ops_.setEnabled(Control::Add, false);

    for (const std::string& name : candidates) {
        const std::string path = folder + "/" + name;
        if (isQueued(path))
            continue;
        if (auto entry = InspectFile(path, true, ops_))
            append(std::move(*entry));
    }

    if (entries_.empty())
        ops_.setEnabled(Control::Add, true);
    else
        ops_.setFocus(Control::Proced);
}

void DecodeQueue::AddClick()
{
    ops_.setEnabled(Control::List, true);
    ops_.setEnabled(Control::Proced, true);
    ops_.setEnabled(Control::Delet, true);

    std::vector<std::string> picked = ops_.pickFiles(session_.workingFolder, kPickFilter);
    if (!picked.empty()) {
        DropSmallFiles(picked, false);
        if (!picked.empty())
            ops_.setEnabled(Control::Add, false);
        for (const std::string& path : picked) {
            if (isQueued(path))
                continue;
            // The folder of a picked file becomes the working folder, even
            // when the file proves not to be encoded.
            const auto moveWorkingFolder = [&] {
                session_.workingFolder = PickedFolder(path);
                ops_.setText(Control::TFolder, session_.workingFolder);
            };
            if (auto entry = InspectFile(path, false, ops_, moveWorkingFolder))
                append(std::move(*entry));
        }
    }

    if (entries_.empty())
        ops_.setEnabled(Control::Add, true);
}

void DecodeQueue::DropSmallFiles(std::vector<std::string>& candidates, bool inFolder) const
{
    std::vector<std::string> kept;
    for (const std::string& candidate : candidates) {
        const std::string path = inFolder ? session_.workingFolder + "/" + candidate : candidate;
        const PosixFile file = PosixFile::OpenReadWrite(path);
        if (!file.isOpen()) {
            if (inFolder)
                continue; // a folder named like a video, a locked file: not ours to decode
            throw std::runtime_error("Cannot open file " + SystemErrorText(path, errno));
        }
        if (!file.isRegular() || file.size() < kMinimumCandidateSize)
            continue;
        kept.push_back(candidate);
    }
    candidates = std::move(kept);
}

void DecodeQueue::ListMouseMove()
{
    std::int64_t total = 0;
    for (const QueueEntry& entry : entries_)
        total += entry.DataSize;
    ops_.setStatusText(0, "Всего файлов: " + std::to_string(QueueCount()) + ", размер: " + SizeToText(total));
}

void DecodeQueue::DeletClick()
{
    emptyQueue();
    ops_.setFocus(Control::Button2);
}

void DecodeQueue::DeloneClick()
{
    if (running_)
        return;
    const int position = SelectedQueuePosition();
    if (position == 0)
        return;
    if (QueueCount() == 1) {
        emptyQueue();
        return;
    }
    RemoveQueueEntry(position);
    ops_.selectLine(0);
}

bool DecodeQueue::PopupMenu1Popup()
{
    if (running_)
        return false;
    const int position = SelectedQueuePosition();
    const bool selected = position > 0;
    ops_.setEnabled(Control::Delete1, selected);
    for (Control info : {Control::Realnam, Control::Sizef, Control::Key})
        ops_.setVisible(info, selected);
    if (!selected)
        return true;

    const QueueEntry& entry = entries_[static_cast<std::size_t>(position - 1)];
    ops_.setText(Control::Key, "Ключ: " + Cp1251ToUtf8(std::string(1, static_cast<char>(entry.Key))));
    ops_.setText(Control::Sizef,
                 "Размер: " + SizeToText(entry.DataSize) + " (" + std::to_string(entry.DataSize) + " байт)");
    ops_.setText(Control::Realnam, "Реалнейм: " + entry.RealName);
    return true;
}

int DecodeQueue::SelectedQueuePosition() const
{
    const int line = ops_.selectedLine();
    // A selected log line of a run is no entry.
    if (ops_.lineCount() == 0 || line < 0 || line >= QueueCount())
        return 0;
    return line + 1;
}

void DecodeQueue::RemoveQueueEntry(int position)
{
    if (position < 1 || position > QueueCount())
        return;
    entries_.erase(entries_.begin() + (position - 1));
    ops_.deleteLine(position - 1);
}

void DecodeQueue::DropFinished(int count)
{
    count = std::clamp(count, 0, QueueCount());
    entries_.erase(entries_.begin(), entries_.begin() + count);
}

void DecodeQueue::Relist()
{
    ops_.clearLines();
    for (const QueueEntry& entry : entries_)
        ops_.appendLine(LineText(entry));
}

} // namespace vexo
