#include "web/web_pages.h"

#include "base/service_address.h"
#include "base/session.h"
#include "web/web_view_ops.h"
#include "base/window_ops.h"

namespace vexo {

std::string NewsAddress()
{
    return std::string(kServiceSite) + "/index/0-8";
}

std::string DetailAddress()
{
    return std::string(kServiceSite) + "/index/0-9";
}

std::string UploadManagementAddress(const Session& session)
{
    return "http://" + session.client.host + "/uploader/enter.php?simple=1";
}

void TabSheet3Show(const Session& session, WebViewOps& views)
{
    views.navigate(WebView::WebBrow, UploadManagementAddress(session));
}

void NewsSheetShow(WebViewOps& views)
{
    views.navigate(WebView::WebNews, NewsAddress());
}

void MoreClick(WebViewOps& views)
{
    // A whole-string, case-sensitive match: a redirected or otherwise
    // rewritten news address counts as "elsewhere".
    const bool onNews = views.location(WebView::WebNews) == NewsAddress();
    views.navigate(WebView::WebNews, onNews ? DetailAddress() : NewsAddress());
}

void SiteOpenClick(WindowOps& ops)
{
    ops.shellOpen(kServiceSite);
}

} // namespace vexo
