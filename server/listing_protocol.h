// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/account_folder.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexo::server {

// The listing exchange: one request line "login:password:is_files"
// (Windows-1251), answered by "error\n", or by "connected\n", four lines
// per waiting file and "=END=\n".

struct ListingRequest {
    std::string login;    // UTF-8
    std::string password; // UTF-8
};

inline constexpr std::string_view kListingRefused = "error\n";
inline constexpr std::size_t kMaxRequestLine = 4096;
// The client queues a download and a removal per file, plus one more check,
// in a queue of 255 tasks; files beyond these come in the next listing.
inline constexpr std::size_t kMaxListedFiles = 126;

// Splits a request line (without its line feed; a carriage return at its
// end is dropped). The line must end with ":is_files"; the login runs up to
// the first ":" before that and the password is the rest, so a password
// may hold ":" and a login may not. nullopt for anything else.
std::optional<ListingRequest> ParseListingRequest(std::string_view line);

std::string DownloadAddress(std::string_view publicHost, const WaitingFile& file);
std::string RemovalReference(const WaitingFile& file);

// The answer to an accepted login, at most kMaxListedFiles files.
std::string FormatListing(const std::vector<WaitingFile>& files, std::string_view publicHost);

} // namespace vexo::server
