// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <curl/curl.h>

namespace vexo {

// The few libcurl functions the fetch uses. libcurl is opened on the first
// fetch, not linked: loading it and the dozens of libraries it pulls in
// (TLS, Kerberos, LDAP, ...) would otherwise cost every start of the program.
struct CurlLibrary {
    decltype(&curl_global_init) global_init;
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_perform) easy_perform;
    decltype(&curl_easy_getinfo) easy_getinfo;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_slist_append) slist_append;
    decltype(&curl_slist_free_all) slist_free_all;
};

// libcurl, loaded and initialised once. Throws std::runtime_error with a
// text for the user when it is missing or cannot be initialised.
const CurlLibrary& Curl();

} // namespace vexo
