// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <curl/curl.h>

namespace vexo {

// The few libcurl functions the fetch uses: the multi interface, so that
// its waits are short polls (curl_multi_poll came with libcurl 7.66).
// libcurl is opened on the first fetch, not linked: loading it and the
// dozens of libraries it pulls in (TLS, Kerberos, LDAP, ...) would
// otherwise cost every start of the program.
struct CurlLibrary {
    decltype(&curl_global_init) global_init;
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_getinfo) easy_getinfo;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_easy_pause) easy_pause;
    decltype(&curl_slist_append) slist_append;
    decltype(&curl_slist_free_all) slist_free_all;
    decltype(&curl_multi_init) multi_init;
    decltype(&curl_multi_add_handle) multi_add_handle;
    decltype(&curl_multi_remove_handle) multi_remove_handle;
    decltype(&curl_multi_perform) multi_perform;
    decltype(&curl_multi_poll) multi_poll;
    decltype(&curl_multi_info_read) multi_info_read;
    decltype(&curl_multi_cleanup) multi_cleanup;
};

// libcurl, loaded and initialised once. Throws std::runtime_error with a
// text for the user when it is missing or cannot be initialised.
const CurlLibrary& Curl();

} // namespace vexo
