// SPDX-License-Identifier: GPL-3.0-or-later
// Runs one server task through the task runner, as a tick of the window
// does, with a pump that turns the Qt event loop and notes the time of
// every call. Prints, tab-separated: the longest time the window went
// unpumped (from the tick's start to its end, in ms), how long the task
// took, how it ended ("ended", or "closed" when the window was closed after
// CLOSE_AFTER ms), and the last status text or message box it showed. A
// fetch goes into a new folder in FOLDER (default: the temporary folder).
//   responsiveness_probe check PORT [connect=MS] [line=MS] [check=MS] [close=MS]
//   responsiveness_probe fetch URL [connect=S] [stall=S] [close=MS] [into=FOLDER]
#include "base/session.h"
#include "base/settings_store.h"
#include "base/stop_request.h"
#include "bench/downloader_probe_views.h"
#include "downloader/downloader.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Notes the gaps between pumps, and closes the window once `closeAfter` has passed.
struct PumpClock {
    Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    Clock::duration longest{};
    Clock::duration closeAfter = std::chrono::hours(1);
    Clock::time_point closedAt{};

    void note()
    {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, now - last);
        last = now;
    }
    void pump()
    {
        note();
        QCoreApplication::processEvents();
        if (Clock::now() - start >= closeAfter && !vexo::StopRequested()) {
            closedAt = Clock::now();
            vexo::RequestStop();
        }
        vexo::StopIfRequested();
    }
};

bool TakeOption(const std::string& argument, const char* name, std::string& value)
{
    const std::string prefix = std::string(name) + "=";
    if (argument.rfind(prefix, 0) != 0)
        return false;
    value = argument.substr(prefix.size());
    return true;
}

bool TakeOption(const std::string& argument, const char* name, long& value)
{
    std::string text;
    if (!TakeOption(argument, name, text))
        return false;
    value = std::atol(text.c_str());
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: responsiveness_probe check PORT [connect=MS] [line=MS] [check=MS] [close=MS]\n"
                         "       responsiveness_probe fetch URL [connect=S] [stall=S] [close=MS] [into=FOLDER]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return Usage();
    const std::string kind = argv[1];
    if (kind != "check" && kind != "fetch")
        return Usage();

    std::string into = std::filesystem::temp_directory_path().string();
    for (int i = 3; i < argc; ++i) {
        if (kind == "fetch")
            TakeOption(argv[i], "into", into);
    }

    PumpClock clock;
    vexo::bench::DownloaderProbeViews views([&clock] { clock.pump(); });
    vexo::Session session;
    const std::string name = "vexo-responsiveness-" + std::to_string(QCoreApplication::applicationPid());
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
    const std::filesystem::path downloads = std::filesystem::path(into) / name;
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(downloads);
    session.setProgramPlaces({}, {}, folder.string());
    session.workingFolder().choose(downloads.string());
    session.openSettings((folder / "vexorama.INI").string());
    vexo::Downloader d{session, views, views, views, views};
    if (kind == "check")
        d.setServerAddress({"127.0.0.1", argv[2]});
    vexo::TcpTimeouts tcpTimeouts;
    vexo::FetchLimits fetchLimits;

    for (int i = 3; i < argc; ++i) {
        long value = 0;
        const std::string argument = argv[i];
        if (kind == "fetch" && TakeOption(argument, "into", into))
            continue;
        if (TakeOption(argument, "close", value))
            clock.closeAfter = std::chrono::milliseconds(value);
        else if (kind == "check" && TakeOption(argument, "connect", value))
            tcpTimeouts.connect = std::chrono::milliseconds(value);
        else if (kind == "check" && TakeOption(argument, "line", value))
            tcpTimeouts.line = std::chrono::milliseconds(value);
        else if (kind == "check" && TakeOption(argument, "check", value))
            tcpTimeouts.check = std::chrono::milliseconds(value);
        else if (kind == "fetch" && TakeOption(argument, "connect", value))
            fetchLimits.connectSeconds = value;
        else if (kind == "fetch" && TakeOption(argument, "stall", value))
            fetchLimits.stallSeconds = value;
        else
            return Usage();
    }
    d.setTcpTimeouts(tcpTimeouts);
    d.setFetchLimits(fetchLimits);

    if (kind == "check")
        d.queue().append(vexo::ServerTask::Check());
    else
        d.queue().append(vexo::ServerTask::Download({"probe.bin", argv[2], "ref", ""}));

    std::string ending = "ended";
    double closing = 0;
    clock.start = clock.last = Clock::now();
    try {
        d.runTasks();
    } catch (const vexo::StopRequest&) {
        ending = "closed";
        closing = Milliseconds(Clock::now() - clock.closedAt);
    }
    clock.note();
    const double elapsed = Milliseconds(clock.last - clock.start);
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(downloads);

    const std::string shown = kind == "check" ? views.lastStatus : views.lastMessage;
    std::printf("%.1f\t%.0f\t%s\t%s\n", Milliseconds(clock.longest), elapsed,
                ending == "closed"
                    ? ("closed (stopped " + std::to_string(static_cast<int>(closing)) + " ms later)").c_str()
                    : "ended",
                shown.empty() ? "(nothing)" : shown.c_str());
    return 0;
}
