// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/account_folder.h"

#include <string>
#include <string_view>
#include <vector>

namespace vexo::server {

// The site's HTML pages (Russian, UTF-8).

std::string HtmlEscape(std::string_view text);

std::string StartPage();
std::string NewsPage();
std::string DetailPage();

// The upload management page: the form and the waiting files.
std::string UploadPage(const std::vector<WaitingFile>& files);
// What became of an upload, one line per file (already worded).
std::string UploadResultPage(const std::vector<std::string>& outcomes);

std::string RemovedPage(const WaitingFile& file, bool closeWindow);
std::string RemovalUnknownPage(bool closeWindow);
std::string NotFoundPage(std::string_view path);
std::string ErrorPage(int status, std::string_view text);

} // namespace vexo::server
