// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/web_pages.h"

#include "base/dialogs.h"
#include "base/service_address.h"
#include "web/web_pages_view.h"

namespace vexo {

std::string NewsAddress()
{
    return std::string(kServiceSite) + "/index/0-8";
}

std::string DetailAddress()
{
    return std::string(kServiceSite) + "/index/0-9";
}

std::string UploadManagementAddress(const std::string& serverHost)
{
    return "http://" + serverHost + "/uploader/enter.php?simple=1";
}

void UploadTabShown(const std::string& serverHost, WebPagesView& pages)
{
    pages.load(WebPage::UploadManagement, UploadManagementAddress(serverHost));
}

void NewsTabShown(WebPagesView& pages)
{
    pages.load(WebPage::News, NewsAddress());
}

void ToggleNewsDetail(WebPagesView& pages)
{
    // A whole-string, case-sensitive match: a redirected or otherwise
    // rewritten news address counts as "elsewhere".
    const bool onNews = pages.address(WebPage::News) == NewsAddress();
    pages.load(WebPage::News, onNews ? DetailAddress() : NewsAddress());
}

void OpenServiceSite(Dialogs& dialogs)
{
    dialogs.openExternally(kServiceSite);
}

} // namespace vexo
