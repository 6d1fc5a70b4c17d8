// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace vexo {

class DecodeQueue;
class DecoderView;
class Dialogs;
class FolderLocks;
class QueueList;
class WindowCloser;
class Session;
struct DecoderOptions;

// The decode run over the whole queue ("Расшифровка"), the one-step run
// ("Go!", and "/a" at start-up) and the manual join ("Соединение"). Only
// one run works at a time: while one does, "Go!", "Удалить" and the
// list's context menu do nothing, and the other buttons that could start
// or change a run are disabled. Another copy of the program may work in the
// same folders: a run that writes there waits until that one is done, the
// status bar saying so, and the window stays alive meanwhile.
class BatchRun {
public:
    BatchRun(Session& session, const DecoderOptions& options, DecodeQueue& queue, QueueList& list, DecoderView& view,
             WindowCloser& window, Dialogs& dialogs);

    // Decodes every queued file in order, marking its line " [OK]" (and
    // " [Deleted]" when containers are deleted after decoding), then joins
    // split parts and opens the folder as the options say. A failure stops
    // the run, enables the controls again and keeps the entries not yet
    // decoded, listed, for another try; the error goes on to the caller.
    void decodeAll();
    // "Go!": scan the working folder, decode, and with "/a" close the window
    // (also when a step failed: nobody waits at an unattended run).
    void scanAndDecode();
    // The main window is up and the event loop turns: with "/a" among the
    // parameters, the first call runs scanAndDecode; later ones do nothing.
    void windowShown();
    // "Соединение": join the split parts of the working folder, then empty
    // the queue.
    void joinWorkingFolder();

    // Deletes a decoded file and marks its line; a refusal shows "I/O Error".
    void deleteQueuedFile(const std::string& path, int position);

    // Whether a run of this window failed so far: a container found that
    // could not be opened, decoded or deleted, a set of parts that was not
    // joined, or an error that stopped a run. A file that is no container
    // is none. The exit status of an unattended run.
    bool failed() const { return failed_; }

private:
    void decodeQueued();
    // Locks the folders for the run, waiting while another program holds one.
    std::unique_ptr<FolderLocks> lockFolders(const std::vector<std::string>& folders);
    // Where the queued files' outputs, and the joiner's, go.
    std::vector<std::string> outputFolders() const;
    // What a killed run of the program left half written goes first.
    void removeStaleTemporaries() const;
    void setRunControls(bool enabled, bool withFolderBox);
    void joinSplitFiles();

    Session& session_;
    const DecoderOptions& options_;
    DecodeQueue& queue_;
    QueueList& list_;
    DecoderView& view_;
    WindowCloser& window_;
    Dialogs& dialogs_;
    bool shown_ = false;
    bool failed_ = false;
};

} // namespace vexo
