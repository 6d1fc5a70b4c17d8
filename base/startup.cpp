#include "base/startup.h"

#include "base/file_system.h"
#include "base/handler_boundary.h"
#include "base/session.h"
#include "base/tray_hint.h"
#include "base/window_ops.h"

#include <cstdlib>
#include <limits>

namespace vexo {

namespace {

constexpr int kMinWidth = 640;
constexpr int kMinHeight = 300;

bool IsSwitch(const std::string& arg)
{
    return arg == "/d" || arg == "/a";
}

} // namespace

std::int32_t PacingInterval(std::int32_t stored)
{
    if (stored == 0)
        return 1;
    if (stored == std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::max();
    return std::abs(stored);
}

void FormCreate(Session& session, WindowOps& ops, HandlerBoundary& boundary)
{
    // A refused write to the settings file is reported once; start-up goes
    // on with whatever the file and the defaults give.
    struct QuietRepeats {
        HandlerBoundary& boundary;
        explicit QuietRepeats(HandlerBoundary& b) : boundary(b) { boundary.setQuietRepeats(true); }
        ~QuietRepeats() { boundary.setQuietRepeats(false); }
    } quietRepeats(boundary);

    session.downloadedThisSession = 0;

    ops.setVisible(Control::TabSheet4, false);
    ops.showTab(0);

    ops.setGridCell(0, 0, "Имя Файла");
    ops.setGridCell(1, 0, "Размер");
    if (ops.gridRowCount() > 1)
        ops.setGridFixedRows(1);

    session.settings = std::make_unique<SettingsStore>(SettingsFilePath(session.executablePath));
    const SettingsStore& settings = *session.settings;

    session.client.host = settings.ReadString("Server", "Name", "");
    session.client.port = settings.ReadString("Server", "Port", "6677");

    ops.setWindowSize(settings.ReadInteger("Prog", "Width", 600), settings.ReadInteger("Prog", "Height", 500));
    FormResize(ops);

    session.workingFolder = settings.ReadString("Prog", "Folder", session.programFolder);
    for (const std::string& arg : session.args) {
        if (!IsSwitch(arg))
            session.workingFolder = arg;
    }
    if (!FolderExists(session.workingFolder)) {
        ops.showMessage(MessageKind::Information,
                        "Текущая папка не существует, сохраняем в " + session.programFolder);
        session.workingFolder = session.programFolder;
    }
    ops.setText(Control::TFolder, session.workingFolder);

    ops.setChecked(Control::AutoDelete, settings.ReadBool("Prog", "AutoDel", false));
    ops.setChecked(Control::AutoJoin, settings.ReadBool("Prog", "Auto", true));
    ops.setChecked(Control::Autoopen, settings.ReadBool("Prog", "AutoOpen", false));

    session.update = PacingInterval(settings.ReadInteger("Prog", "Update", 100));

    for (const std::string& arg : session.args) {
        if (arg == "/d")
            ops.setChecked(Control::AutoDelete, true);
    }

    ops.setCaption(kMainCaption);
    UpdateTrayHint(session, ops);
}

void FormResize(WindowOps& ops)
{
    if (ops.windowWidth() < kMinWidth)
        ops.setWindowSize(kMinWidth, ops.windowHeight());
    if (ops.windowHeight() < kMinHeight)
        ops.setWindowSize(ops.windowWidth(), kMinHeight);
}

void FormClose(const Session& session, const WindowOps& ops)
{
    session.settings->WriteInteger("Prog", "Width", ops.windowWidth());
    session.settings->WriteInteger("Prog", "Height", ops.windowHeight());
}

void TFolderChange(Session& session, WindowOps& ops)
{
    session.workingFolder = ops.text(Control::TFolder);
    const bool missing = !FolderExists(session.workingFolder);
    try {
        session.settings->WriteString("Prog", "Folder", session.workingFolder);
    } catch (...) {
        // The box still shows whether the folder exists.
        ops.setAlertBackground(Control::TFolder, missing);
        throw;
    }
    ops.setAlertBackground(Control::TFolder, missing);
}

void AutoDeleteClick(const Session& session, const WindowOps& ops)
{
    session.settings->WriteBool("Prog", "AutoDel", ops.isChecked(Control::AutoDelete));
}

void autoClick(const Session& session, const WindowOps& ops)
{
    session.settings->WriteBool("Prog", "Auto", ops.isChecked(Control::AutoJoin));
}

void AutoopenClick(const Session& session, const WindowOps& ops)
{
    session.settings->WriteBool("Prog", "AutoOpen", ops.isChecked(Control::Autoopen));
}

} // namespace vexo
