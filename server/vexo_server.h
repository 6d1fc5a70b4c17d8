// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/server_options.h"

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace vexo::server {

class AccountFolder;
class HttpSite;
class ServerLog;
class TcpListing;

// The whole substitute service in one object: the account folder, the TCP
// listing and the web site, with one log.
class VexoServer {
public:
    // Checks the folder (with --demo: creates a missing one and fills an
    // empty one). Throws std::runtime_error with the reason.
    VexoServer(ServerOptions options, std::ostream& log);
    ~VexoServer();
    VexoServer(const VexoServer&) = delete;
    VexoServer& operator=(const VexoServer&) = delete;

    // Listens on both ports; throws std::runtime_error when either cannot.
    void start();
    void stop();

    int tcpPort() const;
    int httpPort() const;
    // Host text of the addresses in the listing.
    const std::string& publicHost() const { return publicHost_; }

private:
    std::string answerListing(std::string_view line, const std::string& peer);

    ServerOptions options_;
    std::unique_ptr<ServerLog> log_;
    std::unique_ptr<AccountFolder> folder_;
    std::unique_ptr<HttpSite> site_;
    std::unique_ptr<TcpListing> listing_;
    std::string publicHost_;
    bool running_ = false;
};

} // namespace vexo::server
