// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/fake_views.h"

#include "base/stop_request.h"

#include <stdexcept>

namespace vexo::test {

const char* NameOf(DecoderControl control)
{
    switch (control) {
    case DecoderControl::AddAll: return "AddAll";
    case DecoderControl::AddPicked: return "AddPicked";
    case DecoderControl::ClearQueue: return "ClearQueue";
    case DecoderControl::RemoveEntry: return "RemoveEntry";
    case DecoderControl::Decode: return "Decode";
    case DecoderControl::JoinParts: return "JoinParts";
    case DecoderControl::OpenFolder: return "OpenFolder";
    case DecoderControl::FolderBox: return "FolderBox";
    case DecoderControl::QueueList: return "QueueList";
    }
    return "";
}

const char* NameOf(DownloaderTimer timer)
{
    switch (timer) {
    case DownloaderTimer::TaskRunner: return "TaskRunner";
    case DownloaderTimer::FetchProgress: return "FetchProgress";
    case DownloaderTimer::AutoCheck: return "AutoCheck";
    case DownloaderTimer::PeriodTyping: return "PeriodTyping";
    case DownloaderTimer::TrayHint: return "TrayHint";
    }
    return "";
}

const char* NameOf(WebPage page)
{
    switch (page) {
    case WebPage::UploadManagement: return "UploadManagement";
    case WebPage::News: return "News";
    case WebPage::Removal: return "Removal";
    }
    return "";
}

FakeViews::FakeViews()
{
    // The window as it is built, before start-up.
    serverFiles.rows.resize(1);
    timers_[DownloaderTimer::TaskRunner] = {true, 5000};
    timers_[DownloaderTimer::FetchProgress] = {false, 100};
    timers_[DownloaderTimer::AutoCheck] = {false, 1000};
    timers_[DownloaderTimer::PeriodTyping] = {false, 1000};
    timers_[DownloaderTimer::TrayHint] = {false, 1000};
}

std::vector<std::string> FakeViews::messageTexts() const
{
    std::vector<std::string> texts;
    for (const Message& message : messages)
        texts.push_back(message.text);
    return texts;
}

bool FakeViews::isEnabled(DecoderControl control) const
{
    const auto found = enabled_.find(control);
    return found == enabled_.end() || found->second;
}

void FakeViews::checkLine(int index) const
{
    if (index < 0 || index >= static_cast<int>(lines_.size()))
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

// ---- WindowView -------------------------------------------------------

void FakeViews::showCaption(const std::string& text)
{
    record("caption " + text);
    caption = text;
}

void FakeViews::resizeWindow(int newWidth, int newHeight)
{
    record("size " + std::to_string(newWidth) + "x" + std::to_string(newHeight));
    width = newWidth;
    height = newHeight;
}

void FakeViews::closeWindow()
{
    record("close");
    closed = true;
}

void FakeViews::showDecoderTab()
{
    record("show decoder tab");
}

void FakeViews::showUrlTab(bool visible)
{
    record(visible ? "show url tab" : "hide url tab");
    urlTabVisible = visible;
}

// ---- DecoderView ------------------------------------------------------

void FakeViews::setEnabled(DecoderControl control, bool enabled)
{
    record(std::string(enabled ? "enable " : "disable ") + NameOf(control));
    enabled_[control] = enabled;
}

void FakeViews::focus(DecoderControl control)
{
    record(std::string("focus ") + NameOf(control));
    focused = control;
}

void FakeViews::showOptions(const DecoderOptions& shown)
{
    record(std::string("options join ") + (shown.joinAtOnce ? "on" : "off") + ", delete "
           + (shown.deleteAfterDecoding ? "on" : "off") + ", open " + (shown.openFolderAfter ? "on" : "off")
           + ", arrivals " + (shown.decodeArrivals ? "on" : "off"));
    options = shown;
}

void FakeViews::showWorkingFolder(const std::string& folder, bool missing)
{
    record("folder " + folder + (missing ? " (missing)" : ""));
    folderText = folder;
    folderMissing = missing;
}

void FakeViews::lineAppended(const std::string& text)
{
    record("append " + text);
    lines_.push_back(text);
}

void FakeViews::lineChanged(int index, const std::string& text)
{
    checkLine(index);
    record("line " + std::to_string(index) + " " + text);
    lines_[static_cast<std::size_t>(index)] = text;
}

void FakeViews::lineRemoved(int index)
{
    checkLine(index);
    record("delete line " + std::to_string(index));
    lines_.erase(lines_.begin() + index);
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
}

void FakeViews::linesCleared()
{
    record("clear lines");
    lines_.clear();
    selected_ = -1;
}

void FakeViews::lineSelected(int index)
{
    record("select " + std::to_string(index));
    selected_ = index >= 0 && index < static_cast<int>(lines_.size()) ? index : -1;
}

void FakeViews::describeEntry(const std::optional<EntryDetails>& shown)
{
    record(shown ? "describe " + shown->realName + " | " + shown->size + " | " + shown->key : "describe nothing");
    removeItemEnabled = shown.has_value();
    details = shown;
}

void FakeViews::showRunProgress(std::int64_t percent)
{
    record("run progress " + std::to_string(percent));
    runProgress = percent;
    runProgressHistory.push_back(percent);
}

void FakeViews::showFileProgress(std::int64_t percent)
{
    record("file progress " + std::to_string(percent));
    fileProgress = percent;
    fileProgressHistory.push_back(percent);
}

void FakeViews::showStatus(const std::string& text)
{
    record("status " + text);
    status = text;
    statusHistory.push_back(text);
}

void FakeViews::repaintStatusNow()
{
    record("repaint status");
    ++statusRepaints;
}

// ---- DownloaderView ---------------------------------------------------

void FakeViews::setServerControlsEnabled(bool enabled)
{
    record(enabled ? "enable server controls" : "disable server controls");
    serverControlsEnabled = enabled;
}

void FakeViews::setStopEnabled(bool enabled)
{
    record(enabled ? "enable stop" : "disable stop");
    stopEnabled = enabled;
}

void FakeViews::showAutoCheck(bool on)
{
    record(on ? "auto check on" : "auto check off");
    autoCheckShown = on;
}

void FakeViews::showAutoCheckPeriod(const std::string& seconds)
{
    record("period " + seconds);
    autoCheckPeriod = seconds;
}

void FakeViews::showServerFiles(const ServerFileTable& table)
{
    if (table.fixedRows >= static_cast<int>(table.rows.size()))
        throw std::logic_error("a grid needs a row below its fixed rows");
    record("server files " + std::to_string(table.rows.size()) + " rows, " + std::to_string(table.fixedRows)
           + " fixed");
    serverFiles = table;
}

void FakeViews::showFetchName(const std::string& name)
{
    record("fetch name " + name);
    fetchName = name;
}

void FakeViews::showFetchStatus(const std::string& text)
{
    record("fetch status " + text);
    fetchStatus = text;
}

void FakeViews::showFetchSpeed(const std::string& text)
{
    record("fetch speed " + text);
    fetchSpeed = text;
}

void FakeViews::showFetchProgress(std::int64_t fetchedBytes, std::int64_t total)
{
    record("fetch progress " + std::to_string(fetchedBytes) + "/" + std::to_string(total));
    fetched = fetchedBytes;
    fetchTotal = total;
}

void FakeViews::setTimerActive(DownloaderTimer which, bool active)
{
    record(std::string(active ? "timer on " : "timer off ") + NameOf(which));
    const bool changed = timers_[which].active != active;
    timers_[which].active = active;
    if (changed && onTimerChange)
        onTimerChange(which);
}

void FakeViews::setTimerInterval(DownloaderTimer which, std::uint32_t milliseconds)
{
    record(std::string("timer interval ") + NameOf(which) + " " + std::to_string(milliseconds));
    const bool changed = timers_[which].interval != milliseconds;
    timers_[which].interval = milliseconds;
    if (changed && onTimerChange)
        onTimerChange(which);
}

void FakeViews::showQueuedTasks(const std::string& words)
{
    record("tasks " + words);
    queuedTasks = words;
}

// ---- TrayView ---------------------------------------------------------

void FakeViews::showTrayHint(const std::string& hint)
{
    record("tray hint " + hint);
    trayHint = hint;
}

void FakeViews::markAutoCheck(bool on)
{
    record(on ? "mark auto check" : "unmark auto check");
    autoCheckMarked = on;
}

void FakeViews::setStopItemEnabled(bool enabled)
{
    record(enabled ? "enable stop item" : "disable stop item");
    stopItemEnabled = enabled;
}

// "announce arrivals one.avi|two.avi"
void FakeViews::announceArrivals(const std::vector<std::string>& names)
{
    std::string entry = "announce arrivals ";
    for (const std::string& name : names)
        entry += (&name == names.data() ? "" : "|") + name;
    record(entry);
}

void FakeViews::endArrivals()
{
    record("end arrivals");
}

// ---- WebPagesView -----------------------------------------------------

void FakeViews::load(WebPage page, const std::string& url)
{
    record(std::string("load ") + NameOf(page) + " " + url);
    loads.emplace_back(page, url);
}

std::string FakeViews::address(WebPage page) const
{
    const auto found = addresses.find(page);
    return found == addresses.end() ? std::string() : found->second;
}

void FakeViews::whenRemovalLoaded(std::function<void(const std::string& address, bool loaded)> done)
{
    removalLoaded = std::move(done);
}

// ---- Dialogs ----------------------------------------------------------

void FakeViews::showMessage(MessageKind kind, const std::string& text)
{
    // As the window: a program that is ending shows no boxes.
    if (StopRequested())
        return;
    record(std::string(kind == MessageKind::Warning ? "warning " : "information ") + text);
    messages.push_back({kind, text});
    if (onMessage)
        onMessage(messages.back());
}

void FakeViews::showNotice(MessageKind kind, const std::string& text)
{
    // Recorded as a box, and counted apart: nothing waited for it.
    if (!StopRequested())
        ++notices;
    showMessage(kind, text);
}

std::vector<std::string> FakeViews::pickFiles(const std::string& startFolder, const std::string& filter)
{
    record("pick files " + startFolder + " " + filter);
    if (fileAnswers.empty())
        return {};
    std::vector<std::string> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<std::string> FakeViews::pickFolder(const std::string& title, const std::string& preselected)
{
    record("pick folder " + title + " " + preselected);
    if (folderAnswers.empty())
        return std::nullopt;
    std::optional<std::string> answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

void FakeViews::openExternally(const std::string& folderOrAddress)
{
    record("open " + folderOrAddress);
    opened.push_back(folderOrAddress);
    if (onOpen)
        onOpen(folderOrAddress);
}

void FakeViews::pump()
{
    record("pump");
    ++pumps;
    if (onPump)
        onPump();
    StopIfRequested();
}

} // namespace vexo::test
