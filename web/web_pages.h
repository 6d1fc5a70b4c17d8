#pragma once

#include <string>

namespace vexo {

class WebViewOps;
class WindowOps;
struct Session;

// The news page and the page "Подробнее" leads to, on the service's site.
std::string NewsAddress();
std::string DetailAddress();

// The upload management page on the TCP client's current host. The host is
// written as it stands, port included when it holds one, and may be empty.
std::string UploadManagementAddress(const Session& session);

// "Управление закачкой" came to the front: its page is loaded afresh, from
// the host configured at this moment.
void TabSheet3Show(const Session& session, WebViewOps& views);

// "О программе" came to the front: the news page is loaded afresh.
void NewsSheetShow(WebViewOps& views);

// "Подробнее": from the news page (exactly its address) to the detail page,
// from anywhere else back to the news page.
void MoreClick(WebViewOps& views);

// "Откр. Сайт": the site in the system's browser.
void SiteOpenClick(WindowOps& ops);

} // namespace vexo
