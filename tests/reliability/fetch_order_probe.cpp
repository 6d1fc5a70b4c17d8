// SPDX-License-Identifier: GPL-3.0-or-later
// Fetches every file a listing server lists with the program's own task
// runner (removal mode 1, as through the browser), and marks each removal
// request with an access() of "/vexo-removal-request/<address>", so that a
// system-call trace shows when it came.
//   fetch_order_probe HOST:HTTP_PORT TCP_PORT FOLDER SETTINGS_FILE
#include "base/session.h"
#include "base/settings_store.h"
#include "downloader/downloader.h"
#include "tests/support/fake_views.h"

#include <cstdio>
#include <exception>
#include <memory>

#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: fetch_order_probe HOST:HTTP_PORT TCP_PORT FOLDER SETTINGS_FILE\n");
        return 2;
    }
    vexo::test::FakeViews views;
    vexo::Session session;
    session.workingFolder().choose(argv[3]);
    session.openSettings(argv[4]);
    vexo::Downloader d(session, views, views, views, views);
    d.setServerAddress({argv[1], argv[2]});
    views.onOpen = [](const std::string& address) {
        [[maybe_unused]] const int marked = ::access(("/vexo-removal-request/" + address).c_str(), F_OK);
    };
    try {
        session.settings().writeInteger(vexo::settings::kRemovalMode, 1);
        d.queue().append(vexo::ServerTask::Check());
        // Until every listed file had its turn: only the trailing check is left.
        for (int tick = 0; tick < 1000; ++tick) {
            d.tick();
            if (tick > 0 && d.queue().taskCount() == 1 && d.queue().head().kind() == vexo::TaskKind::Check)
                break;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    for (const std::string& text : views.messageTexts())
        std::fprintf(stderr, "box: %s\n", text.c_str());
    std::printf("%zu removals\n", views.opened.size());
    return views.messages.empty() ? 0 : 1;
}
