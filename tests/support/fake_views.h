// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "decoder/decoder_options.h"
#include "decoder/decoder_view.h"
#include "downloader/downloader_view.h"
#include "downloader/tray_view.h"
#include "joiner/joiner_log.h"
#include "web/web_pages_view.h"
#include "window_handlers/views.h"
#include "window_handlers/window_view.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vexo::test {

// A recording stand-in for the main window's views. It keeps what each
// view was last told, logs every call in `log`, answers every modal box at
// once (recording it in `messages`), and hands the pickers the answers the
// test queued. It throws where the window's views throw (a line that does
// not exist, a server table without a row below its header); the contract
// suite holds the two to the same behaviour.
//
// It is also a joiner log that writes into the same list and bars, as the
// decoder tab's list does for the joiner in the program.
class FakeViews : public WindowView,
                  public DecoderView,
                  public JoinerLog,
                  public DownloaderView,
                  public TrayView,
                  public WebPagesView,
                  public Dialogs {
public:
    struct Message {
        MessageKind kind;
        std::string text;
    };
    struct TimerState {
        bool active = false;
        std::uint32_t interval = 0;
    };

    FakeViews();

    // All views at once, for the code that takes them together.
    Views views() { return {*this, *this, *this, *this, *this, *this}; }

    // What the logic did, in order
    std::vector<std::string> log;
    std::vector<Message> messages;
    std::vector<std::string> messageTexts() const;
    std::vector<std::string> opened; // openExternally
    int pumps = 0;

    // What the test answers
    std::deque<std::vector<std::string>> fileAnswers;     // next pickFiles results
    std::deque<std::optional<std::string>> folderAnswers; // next pickFolder results
    std::function<void()> onPump;                         // runs inside pump()
    std::function<void(const Message&)> onMessage;        // runs inside showMessage()
    int notices = 0;                                      // of `messages`, those shown without waiting
    std::function<void(const std::string&)> onOpen;       // runs inside openExternally()
    // Runs when a timer is switched or given a new interval; setting the
    // value it has already changes nothing, as on the window's timers.
    std::function<void(DownloaderTimer)> onTimerChange;
    std::map<WebPage, std::string> addresses; // what address() reports

    // Window and tray
    std::string caption;
    int width = 640;
    int height = 500;
    bool closed = false;
    bool urlTabVisible = true;
    std::string trayHint;
    bool autoCheckMarked = false;
    bool stopItemEnabled = false;
    // The last error the tray's error look names; none in its own look.
    std::optional<std::string> trayTrouble;
    std::vector<std::string> trayNotices; // announce
    bool inTray = false;                  // what windowInTray() answers

    // Decoder tab
    bool isEnabled(DecoderControl control) const;
    std::optional<DecoderControl> focused;
    DecoderOptions options;
    std::string folderText;
    bool folderMissing = false;
    const std::vector<std::string>& lines() const { return lines_; }
    int selectedLine() const { return selected_; }
    // The context menu's state: "Удалить" enabled and the details shown
    // (as built, the items show their captions).
    bool removeItemEnabled = true;
    std::optional<EntryDetails> details = EntryDetails{"Реалнейм", "Размер", "Ключ"};
    std::int64_t runProgress = 0;
    std::int64_t fileProgress = 0;
    std::vector<std::int64_t> runProgressHistory;
    std::vector<std::int64_t> fileProgressHistory;
    int statusRepaints = 0;

    // Status bar
    std::string status;
    std::vector<std::string> statusHistory;
    std::string queuedTasks;

    // Downloader tab
    bool serverControlsEnabled = true;
    bool stopEnabled = false;
    bool autoCheckShown = false;
    std::string autoCheckPeriod = "60";
    ServerFileTable serverFiles;
    std::string fetchName;
    std::string fetchStatus;
    std::string fetchSpeed;
    std::int64_t fetched = 0;
    std::int64_t fetchTotal = 100;
    TimerState timer(DownloaderTimer timer) const { return timers_.at(timer); }

    // Web pages
    std::vector<std::pair<WebPage, std::string>> loads;
    // What the removal page would call when a load ends.
    std::function<void(const std::string& address, bool loaded)> removalLoaded;

    // WindowView
    void showCaption(const std::string& text) override;
    void resizeWindow(int newWidth, int newHeight) override;
    void closeWindow() override;
    void showDecoderTab() override;
    void showUrlTab(bool visible) override;

    // DecoderView
    void setEnabled(DecoderControl control, bool enabled) override;
    void focus(DecoderControl control) override;
    void showOptions(const DecoderOptions& shown) override;
    void showWorkingFolder(const std::string& folder, bool missing) override;
    void lineAppended(const std::string& text) override;
    void lineChanged(int index, const std::string& text) override;
    void lineRemoved(int index) override;
    void linesCleared() override;
    void lineSelected(int index) override;
    void describeEntry(const std::optional<EntryDetails>& shown) override;
    void showRunProgress(std::int64_t percent) override;
    void showFileProgress(std::int64_t percent) override;
    void showStatus(const std::string& text) override;
    void repaintStatusNow() override;

    // JoinerLog
    void logLine(const std::string& text) override { lineAppended(text); }
    void rewriteLastLine(const std::string& text) override { lineChanged(static_cast<int>(lines_.size()) - 1, text); }
    void selectLastLine() override { lineSelected(static_cast<int>(lines_.size()) - 1); }
    void showPartProgress(std::int64_t percent) override { showRunProgress(percent); }
    void showByteProgress(std::int64_t percent) override { showFileProgress(percent); }

    // DownloaderView
    void setServerControlsEnabled(bool enabled) override;
    void showAutoCheck(bool on) override;
    void showAutoCheckPeriod(const std::string& seconds) override;
    void setStopEnabled(bool enabled) override;
    void showServerFiles(const ServerFileTable& table) override;
    void showFetchName(const std::string& name) override;
    void showFetchStatus(const std::string& text) override;
    void showFetchSpeed(const std::string& text) override;
    void showFetchProgress(std::int64_t fetchedBytes, std::int64_t total) override;
    void setTimerActive(DownloaderTimer which, bool active) override;
    void setTimerInterval(DownloaderTimer which, std::uint32_t milliseconds) override;
    void showQueuedTasks(const std::string& words) override;

    // TrayView
    void showTrayHint(const std::string& hint) override;
    void markAutoCheck(bool on) override;
    void setStopItemEnabled(bool enabled) override;
    void announceArrivals(const std::vector<std::string>& names) override;
    void endArrivals() override;
    void showTrouble(const std::string& lastError) override { trayTrouble = lastError; }
    void clearTrouble() override { trayTrouble.reset(); }
    void announce(const std::string& text) override { trayNotices.push_back(text); }
    bool windowInTray() const override { return inTray; }

    // WebPagesView
    void load(WebPage page, const std::string& url) override;
    std::string address(WebPage page) const override;
    void whenRemovalLoaded(std::function<void(const std::string& address, bool loaded)> done) override;

    // Dialogs
    void showMessage(MessageKind kind, const std::string& text) override;
    void showNotice(MessageKind kind, const std::string& text) override;
    std::vector<std::string> pickFiles(const std::string& startFolder, const std::string& filter) override;
    std::optional<std::string> pickFolder(const std::string& title, const std::string& preselected) override;
    void openExternally(const std::string& folderOrAddress) override;
    void pump() override;

private:
    void record(std::string entry) { log.push_back(std::move(entry)); }
    void checkLine(int index) const;

    std::map<DecoderControl, bool> enabled_;
    std::vector<std::string> lines_;
    int selected_ = -1;
    std::map<DownloaderTimer, TimerState> timers_;
};

// The names the fake's log gives these.
const char* NameOf(DecoderControl control);
const char* NameOf(DownloaderTimer timer);
const char* NameOf(WebPage page);

} // namespace vexo::test
