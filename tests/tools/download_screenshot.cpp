// SPDX-License-Identifier: GPL-3.0-or-later
// A picture of the Downloader tab while a file is fetched, for the docs:
// the progress, the speed and the time left, and "Остановить" enabled:
//   download_screenshot OUTPUT.png
// A scripted server on loopback lists one large file and sends it at about
// 6 MB/s. Run it on an X display with a window manager: the picture takes
// the window with its frame.
#include "app/main_window.h"
#include "app/main_window_controls.h"
#include "base/cp1251.h"
#include "tests/support/script_server.h"
#include "tests/tools/screen_shots.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using namespace std::chrono_literals;

constexpr std::int64_t kFileSize = 286LL * 1024 * 1024;
constexpr std::size_t kPiece = 600 * 1024; // every 100 ms
constexpr int kPieces = 120;               // twelve seconds of the transfer

vexo::test::ScriptedReply SlowFile()
{
    vexo::test::ScriptedReply reply{"HTTP/1.1 200 OK\r\nConnection: close\r\nETag: \"v1\"\r\nContent-Length: "
                                    + std::to_string(kFileSize) + "\r\n\r\n"};
    reply.later.assign(kPieces, std::string(kPiece, 'v'));
    reply.pause = 100ms;
    return reply;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: download_screenshot OUTPUT.png\n");
        return 2;
    }
    vexo::test::ScriptServer web({SlowFile()});
    const std::string address = "http://127.0.0.1:" + std::to_string(web.port()) + "/video";
    // The listing speaks Windows-1251.
    const vexo::test::ScriptServer listing("connected\n" + vexo::Utf8ToCp1251("Отпуск 2026.avi") + "\n" + address
                                           + "\ndel.php?f=1\n" + std::to_string(kFileSize) + "\n=END=\n");

    // A program folder of its own, which is also the working folder, set
    // up for the scripted server.
    QTemporaryDir programFolder;
    QFile settings(programFolder.path() + QStringLiteral("/vexorama.INI"));
    const std::string server = "[Server]\nName=127.0.0.1:" + std::to_string(web.port())
                               + "\nPort=" + std::to_string(listing.port()) + "\nRemMode=3\n";
    if (!settings.open(QIODevice::WriteOnly) || settings.write(server.data(), static_cast<qint64>(server.size())) < 0)
        return 1;
    settings.close();
    vexo::MainWindow window((programFolder.path() + QStringLiteral("/vexorama")).toStdString(), {});
    vexo::MainWindowControls& c = window.controls();
    window.showCentred();
    c.tabs->setCurrentWidget(c.downloaderTab);
    c.checkServerButton->click();

    // The fetch pumps the window from inside the runner's tick, so the
    // picture is taken from a timer: a few seconds into the transfer, once
    // the average has settled. Closing the window then ends the fetch.
    int status = 1;
    QElapsedTimer fetching;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!c.stopButton->isEnabled())
            return;
        if (!fetching.isValid())
            fetching.start();
        if (fetching.elapsed() < 4500)
            return;
        poll.stop();
        status = vexo::tools::SaveScreen(window.frameGeometry().adjusted(-8, -8, 8, 8), argv[1]) ? 0 : 1;
        window.close();
    });
    poll.start(100);
    QTimer::singleShot(60s, &window, [&] {
        std::fprintf(stderr, "the download did not start\n");
        window.close();
    });
    app.exec();
    return status;
}
