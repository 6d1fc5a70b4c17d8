#include "base/window_handlers.h"

#include "base/file_system.h"
#include "base/session.h"
#include "base/window_ops.h"

namespace vexo {

void TabSheet1Show(WindowOps& ops)
{
    ops.setFocus(Control::Button2);
}

void ProgressBar2ContextPopup(std::uint8_t& hiddenTabClicks, WindowOps& ops)
{
    ++hiddenTabClicks;
    ops.setVisible(Control::TabSheet4, hiddenTabClicks == 10);
}

void Button7Click(Session& session, WindowOps& ops)
{
    const std::string preselected = FolderExists(session.workingFolder) ? session.workingFolder : std::string();
    const auto chosen = ops.pickFolder("Выберите папку принятых файлов", preselected);
    if (!chosen)
        return;
    session.workingFolder = *chosen;
    ops.setText(Control::TFolder, *chosen);
}

void Button8Click(const Session& session, WindowOps& ops)
{
    ops.shellOpen(session.workingFolder);
}

} // namespace vexo
