// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace vexo::server {

class AccountFolder;
class ServerLog;

// The web side: downloads of the listed files, their removal addresses, the
// upload management page with its upload form, and the site's pages.
class HttpSite {
public:
    HttpSite(AccountFolder& folder, ServerLog& log);
    ~HttpSite();
    HttpSite(const HttpSite&) = delete;
    HttpSite& operator=(const HttpSite&) = delete;

    // Binds and starts serving (port 0: any free port); throws
    // std::runtime_error with the reason when it cannot.
    void start(const std::string& address, int port);
    int port() const { return port_; }
    // Stops serving and joins the threads.
    void stop();

private:
    void addRoutes();

    AccountFolder& folder_;
    ServerLog& log_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
};

} // namespace vexo::server
