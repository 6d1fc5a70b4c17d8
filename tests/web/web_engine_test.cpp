// SPDX-License-Identifier: GPL-3.0-or-later
// The web pages in a real web engine view, against vexo-server on loopback.
#include "app/form_names.h"
#include "app/main_window.h"
#include "app/server_settings_dialog.h"
#include "app/status_bar.h"
#include "app/web_bindings.h"
#include "base/service_address.h"
#include "base/settings_store.h"
#include "downloader/downloader.h"
#include "tests/display_support/display_test.h"
#include "tests/support/script_server.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

namespace vexo {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::TempDir;

// vexo-server on one HTTP port (0: any free one), its account folder empty.
struct Service {
    TempDir folder;
    std::unique_ptr<ChildProcess> process;
    int port = 0;

    explicit Service(int httpPort)
    {
        process = std::make_unique<ChildProcess>(
            test::BuildProgram(QStringLiteral("vexo-server")),
            QStringList{QStringLiteral("--folder"), QString::fromStdString(folder.path()), QStringLiteral("--tcp-port"),
                        QStringLiteral("0"), QStringLiteral("--http-port"), QString::number(httpPort)});
        const QRegularExpression site(QStringLiteral("web site on 127\\.0\\.0\\.1:(\\d+)"));
        test::WaitUntil([&] { return site.match(process->output()).hasMatch() || !process->running(); }, 10s);
        const QRegularExpressionMatch found = site.match(process->output());
        if (found.hasMatch())
            port = found.captured(1).toInt();
    }
    bool up() const { return port != 0; }
    std::string host() const { return "127.0.0.1:" + std::to_string(port); }
};

bool EngineLoadedInThisProcess()
{
    std::ifstream maps("/proc/self/maps");
    const std::string text((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
    return text.find("libQt6WebEngineCore") != std::string::npos;
}

class WebEngineTest : public ::testing::Test {
protected:
    TempDir programFolder;
    std::unique_ptr<MainWindow> window;
    MainWindowControls* c = nullptr;

    void SetUp() override
    {
        if (!test::HasRealDisplay())
            VEXO_SKIP_OR_FAIL() << "needs an X display (run under xvfb-run)";
        if (!QFile::exists(test::BuildProgram(QStringLiteral("vexorama_web.so"))))
            VEXO_SKIP_OR_FAIL() << "the web engine module was not built (qt6-webengine-dev missing)";
        window = std::make_unique<MainWindow>(programFolder.path() + "/vexorama", CommandLine{});
        c = &window->controls();
        window->showCentred();
    }

    // "Сервер:" changed in the settings dialog and confirmed with OK.
    void setServerInTheSettings(const std::string& host)
    {
        c->serverSettingsButton->click();
        auto* form = window->findChild<ServerSettingsDialog*>(QStringLiteral("SettingForm"));
        ASSERT_NE(form, nullptr);
        form->controls().serverField->setText(QString::fromStdString(host));
        form->controls().okButton->click();
        ASSERT_FALSE(form->isVisible());
    }

    QWidget* view(QWidget* holder, WebPage page) const { return holder->findChild<QWidget*>(PageViewName(page)); }

    // Waits until the view shows `url` with the page title `title`.
    static bool Shows(QWidget* view, const std::string& url, const char* title)
    {
        return test::WaitUntil(
            [&] {
                return view && view->property("url").toUrl().toString().toStdString() == url
                       && view->property("title").toString() == QString::fromUtf8(title);
            },
            60s);
    }
};

// Guards: news not loading in the view, "Подробнее" not switching to "/index/0-9", or not switching back.
TEST_F(WebEngineTest, NewsPageLoadsAndMoreSwitchesToTheDetailPageAndBack)
{
    const QUrl site(QString::fromUtf8(kServiceSite));
    if (site.host() != QLatin1String("127.0.0.1"))
        VEXO_SKIP_OR_FAIL() << "the site is not on loopback in this build: " << kServiceSite;
    Service service(site.port(80));
    if (!service.up())
        VEXO_SKIP_OR_FAIL() << "port " << site.port(80) << " of the site is taken; vexo-server could not start there";

    EXPECT_FALSE(EngineLoadedInThisProcess());
    c->tabs->setCurrentWidget(c->newsTab);
    EXPECT_TRUE(EngineLoadedInThisProcess());
    QWidget* news = view(c->newsHolder, WebPage::News);
    ASSERT_NE(news, nullptr);
    const std::string site08 = std::string(kServiceSite) + "/index/0-8";
    const std::string site09 = std::string(kServiceSite) + "/index/0-9";
    ASSERT_TRUE(Shows(news, site08, "Новости"));

    c->moreButton->click();
    EXPECT_TRUE(Shows(news, site09, "Подробнее"));
    c->moreButton->click();
    EXPECT_TRUE(Shows(news, site08, "Новости"));
}

// Guards: the upload page built from a stale host after the settings change it.
TEST_F(WebEngineTest, UploadPageFollowsAHostChangeMadeInTheSettings)
{
    Service first(0), second(0);
    ASSERT_TRUE(first.up() && second.up());

    setServerInTheSettings(first.host());
    c->tabs->setCurrentWidget(c->uploadTab);
    QWidget* upload = view(c->uploadTab, WebPage::UploadManagement);
    ASSERT_NE(upload, nullptr);
    EXPECT_TRUE(Shows(upload, "http://" + first.host() + "/uploader/enter.php?simple=1", "Управление закачкой"));

    c->tabs->setCurrentWidget(c->decoderTab);
    setServerInTheSettings(second.host());
    c->tabs->setCurrentWidget(c->uploadTab);
    EXPECT_TRUE(Shows(upload, "http://" + second.host() + "/uploader/enter.php?simple=1", "Управление закачкой"));
}

// Guards: removals in the background finding no hidden view, or it not loading the address.
TEST_F(WebEngineTest, HiddenViewIsMadeOnFirstUseAndLoadsTheAddress)
{
    Service service(0);
    ASSERT_TRUE(service.up());
    EXPECT_EQ(view(c->removalHolder, WebPage::Removal), nullptr);

    const std::string url = "http://" + service.host() + "/index/0-9";
    window->views().webPages.load(WebPage::Removal, url);
    QWidget* removal = view(c->removalHolder, WebPage::Removal);
    ASSERT_NE(removal, nullptr);
    EXPECT_TRUE(Shows(removal, url, "Подробнее"));
}

// Guards a Windows-1251 removal reference in the background removal: it was
// read as UTF-8 and sent as %EF%BF%BD, so the server never removed the file
// and it was fetched again and again. Its own bytes go out, percent-encoded
// where a URL needs it, as the browser sends them in mode 1.
TEST_F(WebEngineTest, RemovalPageSendsTheReferencesOwnBytes)
{
    test::ScriptServer server("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    window->views().webPages.load(WebPage::Removal, "http://" + host + "/uploader/del.php?f=a b%41&n=\xE9\xF2");
    ASSERT_TRUE(test::WaitUntil([&] { return !server.requests().empty(); }, std::chrono::seconds(20)));
    // "%41" is the letter A, which an address may carry as it is: the engine
    // sends it so, as RFC 3986 allows.
    const std::string request = server.requests().front();
    EXPECT_EQ(request.rfind("GET /uploader/del.php?f=a%20bA&n=%E9%F2 HTTP/1.1\r\n", 0), 0u) << request.substr(0, 120);
}

// Guards the pages' own controls in English ("Choose Files") in a Russian
// window, and pages asked for in the desktop's language: the engine speaks
// Russian, in its interface (the locale a page's script sees) and in every
// request's Accept-Language.
TEST_F(WebEngineTest, EngineSpeaksRussian)
{
    const std::string page = "<script>document.title = Intl.DateTimeFormat().resolvedOptions().locale</script>";
    test::ScriptServer server("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: "
                              + std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
    window->views().webPages.load(WebPage::Removal, "http://127.0.0.1:" + std::to_string(server.port()) + "/");
    ASSERT_TRUE(test::WaitUntil([&] { return !server.requests().empty(); }, 20s));
    const std::string request = server.requests().front();
    const std::string header = "\r\nAccept-Language: ";
    const std::size_t at = request.find(header);
    ASSERT_NE(at, std::string::npos) << request;
    EXPECT_EQ(request.compare(at + header.size(), 2, "ru"), 0) << request.substr(at);

    QWidget* removal = view(c->removalHolder, WebPage::Removal);
    ASSERT_NE(removal, nullptr);
    const auto locale = [removal] { return removal->property("title").toString(); };
    EXPECT_TRUE(test::WaitUntil([&] { return locale().startsWith(QLatin1String("ru")); }, 20s))
        << locale().toStdString();
}

// Guards a removal in the hidden view that did not reach the server (refused,
// or answered with an HTTP error status) passing for done: the file stayed
// on the server without a word. The loads run one after the other; each
// failure is said in the status bar and waits to be tried again, and the
// removal that loaded does not.
TEST_F(WebEngineTest, HiddenRemovalsThatFailToLoadAreToldAndKept)
{
    test::ScriptServer removed("HTTP/1.1 200 OK\r\nContent-Length: 7\r\nConnection: close\r\n\r\nremoved");
    test::ScriptServer missing("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
    window->session().settings().writeInteger("Server", "RemMode", 2);
    // A downloader of the test's own on the window's views, told of the
    // hidden page's loads in place of the window's.
    Views& views = window->views();
    Downloader d(window->session(), views.downloader, views.tray, views.webPages, views.dialogs);
    views.webPages.whenRemovalLoaded(
        [&d](const std::string& address, bool loaded) { d.removalPageLoaded(address, loaded); });
    struct Unbind {
        WebPagesView& pages;
        ~Unbind() { pages.whenRemovalLoaded({}); }
    } unbind{views.webPages};
    const std::vector<std::pair<int, std::string>> removals{{test::RefusingPort(), "del.php?f=refused"},
                                                            {removed.port(), "del.php?f=ok"},
                                                            {missing.port(), "del.php?f=404"}};
    const auto removalFailed = [&d](const std::string& ref) { return d.delivery().removalFailed({"", "", ref, ""}); };
    TaskId download = 0;
    for (const auto& [port, ref] : removals) {
        d.setServerAddress({"127.0.0.1:" + std::to_string(port), "6677"});
        d.delivery().arrived(++download, {ref, "http://h/" + ref, ref, "1"});
        d.queue().append(ServerTask::Removal(download, ref));
        d.runTasks();
    }
    ASSERT_TRUE(test::WaitUntil([&] { return removalFailed("del.php?f=404"); }, 60s))
        << c->statusBar->panelText(0).toStdString();
    EXPECT_TRUE(removalFailed("del.php?f=refused"));
    EXPECT_FALSE(removalFailed("del.php?f=ok"));
    ASSERT_FALSE(removed.requests().empty()); // then the page's icon, perhaps
    EXPECT_EQ(removed.requests().front().rfind("GET /uploader/del.php?f=ok HTTP/1.1\r\n", 0), 0u);
    EXPECT_EQ(c->statusBar->panelText(0).toStdString(),
              "[!] Файл не удалён с сервера (http://127.0.0.1:" + std::to_string(missing.port())
                  + "/uploader/del.php?f=404), повтор при следующей проверке");
}

} // namespace
} // namespace vexo
