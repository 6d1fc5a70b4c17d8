// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

class Dialogs;
class WebPagesView;

// The news page and the page "Подробнее" leads to, on the service's site.
std::string NewsAddress();
std::string DetailAddress();

// The upload management page on the server check's current host
// (Downloader::serverAddress). The host
// is written as it stands, port included when it holds one, and may be empty.
std::string UploadManagementAddress(const std::string& serverHost);

// "Управление закачкой" came to the front: its page is loaded afresh, from
// the host configured at this moment.
void UploadTabShown(const std::string& serverHost, WebPagesView& pages);

// "О программе" came to the front: the news page is loaded afresh.
void NewsTabShown(WebPagesView& pages);

// "Подробнее": from the news page (exactly its address) to the detail page,
// from anywhere else back to the news page.
void ToggleNewsDetail(WebPagesView& pages);

// "Откр. Сайт": the site in the system's browser.
void OpenServiceSite(Dialogs& dialogs);

} // namespace vexo
