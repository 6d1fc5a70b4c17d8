#include "base/tray_hint.h"

#include "base/session.h"
#include "base/window_ops.h"

#include <string>

namespace vexo {

void UpdateTrayHint(const Session& session, WindowOps& ops)
{
    ops.setTrayHint(ops.caption() + "\nЗа сеанс: " + std::to_string(session.downloadedThisSession));
}

} // namespace vexo
