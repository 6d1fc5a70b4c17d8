// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-server in-process on ephemeral loopback ports, driven over real
// sockets the way the client drives it.
#include "decoder/container_format.h"
#include "decoder/encoded_file.h"
#include "server/server_options.h"
#include "server/vexo_server.h"
#include "tests/decoder/folder_scan_decode.h"
#include "tests/server/loopback_client.h"
#include "tests/server/server_fixture.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

namespace vexo::server {
namespace {

using test::HttpGet;
using test::HttpPostFile;
using test::ReadFile;
using test::TcpExchange;
using test::WriteFile;

struct Listed {
    std::string name; // Windows-1251, as sent
    std::string url;
    std::string removalReference;
    std::string size;

    bool operator==(const Listed&) const = default;
};

// Bytes that differ from position to position.
std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

class ServerTest : public test::ServerFixture {
protected:
    std::string host() const { return "127.0.0.1:" + std::to_string(server->httpPort()); }

    // The files of an accepted listing; fails the test on any other answer.
    std::vector<Listed> list()
    {
        const std::string answer = ask();
        std::vector<std::string> lines;
        std::istringstream in(answer);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        EXPECT_TRUE(answer.ends_with("\n=END=\n")) << answer;
        EXPECT_TRUE(lines.size() >= 2 && lines.front() == "connected" && (lines.size() - 2) % 4 == 0) << answer;
        std::vector<Listed> files;
        for (std::size_t i = 1; i + 4 < lines.size(); i += 4)
            files.push_back({lines[i], lines[i + 1], lines[i + 2], lines[i + 3]});
        return files;
    }

    test::HttpReply get(const std::string& target) { return HttpGet(server->httpPort(), target); }

    test::HttpReply download(const Listed& file)
    {
        const std::string prefix = "http://" + host();
        EXPECT_TRUE(file.url.starts_with(prefix)) << file.url;
        return get(file.url.substr(prefix.size()));
    }
};

// Guards the listing's wire bytes: line order, bare line feeds, Windows-1251 names, addresses on the public host.
TEST_F(ServerTest, ListsTwoFilesWithExactBytes)
{
    WriteFile(folder + "/a.txt", "abc");
    WriteFile(folder + "/Фото дня.txt", std::string(1000, 'x'));
    start();

    const std::string answer = ask();
    const std::regex shape("connected\n"
                           "a\\.txt\n"
                           "http://127\\.0\\.0\\.1:(\\d+)/files/([0-9a-f]{16})\n"
                           "del\\.php\\?f=\\2\n"
                           "3\n"
                           "\xD4\xEE\xF2\xEE \xE4\xED\xFF\\.txt\n"
                           "http://127\\.0\\.0\\.1:\\1/files/([0-9a-f]{16})\n"
                           "del\\.php\\?f=\\3\n"
                           "1000\n"
                           "=END=\n");
    std::smatch parts;
    ASSERT_TRUE(std::regex_match(answer, parts, shape)) << answer;
    EXPECT_EQ(std::stoi(parts[1]), server->httpPort());
    EXPECT_NE(parts[2], parts[3]);

    const auto files = list();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(download(files[0]).body, "abc");
    EXPECT_EQ(download(files[1]).body, std::string(1000, 'x'));
}

// Guards a request line split over several packets, and one without the trailing CR LF, being refused or cut.
TEST_F(ServerTest, RequestLineMayArriveInPiecesOrWithoutItsTail)
{
    WriteFile(folder + "/a.txt", "abc");
    start();
    const std::string whole = ask();
    ASSERT_TRUE(whole.starts_with("connected\na.txt\n"));
    EXPECT_EQ(TcpExchange(server->tcpPort(), {"test:de", "mo:is_fi", "les\n", "\r\n"}), whole);
    EXPECT_EQ(TcpExchange(server->tcpPort(), {"test:demo:is_files\n"}), whole);
}

// Guards a wrong password, a wrong login or a malformed request getting a listing.
TEST_F(ServerTest, WrongLoginOrPasswordGetsErrorOnly)
{
    WriteFile(folder + "/a.txt", "abc");
    start();
    EXPECT_EQ(ask("test:wrong:is_files\n\r\n"), "error\n");
    EXPECT_EQ(ask("other:demo:is_files\n\r\n"), "error\n");
    EXPECT_EQ(ask("test:demo\n\r\n"), "error\n");
    EXPECT_EQ(ask("garbage\n"), "error\n");
}

// Guards the split rule: the login ends at the first ":", the password may hold ":"; and a Windows-1251 password.
TEST_F(ServerTest, PasswordMayHoldColonsAndCyrillic)
{
    ServerOptions options;
    options.password = "па:роль";
    start(options);
    EXPECT_EQ(ask("test:\xEF\xE0:\xF0\xEE\xEB\xFC:is_files\n\r\n"), "connected\n=END=\n");
    EXPECT_EQ(ask("test:па:роль:is_files\n\r\n"), "error\n"); // UTF-8 bytes are not the password
}

// Guards a request line that never ends tying the server up or getting a listing.
TEST_F(ServerTest, OverlongRequestLineIsRefused)
{
    start();
    EXPECT_EQ(TcpExchange(server->tcpPort(), {std::string(10000, 'x') + ":test:demo:is_files\n"}), "error\n");
    EXPECT_EQ(ask(), "connected\n=END=\n");
}

// Guards removal (with and without "&close=1") not deleting the file, so that the next listing would hold it again.
TEST_F(ServerTest, RemovalDeletesTheFileFromTheNextListing)
{
    WriteFile(folder + "/a.txt", "a");
    WriteFile(folder + "/b.txt", "b");
    WriteFile(folder + "/c.txt", "c");
    start();
    const auto files = list();
    ASSERT_EQ(files.size(), 3u);

    const auto plain = get("/uploader/" + files[0].removalReference);
    EXPECT_EQ(plain.status, 200);
    EXPECT_NE(plain.body.find("a.txt"), std::string::npos);
    EXPECT_EQ(plain.body.find("window.close()"), std::string::npos);
    EXPECT_NE(plain.headers.find("charset=utf-8"), std::string::npos);

    const auto closing = get("/uploader/" + files[1].removalReference + "&close=1");
    EXPECT_EQ(closing.status, 200);
    EXPECT_NE(closing.body.find("window.close()"), std::string::npos);

    const auto rest = list();
    ASSERT_EQ(rest.size(), 1u);
    EXPECT_EQ(rest[0].name, "c.txt");
    EXPECT_FALSE(test::FileExists(folder + "/a.txt"));
    EXPECT_FALSE(test::FileExists(folder + "/b.txt"));

    const auto again = get("/uploader/" + files[0].removalReference + "&close=1");
    EXPECT_EQ(again.status, 404);
    EXPECT_NE(again.body.find("window.close()"), std::string::npos);
    EXPECT_EQ(download(files[0]).status, 404);
}

// The value of the header `name` in a header block, empty without one.
std::string HeaderValue(const std::string& headers, const std::string& name)
{
    const std::size_t at = headers.find("\r\n" + name + ": ");
    if (at == std::string::npos)
        return "";
    const std::size_t start = at + name.size() + 4;
    return headers.substr(start, headers.find("\r\n", start) - start);
}

// Guards a resumed download getting other bytes than it asked for: one
// range is served (206 and its Content-Range, clamped to the file's end),
// a range that starts past the end is refused (416), and a range under a
// validator of another version, or several ranges, get the whole file.
// Every download names its validators, a file rewritten gets a new ETag,
// and the log says which part was asked and sent.
TEST_F(ServerTest, DownloadsServeTheRangeAsked)
{
    const std::string body = Pattern(1000);
    WriteFile(folder + "/clip.avi", body);
    start();
    const auto files = list();
    ASSERT_EQ(files.size(), 1u);
    const std::string target = files[0].url.substr(("http://" + host()).size());
    const auto whole = get(target);
    ASSERT_EQ(whole.status, 200);
    EXPECT_EQ(whole.body, body);
    const std::string tag = HeaderValue(whole.headers, "ETag");
    const std::string date = HeaderValue(whole.headers, "Last-Modified");
    ASSERT_TRUE(tag.size() > 2 && tag.front() == '"' && tag.back() == '"') << whole.headers;
    ASSERT_TRUE(date.ends_with(" GMT")) << whole.headers;

    const struct {
        std::string headers;
        int status;
        std::size_t first, size; // of the body expected
        std::string contentRange;
    } cases[] = {
        {"Range: bytes=100-\r\n", 206, 100, 900, "bytes 100-999/1000"},
        {"Range: bytes=100-199\r\n", 206, 100, 100, "bytes 100-199/1000"},
        {"Range: bytes=-10\r\n", 206, 990, 10, "bytes 990-999/1000"},
        {"Range: bytes=900-5000\r\n", 206, 900, 100, "bytes 900-999/1000"},
        {"Range: bytes=100-\r\nIf-Range: " + tag + "\r\n", 206, 100, 900, "bytes 100-999/1000"},
        {"Range: bytes=100-\r\nIf-Range: " + date + "\r\n", 206, 100, 900, "bytes 100-999/1000"},
        {"Range: bytes=100-\r\nIf-Range: \"stale\"\r\n", 200, 0, 1000, ""},
        {"Range: bytes=0-1,5-6\r\n", 200, 0, 1000, ""},
        {"Range: bytes=1000-\r\n", 416, 0, 0, "bytes */1000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.headers);
        const auto reply = test::HttpGet(server->httpPort(), target, c.headers);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(HeaderValue(reply.headers, "Content-Range"), c.contentRange);
        if (c.status != 416) {
            EXPECT_EQ(reply.body, body.substr(c.first, c.size));
        }
    }

    WriteFile(folder + "/clip.avi", Pattern(999) + "x");
    EXPECT_NE(HeaderValue(get(target).headers, "ETag"), tag);
    server->stop();
    EXPECT_NE(log.str().find(target + " 206 100 bytes, asked bytes=100-199, sent bytes 100-199/1000\n"),
              std::string::npos)
        << log.str();
}

// Guards an unknown address answering anything but 404, and names from a request reaching outside the folder.
TEST_F(ServerTest, UnknownAndEscapingNamesAreRefused)
{
    WriteFile(dir.file("outside.txt"), "secret");
    WriteFile(folder + "/a.txt", "a");
    start();

    EXPECT_EQ(get("/files/0123456789abcdef").status, 404);
    EXPECT_EQ(get("/nothing/here").status, 404);
    for (const char* target : {"/files/../outside.txt", "/files/..%2Foutside.txt", "/files/%2E%2E/outside.txt",
                               "/files/..%2F..%2Faccount%2Fa.txt"}) {
        const auto reply = get(target);
        EXPECT_EQ(reply.status, 404) << target;
        EXPECT_EQ(reply.body.find("secret"), std::string::npos) << target;
    }
    EXPECT_EQ(get("/uploader/del.php?f=../outside.txt").status, 404);
    EXPECT_EQ(get("/uploader/del.php?f=a.txt").status, 404);
    EXPECT_TRUE(test::FileExists(dir.file("outside.txt")));
    EXPECT_TRUE(test::FileExists(folder + "/a.txt"));

    for (const char* name : {"../escaped.txt", "..", "sub/x.txt", "..\\x.txt"})
        EXPECT_EQ(HttpPostFile(server->httpPort(), "/uploader/upload.php", name, "evil").status, 400) << name;
    EXPECT_FALSE(test::FileExists(dir.file("escaped.txt")));
    EXPECT_EQ(list().size(), 1u);
}

// Guards an upload not landing in the folder, landing half-written, or replacing a waiting file.
TEST_F(ServerTest, UploadedFileWaitsForTheNextListing)
{
    start();
    const auto page = get("/uploader/enter.php?simple=1");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("multipart/form-data"), std::string::npos);

    const std::string content = Pattern(300000);
    EXPECT_EQ(HttpPostFile(server->httpPort(), "/uploader/upload.php", "клип.avi", content).status, 200);
    const auto files = list();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name, "\xEA\xEB\xE8\xEF.avi");
    EXPECT_EQ(files[0].size, "300000");
    EXPECT_EQ(download(files[0]).body, content);
    EXPECT_NE(get("/uploader/enter.php?simple=1").body.find("клип.avi"), std::string::npos);

    EXPECT_EQ(HttpPostFile(server->httpPort(), "/uploader/upload.php", "клип.avi", "other").status, 400);
    EXPECT_EQ(ReadFile(folder + "/клип.avi"), content);
}

// Guards the encoded hand-out: listed size unequal to the download, a container that does not decode back, or
// keys and leading bytes that change between listing and download.
TEST_F(ServerTest, WrappedFileDecodesBackByteForByte)
{
    const std::string plain = Pattern(200000);
    WriteFile(folder + "/видео.mpg", plain);
    WriteFile(folder + "/фото.png", Pattern(50000));
    ServerOptions options;
    options.wrapGlobs = {"*.MPG", "*.png"};
    start(options);

    const auto files = list();
    ASSERT_EQ(files.size(), 2u);
    const auto video =
        std::find_if(files.begin(), files.end(), [](const Listed& f) { return f.name.ends_with(".avi"); });
    ASSERT_NE(video, files.end());
    EXPECT_TRUE(std::regex_match(video->name, std::regex("[0-9a-f]{16}\\.avi")));
    EXPECT_EQ(std::count_if(files.begin(), files.end(), [](const Listed& f) { return f.name.ends_with(".jpg"); }), 1);

    const auto reply = download(*video);
    ASSERT_EQ(reply.status, 200);
    const std::string& container = reply.body;
    EXPECT_EQ(std::to_string(container.size()), video->size);
    EXPECT_EQ(download(*video).body, container);
    EXPECT_EQ(list(), files);

    const auto fileSize = static_cast<std::int64_t>(container.size());
    const auto trailer = ParseTrailer(std::string_view(container).substr(container.size() - kTrailerSize), fileSize);
    ASSERT_TRUE(trailer);
    EXPECT_EQ(trailer->storedName, "\xE2\xE8\xE4\xE5\xEE.mpg");
    EXPECT_EQ(RealNameFromStored(trailer->storedName, true), "видео.mpg");
    EXPECT_LE(trailer->dataOffset, 4096);
    ASSERT_EQ(fileSize - trailer->dataOffset - kTrailerSize, static_cast<std::int64_t>(plain.size()));
    std::string decoded = container.substr(static_cast<std::size_t>(trailer->dataOffset), plain.size());
    XorBlock(reinterpret_cast<unsigned char*>(decoded.data()), decoded.size(), trailer->key);
    EXPECT_EQ(decoded, plain);
}

// Guards a small file handed out as a container under 35,200 bytes, which the client's folder scan passes over
// without a word: it is padded with leading bytes, its listed size is what the download delivers, and the client's
// decoder turns it back into the plain bytes.
TEST_F(ServerTest, SmallWrappedFileReachesTheSizeTheFolderScanTakes)
{
    WriteFile(folder + "/tiny.avi", "ten bytes!");
    ServerOptions options;
    options.wrapGlobs = {"*.avi"};
    start(options);
    const auto files = list();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(std::stoll(files[0].size), kMinimumContainerSize);

    const auto reply = download(files[0]);
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(std::to_string(reply.body.size()), files[0].size);
    const test::TempDir inbox;
    WriteFile(inbox.file(files[0].name), reply.body);
    EXPECT_EQ(test::DecodeTheOneContainerFound(inbox.path()), "ten bytes!");
    EXPECT_NE(std::string(kServerUsage).find("35,200 bytes"), std::string::npos);
}

// Guards a name the trailer cannot carry (under 3 or over 128 bytes) being wrapped into an unreadable container.
TEST_F(ServerTest, NamesTooShortOrLongForTheTrailerAreHandedOutPlain)
{
    WriteFile(folder + "/ab", "short");
    WriteFile(folder + "/" + std::string(125, 'n') + ".avi", "long");
    ServerOptions options;
    options.wrapGlobs = {"*"};
    start(options);
    const auto files = list();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "ab");
    EXPECT_EQ(download(files[0]).body, "short");
    EXPECT_EQ(files[1].name, std::string(125, 'n') + ".avi");
    EXPECT_EQ(download(files[1]).body, "long");
}

// Guards the demo filling a folder that holds files, or not offering an encoded file big enough for the client.
TEST_F(ServerTest, DemoFillsOnlyAnEmptyFolder)
{
    ServerOptions options;
    options.demo = true;
    start(options);
    const auto files = list();
    ASSERT_GE(files.size(), 5u);
    const auto wrapped =
        std::find_if(files.begin(), files.end(), [](const Listed& f) { return f.name.ends_with(".jpg"); });
    ASSERT_NE(wrapped, files.end());
    EXPECT_GE(std::stoll(wrapped->size), 35200);
    EXPECT_EQ(std::count_if(files.begin(), files.end(), [](const Listed& f) { return f.name.ends_with(".ab"); }), 1);
    server->stop();

    ASSERT_EQ(::unlink((folder + "/readme.txt").c_str()), 0);
    start(options);
    EXPECT_EQ(list().size(), files.size() - 1);
}

// Guards log lines without their time stamps, and the text of the first line changing behind its stamp
// (scripts read the ports from it).
TEST_F(ServerTest, LogLinesStartWithTimeStamps)
{
    WriteFile(folder + "/a.txt", "a");
    start();
    EXPECT_EQ(list().size(), 1u);
    EXPECT_EQ(get("/nothing/here").status, 404);
    server->stop();

    std::vector<std::string> lines;
    std::istringstream in(log.str());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_GE(lines.size(), 4u) << log.str();
    const std::string stamp = "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} ";
    for (const auto& line : lines)
        EXPECT_TRUE(std::regex_match(line, std::regex(stamp + "\\S.*"))) << line;
    std::smatch ports;
    ASSERT_TRUE(std::regex_match(lines.front(), ports,
                                 std::regex(stamp
                                            + "listing on 127\\.0\\.0\\.1:(\\d+), web site on 127\\.0\\.0\\.1:(\\d+), "
                                              "addresses http://127\\.0\\.0\\.1:\\2/, folder .+")))
        << lines.front();
    EXPECT_EQ(std::stoi(ports[1]), server->tcpPort());
    EXPECT_EQ(std::stoi(ports[2]), server->httpPort());
}

// Guards the start-up log not saying what to enter in the settings dialog, or
// naming a "Сервер:" without the web port, so that removals went to port 80.
TEST_F(ServerTest, LogSaysWhatToEnterInTheSettings)
{
    WriteFile(folder + "/a.txt", "a");
    start();
    const std::regex said("\\d{4}-\\d\\d-\\d\\d [\\d:.]+ in Vexorama's settings enter Сервер: ([^ ]+)  Порт: (\\d+)\n");
    std::istringstream in(log.str());
    std::string line;
    std::getline(in, line); // the line with the ports, unchanged
    std::getline(in, line);
    std::smatch fields;
    const std::string second = line + "\n";
    ASSERT_TRUE(std::regex_match(second, fields, said)) << log.str();
    EXPECT_EQ(fields[1].str(), host());
    EXPECT_EQ(std::stoi(fields[2].str()), server->tcpPort());

    // What the client builds from those fields reaches the server: the listing
    // on the host part and "Порт:", the removal on the whole "Сервер:".
    const std::string serverField = fields[1].str();
    const auto colon = serverField.rfind(':');
    ASSERT_EQ(serverField.substr(0, colon), "127.0.0.1");
    const auto files = list();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(HttpGet(std::stoi(serverField.substr(colon + 1)), "/uploader/" + files[0].removalReference).status, 200);
    EXPECT_TRUE(list().empty());

    server->stop();
    log.str("");
    ServerOptions behindAProxy;
    behindAProxy.publicHost = "files.example.org";
    start(behindAProxy);
    EXPECT_NE(log.str().find(" in Vexorama's settings enter Сервер: files.example.org  Порт: "
                             + std::to_string(server->tcpPort()) + "\n"),
              std::string::npos)
        << log.str();
}

// Guards stop() hanging on an idle client or leaving either port open.
TEST_F(ServerTest, StopsCleanlyWithAClientConnected)
{
    start();
    const int tcpPort = server->tcpPort();
    const int httpPort = server->httpPort();
    test::IdleConnection idleListing(tcpPort);
    test::IdleConnection idleWeb(httpPort);
    ASSERT_TRUE(idleListing.connected() && idleWeb.connected());
    server->stop();
    EXPECT_FALSE(test::Accepts(tcpPort));
    EXPECT_FALSE(test::Accepts(httpPort));
    EXPECT_TRUE(log.str().ends_with("stopped\n"));
}

} // namespace
} // namespace vexo::server
