// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/working_folder.h"

#include "base/dialogs.h"
#include "base/file_system.h"
#include "base/session.h"
#include "base/working_folder.h"
#include "decoder/decoder_view.h"

namespace vexo {

void SetWorkingFolder(Session& session, DecoderView& view, const std::string& folder)
{
    if (!session.workingFolder().choose(folder))
        return;
    // The box tells whether the folder exists even when it cannot be stored.
    view.showWorkingFolder(folder, !FolderExists(folder));
    session.settings().writeString(settings::kFolder, folder);
}

void ChooseWorkingFolder(Session& session, DecoderView& view, Dialogs& dialogs)
{
    const std::string& current = session.workingFolder().path();
    const std::string preselected = FolderExists(current) ? current : std::string();
    const auto chosen = dialogs.pickFolder("Выберите папку принятых файлов", preselected);
    if (chosen)
        SetWorkingFolder(session, view, *chosen);
}

void OpenWorkingFolder(const WorkingFolder& workingFolder, Dialogs& dialogs)
{
    dialogs.openExternally(workingFolder.path());
}

} // namespace vexo
