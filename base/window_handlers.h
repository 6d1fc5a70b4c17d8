#pragma once

#include <cstdint>

namespace vexo {

class WindowOps;
struct Session;

// The decoder tab came to the front: "Добавить всё" takes the focus, so
// Enter adds the working folder's files.
void TabSheet1Show(WindowOps& ops);

// A right click on the big progress bar. The tenth since start-up (and every
// 256th after it) shows the hidden tab; any other hides it.
void ProgressBar2ContextPopup(std::uint8_t& hiddenTabClicks, WindowOps& ops);

// "Обзор": choose the working folder in a folder browser.
void Button7Click(Session& session, WindowOps& ops);

// "Откр. Папку": show the working folder in the file browser.
void Button8Click(const Session& session, WindowOps& ops);

} // namespace vexo
