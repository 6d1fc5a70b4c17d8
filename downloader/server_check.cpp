// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/server_check.h"

#include "base/cp1251.h"
#include "base/dialogs.h"
#include "base/file_io.h"
#include "base/int_text.h"
#include "base/session.h"
#include "base/size_text.h"
#include "downloader/downloader.h"
#include "downloader/server_answer.h"
#include "downloader/tray_hint.h"

#include <array>
#include <string>

namespace vexo {

namespace {

std::string RequestLine(const SettingsStore& stored)
{
    const std::string text =
        stored.readString(settings::kLogin) + ":" + stored.readString(settings::kPassword) + ":is_files";
    return Utf8ToCp1251(text) + "\n\r\n";
}

void ShowStatus(Downloader& d, const std::string& text)
{
    d.view.showStatus(text);
    d.dialogs.pump();
}

// The settings dialog's OK may hand the client another server while the
// check pumps (at its status texts and all through its waits); the
// connection to the old one is then cut.
void DropIfServerChanged(TcpClient& client, const TcpEndpoint& used, const TcpEndpoint& current)
{
    if (used.host != current.host || used.port != current.port)
        client.close();
}

} // namespace

void CheckServer(Downloader& d)
{
    const TaskId check = d.queue.headId();
    const std::string request = RequestLine(d.session.settings());

    ShowStatus(d, "Цепляюсь...");
    const TcpEndpoint server = d.session.client;
    TcpClient client(d.tcpTimeouts, [&d, &client, &server] {
        d.dialogs.pump();
        DropIfServerChanged(client, server, d.session.client);
    });
    client.connect(TcpHostPart(server.host), server.port);
    ShowStatus(d, "Соединение...");
    DropIfServerChanged(client, server, d.session.client);
    if (!client.connected()) {
        d.view.showStatus("[!] Ошибка соединения");
        return;
    }

    ShowStatus(d, "Посылка запроса...");
    DropIfServerChanged(client, server, d.session.client);
    d.files.reset();
    client.send(request);
    const AnswerKind answer = ReadServerAnswer(client, d.files);
    client.close();

    if (answer == AnswerKind::Refused) {
        d.view.showStatus("[!] Ошибка авторизации");
        d.table.rows.resize(1);
        d.table.fixedRows = 0;
        d.view.showServerFiles(d.table);
        d.queue.removeHead(check);
        return;
    }

    const std::string unsaved = ForgetUnlistedArrivals(d);
    const int count = d.files.serverFileCount();
    const auto now = d.now();
    int waiting = 0;
    int arrived = 0;
    for (int i = 1; i <= count; ++i) {
        const ServerFile& file = d.files.at(i);
        if (d.delivery.waits(file, now))
            ++waiting;
        else if (ArrivedEarlier(d, file))
            ++arrived;
    }
    std::string status =
        "Соединение завершено. Добавлено " + std::to_string(count - waiting - arrived) + " файлов на закачку";
    if (waiting > 0)
        status += " (" + std::to_string(waiting) + " после ошибки ждут повтора)";
    if (!unsaved.empty())
        status += " [!] " + unsaved;
    d.view.showStatus(status);
    UpdateTrayHint(d.session, d.tray, d.delivery.waitingCount());
    d.dialogs.pump();
    ShowServerFiles(d);
    if (count > 0)
        QueueDownloads(d, check);
    d.queue.removeHead(check);
}

bool KeepsFetchedFiles(const Downloader& d)
{
    const std::int32_t mode = d.session.settings().readInteger(settings::kRemovalMode);
    return mode != 1 && mode != 2;
}

bool ArrivedEarlier(Downloader& d, const ServerFile& file)
{
    const bool arrived = d.delivery.arrivedWhole(file);
    const bool kept = d.keptFiles.holds(file);
    if (!arrived && !kept)
        return false;
    return KeepsFetchedFiles(d) ? kept : arrived;
}

std::string ForgetUnlistedArrivals(Downloader& d)
{
    // A list cut short says nothing of the files it did not bring.
    if (!d.files.whole())
        return "";
    d.delivery.forgetUnlisted(d.files);
    try {
        d.keptFiles.keepOnly(d.files);
    } catch (const FileError& error) {
        return error.what();
    }
    return "";
}

void ShowServerFiles(Downloader& d)
{
    const int count = d.files.serverFileCount();
    std::set<std::string> badSizes;
    std::string report;
    for (int i = 1; i <= count; ++i) {
        const ServerFile& file = d.files.at(i);
        std::array<std::string, 2>& row = d.table.rows.emplace_back();
        row[0] = file.fileName;
        try {
            row[1] = ServerSizeToText(file.sizeText);
        } catch (const ConversionError& error) {
            // The file is still fetched; its size is only a display and a
            // fallback for the progress bar.
            std::string key = file.fileName + "\n" + file.sizeText;
            if (!d.reportedSizes.contains(key))
                report += (report.empty() ? "" : "\n") + file.fileName + ": " + error.what();
            badSizes.insert(std::move(key));
        }
    }
    if (d.table.rows.size() > 1)
        d.table.fixedRows = 1;
    d.view.showServerFiles(d.table);

    d.reportedSizes = std::move(badSizes);
    if (!report.empty())
        d.dialogs.showNotice(MessageKind::Warning, report);
}

void QueueDownloads(Downloader& d, TaskId runningCheck)
{
    // Each file takes two slots; one more stays free for the closing check.
    const int count = d.files.serverFileCount();
    const auto now = d.now();
    int queued = 0;
    for (int i = 1; i <= count && d.queue.freeSlots() >= 3; ++i) {
        const ServerFile& file = d.files.at(i);
        // A file that arrived but is still listed because its removal page
        // did not load is not fetched again: its removal is tried again.
        if (ArrivedEarlier(d, file) && d.delivery.removalFailed(file)) {
            d.queue.append(ServerTask::Removal(kNoTask, file.removeRef));
            continue;
        }
        if (d.delivery.waits(file, now) || ArrivedEarlier(d, file))
            continue;
        const TaskId download = d.queue.append(ServerTask::Download(file));
        d.queue.append(ServerTask::Removal(download, file.removeRef));
        ++queued;
    }
    // The chain ends with a list that brings nothing to fetch: the queue
    // runs empty and the automatic check takes over. A check that waits
    // already lists the server after these files anyway.
    if (queued > 0 && !d.queue.holdsCheck(runningCheck))
        d.queue.append(ServerTask::Check());
}

} // namespace vexo
