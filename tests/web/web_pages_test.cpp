// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/service_address.h"
#include "tests/support/fake_views.h"
#include "web/web_pages.h"
#include "web/web_pages_view.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vexo {
namespace {

// Web views that take every address at once and report it back, unless
// the test says the view shows something else.
class FakeWebViews : public WebPagesView {
public:
    std::vector<std::pair<WebPage, std::string>> navigations;
    std::map<WebPage, std::string> shown;

    void load(WebPage page, const std::string& url) override
    {
        navigations.emplace_back(page, url);
        shown[page] = url;
    }
    std::string address(WebPage view) const override
    {
        const auto found = shown.find(view);
        return found == shown.end() ? std::string() : found->second;
    }
    void whenRemovalLoaded(std::function<void(const std::string&, bool)>) override {}
};

const std::string kSite = kServiceSite;

// Guards: the upload page built from a stale host, or loaded only on the first showing.
TEST(WebPagesTest, UploadTabReloadsItsPageFromTheHostConfiguredAtEachShowing)
{
    FakeWebViews views;
    std::string host = "files.example.org";
    UploadTabShown(host, views);
    UploadTabShown(host, views);
    host = "127.0.0.1:8080"; // as the settings dialog's OK sets it
    UploadTabShown(host, views);

    ASSERT_EQ(views.navigations.size(), 3u);
    EXPECT_EQ(
        views.navigations[0],
        std::make_pair(WebPage::UploadManagement, std::string("http://files.example.org/uploader/enter.php?simple=1")));
    EXPECT_EQ(views.navigations[1], views.navigations[0]);
    EXPECT_EQ(views.navigations[2].second, "http://127.0.0.1:8080/uploader/enter.php?simple=1");
}

// Guards: an empty host (the default) crashing or being replaced by something else.
TEST(WebPagesTest, UploadAddressKeepsAnEmptyHostEmpty)
{
    EXPECT_EQ(UploadManagementAddress(""), "http:///uploader/enter.php?simple=1");
}

// Guards: the news tab not loading the news page afresh on each showing.
TEST(WebPagesTest, NewsTabLoadsTheNewsPageOnEveryShowing)
{
    FakeWebViews views;
    NewsTabShown(views);
    views.shown[WebPage::News] = kSite + "/index/0-9";
    NewsTabShown(views);
    ASSERT_EQ(views.navigations.size(), 2u);
    for (const auto& [view, url] : views.navigations) {
        EXPECT_EQ(view, WebPage::News);
        EXPECT_EQ(url, kSite + "/index/0-8");
    }
}

// Guards: "Подробнее" matching the news address loosely (case, trailing "/", redirect) or not toggling back.
TEST(WebPagesTest, MoreLeadsFromTheExactNewsAddressToDetailsAndFromAnywhereElseToNews)
{
    const std::string news = kSite + "/index/0-8";
    const std::string detail = kSite + "/index/0-9";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {news, detail},
        {detail, news},
        {kSite + "/", news},              // a link followed inside the view
        {news + "/", news},               // the same page in another form
        {kSite + "/INDEX/0-8", news},     // case counts
        {kSite + "/index/0-8?r=1", news}, // a redirect's new address
        {"", news},                       // nothing loaded yet
    };
    for (const auto& [location, expected] : cases) {
        FakeWebViews views;
        views.shown[WebPage::News] = location;
        ToggleNewsDetail(views);
        ASSERT_EQ(views.navigations.size(), 1u);
        EXPECT_EQ(views.navigations[0], std::make_pair(WebPage::News, expected)) << location;
    }
}

// Guards: "Откр. Сайт" opening anything but the site's start address.
TEST(WebPagesTest, SiteButtonOpensTheSiteInTheBrowser)
{
    test::FakeViews ops;
    OpenServiceSite(ops);
    EXPECT_EQ(ops.opened, std::vector<std::string>{kSite});
}

} // namespace
} // namespace vexo
