#pragma once

#include "decoder/encoded_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vexo {

class WindowOps;
struct Session;

// The files the next batch run decodes. Line i of `List` shows entry i + 1
// while the queue is idle; positions count from 1, 0 means none. The
// queue's operations never touch files on disk.
class DecodeQueue {
public:
    DecodeQueue(Session& session, WindowOps& ops);

    const std::vector<QueueEntry>& entries() const { return entries_; }
    int QueueCount() const { return static_cast<int>(entries_.size()); }

    // "Добавить всё": queue every encoded *.avi and *.jpg of the working folder.
    void AddAllFromFolder();
    // "Добавить": queue the encoded files picked in the dialog `OpenD`.
    void AddClick();
    // Removes candidates under 35,200 bytes. From the folder scan
    // (`inFolder`, bare names) a candidate that is not a regular file or
    // cannot be opened goes too; a picked file that cannot be opened throws.
    void DropSmallFiles(std::vector<std::string>& candidates, bool inFolder) const;

    // Totals into status panel 0.
    void ListMouseMove();
    // "Очистить"
    void DeletClick();
    // "Удалить", as button and as menu item: removes the selected entry.
    void DeloneClick();
    void Delete1Click() { DeloneClick(); }
    // The list's context menu is about to open: its items describe the
    // selected entry. Returns false while a run works: the menu stays shut.
    bool PopupMenu1Popup();

    int SelectedQueuePosition() const;
    void RemoveQueueEntry(int position);

    // While a batch run works, single entries cannot be removed and the
    // context menu stays shut, so the run's entries stay where they are.
    bool running() const { return running_; }
    void setRunning(bool running) { running_ = running; }

    // For the batch run: drops the first `count` entries (their lines stay),
    // and shows the queued entries as the list's lines again.
    void DropFinished(int count);
    void Relist();

    // "name => RealName (size)"
    static std::string LineText(const QueueEntry& entry);

private:
    void append(QueueEntry entry);
    bool isQueued(const std::string& path) const;
    void emptyQueue();

    Session& session_;
    WindowOps& ops_;
    std::vector<QueueEntry> entries_;
    bool running_ = false;
};

} // namespace vexo
