// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

class DecoderView;
class Dialogs;
class Session;
class WorkingFolder;

// The folder box changed, or the program moves the working folder: the
// folder is stored as it stands, and the box turns red when it names no
// existing folder. Setting the folder it already is does nothing.
void SetWorkingFolder(Session& session, DecoderView& view, const std::string& folder);

// "Обзор": choose the working folder in a folder browser.
void ChooseWorkingFolder(Session& session, DecoderView& view, Dialogs& dialogs);

// "Откр. Папку": show the working folder in the file manager.
void OpenWorkingFolder(const WorkingFolder& workingFolder, Dialogs& dialogs);

} // namespace vexo
