#pragma once

namespace vexo {

class HandlerBoundary;
class WindowOps;
struct Session;

// Start-up of the main window: opens the settings file, sizes the window,
// settles the working folder from the settings and the command line,
// restores the check boxes and sets the caption and the tray hint.
// `session.executablePath`, `programFolder` and `args` must be set. The
// boundary shows a refused settings write once and lets start-up finish.
void FormCreate(Session& session, WindowOps& ops, HandlerBoundary& boundary);

// Keeps the window at least 640 x 300.
void FormResize(WindowOps& ops);

// Stores the window's width and height.
void FormClose(const Session& session, const WindowOps& ops);

// The folder box changed: it becomes the working folder, is stored, and is
// coloured red when it names no existing folder.
void TFolderChange(Session& session, WindowOps& ops);

// The three check boxes of the decoder tab store their state on every change.
void AutoDeleteClick(const Session& session, const WindowOps& ops);
void autoClick(const Session& session, const WindowOps& ops);
void AutoopenClick(const Session& session, const WindowOps& ops);

} // namespace vexo
