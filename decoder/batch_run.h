#pragma once

#include <string>

namespace vexo {

class DecodeQueue;
class WindowOps;
struct Session;

// The decode run over the whole queue ("Расшифровка"), the one-step run
// ("Go!", and "/a" at start-up) and the manual join ("Соединение"). Only
// one run works at a time: while one does, "Go!", "Удалить" and the
// list's context menu do nothing, and the other buttons that could start
// or change a run are disabled.
class BatchRun {
public:
    BatchRun(Session& session, WindowOps& ops, DecodeQueue& queue);

    // Decodes every queued file in order, marking its line " [OK]" (and
    // " [Deleted]" with "Автоудаление"), then joins split parts when
    // "Сразу соединять" is ticked and opens the folder when "Открыть папку"
    // is. A failure stops the run, enables the controls again and keeps the
    // entries not yet decoded, listed, for another try; the error goes on
    // to the caller.
    void DecodeAll();
    // "Go!": scan the working folder, decode, and with "/a" close the window.
    void ScanAndDecode();
    // The main window became active: with "/a" among the parameters, the
    // first activation runs ScanAndDecode; later ones (after every message
    // box) do nothing.
    void FormActivate();
    // "Соединение": join the split parts of the working folder, then empty
    // the queue.
    void Button1Click();

    // Deletes a decoded file and marks its line; a refusal shows "I/O Error".
    void DeleteQueuedFile(const std::string& path, int position);

private:
    void decodeQueued();
    void setRunControls(bool enabled, bool withFolderBox);
    void joinSplitFiles();
    bool startedWithAutoRun() const;

    Session& session_;
    WindowOps& ops_;
    DecodeQueue& queue_;
    bool activated_ = false;
};

} // namespace vexo
