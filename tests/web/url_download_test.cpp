// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/working_folder.h"
#include "tests/support/fake_views.h"
#include "tests/support/script_server.h"
#include "tests/support/temp_dir.h"
#include "web/url_download.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace vexo {
namespace {

using test::FakeViews;
using test::FileExists;
using test::HttpAnswer;
using test::ReadFile;
using test::ScriptServer;
using test::TempDir;
using test::WriteFile;

class UrlDownloadTest : public ::testing::Test {
protected:
    TempDir folder;
    WorkingFolder workingFolder;
    FakeViews ops;

    void SetUp() override { workingFolder.choose(folder.path()); }

    std::string download(const std::string& url)
    {
        DownloadTypedAddress(workingFolder, url, ops, ops);
        return ops.status;
    }
    std::size_t filesInFolder() const
    {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator()));
    }
};

// Guards: "Download" starting no transfer, or saving anywhere but the working folder under the address's name.
TEST_F(UrlDownloadTest, FetchesTheTypedAddressIntoTheWorkingFolder)
{
    ScriptServer server(HttpAnswer("200 OK", "picture bytes"));
    const std::string status =
        download("  http://127.0.0.1:" + std::to_string(server.port()) + "/files/clip.avi?x=1  ");
    EXPECT_EQ(ReadFile(folder.file("clip.avi")), "picture bytes");
    EXPECT_EQ(status, "Сохранено: " + folder.file("clip.avi"));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].rfind("GET /files/clip.avi?x=1 HTTP/1.1\r\n", 0), 0u);
}

// Guards: a manual download silently replacing a file of the same name.
TEST_F(UrlDownloadTest, KeepsAFileOfTheSameNameAndSavesBesideIt)
{
    WriteFile(folder.file("clip.avi"), "mine");
    ScriptServer server(HttpAnswer("200 OK", "new"));
    download("http://127.0.0.1:" + std::to_string(server.port()) + "/clip.avi");
    EXPECT_EQ(ReadFile(folder.file("clip.avi")), "mine");
    EXPECT_EQ(ReadFile(folder.file("clip (2).avi")), "new");
}

// Guards: a failed fetch reported as success or leaving a partial file.
TEST_F(UrlDownloadTest, AFailedFetchIsAnErrorAndLeavesNothing)
{
    ScriptServer server("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\nConnection: close\r\n\r\ngone");
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/missing.jpg";
    try {
        download(url);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Не удалось скачать " + url);
    }
    EXPECT_EQ(filesInFolder(), 0u);
}

// Guards: an empty address box sent off as a request.
TEST_F(UrlDownloadTest, AnEmptyAddressIsRefusedWithAClearText)
{
    EXPECT_THROW(
        {
            try {
                download("   ");
            } catch (const std::runtime_error& error) {
                EXPECT_EQ(std::string(error.what()), "Введите адрес в поле Url");
                throw;
            }
        },
        std::runtime_error);
    EXPECT_EQ(filesInFolder(), 0u);
}

// Guards: names taken from a query, fragment or host, names that leave the
// folder, or names the program's own hidden files have.
TEST(UrlFileNameTest, TakesTheLastPathSegmentAndFallsBackForNamesThatAreNoPlainFile)
{
    EXPECT_EQ(UrlFileName("http://h/a/b/photo.jpg"), "photo.jpg");
    EXPECT_EQ(UrlFileName("http://h/a/photo.jpg?size=big#top"), "photo.jpg");
    EXPECT_EQ(UrlFileName("http://h/a/my%20photo.jpg"), "my photo.jpg");
    EXPECT_EQ(UrlFileName("http://h/a/"), "index.html");
    EXPECT_EQ(UrlFileName("http://h"), "index.html");
    EXPECT_EQ(UrlFileName("http://h/?file=x.jpg"), "index.html");
    EXPECT_EQ(UrlFileName("http://h/a/.."), "index.html");
    EXPECT_EQ(UrlFileName("http://h/a/..%2F..%2Fetc%2Fpasswd"), "index.html");
    EXPECT_EQ(UrlFileName("http://h/a/%2e%2e"), "index.html");
    EXPECT_EQ(UrlFileName("http://h/a/.vexorama-partial-clip.avi"), "_vexorama-partial-clip.avi");
}

} // namespace
} // namespace vexo
