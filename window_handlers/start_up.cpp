// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_handlers/start_up.h"

#include "base/dialogs.h"
#include "base/file_names.h"
#include "base/file_system.h"
#include "base/handler_boundary.h"
#include "base/program_files.h"
#include "base/session.h"
#include "decoder/working_folder.h"
#include "downloader/tray_hint.h"
#include "window_handlers/option_boxes.h"
#include "window_handlers/views.h"
#include "window_handlers/window_view.h"

#include <algorithm>
#include <string>

namespace vexo {

namespace {

constexpr WindowSize kMinimumSize{640, 300};

// A refused write to the settings file is reported once, however many
// steps of the start-up try to write.
class QuietRepeats {
public:
    explicit QuietRepeats(HandlerBoundary& boundary) : boundary_(boundary) { boundary_.setQuietRepeats(true); }
    ~QuietRepeats() { boundary_.setQuietRepeats(false); }
    QuietRepeats(const QuietRepeats&) = delete;
    QuietRepeats& operator=(const QuietRepeats&) = delete;

private:
    HandlerBoundary& boundary_;
};

} // namespace

WindowSize AtLeastMinimumSize(WindowSize size)
{
    return {std::max(size.width, kMinimumSize.width), std::max(size.height, kMinimumSize.height)};
}

void StartUp(Session& session, DecoderOptions& options, Views& views, HandlerBoundary& boundary)
{
    const QuietRepeats quietRepeats(boundary);

    views.window.showUrlTab(false);
    views.window.showDecoderTab();

    SettingsStore& stored = session.openSettings(SettingsFilePath(session.executablePath()));
    SetProgramFiles({session.executablePath(), stored.path(), session.programFolder() + kWebModuleFileName});

    const WindowSize size =
        AtLeastMinimumSize({stored.readInteger(settings::kWidth), stored.readInteger(settings::kHeight)});
    views.window.resizeWindow(size.width, size.height);

    std::string folder = stored.readString(settings::kFolder, session.defaultFolder());
    // A relative folder written into the file by hand lies beside the file,
    // whatever folder the start runs in.
    if (!folder.empty() && folder.front() != '/')
        folder = AbsolutePath(FolderPart(stored.path()) + folder);
    // Stored absolute, so that a later start from the menu works in the
    // same folder whatever folder it starts in.
    if (session.commandLine().folder)
        folder = AbsolutePath(*session.commandLine().folder);
    TakeStartFolder(session, views, boundary, folder);

    const std::pair<DecoderOption, bool> storedOptions[] = {
        {DecoderOption::DeleteAfterDecoding, stored.readBool(settings::kDeleteAfterDecoding)},
        {DecoderOption::JoinAtOnce, stored.readBool(settings::kJoinAtOnce)},
        {DecoderOption::OpenFolderAfter, stored.readBool(settings::kOpenFolderAfter)},
        {DecoderOption::DecodeArrivals, stored.readBool(settings::kDecodeArrivals)},
    };
    for (const auto& option : storedOptions)
        boundary.run([&] { SetDecoderOption(options, stored, views.decoder, option.first, option.second); });

    session.setUpdate(Pacing(stored.readInteger(settings::kUpdate)));

    if (session.commandLine().deleteAfterDecoding)
        TakeDeleteSwitch(options, stored, views.decoder, boundary);

    session.setCaption(kMainCaption);
    views.window.showCaption(session.caption());
    // Nothing has been fetched yet.
    UpdateTrayHint(session.caption(), 0, views.tray);
}

void TakeStartFolder(Session& session, Views& views, HandlerBoundary& boundary, std::string folder)
{
    // The default folder is made when first needed; any other missing
    // folder gives way to it, with a word to the user.
    if (folder == session.defaultFolder())
        MakeFolder(folder);
    if (!FolderExists(folder)) {
        views.dialogs.showMessage(MessageKind::Information,
                                  "Текущая папка не существует, сохраняем в " + session.defaultFolder());
        folder = session.defaultFolder();
        MakeFolder(folder);
    }
    boundary.run([&] { SetWorkingFolder(session, views.decoder, folder); });
}

void TakeDeleteSwitch(DecoderOptions& options, SettingsStore& settings, DecoderView& view, HandlerBoundary& boundary)
{
    boundary.run([&] { SetDecoderOption(options, settings, view, DecoderOption::DeleteAfterDecoding, true); });
}

void KeepMinimumSize(WindowView& view, WindowSize size)
{
    const WindowSize allowed = AtLeastMinimumSize(size);
    if (allowed.width != size.width || allowed.height != size.height)
        view.resizeWindow(allowed.width, allowed.height);
}

void StoreWindowSize(SettingsStore& settings, WindowSize size)
{
    settings.writeStrings(
        {{settings::kWidth, std::to_string(size.width)}, {settings::kHeight, std::to_string(size.height)}});
}

} // namespace vexo
