// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/vexo_server.h"

#include "server/account_folder.h"
#include "server/demo_folder.h"
#include "server/http_site.h"
#include "server/listing_protocol.h"
#include "server/server_log.h"
#include "server/tcp_listing.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>

#include <sys/stat.h>

namespace vexo::server {

namespace {

void CheckFolder(const std::string& folder, bool createIfMissing)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        if (errno == ENOENT && createIfMissing && ::mkdir(folder.c_str(), 0755) == 0)
            return;
        throw std::runtime_error("folder " + folder + ": " + std::strerror(errno));
    }
    if (!S_ISDIR(info.st_mode))
        throw std::runtime_error("folder " + folder + ": not a folder");
}

std::string DefaultPublicHost(const std::string& bindAddress, int httpPort)
{
    std::string host = bindAddress;
    if (host == "0.0.0.0" || host == "::")
        host = "127.0.0.1"; // listening everywhere: name the local machine
    else if (host.find(':') != std::string::npos)
        host = "[" + host + "]";
    return host + ":" + std::to_string(httpPort);
}

} // namespace

VexoServer::VexoServer(ServerOptions options, std::ostream& log)
    : options_(std::move(options)), log_(std::make_unique<ServerLog>(log))
{
    CheckFolder(options_.folder, options_.demo);
    if (options_.demo) {
        const auto written = FillDemoFolder(options_.folder);
        log_->line(written.empty()
                       ? "demo: " + options_.folder + " is not empty, left as it is"
                       : "demo: " + std::to_string(written.size()) + " files written to " + options_.folder);
        if (std::find(options_.wrapGlobs.begin(), options_.wrapGlobs.end(), kDemoWrapGlob) == options_.wrapGlobs.end())
            options_.wrapGlobs.emplace_back(kDemoWrapGlob);
    }
    const std::uint64_t seed = options_.seed ? *options_.seed : std::random_device()();
    folder_ = std::make_unique<AccountFolder>(options_.folder, options_.wrapGlobs, seed, *log_);
    site_ = std::make_unique<HttpSite>(*folder_, *log_);
    listing_ = std::make_unique<TcpListing>(
        [this](std::string_view line, const std::string& peer) { return answerListing(line, peer); }, *log_);
}

VexoServer::~VexoServer()
{
    stop();
}

void VexoServer::start()
{
    site_->start(options_.bindAddress, options_.httpPort);
    publicHost_ =
        options_.publicHost.empty() ? DefaultPublicHost(options_.bindAddress, site_->port()) : options_.publicHost;
    try {
        listing_->start(options_.bindAddress, options_.tcpPort);
    } catch (...) {
        site_->stop();
        throw;
    }
    running_ = true;
    log_->line("listing on " + options_.bindAddress + ":" + std::to_string(listing_->port()) + ", web site on "
               + options_.bindAddress + ":" + std::to_string(site_->port()) + ", addresses http://" + publicHost_
               + "/, folder " + options_.folder);
    // The settings dialog's "Сервер:" takes host:port, so that the pages and
    // the removal addresses keep the web site's port; "Порт:" is the listing's.
    log_->line("in Vexorama's settings enter Сервер: " + publicHost_ + "  Порт: " + std::to_string(listing_->port()));
}

void VexoServer::stop()
{
    if (!running_)
        return;
    running_ = false;
    listing_->stop();
    site_->stop();
    log_->line("stopped");
}

int VexoServer::tcpPort() const
{
    return listing_->port();
}

int VexoServer::httpPort() const
{
    return site_->port();
}

std::string VexoServer::answerListing(std::string_view line, const std::string& peer)
{
    const auto request = ParseListingRequest(line);
    if (!request) {
        log_->line("tcp " + peer + ": not a listing request");
        return std::string(kListingRefused);
    }
    if (request->login != options_.login || request->password != options_.password) {
        log_->line("tcp " + peer + " login " + request->login + ": refused");
        return std::string(kListingRefused);
    }
    const auto files = folder_->list();
    const std::size_t listed = std::min(files.size(), kMaxListedFiles);
    log_->line("tcp " + peer + " login " + request->login + ": " + std::to_string(listed) + " files"
               + (listed < files.size() ? " (of " + std::to_string(files.size()) + ")" : ""));
    return FormatListing(files, publicHost_);
}

} // namespace vexo::server
