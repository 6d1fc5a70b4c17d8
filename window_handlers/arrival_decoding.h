// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "downloader/tray_view.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vexo {

class BatchRun;
class DecodeQueue;
class DecoderView;
class Downloader;
class Session;
struct DecoderOptions;

// The boxes of the decoder's runs: shown as usual, or, while a run nobody
// started by hand works (quietly), said in the status bar instead and kept
// for the arrival notice, the work going on as after OK.
class RunBoxes : public Dialogs {
public:
    RunBoxes(Dialogs& boxes, DecoderView& view) : boxes_(boxes), view_(view) {}

    // Runs `work` with its boxes said in the status bar; an error that
    // stops it is said the same way (a stop of the program passes on).
    // Returns what the boxes and the error said, in order.
    std::vector<std::string> quietly(const std::function<void()>& work);

    void showMessage(MessageKind kind, const std::string& text) override;
    void showNotice(MessageKind kind, const std::string& text) override;
    std::vector<std::string> pickFiles(const std::string& startFolder, const std::string& filter) override;
    std::optional<std::string> pickFolder(const std::string& title, const std::string& preselected) override;
    void openExternally(const std::string& folderOrAddress) override;
    void pump() override;

private:
    void say(const std::string& text);

    Dialogs& boxes_;
    DecoderView& view_;
    std::optional<std::vector<std::string>> said_; // set while quiet
};

// "Расшифровывать скачанное": once a check's downloads are done, the
// working folder is gathered and decoded as "Go!" does, without a box. As
// the tray the downloader tells, it holds the arrivals while the box is
// ticked, so that the notice names the real files the run made.
class ArrivalDecoding : public TrayView {
public:
    ArrivalDecoding(const DecoderOptions& options, TrayView& tray) : options_(options), tray_(tray) {}

    // What the run works with, once the window's subsystems are bound.
    struct Work {
        const Session& session;
        BatchRun& run;
        const DecodeQueue& queue;
        RunBoxes& boxes;
        const Downloader& downloader;
    };
    void attach(const Work& work) { work_.emplace(work); }

    // After each tick of the task runner: with arrivals held and the box
    // ticked, the run starts once no download runs or waits in the task
    // queue and no decode or join of this window works (another program's
    // run in the folder is waited for by the run's folder lock). With the
    // box cleared meanwhile, the held arrivals are announced as they came.
    void runWhenDue();

    void showTrayHint(const std::string& hint) override { tray_.showTrayHint(hint); }
    void markAutoCheck(bool on) override { tray_.markAutoCheck(on); }
    void setStopItemEnabled(bool enabled) override { tray_.setStopItemEnabled(enabled); }
    void announceArrivals(const std::vector<std::string>& names) override;
    void endArrivals() override;
    void showTrouble(const std::string& lastError) override { tray_.showTrouble(lastError); }
    void clearTrouble() override { tray_.clearTrouble(); }
    void announce(const std::string& text) override { tray_.announce(text); }
    bool windowInTray() const override { return tray_.windowInTray(); }

private:
    void decodeHeld();
    void forwardHeld();

    const DecoderOptions& options_;
    TrayView& tray_;
    std::optional<Work> work_;
    // The check's arrivals not yet decoded, and how many of the check's
    // list a run has taken already (the downloader tells the whole list).
    std::vector<std::string> held_;
    std::size_t taken_ = 0;
    // The check ended while its arrivals were held.
    bool checkEnded_ = false;
};

// Whether a download runs or waits in the downloader's task queue.
bool DownloadsLeft(const Downloader& downloader);

// Tells the tray what a run of the arrivals brought: the real files as one
// check's arrivals, the texts of what would have been boxes on the lines of
// the last name (alone in a notice of their own when no file came).
void AnnounceRealFiles(TrayView& tray, const std::vector<std::string>& realFiles, const std::vector<std::string>& said);

} // namespace vexo
