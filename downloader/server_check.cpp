// SPDX-License-Identifier: GPL-3.0-or-later
// The check of the server: its list, the grid, and the downloads it queues.
#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/int_text.h"
#include "base/session.h"
#include "base/size_text.h"
#include "downloader/downloader.h"
#include "downloader/partial_download.h"
#include "downloader/server_answer.h"
#include "downloader/task_runner.h"

#include <array>
#include <set>
#include <string>

namespace vexo {

namespace {

std::string RequestLine(const SettingsStore& stored)
{
    const std::string text =
        stored.readString(settings::kLogin) + ":" + stored.readString(settings::kPassword) + ":is_files";
    return Utf8ToCp1251(text) + "\n\r\n";
}

// The settings dialog's OK may hand the check another server while the
// check pumps (at its status texts and all through its waits); the
// connection to the old one is then cut.
void DropIfServerChanged(TcpClient& client, const TcpEndpoint& used, const TcpEndpoint& current)
{
    if (used.host != current.host || used.port != current.port)
        client.close();
}

} // namespace

void Downloader::showStatusAndPump(const std::string& text)
{
    view_.showStatus(text);
    dialogs_.pump();
}

void Downloader::checkServer()
{
    const TaskId check = queue_.headId();
    const std::string request = RequestLine(session_.settings());

    showStatusAndPump("Цепляюсь...");
    const TcpEndpoint server = server_;
    TcpClient client(tcpTimeouts_, [this, &client, &server] {
        dialogs_.pump();
        DropIfServerChanged(client, server, server_);
    });
    client.connect(TcpHostPart(server.host), server.port);
    showStatusAndPump("Соединение...");
    DropIfServerChanged(client, server, server_);
    if (!client.connected()) {
        view_.showStatus("[!] Ошибка соединения");
        trouble_.failed("[!] Ошибка соединения");
        return;
    }

    showStatusAndPump("Посылка запроса...");
    DropIfServerChanged(client, server, server_);
    files_.reset();
    client.send(request);
    const AnswerKind answer = ReadServerAnswer(client, files_);
    client.close();

    if (answer == AnswerKind::Refused) {
        view_.showStatus("[!] Ошибка авторизации");
        trouble_.failed("[!] Ошибка авторизации");
        table_.rows.resize(1);
        table_.fixedRows = 0;
        view_.showServerFiles(table_);
        queue_.removeHead(check);
        return;
    }

    const std::string unsaved = forgetUnlistedArrivals();
    const int count = files_.serverFileCount();
    const auto now = now_();
    int waiting = 0;
    int arrived = 0;
    for (int i = 1; i <= count; ++i) {
        const ServerFile& file = files_.at(i);
        if (delivery_.waits(file, now))
            ++waiting;
        else if (arrivedEarlier(file))
            ++arrived;
    }
    std::string status =
        "Соединение завершено. Добавлено " + std::to_string(count - waiting - arrived) + " файлов на закачку";
    if (waiting > 0)
        status += " (" + std::to_string(waiting) + " после ошибки ждут повтора)";
    if (!unsaved.empty())
        status += " [!] " + unsaved;
    view_.showStatus(status);
    trouble_.checkSucceeded(listsFailedFiles());
    showTrayHint();
    dialogs_.pump();
    showServerFiles();
    if (count > 0)
        queueDownloads(check);
    queue_.removeHead(check);
}

bool Downloader::keepsFetchedFiles() const
{
    const std::int32_t mode = session_.settings().readInteger(settings::kRemovalMode);
    return mode != 1 && mode != 2;
}

bool Downloader::arrivedEarlier(const ServerFile& file)
{
    const bool arrived = delivery_.arrivedWhole(file);
    const bool kept = keptFiles_.holds(file);
    if (!arrived && !kept)
        return false;
    return keepsFetchedFiles() ? kept : arrived;
}

std::string Downloader::forgetUnlistedArrivals()
{
    // A list cut short says nothing of the files it did not bring.
    if (!files_.whole())
        return "";
    delivery_.forgetUnlisted(files_);
    // Bytes kept for a resume of a file no longer listed are of no use.
    std::set<std::string> listedNames;
    for (int i = 1; i <= files_.serverFileCount(); ++i)
        listedNames.insert(LocalFileName(files_.at(i).fileName));
    RemovePartialsExcept(session_.workingFolder().path(), listedNames);
    try {
        keptFiles_.keepOnly(files_);
    } catch (const FileError& error) {
        return error.what();
    }
    return "";
}

void Downloader::showServerFiles()
{
    const int count = files_.serverFileCount();
    std::set<std::string> badSizes;
    std::string report;
    for (int i = 1; i <= count; ++i) {
        const ServerFile& file = files_.at(i);
        std::array<std::string, 2>& row = table_.rows.emplace_back();
        row[0] = file.fileName;
        try {
            row[1] = ServerSizeToText(file.sizeText);
        } catch (const ConversionError& error) {
            // The file is still fetched; its size is only a display and a
            // fallback for the progress bar.
            std::string key = file.fileName + "\n" + file.sizeText;
            if (!reportedSizes_.contains(key))
                report += (report.empty() ? "" : "\n") + file.fileName + ": " + error.what();
            badSizes.insert(std::move(key));
        }
    }
    if (table_.rows.size() > 1)
        table_.fixedRows = 1;
    view_.showServerFiles(table_);

    reportedSizes_ = std::move(badSizes);
    if (!report.empty())
        reportTrouble(MessageKind::Warning, report);
}

void Downloader::queueDownloads(TaskId runningCheck)
{
    // Each file takes two slots; one more stays free for the closing check.
    const int count = files_.serverFileCount();
    const auto now = now_();
    int queued = 0;
    for (int i = 1; i <= count && queue_.freeSlots() >= 3; ++i) {
        const ServerFile& file = files_.at(i);
        // A file that arrived but is still listed because its removal page
        // did not load is not fetched again: its removal is tried again.
        if (arrivedEarlier(file) && delivery_.removalFailed(file)) {
            queue_.append(ServerTask::Removal(kNoTask, file.removeRef));
            continue;
        }
        if (delivery_.waits(file, now) || arrivedEarlier(file))
            continue;
        const TaskId download = queue_.append(ServerTask::Download(file));
        queue_.append(ServerTask::Removal(download, file.removeRef));
        ++queued;
    }
    // The chain ends with a list that brings nothing to fetch: the queue
    // runs empty and the automatic check takes over. A check that waits
    // already lists the server after these files anyway.
    if (queued > 0 && !queue_.holdsCheck(runningCheck))
        queue_.append(ServerTask::Check());
}

} // namespace vexo
