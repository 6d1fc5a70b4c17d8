// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/session.h"
#include "base/stop_request.h"
#include "base/temporary_files.h"
#include "downloader/downloader.h"
#include "downloader/downloader_events.h"
#include "downloader/http_fetch.h"
#include "downloader/partial_download.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/fake_views.h"
#include "tests/support/script_server.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::FileExists;
using test::HttpAnswer;
using test::HttpResponse;
using test::PatternBytes;
using test::ReadFile;
using test::ScriptedReply;
using test::ScriptServer;
using test::TempDir;
using test::WriteFile;

// `plain` (under 64 KiB) as gzip sends it, in one stored deflate block.
std::string Gzip(const std::string& plain)
{
    std::uint32_t crc = 0xFFFFFFFF;
    for (const unsigned char byte : plain)
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - ((crc ^ (byte >> bit)) & 1)));
    const auto little = [](std::uint64_t value, int bytes) {
        return std::string(reinterpret_cast<char*>(&value), bytes);
    };
    const std::size_t size = plain.size();
    return std::string("\x1f\x8b\x08\0\0\0\0\0\0\xff\x01", 11) + little(size, 2) + little(~size, 2) + plain
           + little(~crc, 4) + little(size, 4);
}

// An answer's headers and body, the listed size, and whether it is whole.
struct BodyCase {
    std::string headers, body, listed;
    bool whole;
};

class FetchTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string target = dir.file("clip.avi");
    FetchProgress progress;
    FetchLimits limits{.stallSeconds = 1};
    std::vector<FetchProgress> pumped; // the progress at every pump
    std::function<void()> onPump;

    Fetched fetch(const ScriptServer& server, const std::string& listed = "", const std::string& path = "")
    {
        return fetchUrl("http://127.0.0.1:" + std::to_string(server.port()) + "/files/1", listed, path);
    }
    Fetched fetchUrl(const std::string& url, const std::string& listed = "", const std::string& path = "")
    {
        const auto pump = [this] {
            pumped.push_back(progress);
            if (onPump)
                onPump();
        };
        return FetchToFile(url, path.empty() ? target : path, listed, progress, pump, limits);
    }
    // Everything in the folder: a failed fetch must leave no temporary file.
    std::vector<std::string> folderNames() const { return test::FolderNames(dir.path()); }
};

// Guards the request and the transfer: the agent and no-cache headers go
// out, the body arrives whole, the named length is the expected total, and
// no pump sees more bytes than arrived or fewer than an earlier one saw.
TEST_F(FetchTest, BodyArrivesWholeWithTheFixedRequestHeaders)
{
    const std::string body = PatternBytes(100000);
    ScriptServer server(HttpAnswer("200 OK", body));
    ASSERT_EQ(fetch(server, "100000"), Fetched::Whole);
    EXPECT_EQ(ReadFile(target), body);
    EXPECT_EQ(progress.fetchedBytes, 100000);
    EXPECT_EQ(progress.fetchTotal, 100000);

    std::int64_t previous = 0;
    for (const FetchProgress& seen : pumped) {
        EXPECT_GE(seen.fetchedBytes, previous);
        EXPECT_LE(seen.fetchedBytes, 100000);
        previous = seen.fetchedBytes;
    }
    const std::string request = server.requests().at(0);
    EXPECT_EQ(request.rfind("GET /files/1 HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nUser-Agent: Generic Delphi Agent\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nCache-Control: no-cache\r\n"), std::string::npos);
    EXPECT_NE(request.find("\r\nPragma: no-cache\r\n"), std::string::npos);
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
}

// Guards the progress display lagging behind the transfer: while the body
// pauses half way, every pump sees the bytes that arrived and the named
// total.
TEST_F(FetchTest, PumpsSeeTheBytesThatArrived)
{
    const std::string body = PatternBytes(3000);
    ScriptServer server(
        std::vector<ScriptedReply>{{HttpResponse("200 OK", "Content-Length: 3000\r\n", body.substr(0, 1000)),
                                    false,
                                    false,
                                    {body.substr(1000)},
                                    300ms}});
    ASSERT_EQ(fetch(server, "3000"), Fetched::Whole);
    const auto sawFirstPart = [](const FetchProgress& seen) {
        return seen.fetchedBytes == 1000 && seen.fetchTotal == 3000;
    };
    EXPECT_GE(std::count_if(pumped.begin(), pumped.end(), sawFirstPart), 5);
    EXPECT_EQ(ReadFile(target), body);
}

// The window freezing while a download waits: a body that stalls, a
// connect that hangs, https spoken to a plain-HTTP port. The window closed
// at the fiftieth pump of the wait ends it, where a wait that pumps fewer
// than five times a second runs on to its limit of ten seconds first (the
// benchmark measures the real gaps); left to itself, each fails as before,
// leaving nothing behind.
class FetchWaitTest : public FetchTest {
protected:
    // `waiting`: whether the fetch is in the wait, by the progress it shows.
    void expectPumpedFailure(
        const std::string& url, const std::function<bool()>& waiting = [] { return true; })
    {
        limits = {.connectSeconds = 10, .stallSeconds = 10};
        int waitPumps = 0;
        onPump = [&] {
            if (waiting() && ++waitPumps == 50)
                throw StopRequest();
        };
        EXPECT_THROW(fetchUrl(url), StopRequest);
        EXPECT_TRUE(folderNames().empty());

        onPump = nullptr;
        limits = {.connectSeconds = 1, .stallSeconds = 1};
        EXPECT_EQ(fetchUrl(url), Fetched::Failed);
        EXPECT_TRUE(folderNames().empty());
    }
};

// Guards: the window freezing while the body stalls after its first byte.
TEST_F(FetchWaitTest, StalledBodyPumps)
{
    ScriptServer stalled(
        std::vector<ScriptedReply>{{HttpResponse("200 OK", "Content-Length: 5000\r\n", PatternBytes(1)), false, true}});
    expectPumpedFailure("http://127.0.0.1:" + std::to_string(stalled.port()) + "/f",
                        [this] { return progress.fetchedBytes == 1; });
}

// Guards: the window freezing while a connect hangs unanswered.
TEST_F(FetchWaitTest, HangingConnectPumps)
{
    test::StuckListener stuck;
    expectPumpedFailure("http://127.0.0.1:" + std::to_string(stuck.port()) + "/f");
}

// Guards: the window freezing while a TLS handshake waits for a plain-HTTP
// server that never answers it.
TEST_F(FetchWaitTest, HttpsToAPlainHttpPortPumps)
{
    ScriptServer plain(HttpAnswer("200 OK", "plain"));
    expectPumpedFailure("https://127.0.0.1:" + std::to_string(plain.port()) + "/f");
}

// Guards closing the window during a stalled download: the fetch waited
// for the stall limit (60 s) first. The stop the pump throws ends it
// there: the rest of the body, which the peer sends only once the window
// has closed, is never taken; the old file stays and no temporary is left.
TEST_F(FetchTest, ClosingTheWindowEndsAStalledFetchAtOnce)
{
    WriteFile(target, "precious");
    limits = FetchLimits{};
    std::atomic<bool> closed{false};
    ScriptedReply reply{HttpResponse("200 OK", "Content-Length: 5000\r\n", PatternBytes(1)),
                        false,
                        true,
                        {PatternBytes(4999)}};
    reply.goOn = [&closed] { return closed.load(); };
    ScriptServer stalled(std::vector<ScriptedReply>{reply});
    int stalledPumps = 0;
    onPump = [&] {
        if (progress.fetchedBytes == 1 && ++stalledPumps == 10) {
            closed = true;
            throw StopRequest();
        }
    };
    EXPECT_THROW(fetch(stalled), StopRequest);
    EXPECT_EQ(progress.fetchedBytes, 1);
    EXPECT_EQ(ReadFile(target), "precious");
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
}

// Guards the expected total: the listed size stands in when the server
// names no length or names 0; one that is not a number counts as unknown.
TEST_F(FetchTest, ListedSizeStandsInForAMissingLength)
{
    ScriptServer noLength(HttpResponse("200 OK", "", "abc"));
    fetch(noLength, "3145728");
    EXPECT_EQ(progress.fetchTotal, 3145728);

    ScriptServer zero(HttpResponse("200 OK", "Content-Length: 0\r\n", ""));
    fetch(zero, "777");
    EXPECT_EQ(progress.fetchTotal, 777);

    ScriptServer notNumber(HttpResponse("200 OK", "", "abc"));
    ASSERT_EQ(fetch(notNumber, "12abc"), Fetched::Whole);
    EXPECT_EQ(progress.fetchTotal, 0);
    EXPECT_EQ(ReadFile(target), "abc");
}

// Guards a body that is not the whole file counting as fetched (its copy on
// the server would then be removed): fewer bytes than listed without a
// length named, and a partial (206) answer, fail and leave the local file
// as it was. A body that matches the length it names is whole, whatever
// the list said.
TEST_F(FetchTest, OnlyTheWholeListedBodyCounts)
{
    WriteFile(target, "precious");
    ScriptServer shortNoLength(HttpResponse("200 OK", "", "12345"));
    EXPECT_EQ(fetch(shortNoLength, "10"), Fetched::Failed);
    ScriptServer partial(HttpResponse("206 Partial Content", "Content-Length: 10\r\n", "1234567890"));
    EXPECT_EQ(fetch(partial, "10"), Fetched::Failed);
    EXPECT_EQ(ReadFile(target), "precious");
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});

    ScriptServer whole(HttpResponse("200 OK", "", "1234567890"));
    EXPECT_EQ(fetch(whole, "10"), Fetched::Whole);
    EXPECT_EQ(ReadFile(dir.file("(1)clip.avi")), "1234567890");
    ScriptServer longer(HttpAnswer("200 OK", "12345678901"));
    EXPECT_EQ(fetch(longer, "10"), Fetched::Whole);
    EXPECT_EQ(ReadFile(dir.file("(2)clip.avi")), "12345678901");
    EXPECT_EQ(ReadFile(target), "precious");
}

// Guards the listed size overruling HTTP's own length: a whole body whose
// named length matches was refused when the list gave another size, and a
// listed "0" refused (and cut off) every file. The named length decides;
// without one a positive listed size does; with neither, the body's
// orderly end, so a chunked body cut short still fails.
TEST_F(FetchTest, WholeIsMeasuredByTheLengthTheAnswerNames)
{
    const std::string body = PatternBytes(5000);
    ScriptServer otherSize(HttpAnswer("200 OK", body));
    EXPECT_EQ(fetch(otherSize, "4000"), Fetched::Whole);
    EXPECT_EQ(ReadFile(target), body);

    const struct {
        std::string reply;
        std::string listed;
        Fetched expected;
    } cases[] = {
        {HttpAnswer("200 OK", "named"), "0", Fetched::Whole},
        {HttpResponse("200 OK", "", body), "0", Fetched::Whole},
        {HttpResponse("200 OK", "", "unsized"), "12abc", Fetched::Whole},
        {HttpResponse("200 OK", "Transfer-Encoding: chunked\r\n", "5\r\nhello\r\n0\r\n\r\n"), "0", Fetched::Whole},
        {HttpResponse("200 OK", "Transfer-Encoding: chunked\r\n", "5\r\nhello\r\n"), "0", Fetched::Failed},
        {HttpResponse("200 OK", "Content-Length: 900\r\n", "cut"), "3", Fetched::Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        ScriptServer server(c.reply);
        const std::string path = dir.file("case.bin");
        EXPECT_EQ(fetch(server, c.listed, path), c.expected);
        if (c.expected == Fetched::Whole) {
            EXPECT_EQ(progress.fetchedBytes, static_cast<std::int64_t>(ReadFile(path).size()));
        }
        std::filesystem::remove(path);
    }
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
}

// Guards a whole chunked body thrown away (and fetched again for ever) for
// a listed size one off: a body whole by its own framing is whole whatever
// the list says; only one that ends when the connection closes is not.
TEST_F(FetchTest, BodyIsWholeByItsOwnFraming)
{
    const std::string chunked = "Transfer-Encoding: chunked\r\n";
    const BodyCase cases[] = {
        {chunked, "5\r\nhello\r\n0\r\n\r\n", "6", true},
        {chunked, "2\r\nhe\r\n3\r\nllo\r\n0\r\n\r\n", "4", true},
        {chunked, "5\r\nhello\r\n", "5", false},
        {"Content-Length: 5\r\n", "hello", "6", true},
        {"", "hello", "6", false},
        {"", "hello", "4", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.headers + c.body + " listed " + c.listed);
        ScriptServer server(HttpResponse("200 OK", c.headers, c.body));
        EXPECT_EQ(fetch(server, c.listed), c.whole ? Fetched::Whole : Fetched::Failed);
        EXPECT_EQ(FileExists(target) ? ReadFile(target) : "", c.whole ? "hello" : "");
        if (c.headers == chunked) {
            EXPECT_EQ(progress.fetchTotal, std::stoll(c.listed));
        }
        std::filesystem::remove(target);
    }
}

// Guards gzip bytes behind a compressing proxy stored as the file, counted
// and removed on the server: only "identity" is asked for, gzip is decoded
// (the listed size stays the progress maximum), other codings fail.
TEST_F(FetchTest, CodedBodiesAreDecodedOrRefused)
{
    const std::string plain = PatternBytes(9500);
    const std::string gzip = Gzip(plain);
    const std::string named = "Content-Length: " + std::to_string(gzip.size()) + "\r\n";
    const BodyCase cases[] = {
        {"Content-Encoding: GZIP\r\n" + named, gzip, "9000", true},
        {"Content-Encoding: gzip\r\n", gzip, "9500", true},
        {"Content-Encoding: gzip\r\n", gzip, std::to_string(gzip.size()), false},
        {"Content-Encoding: x-unknown\r\n", plain, "9500", false},
        {"Transfer-Encoding: gzip, chunked\r\n", "5\r\nhello\r\n0\r\n\r\n", "5", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.headers + " listed " + c.listed);
        ScriptServer server(HttpResponse("200 OK", c.headers, c.body));
        EXPECT_EQ(fetch(server, c.listed), c.whole ? Fetched::Whole : Fetched::Failed);
        EXPECT_NE(server.requests().at(0).find("\r\nAccept-Encoding: identity\r\n"), std::string::npos);
        EXPECT_TRUE((FileExists(target) ? ReadFile(target) : "") == (c.whole ? plain : "")) << "not the plain bytes";
        if (c.whole) {
            EXPECT_EQ(progress.fetchTotal, std::stoll(c.listed));
        }
        std::filesystem::remove(target);
    }
}

// Guards an empty body replacing the user's file of that name: it counts
// as an empty fetch and touches nothing.
TEST_F(FetchTest, EmptyBodyLeavesTheFileOfThatNameAlone)
{
    ScriptServer server(HttpResponse("200 OK", "Content-Length: 0\r\n", ""));
    EXPECT_EQ(fetch(server), Fetched::Empty);
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(progress.fetchedBytes, 0);

    WriteFile(target, "precious");
    EXPECT_EQ(fetch(server, "0"), Fetched::Empty);
    EXPECT_EQ(ReadFile(target), "precious");
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
}

// Guards failed fetches: an address that does not open, an error status
// (with a body or without one), a body cut short and a stalled transfer all
// report failure, keep a local
// file of the same name as it was and leave no half file behind.
TEST_F(FetchTest, FailedFetchesNeverTouchTheLocalFile)
{
    WriteFile(target, "precious");
    progress.fetchedBytes = 99;
    EXPECT_EQ(fetchUrl("http://127.0.0.1:" + std::to_string(test::RefusingPort()) + "/x"), Fetched::Failed);
    EXPECT_EQ(progress.fetchedBytes, 0);

    ScriptServer notFound(HttpResponse("404 Not Found", "Content-Length: 9\r\n", "not found"));
    EXPECT_EQ(fetch(notFound), Fetched::Failed);
    EXPECT_EQ(progress.fetchedBytes, 0);

    ScriptServer emptyError(HttpResponse("500 Internal Server Error", "Content-Length: 0\r\n", ""));
    EXPECT_EQ(fetch(emptyError), Fetched::Failed);
    EXPECT_EQ(ReadFile(target), "precious");

    ScriptServer cutShort(HttpResponse("200 OK", "Content-Length: 5000\r\n", PatternBytes(3000)));
    EXPECT_EQ(fetch(cutShort), Fetched::Failed);
    EXPECT_EQ(progress.fetchedBytes, 3000);

    ScriptServer stalled(
        std::vector<ScriptedReply>{{HttpResponse("200 OK", "Content-Length: 5000\r\n", PatternBytes(1)), false, true}});
    EXPECT_EQ(fetch(stalled), Fetched::Failed);

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
        {{.failRename = true}, "Cannot create file \"" + dir.file("(1)clip.avi") + "\". Input/output error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        ScriptServer server(HttpAnswer("200 OK", PatternBytes(100000)));
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
    EXPECT_EQ(fetchUrl("file://" + dir.file("secret")), Fetched::Failed);
    EXPECT_EQ(fetchUrl("ftp://127.0.0.1/x"), Fetched::Failed);
    EXPECT_EQ(fetchUrl("127.0.0.1/x"), Fetched::Failed);
    ScriptServer toFile(
        HttpResponse("302 Found", "Location: file://" + dir.file("secret") + "\r\nContent-Length: 0\r\n", ""));
    EXPECT_EQ(fetch(toFile), Fetched::Failed);
    EXPECT_FALSE(FileExists(target));
}

// Guards redirects: followed, and the final body is what is stored.
TEST_F(FetchTest, RedirectsAreFollowed)
{
    ScriptServer final(HttpAnswer("200 OK", "moved body"));
    ScriptServer first(HttpResponse("302 Found",
                                    "Location: http://127.0.0.1:" + std::to_string(final.port())
                                        + "/real\r\n"
                                          "Content-Length: 5\r\n",
                                    "moved"));
    ASSERT_EQ(fetch(first), Fetched::Whole);
    EXPECT_EQ(ReadFile(target), "moved body");
    EXPECT_EQ(final.requests().size(), 1u);
}

// Guards a fetch replacing a file of the same name (two listed files both
// named photo.jpg left only the second; a link there was followed): the
// fetch takes the first free "(n)" name, and a file there that holds
// exactly the same bytes counts as arrived, with no copy made.
TEST_F(FetchTest, ExistingFilesStayAndTheSameBytesMakeNoCopy)
{
    WriteFile(target, "the user's own file");
    ASSERT_EQ(::symlink("nowhere", dir.file("(1)clip.avi").c_str()), 0);
    ScriptServer first(HttpAnswer("200 OK", "new"));
    ASSERT_EQ(fetch(first), Fetched::Whole);
    EXPECT_EQ(ReadFile(target), "the user's own file");
    EXPECT_EQ(ReadFile(dir.file("(2)clip.avi")), "new");

    ScriptServer again(HttpAnswer("200 OK", "new"));
    ASSERT_EQ(fetch(again), Fetched::Whole);
    ScriptServer other(HttpAnswer("200 OK", "other"));
    ASSERT_EQ(fetch(other), Fetched::Whole);
    EXPECT_EQ(ReadFile(dir.file("(3)clip.avi")), "other");
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"(1)clip.avi", "(2)clip.avi", "(3)clip.avi", "clip.avi"}));
    EXPECT_FALSE(FileExists(dir.file("nowhere")));
}

// Guards a body that runs on past its size: it was written whole (96 MiB
// for a file listed at 1,000 bytes) before it was refused. The fetch stops
// at the named length, or at the listed size where none is named.
TEST_F(FetchTest, BodyPastItsSizeIsCutOffThere)
{
    std::uintmax_t mostOnDisk = 0;
    onPump = [&] {
        for (const std::uintmax_t size : test::SizesTakingShape(dir.path()))
            mostOnDisk = std::max(mostOnDisk, size);
    };
    const std::string endless = PatternBytes(4 << 20);
    ScriptServer unnamed(HttpResponse("200 OK", "", endless));
    EXPECT_EQ(fetch(unnamed, "1000"), Fetched::Failed);
    EXPECT_EQ(progress.fetchedBytes, 1000);
    EXPECT_LE(mostOnDisk, 1000u);
    EXPECT_TRUE(folderNames().empty());
}

// Guards a file that cannot be made: the error names the file, and nothing
// is left behind.
TEST_F(FetchTest, FileThatCannotBeCreatedIsAnError)
{
    ScriptServer server(HttpAnswer("200 OK", "body"));
    const std::string missing = dir.file("gone/clip.avi");
    try {
        fetch(server, "", missing);
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + missing + "\". No such file or directory");
    }
    EXPECT_TRUE(folderNames().empty());
}

// A 200 answer naming the whole of `body` and its validator (whole
// header lines), cut after `sent` bytes.
std::string CutWhole(const std::string& body, std::size_t sent, const std::string& validator)
{
    return HttpResponse("200 OK", validator + "Content-Length: " + std::to_string(body.size()) + "\r\n",
                        body.substr(0, sent));
}

// A 206 answer with the bytes of `body` from `first` on, cut after `sent`
// bytes of the whole.
std::string CutPart(const std::string& body, std::size_t first, std::size_t sent, const std::string& validator)
{
    const std::string size = std::to_string(body.size());
    return HttpResponse("206 Partial Content",
                        validator + "Content-Range: bytes " + std::to_string(first) + "-"
                            + std::to_string(body.size() - 1) + "/" + size
                            + "\r\nContent-Length: " + std::to_string(body.size() - first) + "\r\n",
                        body.substr(first, sent - first));
}

const std::string kTag = "ETag: \"v1\"\r\n";
const std::string kDate = "Last-Modified: Wed, 09 Dec 2026 21:03:04 GMT\r\n";

// Guards a broken-off download starting again from zero: the rest is asked
// for at once (Range from where the bytes end, If-Range on the strong ETag
// or else the date of the first answer), each piece appended, the file
// byte-exact and nothing hidden left beside it.
TEST_F(FetchTest, BrokenOffTransferResumesWhereItStopped)
{
    const std::string body = PatternBytes(10000);
    const struct {
        std::vector<std::string> replies;
        std::vector<std::string> asked; // the Range and If-Range of each resume
        std::int64_t kept;              // where the last transfer took up the bytes
    } cases[] = {
        {{CutWhole(body, 4000, kTag), CutPart(body, 4000, 10000, kTag)}, {"bytes=4000- \"v1\""}, 4000},
        {{CutWhole(body, 4000, kDate), CutPart(body, 4000, 10000, kDate)},
         {"bytes=4000- Wed, 09 Dec 2026 21:03:04 GMT"},
         4000},
        {{CutWhole(body, 4000, "ETag: W/\"weak\"\r\n" + kDate), CutPart(body, 4000, 10000, kDate)},
         {"bytes=4000- Wed, 09 Dec 2026 21:03:04 GMT"},
         4000},
        {{CutWhole(body, 1, kTag), CutPart(body, 1, 5000, kTag), CutPart(body, 5000, 9999, kTag),
          CutPart(body, 9999, 10000, kTag)},
         {"bytes=1- \"v1\"", "bytes=5000- \"v1\"", "bytes=9999- \"v1\""},
         9999},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked.front());
        std::vector<ScriptedReply> replies;
        for (const std::string& reply : c.replies)
            replies.push_back({reply});
        ScriptServer server(replies);
        ASSERT_EQ(fetch(server, "10000"), Fetched::Whole);
        EXPECT_EQ(ReadFile(target), body);
        EXPECT_EQ(progress.fetchedBytes, 10000);
        EXPECT_EQ(progress.fetchTotal, 10000);
        // The speed counts only the bytes the last transfer brought.
        EXPECT_EQ(progress.keptBytes, c.kept);
        for (const FetchProgress& seen : pumped)
            EXPECT_LE(seen.keptBytes, seen.fetchedBytes);
        pumped.clear();
        const std::vector<std::string> requests = server.requests();
        ASSERT_EQ(requests.size(), c.asked.size() + 1);
        EXPECT_EQ(requests[0].find("Range:"), std::string::npos);
        for (std::size_t i = 0; i < c.asked.size(); ++i) {
            const std::string& request = requests[i + 1];
            const std::string range = request.substr(request.find("\r\nRange: ") + 9);
            const std::string ifRange = request.substr(request.find("\r\nIf-Range: ") + 12);
            EXPECT_EQ(range.substr(0, range.find('\r')) + " " + ifRange.substr(0, ifRange.find('\r')), c.asked[i]);
        }
        EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
        std::filesystem::remove(target);
    }
}

// Guards a file made of two versions: bytes kept are continued only by a
// 206 whose range starts where they end under the same validator. A server
// that ignores the range (200), or a file changed since (If-Range failed),
// brings the whole file afresh; a 206 of another version or place, or a
// 416, drops the bytes and the file is asked for whole. Without a
// validator nothing is resumed or kept.
TEST_F(FetchTest, ResumeNeverMixesTwoVersions)
{
    const std::string oldBody = PatternBytes(8000);
    std::string newBody = oldBody;
    newBody.replace(0, 4000, std::string(4000, 'n'));
    const std::string other = "ETag: \"v2\"\r\n";
    const std::string newWhole = HttpResponse("200 OK", other + "Content-Length: 8000\r\n", newBody);
    const struct {
        std::string name;
        std::vector<std::string> replies;
        Fetched expected;
        std::size_t requests;
    } cases[] = {
        {"range ignored", {CutWhole(oldBody, 3000, kTag), newWhole}, Fetched::Whole, 2},
        {"other version",
         {CutWhole(oldBody, 3000, kTag), CutPart(newBody, 3000, 8000, other), newWhole},
         Fetched::Whole,
         3},
        {"other place",
         {CutWhole(oldBody, 3000, kTag), CutPart(newBody, 2000, 8000, kTag), newWhole},
         Fetched::Whole,
         3},
        {"unsatisfiable",
         {CutWhole(oldBody, 3000, kTag), HttpAnswer("416 Range Not Satisfiable", ""), newWhole},
         Fetched::Whole,
         3},
        {"no validator", {CutWhole(oldBody, 3000, ""), newWhole}, Fetched::Failed, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ScriptedReply> replies;
        for (const std::string& reply : c.replies)
            replies.push_back({reply});
        ScriptServer server(replies);
        EXPECT_EQ(fetch(server, "8000"), c.expected);
        EXPECT_EQ(server.requests().size(), c.requests);
        if (c.expected == Fetched::Whole) {
            EXPECT_EQ(ReadFile(target), newBody);
            EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
        } else {
            EXPECT_TRUE(folderNames().empty());
        }
        std::filesystem::remove(target);
    }
}

// Guards the bytes of a download that broke off too often, or was stopped
// (the window closed, "Выход"), being thrown away: they stay hidden beside
// the target, the fetch fails after five resumes in a row, and a later
// fetch of the same file, in this run or the next, asks only for the rest.
// Another address or listed size starts afresh.
TEST_F(FetchTest, BytesKeptAfterFailureOrStopAreResumedLater)
{
    const std::string body = PatternBytes(10000);
    std::vector<ScriptedReply> cuts{{CutWhole(body, 1000, kTag)}};
    for (std::size_t sent = 2000; sent <= 6000; sent += 1000)
        cuts.push_back({CutPart(body, sent - 1000, sent, kTag)});
    cuts.push_back({CutPart(body, 6000, 10000, kTag)});
    ScriptServer server(cuts);
    EXPECT_EQ(fetch(server, "10000"), Fetched::Failed);
    EXPECT_EQ(server.requests().size(), 6u);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{".vexorama-partial-clip.avi", ".vexorama-resume-clip.avi"}));

    ASSERT_EQ(fetch(server, "10000"), Fetched::Whole);
    EXPECT_NE(server.requests().at(6).find("\r\nRange: bytes=6000-\r\n"), std::string::npos);
    EXPECT_EQ(ReadFile(target), body);
    std::filesystem::remove(target);

    // Stopped half way: the bytes stay, and only the same file resumes them.
    ScriptServer stopped(
        std::vector<ScriptedReply>{{CutWhole(body, 2500, kTag), false, true}, {HttpAnswer("200 OK", "another file")}});
    onPump = [&] {
        if (progress.fetchedBytes == 2500)
            throw StopRequest();
    };
    EXPECT_THROW(fetch(stopped, "10000"), StopRequest);
    onPump = nullptr;
    EXPECT_EQ(std::filesystem::file_size(dir.file(".vexorama-partial-clip.avi")), 2500u);
    ASSERT_EQ(fetch(stopped, "12"), Fetched::Whole);
    EXPECT_EQ(stopped.requests().at(1).find("Range:"), std::string::npos);
    EXPECT_EQ(ReadFile(target), "another file");
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
}

// Guards the window held by the flushes of a download (seconds on a slow
// stick: the resume record's, the final one), and a stop then leaving a
// torn file or the real name: the window's thread flushes nothing, it
// pumps while the final flush is held, and a stop during it leaves the
// partial with its record when it can be resumed, else nothing.
TEST_F(FetchTest, FlushesGoOnBesideThePump)
{
    const std::string body = PatternBytes(200000);
    const std::string partial = ".vexorama-partial-clip.avi";
    const struct {
        std::string validator;
        bool stop;
        std::vector<std::string> left;
    } cases[] = {
        {"", false, {"clip.avi"}},
        {kTag, false, {"clip.avi"}},
        {"", true, {}},
        {kTag, true, {partial, ".vexorama-resume-clip.avi"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.validator + (c.stop ? "stopped" : "whole"));
        ScriptServer server(CutWhole(body, body.size(), c.validator));
        std::mutex mutex;
        std::condition_variable changed;
        bool flushing = false;
        bool stopped = false;
        int flushes = 0;
        int flushesHere = 0;
        int pumpsWhileFlushing = 0;
        // Holds the flush of the whole body until the window has pumped
        // five times or been closed meanwhile; ten seconds at most, should
        // it never pump.
        FileFaults faults{.duringSync = [&, self = std::this_thread::get_id()] {
            if (std::this_thread::get_id() == self) {
                ++flushesHere;
                return;
            }
            std::error_code missing;
            if (std::filesystem::file_size(dir.file(partial), missing) != body.size())
                return;
            std::unique_lock lock(mutex);
            ++flushes;
            flushing = true;
            changed.wait_for(lock, 10s, [&] { return pumpsWhileFlushing >= 5 || stopped; });
            flushing = false;
        }};
        onPump = [&] {
            std::lock_guard lock(mutex);
            if (!flushing)
                return;
            ++pumpsWhileFlushing;
            stopped = c.stop;
            changed.notify_all();
            if (stopped)
                throw StopRequest();
        };
        {
            ScopedFileFaults held(faults);
            if (c.stop)
                EXPECT_THROW(fetch(server, "200000"), StopRequest);
            else
                EXPECT_EQ(fetch(server, "200000"), Fetched::Whole);
        }
        onPump = nullptr;
        EXPECT_EQ(flushesHere, 0);
        EXPECT_GE(flushes, 1);
        EXPECT_EQ(pumpsWhileFlushing, c.stop ? 1 : 5);
        EXPECT_EQ(folderNames(), c.left);
        if (!c.left.empty()) {
            EXPECT_EQ(ReadFile(dir.file(c.left.front())), body);
        }
        std::filesystem::remove(target);
        PartialDownload(target).remove();
    }
}

// Guards bytes kept for a resume being lost to a clean-up, or kept for
// ever: the clean-up of stale temporaries leaves them, no listed name
// takes their shape, a whole list removes those of the files it no longer
// holds, and nothing else; a name FAT refuses gets a partial FAT takes.
TEST(PartialDownloadTest, KeptUntilNoLongerListed)
{
    TempDir dir;
    const std::vector<std::string> files{".vexorama-partial-a.avi", ".vexorama-resume-a.avi", ".vexorama-partial-b.avi",
                                         ".vexorama-resume-b.avi",  ".vexorama-save",         "b.avi"};
    for (const std::string& name : files)
        WriteFile(dir.file(name), "bytes");
    RemoveStaleTemporaries(dir.path());
    EXPECT_EQ(test::FolderNames(dir.path()).size(), files.size());
    EXPECT_EQ(NameFromOutside(".vexorama-partial-a.avi"), "_vexorama-partial-a.avi");
    EXPECT_EQ(NameFromOutside(".vexorama-resume-a.avi"), "_vexorama-resume-a.avi");

    RemovePartialsExcept(dir.path(), {"a.avi"});
    EXPECT_EQ(
        test::FolderNames(dir.path()),
        (std::vector<std::string>{".vexorama-partial-a.avi", ".vexorama-resume-a.avi", ".vexorama-save", "b.avi"}));
    EXPECT_EQ(PartialDownload(dir.file("a:b.avi")).dataPath(), dir.file(".vexorama-partial-a_b.avi"));
    const PartialDownload partial(dir.file("a.avi"));
    partial.record("http://h/files/1", "5", "\"v1\"");
    ASSERT_TRUE(partial.kept("http://h/files/1", "5"));
    EXPECT_EQ(partial.kept("http://h/files/1", "5")->bytes, 5);
    EXPECT_FALSE(partial.kept("http://h/files/2", "5"));
    EXPECT_FALSE(partial.kept("http://h/files/1", "6"));
}

// Guards the progress display: bar, "Скачано ... из ...", tray hint, pump.
TEST(FetchProgressTest, ShowsTheProgressOfTheFetch)
{
    test::FakeViews ops;
    Session session;
    session.setCaption("Vexorama");
    Downloader d{session, ops, ops, ops, ops};
    d.countArrival();
    d.countArrival();
    d.showFetchProgress();
    EXPECT_EQ(ops.fetchStatus, "Скачано 0 б из 0 б");
    EXPECT_EQ(ops.trayHint, "Vexorama\nЗа сеанс: 2");
    EXPECT_EQ(ops.pumps, 1);

    ShowFetchProgress(ops, {524288, 3145728});
    EXPECT_EQ(ops.fetchStatus, "Скачано 512 Кб из 3 Мб");
    EXPECT_EQ(ops.fetchTotal, 3145728);
    EXPECT_EQ(ops.fetched, 524288);
    ShowFetchProgress(ops, {1572864, 3145728});
    EXPECT_EQ(ops.fetchStatus, "Скачано 1 Мб из 3 Мб");
}

} // namespace
} // namespace vexo
