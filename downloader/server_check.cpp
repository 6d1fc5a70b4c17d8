#include "downloader/server_check.h"

#include "base/cp1251.h"
#include "downloader/downloader.h"
#include "base/int_text.h"
#include "downloader/server_answer.h"
#include "base/session.h"
#include "base/size_text.h"
#include "base/tray_hint.h"
#include "base/window_ops.h"

#include <string>

namespace vexo {

namespace {

std::string RequestLine(const SettingsStore& settings)
{
    const std::string text = settings.ReadString("Server", "Login", "test") + ":"
                             + settings.ReadString("Server", "Passwd", "demo") + ":is_files";
    return Utf8ToCp1251(text) + "\n\r\n";
}

void ShowStatus(WindowOps& ops, const std::string& text)
{
    ops.setStatusText(0, text);
    ops.pump();
}

// The settings dialog's OK may hand the client another server while the
// check pumps; the connection to the old one is then cut.
void DropIfServerChanged(TcpClient& client, const TcpEndpoint& used, const TcpEndpoint& current)
{
    if (used.host != current.host || used.port != current.port)
        client.close();
}

} // namespace

void CheckServer(Downloader& d)
{
    WindowOps& ops = d.ops;
    const TaskId check = d.queue.headId();
    ops.setTimerActive(Timer::Timer, false);
    const std::string request = RequestLine(*d.session.settings);

    ShowStatus(ops, "Цепляюсь...");
    const TcpEndpoint server = d.session.client;
    TcpClient client(d.tcpTimeouts);
    client.connect(TcpHostPart(server.host), server.port);
    ShowStatus(ops, "Соединение...");
    DropIfServerChanged(client, server, d.session.client);
    if (!client.connected()) {
        ops.setStatusText(0, "[!] Ошибка соединения");
        ops.setTimerActive(Timer::Timer, true);
        return;
    }

    ShowStatus(ops, "Посылка запроса...");
    DropIfServerChanged(client, server, d.session.client);
    d.files.reset();
    client.send(request);
    const AnswerKind answer = ReadServerAnswer(client, d.files);
    client.close();

    if (answer == AnswerKind::Refused) {
        ops.setStatusText(0, "[!] Ошибка авторизации");
        ops.setGridRowCount(1);
        if (ops.gridFixedRows() > 0)
            ops.setGridFixedRows(0);
        PopTask(d.queue, ops, check);
        return;
    }

    const int count = d.files.ServerFileCount();
    ops.setStatusText(0, "Соединение завершено. Добавлено " + std::to_string(count) + " файлов на закачку");
    UpdateTrayHint(d.session, ops);
    ops.pump();
    ShowServerFiles(d);
    if (count > 0)
        QueueDownloads(d);
    PopTask(d.queue, ops, check);
}

void ShowServerFiles(Downloader& d)
{
    WindowOps& ops = d.ops;
    const int count = d.files.ServerFileCount();
    const int firstRow = ops.gridRowCount();
    ops.setGridRowCount(firstRow + count);

    std::set<std::string> badSizes;
    std::string report;
    for (int i = 1; i <= count; ++i) {
        const ServerFile& file = d.files.at(i);
        const int row = firstRow + i - 1;
        ops.setGridCell(0, row, file.FileName);
        try {
            ops.setGridCell(1, row, ServerSizeToText(file.SizeText));
        } catch (const ConversionError& error) {
            // The file is still fetched; its size is only a display and a
            // fallback for the progress bar.
            std::string key = file.FileName + "\n" + file.SizeText;
            if (!d.reportedSizes.count(key))
                report += (report.empty() ? "" : "\n") + file.FileName + ": " + error.what();
            badSizes.insert(std::move(key));
        }
    }
    if (ops.gridRowCount() > 1)
        ops.setGridFixedRows(1);

    d.reportedSizes = std::move(badSizes);
    if (!report.empty())
        ops.showMessage(MessageKind::Warning, report);
}

void QueueDownloads(Downloader& d)
{
    // Each file takes two slots; one more stays free for the closing check.
    const int count = d.files.ServerFileCount();
    for (int i = 1; i <= count && d.queue.freeSlots() >= 3; ++i) {
        PushTask(d.queue, d.ops, std::to_string(i), tkDownload);
        PushTask(d.queue, d.ops, d.files.at(i).RemoveRef, tkRemove);
    }
    PushTask(d.queue, d.ops, "is_files", tkCheck);
}

} // namespace vexo
