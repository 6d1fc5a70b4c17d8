// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "tests/support/temp_dir.h"
#include "web/views/qt_web_views.h"
#include "web/views/web_module_loader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QTabWidget>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace vexo {
namespace {

using test::TempDir;

bool EngineLoadedInThisProcess()
{
    std::ifstream maps("/proc/self/maps");
    const std::string text((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
    return text.find("WebEngine") != std::string::npos || text.find("vexorama_web") != std::string::npos;
}

// Guards: start-up (or the decoder and downloader tabs) paying for the web engine.
TEST(WebViewsTest, NothingOfTheWebEngineLoadsUntilAPageTabIsShown)
{
    TempDir dir;
    MainWindow window(dir.path() + "/vexorama", {});
    window.showCentred();
    window.controls().tabs->setCurrentWidget(window.controls().downloaderTab);
    QApplication::processEvents();

    QtWebViews& views = window.webViews();
    EXPECT_FALSE(views.created(WebPage::UploadManagement));
    EXPECT_FALSE(views.created(WebPage::News));
    EXPECT_FALSE(views.created(WebPage::Removal));
    EXPECT_FALSE(EngineLoadedInThisProcess());
}

// Guards: a missing module crashing the page tabs or leaving them silently blank.
TEST(WebViewsTest, WithoutTheModuleTheTabsSayWhyAndTheHiddenViewReportsIt)
{
    TempDir dir;
    WebModuleLoader loader({QString::fromStdString(dir.path() + "/vexorama_web.so")});
    QWidget upload, news, removal;
    QtWebViews views(loader, {{WebPage::UploadManagement, {&upload, QStringLiteral("upload")}},
                              {WebPage::News, {&news, QStringLiteral("news")}},
                              {WebPage::Removal, {&removal, QStringLiteral("removal")}}});

    views.load(WebPage::News, "http://127.0.0.1:8080/index/0-8");
    views.load(WebPage::News, "http://127.0.0.1:8080/index/0-9");
    const QList<QLabel*> notices = news.findChildren<QLabel*>(QStringLiteral("WebUnavailable"));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices.front()->text().contains(QString::fromUtf8("не найден модуль vexorama_web.so")));
    EXPECT_TRUE(notices.front()->text().contains(QString::fromStdString(dir.path())));
    EXPECT_EQ(views.address(WebPage::News), "");
    EXPECT_FALSE(views.created(WebPage::News));

    try {
        views.load(WebPage::Removal, "http://127.0.0.1:8080/uploader/x");
        ADD_FAILURE() << "no error for the hidden view";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), loader.error());
    }
}

// Guards: a damaged module file being taken for the engine (or crashing the load).
TEST(WebViewsTest, ADamagedModuleIsReportedAsNotLoading)
{
    TempDir dir;
    const std::string path = dir.path() + "/vexorama_web.so";
    std::ofstream(path) << "not a shared object";
    WebModuleLoader loader({QString::fromStdString(path)});
    EXPECT_EQ(loader.engine(), nullptr);
    EXPECT_TRUE(loader.error().contains(QString::fromUtf8("не загружается"))) << loader.error().toStdString();
}

// Guards: the module looked up anywhere but beside the executable and in the installed tree.
TEST(WebViewsTest, ModuleIsLookedUpBesideTheExecutableThenInLibVexorama)
{
    const QString folder = QCoreApplication::applicationDirPath();
    EXPECT_EQ(WebModuleLoader::DefaultCandidates(),
              QStringList({folder + QStringLiteral("/vexorama_web.so"),
                           folder + QStringLiteral("/../lib/vexorama/vexorama_web.so")}));
}

} // namespace
} // namespace vexo
