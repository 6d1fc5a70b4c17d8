// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/encoded_file.h"
#include "decoder/queue_drop.h"

#include <string>
#include <vector>

namespace vexo {

class DecoderView;
class Dialogs;
class QueueList;
class Session;

// The files the next batch run decodes. Line i of the list shows entry
// i + 1 while the queue is idle; positions count from 1, 0 means none. The
// queue's operations never touch files on disk.
class DecodeQueue {
public:
    DecodeQueue(Session& session, QueueList& list, DecoderView& view, Dialogs& dialogs);

    const std::vector<QueueEntry>& entries() const { return entries_; }
    int queueCount() const { return static_cast<int>(entries_.size()); }

    // "Добавить всё": queue every encoded *.avi and *.jpg of the working
    // folder; files the program made itself are passed over. Returns how many candidates could not be opened, each told
    // in an "I/O Error - <name>" box.
    int addAllFromFolder();
    // "Добавить": queue the encoded files picked in the file dialog.
    void addPickedFiles();
    // Something is dragged over the list: whether dropping it would be
    // taken (UseOfDrop); nothing is taken while a run works.
    bool takesDrop(const Drop& drop) const;
    // A drop on the list: its files are queued as picked files are, or its
    // folder becomes the working folder; anything else is refused without a
    // word.
    void takeDrop(const Drop& drop);
    // Removes candidates under 35,200 bytes. From the folder scan
    // (`inFolder`, bare names) folders and other entries that are no regular
    // file go too, and one that cannot be opened stays, for its inspection
    // to report; a picked file that cannot be opened throws.
    void dropSmallFiles(std::vector<std::string>& candidates, bool inFolder) const;

    // The pointer moved over the list: the totals into the status bar.
    void showTotals();
    // "Очистить"
    void clear();
    // "Удалить", as button and as menu item: removes the selected entry.
    void removeSelectedEntry();
    // The list's context menu is about to open: its items describe the
    // selected entry. Returns false while a run works: the menu stays shut.
    bool describeSelectedEntry();

    int selectedPosition() const;
    void removeEntry(int position);

    // While a batch run works, single entries cannot be removed and the
    // context menu stays shut, so the run's entries stay where they are.
    bool running() const { return running_; }
    void setRunning(bool running) { running_ = running; }

    // For the batch run: drops the first `count` entries (their lines stay),
    // and shows the queued entries as the list's lines again.
    void dropFinished(int count);
    void relist();

private:
    void append(QueueEntry entry);
    void enablePickedRun();
    void addFiles(std::vector<std::string> picked);
    bool isQueued(const std::string& path) const;
    void emptyQueue();

    Session& session_;
    QueueList& list_;
    DecoderView& view_;
    Dialogs& dialogs_;
    std::vector<QueueEntry> entries_;
    bool running_ = false;
};

// "name => RealName (size)"
std::string QueueLineText(const QueueEntry& entry);

} // namespace vexo
