// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/curl_library.h"

#include <stdexcept>
#include <string>

#include <dlfcn.h>

namespace vexo {

namespace {

template <typename Function>
void Resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(library, name));
    if (!function)
        throw std::runtime_error(std::string("libcurl lacks ") + name);
}

CurlLibrary Load()
{
    // The library of the runtime package (libcurl4), never unloaded.
    void* library = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = ::dlerror();
        throw std::runtime_error(std::string("Cannot load libcurl (package libcurl4): ")
                                 + (reason ? reason : "unknown reason"));
    }
    CurlLibrary curl{};
    Resolve(library, "curl_global_init", curl.global_init);
    Resolve(library, "curl_easy_init", curl.easy_init);
    Resolve(library, "curl_easy_setopt", curl.easy_setopt);
    Resolve(library, "curl_easy_getinfo", curl.easy_getinfo);
    Resolve(library, "curl_easy_cleanup", curl.easy_cleanup);
    Resolve(library, "curl_easy_pause", curl.easy_pause);
    Resolve(library, "curl_slist_append", curl.slist_append);
    Resolve(library, "curl_slist_free_all", curl.slist_free_all);
    Resolve(library, "curl_multi_init", curl.multi_init);
    Resolve(library, "curl_multi_add_handle", curl.multi_add_handle);
    Resolve(library, "curl_multi_remove_handle", curl.multi_remove_handle);
    Resolve(library, "curl_multi_perform", curl.multi_perform);
    Resolve(library, "curl_multi_poll", curl.multi_poll);
    Resolve(library, "curl_multi_info_read", curl.multi_info_read);
    Resolve(library, "curl_multi_cleanup", curl.multi_cleanup);
    if (curl.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        throw std::runtime_error("libcurl cannot be initialised");
    return curl;
}

} // namespace

const CurlLibrary& Curl()
{
    // A failed load throws out of the initialiser and is tried again next time.
    static const CurlLibrary curl = Load();
    return curl;
}

} // namespace vexo
