// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "base/session.h"
#include "downloader/downloader.h"
#include "downloader/downloader_events.h"
#include "downloader/http_fetch.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/fake_views.h"
#include "tests/support/script_server.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexo {
namespace {

using test::FileExists;
using test::PatternBytes;
using test::ReadFile;
using test::ScriptedReply;
using test::ScriptServer;
using test::TempDir;
using test::WriteFile;

std::string Response(const std::string& status, const std::string& headers, const std::string& body)
{
    return "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + headers + "\r\n" + body;
}

std::string Ok(const std::string& body)
{
    return Response("200 OK", "Content-Length: " + std::to_string(body.size()) + "\r\n", body);
}

class FetchTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string target = dir.file("clip.avi");
    FetchProgress progress;
    std::vector<std::int64_t> pumped; // FetchedBytes at every pump

    bool fetch(const ScriptServer& server, const std::string& listed = "0", const std::string& path = "")
    {
        return fetchUrl("http://127.0.0.1:" + std::to_string(server.port()) + "/files/1", listed, path);
    }
    bool fetchUrl(const std::string& url, const std::string& listed = "0", const std::string& path = "")
    {
        FetchLimits limits;
        limits.stallSeconds = 1;
        return FetchToFile(
            url, path.empty() ? target : path, listed, progress, [this] { pumped.push_back(progress.fetchedBytes); },
            limits);
    }
    // Everything in the folder: a failed fetch must leave no temporary file.
    std::vector<std::string> folderNames() const { return test::FolderNames(dir.path()); }
};

// Guards the request and the transfer: the agent and no-cache headers go
// out, the body arrives whole in blocks of at most 1024 bytes with a pump
// after each, and the named length is the expected total.
TEST_F(FetchTest, BodyArrivesInPumpedBlocksWithTheFixedRequestHeaders)
{
    const std::string body = PatternBytes(100000);
    ScriptServer server(Ok(body));
    ASSERT_TRUE(fetch(server, "5"));
    EXPECT_EQ(ReadFile(target), body);
    EXPECT_EQ(progress.fetchedBytes, 100000);
    EXPECT_EQ(progress.fetchTotal, 100000);

    ASSERT_GE(pumped.size(), 98u);
    std::int64_t previous = 0;
    for (const std::int64_t fetched : pumped) {
        EXPECT_GT(fetched, previous);
        EXPECT_LE(fetched - previous, 1024);
        previous = fetched;
    }
    const std::string request = server.requests().at(0);
    EXPECT_EQ(request.rfind("GET /files/1 HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nUser-Agent: Generic Delphi Agent\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nCache-Control: no-cache\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nPragma: no-cache\r\n"), std::string::npos);
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
}

// Guards the expected total: the listed size stands in when the server
// names no length or names 0; one that is not a number counts as unknown.
TEST_F(FetchTest, ListedSizeStandsInForAMissingLength)
{
    ScriptServer noLength(Response("200 OK", "", "abc"));
    ASSERT_TRUE(fetch(noLength, "3145728"));
    EXPECT_EQ(progress.fetchTotal, 3145728);

    ScriptServer zero(Response("200 OK", "Content-Length: 0\r\n", ""));
    ASSERT_TRUE(fetch(zero, "777"));
    EXPECT_EQ(progress.fetchTotal, 777);

    ScriptServer notNumber(Response("200 OK", "", "abc"));
    ASSERT_TRUE(fetch(notNumber, "12abc"));
    EXPECT_EQ(progress.fetchTotal, 0);
    EXPECT_EQ(ReadFile(target), "abc");
}

// Guards an empty body: it counts as fetched and leaves an empty file.
TEST_F(FetchTest, EmptyBodyGivesAnEmptyFile)
{
    ScriptServer server(Response("200 OK", "Content-Length: 0\r\n", ""));
    ASSERT_TRUE(fetch(server));
    EXPECT_TRUE(FileExists(target));
    EXPECT_EQ(ReadFile(target), "");
    EXPECT_EQ(progress.fetchedBytes, 0);
}

// Guards failed fetches: an address that does not open, an error status
// (with a body or without one), a body cut short and a stalled transfer all
// report failure, keep a local
// file of the same name as it was and leave no half file behind.
TEST_F(FetchTest, FailedFetchesNeverTouchTheLocalFile)
{
    WriteFile(target, "precious");
    progress.fetchedBytes = 99;
    EXPECT_FALSE(fetchUrl("http://127.0.0.1:" + std::to_string(test::RefusingPort()) + "/x"));
    EXPECT_EQ(progress.fetchedBytes, 0);

    ScriptServer notFound(Response("404 Not Found", "Content-Length: 9\r\n", "not found"));
    EXPECT_FALSE(fetch(notFound));
    EXPECT_EQ(progress.fetchedBytes, 0);

    ScriptServer emptyError(Response("500 Internal Server Error", "Content-Length: 0\r\n", ""));
    EXPECT_FALSE(fetch(emptyError));
    EXPECT_EQ(ReadFile(target), "precious");

    ScriptServer cutShort(Response("200 OK", "Content-Length: 5000\r\n", PatternBytes(3000)));
    EXPECT_FALSE(fetch(cutShort));
    EXPECT_EQ(progress.fetchedBytes, 3000);

    ScriptServer stalled(
        std::vector<ScriptedReply>{{Response("200 OK", "Content-Length: 5000\r\n", PatternBytes(1)), false, true}});
    EXPECT_FALSE(fetch(stalled));

    EXPECT_EQ(ReadFile(target), "precious");
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
}

// Guards a body that cannot be stored whole (a full disk half way, a sync,
// close or rename that fails): an error naming the file, the old file kept
// as it was, and no temporary left behind.
TEST_F(FetchTest, FailedStoreKeepsTheOldFileAndLeavesNoTemporary)
{
    WriteFile(target, "precious");
    const struct {
        FileFaults fault;
        std::string error;
    } cases[] = {
        {{.failWriteAfter = 70000, .error = ENOSPC}, target + ": No space left on device"},
        {{.failSync = true}, target + ": Input/output error"},
        {{.failClose = true}, target + ": Input/output error"},
        {{.failRename = true}, "Cannot create file \"" + target + "\". Input/output error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        ScriptServer server(Ok(PatternBytes(100000)));
        std::string error = "no error";
        {
            ScopedFileFaults faults(c.fault);
            try {
                fetch(server);
            } catch (const std::runtime_error& e) {
                error = e.what();
            }
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(ReadFile(target), "precious");
        EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
    }
}

// Guards the schemes: only http and https addresses are fetched, also
// after a redirect; an address without a scheme is not guessed at.
TEST_F(FetchTest, OnlyWebAddressesAreFetched)
{
    WriteFile(dir.file("secret"), "secret");
    EXPECT_FALSE(fetchUrl("file://" + dir.file("secret")));
    EXPECT_FALSE(fetchUrl("ftp://127.0.0.1/x"));
    EXPECT_FALSE(fetchUrl("127.0.0.1/x"));
    ScriptServer toFile(
        Response("302 Found", "Location: file://" + dir.file("secret") + "\r\nContent-Length: 0\r\n", ""));
    EXPECT_FALSE(fetch(toFile));
    EXPECT_FALSE(FileExists(target));
}

// Guards redirects: followed, and the final body is what is stored.
TEST_F(FetchTest, RedirectsAreFollowed)
{
    ScriptServer final(Ok("moved body"));
    ScriptServer first(Response("302 Found",
                                "Location: http://127.0.0.1:" + std::to_string(final.port())
                                    + "/real\r\n"
                                      "Content-Length: 5\r\n",
                                "moved"));
    ASSERT_TRUE(fetch(first));
    EXPECT_EQ(ReadFile(target), "moved body");
    EXPECT_EQ(final.requests().size(), 1u);
}

// Guards an existing file: a successful fetch replaces it.
TEST_F(FetchTest, ExistingFileIsReplaced)
{
    WriteFile(target, "an older and longer content");
    ScriptServer server(Ok("new"));
    ASSERT_TRUE(fetch(server));
    EXPECT_EQ(ReadFile(target), "new");
}

// Guards a file that cannot be made: the error names the file, and nothing
// is left behind.
TEST_F(FetchTest, FileThatCannotBeCreatedIsAnError)
{
    ScriptServer server(Ok("body"));
    const std::string missing = dir.file("gone/clip.avi");
    try {
        fetch(server, "0", missing);
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + missing + "\". No such file or directory");
    }
    EXPECT_TRUE(folderNames().empty());
}

// Guards the progress display: bar, "Скачано ... из ...", tray hint, pump.
TEST(FetchProgressTest, ShowsTheProgressOfTheFetch)
{
    test::FakeViews ops;
    Session session;
    session.downloadedThisSession = 2;
    session.caption = "Vexorama";
    Downloader d{session, ops, ops, ops, ops};
    d.progress = {524288, 3145728};
    ShowFetchProgress(d);
    EXPECT_EQ(ops.fetchStatus, "Скачано 512 Кб из 3 Мб");
    EXPECT_EQ(ops.fetchTotal, 3145728);
    EXPECT_EQ(ops.fetched, 524288);
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 2");
    EXPECT_EQ(ops.pumps, 1);

    d.progress.fetchedBytes = 1572864;
    ShowFetchProgress(d);
    EXPECT_EQ(ops.fetchStatus, "Скачано 1 Мб из 3 Мб");
}

} // namespace
} // namespace vexo
