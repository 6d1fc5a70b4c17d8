// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace vexo::server {

class AccountFolder;
class ServerLog;
class TimedHttpServer;

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
    // Stops serving, closing the connections still open, and joins the
    // threads.
    void stop();

private:
    void addRoutes();

    AccountFolder& folder_;
    ServerLog& log_;
    std::unique_ptr<TimedHttpServer> server_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    int port_ = 0;
};

} // namespace vexo::server
