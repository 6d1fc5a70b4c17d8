// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/http_site.h"

#include "server/account_folder.h"
#include "server/byte_range.h"
#include "server/server_log.h"
#include "server/site_pages.h"
#include "server/timed_http_server.h"
#include "server/upload_receiver.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <httplib.h>

namespace vexo::server {

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr std::size_t kDownloadBlock = 64 * 1024;
constexpr std::chrono::seconds kStartTimeout{10};

std::string OutcomeText(const UploadReceiver::Outcome& outcome)
{
    using Result = UploadReceiver::Result;
    std::string name = "«" + outcome.name + "»";
    switch (outcome.result) {
    case Result::Stored: return name + " загружен (" + std::to_string(outcome.size) + " байт) и ждёт получения.";
    case Result::NoFile: return "Файл не выбран.";
    case Result::UnsafeName: return name + ": недопустимое имя файла.";
    case Result::NameTaken: return name + ": файл с таким именем уже ждёт получения.";
    case Result::WriteFailed: return name + ": не удалось записать (" + outcome.detail + ").";
    case Result::Interrupted: return name + ": загрузка прервана.";
    }
    return name;
}

std::string OutcomeLog(const UploadReceiver::Outcome& outcome)
{
    using Result = UploadReceiver::Result;
    std::string name = "upload \"" + outcome.name + "\": ";
    switch (outcome.result) {
    case Result::Stored: return name + "stored, " + std::to_string(outcome.size) + " bytes";
    case Result::NoFile: return name + "no file chosen";
    case Result::UnsafeName: return name + "refused, unsafe name";
    case Result::NameTaken: return name + "refused, a waiting file has that name";
    case Result::WriteFailed: return name + "not stored: " + outcome.detail;
    case Result::Interrupted: return name + "interrupted";
    }
    return name;
}

// One download in progress: the stream, its block buffer and how far it
// got.
struct Download {
    std::unique_ptr<HandoutStream> stream;
    std::vector<unsigned char> buffer = std::vector<unsigned char>(kDownloadBlock);
    std::uint64_t handedOn = 0; // bytes the library took to send
};

} // namespace

HttpSite::HttpSite(AccountFolder& folder, ServerLog& log)
    : folder_(folder), log_(log), server_(std::make_unique<TimedHttpServer>())
{
    // The library's default adds SO_REUSEPORT, which would let a second
    // server share a port in use instead of failing.
    server_->set_socket_options([](socket_t socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server_->reportDrops([this](const std::string& text) { log_.line(text); });
    addRoutes();
}

HttpSite::~HttpSite()
{
    stop();
}

void HttpSite::start(const std::string& address, int port)
{
    errno = 0;
    const bool bound =
        port == 0 ? (port_ = server_->bind_to_any_port(address)) > 0 : server_->bind_to_port(address, port_ = port);
    if (!bound) {
        const std::string reason = errno != 0 ? std::strerror(errno) : "address not available";
        throw std::runtime_error("cannot listen for the web site on " + address + ":" + std::to_string(port) + ": "
                                 + reason);
    }
    server_->widenBacklog();
    stopping_ = false;
    thread_ = std::thread([this] {
        // The library gives up listening for good on most failures of
        // accept(); say so rather than go on without a web site.
        if (!server_->listen_after_bind() && !stopping_)
            log_.line("http: accepting failed, the web site no longer listens");
    });
    // stop() only reaches a server that runs, so wait until it does.
    const auto giveUp = std::chrono::steady_clock::now() + kStartTimeout;
    while (!server_->is_running()) {
        if (std::chrono::steady_clock::now() > giveUp) {
            stop();
            throw std::runtime_error("the web site did not start");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void HttpSite::stop()
{
    if (!thread_.joinable())
        return;
    stopping_ = true;
    server_->closeConnections();
    server_->stop();
    thread_.join();
}

void HttpSite::addRoutes()
{
    using httplib::Request;
    using httplib::Response;

    server_->Get("/", [](const Request&, Response& res) { res.set_content(StartPage(), kHtml); });
    server_->Get("/index/0-8", [](const Request&, Response& res) { res.set_content(NewsPage(), kHtml); });
    server_->Get("/index/0-9", [](const Request&, Response& res) { res.set_content(DetailPage(), kHtml); });

    server_->Get(R"(/uploader/enter\.php)",
                 [this](const Request&, Response& res) { res.set_content(UploadPage(folder_.list()), kHtml); });

    server_->Get(R"(/files/([0-9a-f]{16}))", [this](const Request& req, Response& res) {
        auto download = std::make_shared<Download>();
        download->stream = folder_.open(req.matches[1].str());
        if (!download->stream) {
            res.status = 404;
            res.set_content(NotFoundPage(req.path), kHtml);
            return;
        }
        // The library would answer a Range on its own, without If-Range,
        // and wrongly past the end: this route answers it itself.
        const_cast<Request&>(req).ranges.clear();
        const std::int64_t size = download->stream->size();
        const std::string entityTag = download->stream->entityTag();
        const std::string lastModified = HttpDate(download->stream->modified());
        res.set_header("ETag", entityTag);
        res.set_header("Last-Modified", lastModified);
        res.set_header("Accept-Ranges", "bytes");
        const AskedPart part =
            PartAsked(req.get_header_value("Range"), req.get_header_value("If-Range"), size, entityTag, lastModified);
        if (part.kind == AskedPart::Kind::Unsatisfiable) {
            res.status = 416;
            res.set_header("Content-Range", "bytes */" + std::to_string(size));
            return;
        }
        if (size == 0) {
            res.status = 200;
            res.set_content("", "application/octet-stream");
            return;
        }
        const bool partial = part.kind == AskedPart::Kind::Part;
        const std::int64_t first = partial ? part.first : 0;
        const std::int64_t length = partial ? part.last - part.first + 1 : size;
        res.status = partial ? 206 : 200;
        if (partial)
            res.set_header("Content-Range", "bytes " + std::to_string(part.first) + "-" + std::to_string(part.last)
                                                + "/" + std::to_string(size));
        res.set_content_provider(
            static_cast<std::size_t>(length), "application/octet-stream",
            [this, download, first](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                try {
                    const std::size_t got =
                        download->stream->read(first + static_cast<std::int64_t>(offset), download->buffer.data(),
                                               std::min(length, download->buffer.size()));
                    if (got == 0 || !sink.write(reinterpret_cast<const char*>(download->buffer.data()), got))
                        return false;
                    download->handedOn += got;
                    return true;
                } catch (const std::exception& error) {
                    log_.line("http download broken off: " + std::string(error.what()));
                    return false;
                }
            },
            // The access line gives the length announced; say when the
            // client did not get it all.
            [this, download, head = req.method == "HEAD", target = req.target](bool success) {
                if (!success && !head)
                    log_.line("http GET " + target + ": broken off after " + std::to_string(download->handedOn)
                              + " bytes");
            });
    });

    server_->Get(R"(/uploader/del\.php)", [this](const Request& req, Response& res) {
        const bool closeWindow = req.get_param_value("close") == "1";
        if (const auto removed = folder_.remove(req.get_param_value("f"))) {
            log_.line("removed \"" + removed->diskName + "\"");
            res.set_content(RemovedPage(*removed, closeWindow), kHtml);
        } else {
            res.status = 404;
            res.set_content(RemovalUnknownPage(closeWindow), kHtml);
        }
    });

    server_->Post(R"(/uploader/upload\.php)", [this](const Request& req, Response& res,
                                                     const httplib::ContentReader& reader) {
        if (!req.is_multipart_form_data()) {
            res.status = 400;
            res.set_content(ErrorPage(400, "Ожидалась форма с файлом."), kHtml);
            return;
        }
        UploadReceiver receiver(folder_.path());
        const bool complete =
            reader([&](const httplib::MultipartFormData& part) { return receiver.beginPart(part.name, part.filename); },
                   [&](const char* data, std::size_t size) { return receiver.append(data, size); });
        const auto outcomes = receiver.finish(complete);
        std::vector<std::string> texts;
        for (const auto& outcome : outcomes) {
            log_.line(OutcomeLog(outcome));
            texts.push_back(OutcomeText(outcome));
        }
        if (texts.empty())
            texts.emplace_back("Файл не выбран.");
        const bool anyStored = std::any_of(outcomes.begin(), outcomes.end(), [](const auto& outcome) {
            return outcome.result == UploadReceiver::Result::Stored;
        });
        if (!complete || !anyStored)
            res.status = 400;
        res.set_content(UploadResultPage(texts), kHtml);
    });

    // Called for every status of 400 and above: fill in a page where the
    // handler left none.
    server_->set_error_handler(httplib::Server::HandlerWithResponse([](const Request& req, Response& res) {
        if (!res.body.empty())
            return httplib::Server::HandlerResponse::Unhandled;
        res.set_content(res.status == 404 ? NotFoundPage(req.path) : ErrorPage(res.status, "Запрос не выполнен."),
                        kHtml);
        return httplib::Server::HandlerResponse::Handled;
    }));
    server_->set_exception_handler([this](const Request& req, Response& res, std::exception_ptr thrown) {
        std::string text = "unknown error";
        try {
            std::rethrow_exception(std::move(thrown));
        } catch (const std::exception& error) {
            text = error.what();
        } catch (...) {
        }
        log_.line("http " + req.method + " " + req.target + ": " + text);
        res.status = 500;
        res.set_content(ErrorPage(500, text), kHtml);
    });
    server_->set_logger([this](const Request& req, const Response& res) {
        const std::string bytes =
            res.has_header("Content-Length") ? res.get_header_value("Content-Length") : std::to_string(res.body.size());
        // A download asked for in part says which part, and what it got.
        std::string part;
        if (req.has_header("Range"))
            part = ", asked " + req.get_header_value("Range");
        if (req.has_header("If-Range"))
            part += " if " + req.get_header_value("If-Range");
        if (res.has_header("Content-Range"))
            part += ", sent " + res.get_header_value("Content-Range");
        log_.line("http " + req.method + " " + req.target + " " + std::to_string(res.status) + " " + bytes + " bytes"
                  + part);
    });
}

} // namespace vexo::server
