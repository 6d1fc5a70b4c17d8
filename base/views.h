// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// What the program's logic tells the window, in the program's own words:
// one view per part of the window, and the Dialogs seam for modal boxes,
// pickers, the desktop's programs and the pump. The logic owns its state
// (options, queue, server table, ...); the views only show it, and writing
// through a view never runs a handler. The window implements these on its
// widgets; the tests implement them with recording fakes, and one contract
// suite holds both to the same behaviour.

namespace vexo {

struct DecoderOptions;

enum class MessageKind { Information, Warning };

// Modal boxes and pickers, the user's desktop programs, and the pump.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Each waits until the user has closed it; in an unattended run ("/a")
    // nothing waits: the text goes to the log and the work goes on as after OK.
    virtual void showMessage(MessageKind kind, const std::string& text) = 0;
    // The same box, shown without waiting: it stays until the user closes
    // it while the work goes on. For work that must not stand still when
    // nobody is there to answer, as the server downloader in the tray.
    virtual void showNotice(MessageKind kind, const std::string& text) = 0;
    // The chosen files (full paths), or an empty list when the user cancels.
    // `filter` is "Description|*.a;*.b|All Files|*.*".
    virtual std::vector<std::string> pickFiles(const std::string& startFolder, const std::string& filter) = 0;
    // The chosen folder, or nothing when the user cancels.
    virtual std::optional<std::string> pickFolder(const std::string& title, const std::string& preselected) = 0;

    // A folder in the file manager, a web address in the browser; returns
    // at once, without waiting for the program it starts.
    virtual void openExternally(const std::string& folderOrAddress) = 0;

    // Handles the window's pending events, then returns. Long work calls it
    // so that the window stays alive; when the program was asked to end
    // meanwhile, it throws StopRequest (base/stop_request.h).
    virtual void pump() = 0;
};

// The main window as a whole.
class WindowView {
public:
    virtual ~WindowView() = default;

    virtual void showCaption(const std::string& caption) = 0;
    virtual void resizeWindow(int width, int height) = 0;
    // Closing the main window ends the program.
    virtual void closeWindow() = 0;
    virtual void showDecoderTab() = 0;
    // The hidden tab with the address box.
    virtual void showUrlTab(bool visible) = 0;
};

// The controls of the decoder tab that the logic enables, disables or focuses.
enum class DecoderControl {
    AddAll,      // "Добавить всё", the default button
    AddPicked,   // "Добавить"
    ClearQueue,  // "Очистить"
    RemoveEntry, // "Удалить"
    Decode,      // "Расшифровка"
    JoinParts,   // "Соединение"
    OpenFolder,  // "Откр. Папку"
    FolderBox,   // the working folder's box
    QueueList,   // the list of the queue and the runs' log
};

// What the list's context menu tells about the selected queue entry.
struct EntryDetails {
    std::string realName; // "Реалнейм: ..."
    std::string size;     // "Размер: ..."
    std::string key;      // "Ключ: ..."
};

// The decoder tab: its buttons, the options, the working folder, the list
// (the decode queue while idle, the log of a run meanwhile), the list's
// context menu, the two progress bars, and the status bar's first panel.
class DecoderView {
public:
    virtual ~DecoderView() = default;

    virtual void setEnabled(DecoderControl control, bool enabled) = 0;
    virtual void focus(DecoderControl control) = 0;

    virtual void showOptions(const DecoderOptions& options) = 0;
    // `missing`: the folder does not exist, and the box says so.
    virtual void showWorkingFolder(const std::string& folder, bool missing) = 0;

    // The list's lines, counted from 0. A line that does not exist throws
    // std::out_of_range; selecting one selects nothing.
    virtual void lineAppended(const std::string& text) = 0;
    virtual void lineChanged(int index, const std::string& text) = 0;
    virtual void lineRemoved(int index) = 0;
    virtual void linesCleared() = 0;
    virtual void lineSelected(int index) = 0;

    // The context menu's items: "Удалить" enabled and the three details
    // shown for a selected entry; without one, disabled and hidden.
    virtual void describeEntry(const std::optional<EntryDetails>& details) = 0;

    // Percentages: the whole run (or the parts of a join), and the current
    // file's bytes.
    virtual void showRunProgress(std::int64_t percent) = 0;
    virtual void showFileProgress(std::int64_t percent) = 0;

    virtual void showStatus(const std::string& text) = 0;
    // Draws the status bar now, for work that does not pump.
    virtual void repaintStatusNow() = 0;
};

// Where the joiner reports: a line per file in the decoder tab's list, the
// parts bar and the bytes bar.
class JoinerLog {
public:
    virtual ~JoinerLog() = default;

    virtual void logLine(const std::string& text) = 0;
    virtual void rewriteLastLine(const std::string& text) = 0;
    virtual void selectLastLine() = 0;
    virtual void showPartProgress(std::int64_t percent) = 0;
    virtual void showByteProgress(std::int64_t percent) = 0;
};

// The server file grid: row 0 holds the column titles; the first
// `fixedRows` rows are drawn as a header, and at least one row always
// stays below them.
struct ServerFileTable {
    std::vector<std::array<std::string, 2>> rows;
    int fixedRows = 0;
};

// The three timers of the downloader.
enum class DownloaderTimer {
    TaskRunner,    // carries out the next server task
    FetchProgress, // shows the progress of a fetch
    AutoCheck,     // queues the automatic check
};

// The downloader tab, its timers, and the status bar.
class DownloaderView {
public:
    virtual ~DownloaderView() = default;

    // "Обновить", "Настройки", "Автопроверка" and its period box.
    virtual void setServerControlsEnabled(bool enabled) = 0;
    virtual void showAutoCheck(bool on) = 0;
    virtual void showAutoCheckPeriod(const std::string& seconds) = 0;

    // Throws std::logic_error when the table has no row below its header.
    virtual void showServerFiles(const ServerFileTable& table) = 0;

    virtual void showFetchName(const std::string& name) = 0;
    virtual void showFetchStatus(const std::string& text) = 0;
    // Bytes; either may pass 2^31.
    virtual void showFetchProgress(std::int64_t fetched, std::int64_t total) = 0;

    // A timer that is switched on, or given another interval, starts its
    // countdown anew; an interval of 0 gives no ticks.
    virtual void setTimerActive(DownloaderTimer timer, bool active) = 0;
    virtual void setTimerInterval(DownloaderTimer timer, std::uint32_t milliseconds) = 0;

    virtual void showStatus(const std::string& text) = 0;
    // The words of the queued server tasks, in the status bar's second panel.
    virtual void showQueuedTasks(const std::string& words) = 0;
};

// The tray icon.
class TrayView {
public:
    virtual ~TrayView() = default;

    virtual void showTrayHint(const std::string& hint) = 0;
    // The check mark of "Автообновление".
    virtual void markAutoCheck(bool on) = 0;
    // A file has arrived whole: a short notification naming it, shown only
    // while the window sits in the tray.
    virtual void announceArrival(const std::string& fileName) = 0;
};

// The embedded web pages.
enum class WebPage {
    UploadManagement, // tab "Управление закачкой"
    News,             // tab "О программе"
    Removal,          // hidden; removal addresses load here in the background
};

// Thrown by WebPagesView::load for the removal page when the web engine
// module cannot be had; the text says why.
class WebEngineMissing : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class WebPagesView {
public:
    virtual ~WebPagesView() = default;

    // Starts loading `url` and returns at once. The removal page loads its
    // addresses one after the other and tells how each load ended; the
    // other pages' outcomes are not examined.
    virtual void load(WebPage page, const std::string& url) = 0;
    // The address the page shows, as the engine reports it; empty before
    // anything was loaded.
    virtual std::string address(WebPage page) const = 0;
    // Called when the removal page's load of an address ends, with the
    // address as load() was given it: false when the page could not be
    // fetched, came with an HTTP error status or was stopped.
    virtual void whenRemovalLoaded(std::function<void(const std::string& address, bool loaded)> done) = 0;
};

// All views of the main window, for the code that reaches several.
struct Views {
    WindowView& window;
    DecoderView& decoder;
    DownloaderView& downloader;
    TrayView& tray;
    WebPagesView& webPages;
    Dialogs& dialogs;
};

} // namespace vexo
