// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_handlers/arrival_decoding.h"

#include "base/session.h"
#include "base/stop_request.h"
#include "decoder/batch_run.h"
#include "decoder/decode_queue.h"
#include "decoder/decoder_options.h"
#include "decoder/decoder_view.h"
#include "decoder/encoded_file.h"
#include "downloader/downloader.h"
#include "joiner/folder_entries.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <set>
#include <utility>

namespace vexo {

namespace {

// The regular files of the folder a person sees (hidden ones left out).
std::set<std::string> VisibleFiles(const std::string& folder)
{
    std::set<std::string> names;
    for (const FolderEntry& entry : ReadFolder(folder).value_or(std::vector<FolderEntry>{})) {
        if (!entry.name.empty() && entry.name.front() != '.' && IsRegularFileEntry(folder, entry))
            names.insert(entry.name);
    }
    return names;
}

// Asks nobody: for looking at a file without a word.
class NoBoxes : public Dialogs {
public:
    void showMessage(MessageKind, const std::string&) override {}
    void showNotice(MessageKind, const std::string&) override {}
    std::vector<std::string> pickFiles(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> pickFolder(const std::string&, const std::string&) override { return {}; }
    void openExternally(const std::string&) override {}
    void pump() override {}
};

// Whether the file is a container the folder scan takes.
bool IsContainer(const std::string& path)
{
    NoBoxes nobody;
    try {
        return InspectFile(path, true, nobody).has_value();
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

std::vector<std::string> RunBoxes::quietly(const std::function<void()>& work)
{
    said_.emplace();
    try {
        work();
    } catch (const StopRequest&) {
        said_.reset();
        throw;
    } catch (const std::exception& error) {
        say(error.what());
    }
    return *std::exchange(said_, std::nullopt);
}

void RunBoxes::say(const std::string& text)
{
    said_->push_back(text);
    view_.showStatus(text);
}

void RunBoxes::showMessage(MessageKind kind, const std::string& text)
{
    if (said_)
        say(text);
    else
        boxes_.showMessage(kind, text);
}

void RunBoxes::showNotice(MessageKind kind, const std::string& text)
{
    if (said_)
        say(text);
    else
        boxes_.showNotice(kind, text);
}

std::vector<std::string> RunBoxes::pickFiles(const std::string& startFolder, const std::string& filter)
{
    return boxes_.pickFiles(startFolder, filter);
}

std::optional<std::string> RunBoxes::pickFolder(const std::string& title, const std::string& preselected)
{
    return boxes_.pickFolder(title, preselected);
}

void RunBoxes::openExternally(const std::string& folderOrAddress)
{
    boxes_.openExternally(folderOrAddress);
}

void RunBoxes::pump()
{
    boxes_.pump();
}

void ArrivalDecoding::announceArrivals(const std::vector<std::string>& names)
{
    if (!options_.decodeArrivals || !work_) {
        tray_.announceArrivals(names);
        return;
    }
    held_.assign(names.begin() + static_cast<std::ptrdiff_t>(std::min(taken_, names.size())), names.end());
}

void ArrivalDecoding::endArrivals()
{
    taken_ = 0;
    if (held_.empty())
        tray_.endArrivals();
    else
        checkEnded_ = true;
}

void ArrivalDecoding::forwardHeld()
{
    tray_.announceArrivals(std::exchange(held_, {}));
    if (std::exchange(checkEnded_, false))
        tray_.endArrivals();
}

void ArrivalDecoding::runWhenDue()
{
    if (held_.empty() || !work_)
        return;
    if (!options_.decodeArrivals) {
        forwardHeld();
        return;
    }
    if (DownloadsLeft(work_->downloader) || work_->queue.running())
        return;
    decodeHeld();
}

void ArrivalDecoding::decodeHeld()
{
    const std::vector<std::string> arrived = std::exchange(held_, {});
    if (!std::exchange(checkEnded_, false))
        taken_ += arrived.size();
    const std::string folder = work_->session.workingFolder().path();
    const std::set<std::string> before = VisibleFiles(folder);
    const std::vector<std::string> said = work_->boxes.quietly([this] { work_->run.scanAndDecode(); });
    const std::set<std::string> after = VisibleFiles(folder);

    std::vector<std::string> realFiles;
    for (const std::string& name : after) {
        if (!before.contains(name))
            realFiles.push_back(name);
    }
    // An arrival that is no container was a real file as it came.
    for (const std::string& name : arrived) {
        if (before.contains(name) && after.contains(name) && !IsContainer(folder + "/" + name))
            realFiles.push_back(name);
    }
    AnnounceRealFiles(tray_, realFiles, said);
}

bool DownloadsLeft(const Downloader& downloader)
{
    if (downloader.running())
        return true;
    const TaskQueue& queue = downloader.queue();
    for (int position = 1; position <= queue.taskCount(); ++position) {
        if (queue.at(position).kind() == TaskKind::Download)
            return true;
    }
    return false;
}

void AnnounceRealFiles(TrayView& tray, const std::vector<std::string>& realFiles, const std::vector<std::string>& said)
{
    std::string lines;
    for (const std::string& text : said)
        lines += "\n" + text;
    if (realFiles.empty()) {
        if (!lines.empty())
            tray.announce(lines.substr(1));
        return;
    }
    std::vector<std::string> names = realFiles;
    names.back() += lines;
    tray.announceArrivals(names);
    tray.endArrivals();
}

} // namespace vexo
