// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/session.h"
#include "base/settings_store.h"
#include "downloader/downloader.h"
#include "downloader/downloader_events.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace vexo::test {

// The downloader over the recording fake, with a settings file of its own
// and the grid's title row as start-up leaves it.
class CheckFixture : public ::testing::Test {
protected:
    TempDir dir;
    FakeViews ops;
    Session session;
    Downloader d{session, ops, ops, ops, ops};
    // The check's time-outs as the test has set them (setTimeouts).
    TcpTimeouts timeouts{std::chrono::milliseconds(3000), std::chrono::milliseconds(3000)};

    CheckFixture()
    {
        session.setProgramPlaces(dir.file("vexorama"), dir.path() + "/", dir.path() + "/");
        session.workingFolder().choose(dir.path());
        session.openSettings(dir.file("vexorama.INI"));
        session.setCaption("Vexorama");
        d.setServerAddress({"127.0.0.1", "6677"});
        d.setTcpTimeouts(timeouts);
        d.showStart();
        ops.log.clear();
    }

    void usePort(int port) { d.setServerAddress({d.serverAddress().host, std::to_string(port)}); }
    void useHost(const std::string& host) { d.setServerAddress({host, d.serverAddress().port}); }
    void setTimeouts(TcpTimeouts changed) { d.setTcpTimeouts(timeouts = changed); }
    SettingsStore& settings() { return session.settings(); }
    void queueCheck() { d.queue().append(ServerTask::Check()); }
    // A removal whose file arrived whole, as a download leaves it.
    static void QueueRemoval(Downloader& downloader, const std::string& ref)
    {
        static TaskId fetched = 1'000'000;
        downloader.delivery().arrived(++fetched, {"fetched for " + ref, "", ref, ""});
        downloader.queue().append(ServerTask::Removal(fetched, ref));
    }

    // The server file grid as shown: column, row.
    std::string cell(int column, int row) const
    {
        return ops.serverFiles.rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }
    int gridRows() const { return static_cast<int>(ops.serverFiles.rows.size()); }
    bool timerActive(DownloaderTimer timer) const { return ops.timer(timer).active; }
    std::uint32_t timerInterval(DownloaderTimer timer) const { return ops.timer(timer).interval; }

    std::vector<std::string> statusTexts() const { return ops.statusHistory; }
};

// A list answer: "connected", four lines per file, "=END=".
inline std::string ListAnswer(const std::vector<std::array<std::string, 4>>& files)
{
    std::string answer = "connected\n";
    for (const auto& file : files)
        answer += file[0] + "\n" + file[1] + "\n" + file[2] + "\n" + file[3] + "\n";
    return answer + "=END=\n";
}

} // namespace vexo::test
