// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/decoder/folder_scan_decode.h"

#include "base/session.h"
#include "base/settings_store.h"
#include "decoder/decode_file.h"
#include "decoder/decode_queue.h"
#include "decoder/queue_list.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

#include <memory>

namespace vexo::test {

std::optional<std::string> DecodeTheOneContainerFound(const std::string& folder)
{
    const TempDir programFolder;
    FakeViews ops;
    QueueList list{ops};
    Session session;
    session.workingFolder().choose(folder);
    session.openSettings(programFolder.file("vexorama.INI"));
    DecodeQueue queue{session, list, ops, ops};
    queue.addAllFromFolder();
    if (queue.queueCount() != 1 || !ops.messages.empty())
        return std::nullopt;
    const QueueEntry& entry = queue.entries().front();
    DecodeFile(entry, 1, Pacing(100), list, ops, ops);
    if (!ops.messages.empty())
        return std::nullopt;
    return ReadFile(folder + "/" + entry.realName);
}

} // namespace vexo::test
