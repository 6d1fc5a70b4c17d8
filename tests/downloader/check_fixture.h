#pragma once

#include "downloader/auto_check.h"
#include "downloader/downloader.h"
#include "tests/support/fake_window.h"
#include "base/session.h"
#include "base/settings_store.h"
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
    FakeWindow ops;
    Session session;
    Downloader d{session, ops};

    CheckFixture()
    {
        session.executablePath = dir.file("vexorama");
        session.programFolder = dir.path() + "/";
        session.workingFolder = dir.path();
        session.settings = std::make_unique<SettingsStore>(dir.file("vexorama.INI"));
        session.client = {"127.0.0.1", "6677"};
        d.tcpTimeouts = {std::chrono::milliseconds(3000), std::chrono::milliseconds(3000)};
        ops.setGridCell(0, 0, "Имя Файла");
        ops.setGridCell(1, 0, "Размер");
        ops.log.clear();
    }

    // Runs the handlers of AutoO, N4 and aosec when the logic changes them,
    // as the window does.
    void wireCheckControls()
    {
        ops.setCaption("Vexorama");
        ops.onChange = [this](Control control) {
            if (control == Control::AutoO)
                AutoOClick(d);
            else if (control == Control::N4)
                N4Click(d);
            else if (control == Control::Aosec)
                aosecChange(d);
        };
    }

    void usePort(int port) { session.client.port = std::to_string(port); }
    SettingsStore& settings() { return *session.settings; }
    void queueCheck() { PushTask(d.queue, ops, "is_files", tkCheck); }

    std::vector<std::string> statusTexts() const { return ops.statusHistory(0); }
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
