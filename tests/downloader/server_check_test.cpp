// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/task_runner.h"
#include "downloader/tcp_client.h"
#include "tests/downloader/check_fixture.h"
#include "tests/support/script_server.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

using test::CheckFixture;
using test::ListAnswer;
using test::ScriptedReply;
using test::ScriptServer;

const char* const kEmptyListText = "Соединение завершено. Добавлено 0 файлов на закачку";

class CheckServerTest : public CheckFixture {
protected:
    // An earlier check of a server that listed `files`, its tasks dropped
    // by a click on the status bar: the grid holds their rows.
    void listEarlier(const std::vector<std::array<std::string, 4>>& files)
    {
        ScriptServer earlier(ListAnswer(files));
        usePort(earlier.port());
        queueCheck();
        d.checkServer();
        d.stop();
        ops.log.clear();
    }
};

// Guards the request bytes: default login and password, the three closing
// bytes LF CR LF, one request per check; and an empty list closing the
// check, at the end of the runner's tick.
TEST_F(CheckServerTest, EmptyListSendsTheDefaultRequestAndRemovesTheCheck)
{
    ScriptServer server("connected\n=END=\n");
    usePort(server.port());
    d.setAutoCheck(true);
    ops.setTimerActive(DownloaderTimer::AutoCheck, false);
    queueCheck();
    d.runTasks();

    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], "test:demo:is_files\n\r\n");
    EXPECT_EQ(statusTexts(),
              (std::vector<std::string>{"Цепляюсь...", "Соединение...", "Посылка запроса...", kEmptyListText}));
    EXPECT_EQ(gridRows(), 1);
    EXPECT_TRUE(d.queue().empty());
    EXPECT_EQ(ops.queuedTasks, "");
    EXPECT_TRUE(timerActive(DownloaderTimer::TaskRunner));
    // With the queue empty the automatic check follows its box.
    EXPECT_TRUE(timerActive(DownloaderTimer::AutoCheck));
}

// Guards the login's bytes: a ":" inside login or password goes out
// unchanged, and Cyrillic goes out in Windows-1251.
TEST_F(CheckServerTest, LoginAndPasswordAreSentUnchangedInWindows1251)
{
    ScriptServer server("connected\n=END=\n");
    usePort(server.port());
    settings().writeString("Server", "Login", "us:er");
    settings().writeString("Server", "Passwd", "пароль:1");
    queueCheck();
    d.checkServer();
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], "us:er:\xEF\xE0\xF0\xEE\xEB\xFC:1:is_files\n\r\n");
}

// Guards a settings file from the original Windows program (Windows-1251,
// CRLF lines) or from an editor (byte order mark) read as garbage: the
// login must go out as the same Windows-1251 bytes, the host and folder
// read as their text, and a write must add UTF-8.
TEST_F(CheckServerTest, SettingsFromTheOriginalProgramSendTheirLogin)
{
    struct Row {
        const char* name;
        std::string file;
        std::string request;
    };
    const Row rows[] = {
        {"Windows-1251, CRLF",
         "[Server]\r\nName=\xF1\xE5\xF0\xE2\xE5\xF0\r\nLogin=\xC2\xE0\xF1\xFF\r\nPasswd=\xEF\xE0\xF0\xEE\xEB\xFC\r\n"
         "[Prog]\r\nFolder=/home/\xC2\xE0\xF1\xFF\r\n",
         "\xC2\xE0\xF1\xFF:\xEF\xE0\xF0\xEE\xEB\xFC:is_files\n\r\n"},
        {"UTF-8 with a byte order mark, CRLF",
         "\xEF\xBB\xBF[Server]\r\nName=сервер\r\nLogin=Вася\r\nPasswd=пароль\r\n[Prog]\r\nFolder=/home/Вася\r\n",
         "\xC2\xE0\xF1\xFF:\xEF\xE0\xF0\xEE\xEB\xFC:is_files\n\r\n"},
        {"Windows-1251 in quotes, LF",
         "[Server]\nName=\"\xF1\xE5\xF0\xE2\xE5\xF0\"\nLogin=\" \xC2\xE0\xF1\xFF\"\nPasswd=\xEF\xE0\xF0\xEE\xEB\xFC\n"
         "[Prog]\nFolder=/home/\xC2\xE0\xF1\xFF\n",
         " \xC2\xE0\xF1\xFF:\xEF\xE0\xF0\xEE\xEB\xFC:is_files\n\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::WriteFile(settings().path(), row.file);
        ScriptServer server("connected\n=END=\n");
        usePort(server.port());
        queueCheck();
        d.checkServer();
        ASSERT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(server.requests()[0], row.request);
        EXPECT_EQ(settings().readString(settings::kServer), "сервер");
        EXPECT_EQ(settings().readString(settings::kFolder, ""), "/home/Вася");

        settings().writeString("Server", "Login", "Петя");
        EXPECT_NE(test::ReadFile(settings().path()).find("Login=Петя\n"), std::string::npos);
    }
}

// Guards the list: rows appended below earlier rows with their size texts,
// the header fixed, names converted, addresses kept byte for byte, and the
// downloads, removals and closing check queued in list order.
TEST_F(CheckServerTest, TwoFilesAreShownAndQueued)
{
    listEarlier({{"earlier.avi", "http://h/e", "del.php?id=0", "1"}});
    ScriptServer server(ListAnswer({{"\xCA\xEE\xF2.avi", "http://h/f/1", "del.php?id=1&k=\xE9", "1048000"},
                                    {"b.jpg", "http://h/f/2", "del.php?id=2", "999"}}));
    usePort(server.port());
    queueCheck();
    d.checkServer();

    EXPECT_EQ(statusTexts().back(), "Соединение завершено. Добавлено 2 файлов на закачку");
    ASSERT_EQ(gridRows(), 4);
    EXPECT_EQ(cell(0, 1), "earlier.avi");
    EXPECT_EQ(cell(0, 2), "Кот.avi");
    EXPECT_EQ(cell(1, 2), "1 Мб");
    EXPECT_EQ(cell(0, 3), "b.jpg");
    EXPECT_EQ(cell(1, 3), "0 б");
    EXPECT_EQ(ops.serverFiles.fixedRows, 1);

    ASSERT_EQ(d.files().serverFileCount(), 2);
    EXPECT_EQ(d.files().at(1).url, "http://h/f/1");
    EXPECT_EQ(d.files().at(1).removeRef, "del.php?id=1&k=\xE9");
    EXPECT_EQ(d.queue().taskWords(), "down rem down rem get ");
    EXPECT_EQ(d.queue().at(1).download()->file.url, "http://h/f/1");
    EXPECT_EQ(d.queue().at(2).removal()->removeRef, "del.php?id=1&k=\xE9");
    EXPECT_EQ(d.queue().at(2).removal()->download, d.queue().idAt(1));
    EXPECT_EQ(d.queue().at(3).download()->file.url, "http://h/f/2");
    EXPECT_EQ(d.queue().at(5).kind(), TaskKind::Check);
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 0");
}

// Guards the refused login: the grid is cut back to its title row, no
// longer fixed, the check is dropped, and the next list fixes the row again.
TEST_F(CheckServerTest, RefusedLoginCutsTheGridBackAndDropsTheCheck)
{
    listEarlier({{"x.avi", "http://h/x", "rx", "1"}, {"y.avi", "http://h/y", "ry", "1"}});
    ASSERT_EQ(gridRows(), 3);
    ASSERT_EQ(ops.serverFiles.fixedRows, 1);
    ScriptServer server(std::vector<ScriptedReply>{{"error\n"}, {ListAnswer({{"a", "http://h/a", "r", "5000"}})}});
    usePort(server.port());
    queueCheck();
    d.checkServer();

    EXPECT_EQ(statusTexts().back(), "[!] Ошибка авторизации");
    EXPECT_EQ(gridRows(), 1);
    EXPECT_EQ(ops.serverFiles.fixedRows, 0);
    EXPECT_EQ(cell(0, 0), "Имя Файла");
    EXPECT_TRUE(d.queue().empty());

    queueCheck();
    d.checkServer();
    EXPECT_EQ(gridRows(), 2);
    EXPECT_EQ(ops.serverFiles.fixedRows, 1);
}

// Guards the answers that are not a list: "connected" with a carriage
// return, and a server that closes at once, both count as an empty list.
TEST_F(CheckServerTest, UnrecognisedFirstLinesCountAsAnEmptyList)
{
    const std::vector<ScriptedReply> replies = {{"connected\r\n=END=\n"}, {"", true}, {"Connected\n=END=\n"}};
    for (const ScriptedReply& reply : replies) {
        ScriptServer server(std::vector<ScriptedReply>{reply});
        usePort(server.port());
        ops.log.clear();
        queueCheck();
        d.checkServer();
        EXPECT_EQ(statusTexts().back(), kEmptyListText) << reply.bytes;
        EXPECT_EQ(d.files().serverFileCount(), 0);
        EXPECT_TRUE(d.queue().empty());
    }
}

// Guards a failed connect: the status texts in order, the check left at
// the head for the next tick, and the runner's timer on again once the
// tick ends.
TEST_F(CheckServerTest, UnreachableServerLeavesTheCheckQueued)
{
    usePort(test::RefusingPort());
    queueCheck();
    d.runTasks();
    EXPECT_EQ(statusTexts(), (std::vector<std::string>{"Цепляюсь...", "Соединение...", "[!] Ошибка соединения"}));
    EXPECT_EQ(d.queue().taskWords(), "get ");
    EXPECT_EQ(ops.queuedTasks, "get ");
    EXPECT_TRUE(timerActive(DownloaderTimer::TaskRunner));

    // No server configured at all (the first start) fails the same way.
    useHost("");
    ops.log.clear();
    d.checkServer();
    EXPECT_EQ(statusTexts().back(), "[!] Ошибка соединения");
    // So does a port that is neither a number nor a service name.
    d.setServerAddress({"127.0.0.1", "no-such-service"});
    ops.log.clear();
    d.checkServer();
    EXPECT_EQ(statusTexts().back(), "[!] Ошибка соединения");
    EXPECT_EQ(d.queue().taskWords(), "get ");
}

// Guards the connect time-out: a server that never completes the handshake
// gives "[!] Ошибка соединения" instead of hanging the window.
TEST_F(CheckServerTest, ConnectThatHangsTimesOut)
{
    test::StuckListener stuck;
    usePort(stuck.port());
    timeouts.connect = std::chrono::milliseconds(300);
    d.setTcpTimeouts(timeouts);
    queueCheck();
    d.checkServer();
    EXPECT_EQ(statusTexts().back(), "[!] Ошибка соединения");
    EXPECT_EQ(d.queue().taskWords(), "get ");
}

// Guards a server that stops mid-list: complete entries are kept, the
// partial one dropped, and the check ends instead of reading empty lines
// for ever.
TEST_F(CheckServerTest, ServerThatStopsMidListKeepsTheWholeEntries)
{
    ScriptServer server("connected\na.avi\nhttp://h/a\nref-a\n2000\nb.avi\nhttp://h/b\n");
    usePort(server.port());
    queueCheck();
    d.checkServer();
    ASSERT_EQ(d.files().serverFileCount(), 1);
    EXPECT_EQ(d.files().at(1).fileName, "a.avi");
    EXPECT_EQ(gridRows(), 2);
    EXPECT_EQ(d.queue().taskWords(), "down rem get ");
}

// Guards the line time-out: a server that sends part of a list and then
// keeps silent ends the answer as a closed connection would.
TEST_F(CheckServerTest, SilentServerEndsTheAnswerAfterTheLineTimeOut)
{
    ScriptServer server(std::vector<ScriptedReply>{{"connected\na.avi\nhttp://h/a\nref-a\n2000\nb.avi", false, true}});
    usePort(server.port());
    timeouts.line = std::chrono::milliseconds(300);
    d.setTcpTimeouts(timeouts);
    queueCheck();
    d.checkServer();
    EXPECT_EQ(d.files().serverFileCount(), 1);
    EXPECT_EQ(statusTexts().back(), "Соединение завершено. Добавлено 1 файлов на закачку");
}

// Guards memory against a hostile server: a line past 64 KiB ends the list.
TEST_F(CheckServerTest, OverlongLineEndsTheList)
{
    ScriptServer server("connected\na\nhttp://h/a\nr\n1000\n" + std::string(70000, 'x') + "\nu\nr\n1\n=END=\n");
    usePort(server.port());
    queueCheck();
    d.checkServer();
    EXPECT_EQ(d.files().serverFileCount(), 1);
    EXPECT_EQ(d.queue().taskWords(), "down rem get ");
}

// Guards the fixed tables: a list longer than the file table fills it, and
// the queue takes the pairs that fit with room for the closing check.
TEST_F(CheckServerTest, LongListFillsTheTablesWithoutOverflow)
{
    std::vector<std::array<std::string, 4>> files;
    for (int i = 1; i <= 300; ++i)
        files.push_back({"f" + std::to_string(i), "http://h/" + std::to_string(i), "r" + std::to_string(i), "1000"});
    ScriptServer server(ListAnswer(files));
    usePort(server.port());
    queueCheck();
    d.checkServer();

    EXPECT_EQ(d.files().serverFileCount(), 255);
    EXPECT_EQ(gridRows(), 256);
    ASSERT_EQ(d.queue().taskCount(), 253);
    EXPECT_EQ(d.queue().at(251).download()->file.fileName, "f126");
    EXPECT_EQ(d.queue().at(252).removal()->removeRef, "r126");
    EXPECT_EQ(d.queue().at(253).kind(), TaskKind::Check);
}

// Guards a size that is not a number: the file is still listed and queued,
// its size cell stays empty, and it is reported once, not at every check.
TEST_F(CheckServerTest, SizeThatIsNotANumberIsReportedOnce)
{
    ScriptServer server(ListAnswer({{"a.avi", "http://h/a", "r", "12abc456"}, {"b.avi", "http://h/b", "s", "5000"}}));
    usePort(server.port());
    queueCheck();
    d.checkServer();
    EXPECT_EQ(ops.messageTexts(), (std::vector<std::string>{"a.avi: '12abc' is not a valid integer value"}));
    EXPECT_EQ(cell(1, 1), "");
    EXPECT_EQ(cell(1, 2), "5 Кб");
    EXPECT_EQ(d.queue().taskWords(), "down rem down rem get ");

    // The closing check lists it again: no second box.
    d.queue().clear();
    queueCheck();
    d.checkServer();
    EXPECT_EQ(ops.messages.size(), 1u);
    EXPECT_EQ(d.queue().taskWords(), "down rem down rem get ");
}

// Guards "host:port" in "Server"/"Name": the check connects to the host
// part and the configured port.
TEST_F(CheckServerTest, NameWithPortConnectsToItsHostPart)
{
    ScriptServer server("connected\n=END=\n");
    d.setServerAddress({"127.0.0.1:8080", std::to_string(server.port())});
    queueCheck();
    d.checkServer();
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(statusTexts().back(), kEmptyListText);

    EXPECT_EQ(TcpHostPart("127.0.0.1:8080"), "127.0.0.1");
    EXPECT_EQ(TcpHostPart("vexo.example"), "vexo.example");
    EXPECT_EQ(TcpHostPart("[::1]:8080"), "::1");
    EXPECT_EQ(TcpHostPart("::1"), "::1");
}

// Guards the settings dialog's OK during a check: a new server handed to
// the client cuts the running check short, and the check stays queued for
// the next tick with the new values.
TEST_F(CheckServerTest, ServerChangedWhileConnectingCutsTheCheckShort)
{
    ScriptServer server("connected\n=END=\n");
    usePort(server.port());
    ops.onPump = [this] {
        if (ops.status == "Соединение...")
            useHost("localhost");
    };
    queueCheck();
    d.checkServer();
    EXPECT_EQ(statusTexts().back(), "[!] Ошибка соединения");
    EXPECT_EQ(d.queue().taskWords(), "get ");
}

// Guards two checks queued before the first list: each refills the table
// from entry 1, the grid gets the rows of both, the queue both sets, and
// only the last check queues a closing check.
TEST_F(CheckServerTest, TwoQueuedChecksBothRun)
{
    ScriptServer server(ListAnswer({{"a.avi", "http://h/a", "r", "5000"}}));
    usePort(server.port());
    queueCheck();
    queueCheck();
    d.checkServer();
    EXPECT_EQ(d.queue().taskWords(), "get down rem ");
    d.checkServer();
    EXPECT_EQ(d.queue().taskWords(), "down rem down rem get ");
    EXPECT_EQ(d.files().serverFileCount(), 1);
    EXPECT_EQ(gridRows(), 3);
    EXPECT_EQ(server.requests().size(), 2u);
}

// Guards line reading on the socket: a read stops at the line feed and
// leaves the rest of the answer in the connection.
TEST(TcpClientTest, ReadingALineNeverTakesBytesPastItsLineFeed)
{
    ScriptServer server(std::vector<ScriptedReply>{{"connected\r\nrest", false, true}});
    TcpClient client;
    ASSERT_TRUE(client.connect("127.0.0.1", std::to_string(server.port())));
    client.send("x\n\r\n");
    const AnswerLine line = ReadLine(client);
    EXPECT_EQ(line.text, "connected\r");
    EXPECT_EQ(line.end, LineEnd::Feed);
    char rest[16];
    client.lineStarts();
    std::size_t got = 0;
    // The remaining bytes may arrive in pieces; all of them must still be there.
    while (got < 4)
        got = client.peek(rest, sizeof rest);
    EXPECT_EQ(std::string(rest, got), "rest");
}

} // namespace
} // namespace vexo
