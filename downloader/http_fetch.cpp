// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/http_fetch.h"

#include "base/atomic_file.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/int_text.h"
#include "base/numbered_name.h"
#include "base/stop_request.h"
#include "base/temporary_files.h"
#include "downloader/curl_library.h"
#include "downloader/pump_pacer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vexo {

namespace {

constexpr const char* kAgent = "Generic Delphi Agent";
// The most one receive takes from the connection: large, so that the
// transfer costs few system calls, yet small enough that one step of the
// multi handle (a few receives, each written out) ends long before the
// next pump is due.
constexpr long kReceiveSize = 128 * 1024;

FileError CreateError(const std::string& path, int error)
{
    return FileError(error, path, "Cannot create file \"" + path + "\". " + std::strerror(error));
}

bool IsWebAddress(const std::string& url)
{
    auto startsWith = [&url](const char* prefix) {
        const std::size_t length = std::strlen(prefix);
        if (url.size() < length)
            return false;
        for (std::size_t i = 0; i < length; ++i) {
            if (std::tolower(static_cast<unsigned char>(url[i])) != prefix[i])
                return false;
        }
        return true;
    };
    return startsWith("http://") || startsWith("https://");
}

// The body on its way to its file: gathered and written to a file without
// a name (or a hidden temporary) in the target's folder, which takes its
// place at commit() under the first name of the "(n)" rule that is free.
class BodyFile {
public:
    explicit BodyFile(const std::string& target)
        : file_(target, SaveOptions{.temporaryPrefix = kTemporaryPrefix, .unnamed = true}),
          name_(FolderPart(target), FileNamePart(target))
    {}

    // Small receives are gathered in one fixed buffer and written in larger
    // pieces: a system call per small piece would cost more than its
    // transfer. Memory stays the same whatever the file's size.
    void write(const char* data, std::size_t size)
    {
        open();
        if (used_ + size > sizeof buffer_)
            flush();
        if (size >= sizeof buffer_) {
            file_.write(data, size);
            return;
        }
        std::memcpy(buffer_ + used_, data, size);
        used_ += size;
    }

    // A file of that name that holds the same bytes already counts as this
    // one: fetched again (files left on the server are), it makes no copy.
    void commit()
    {
        open();
        flush();
        file_.finish();
        try {
            PlaceWithoutReplacing(file_, name_);
        } catch (const FileError& error) {
            throw CreateError(name_.path(), error.error());
        }
    }

private:
    // Created on first use, so a fetch that fails before its body leaves
    // nothing to clean up.
    void open()
    {
        if (file_.isOpen())
            return;
        try {
            file_.open();
        } catch (const FileError& error) {
            throw CreateError(file_.path(), error.error());
        }
    }

    void flush()
    {
        file_.write(buffer_, used_);
        used_ = 0;
    }

    AtomicFile file_;
    NumberedName name_;
    char buffer_[64 * 1024];
    std::size_t used_ = 0;
};

struct CurlEasyCleanup {
    void operator()(CURL* curl) const { Curl().easy_cleanup(curl); }
};
struct CurlListFree {
    void operator()(curl_slist* list) const { Curl().slist_free_all(list); }
};

// What the answer's headers say of its body. An answer the fetch follows
// (a redirect, "100 Continue") starts them afresh.
struct BodyHeaders {
    bool chunked = false;
    // A content coding other than "identity": libcurl decodes it, so the
    // length the answer names counts the coded bytes, not the file's.
    bool contentCoded = false;
    // A transfer coding other than "chunked", which libcurl would pass on
    // undecoded.
    bool otherTransferCoding = false;
};

// What the write callback works with. Errors cannot cross libcurl, so they
// wait here until the transfer has stopped.
struct Transfer {
    CURL* curl;
    BodyFile& file;
    FetchProgress& progress;
    // The listed size when it is a positive number; a "0" (or no number)
    // says nothing about the body.
    std::optional<std::int64_t> listedSize;
    BodyHeaders headers{};
    bool started = false;
    bool refused = false;
    // The most the body may bring: the length the server names, else the
    // listed size. More than that is no longer this file.
    std::optional<std::int64_t> mostBytes = std::nullopt;
    std::exception_ptr error = nullptr;
};

// A 206 answer is only part of the file.
bool IsSuccess(long status)
{
    return status >= 200 && status <= 299 && status != 206;
}

// The length the server names, when it names one.
std::optional<std::int64_t> NamedLength(CURL* curl)
{
    curl_off_t length = -1;
    if (Curl().easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK || length < 0)
        return std::nullopt;
    return static_cast<std::int64_t>(length);
}

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The codings of a Transfer-Encoding or Content-Encoding value, lower case.
std::vector<std::string> Codings(const std::string& value)
{
    std::vector<std::string> codings;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(',', start);
        if (end == std::string::npos)
            end = value.size();
        const std::size_t first = value.find_first_not_of(" \t\r\n", start);
        const std::size_t last = value.find_last_not_of(" \t\r\n", end - 1);
        if (first != std::string::npos && first < end && last != std::string::npos && last >= first)
            codings.push_back(LowerCase(value.substr(first, last - first + 1)));
        start = end + 1;
    }
    return codings;
}

// Takes one header line of an answer.
std::size_t NoteHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& headers = static_cast<Transfer*>(user)->headers;
    const std::string line(data, size * count);
    if (line.rfind("HTTP/", 0) == 0) {
        headers = {};
        return size * count;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos)
        return size * count;
    const std::string name = LowerCase(line.substr(0, colon));
    for (const std::string& coding : Codings(line.substr(colon + 1))) {
        if (name == "transfer-encoding" && coding == "chunked")
            headers.chunked = true;
        else if (name == "transfer-encoding" && coding != "identity")
            headers.otherTransferCoding = true;
        else if (name == "content-encoding" && coding != "identity")
            headers.contentCoded = true;
    }
    return size * count;
}

// Whether the body ends by its own framing, which libcurl holds it to:
// chunks that end with the last one, or HTTP/2 and later streams.
bool FramedByItself(const Transfer& transfer)
{
    long version = 0;
    Curl().easy_getinfo(transfer.curl, CURLINFO_HTTP_VERSION, &version);
    return transfer.headers.chunked || version >= CURL_HTTP_VERSION_2_0;
}

// The length the answer names for the file's own bytes: none for a coded
// body, whose named length counts the coded bytes.
std::optional<std::int64_t> NamedFileLength(const Transfer& transfer)
{
    return transfer.headers.contentCoded ? std::nullopt : NamedLength(transfer.curl);
}

// How many bytes make the whole body, when its framing does not tell: the
// length the answer names; a body that ends by its own framing, or whose
// named length counts coded bytes, is whole whatever the list says; only
// one that ends when the connection closes is held to the listed size.
std::optional<std::int64_t> WholeSize(const Transfer& transfer)
{
    if (const std::optional<std::int64_t> named = NamedFileLength(transfer))
        return named;
    if (FramedByItself(transfer) || NamedLength(transfer.curl))
        return std::nullopt;
    return transfer.listedSize;
}

void TakeNamedLength(const Transfer& transfer)
{
    const std::optional<std::int64_t> length = NamedFileLength(transfer);
    if (length && *length > 0)
        transfer.progress.fetchTotal = *length;
}

// Takes what one receive brought (up to kReceiveSize bytes). The progress
// counts every byte at once, so whatever the pump shows is up to date.
std::size_t WriteReceived(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    try {
        if (!transfer.started) {
            transfer.started = true;
            long status = 0;
            Curl().easy_getinfo(transfer.curl, CURLINFO_RESPONSE_CODE, &status);
            // A body still in a coding libcurl does not undo is not the file.
            if (!IsSuccess(status) || transfer.headers.otherTransferCoding) {
                transfer.refused = true;
                return 0;
            }
            TakeNamedLength(transfer);
            transfer.mostBytes = WholeSize(transfer);
        }
        // A body that runs past its size stops there, before the disk
        // takes a byte more, and the fetch fails as one cut short does.
        const std::int64_t fetched = transfer.progress.fetchedBytes;
        if (transfer.mostBytes && static_cast<std::int64_t>(bytes) > *transfer.mostBytes - fetched) {
            const auto room = static_cast<std::size_t>(std::max<std::int64_t>(*transfer.mostBytes - fetched, 0));
            transfer.file.write(data, room);
            transfer.progress.fetchedBytes += static_cast<std::int64_t>(room);
            transfer.refused = true;
            return 0;
        }
        transfer.file.write(data, bytes);
        transfer.progress.fetchedBytes += static_cast<std::int64_t>(bytes);
    } catch (...) {
        transfer.error = std::current_exception();
        return 0;
    }
    return bytes;
}

// One easy handle driven through a multi handle, so that no wait of the
// transfer (resolving, connecting, the TLS handshake, a silent server)
// lasts longer than a poll of kWaitSlice. Leaving the object, by an
// exception too, takes the handle out and frees the multi handle; the
// connection closes with the easy handle.
class SlicedTransfer {
public:
    explicit SlicedTransfer(CURL* easy) : easy_(easy), multi_(Curl().multi_init())
    {
        added_ = multi_ && Curl().multi_add_handle(multi_, easy_) == CURLM_OK;
    }
    ~SlicedTransfer()
    {
        if (added_)
            Curl().multi_remove_handle(multi_, easy_);
        if (multi_)
            Curl().multi_cleanup(multi_);
    }
    SlicedTransfer(const SlicedTransfer&) = delete;
    SlicedTransfer& operator=(const SlicedTransfer&) = delete;

    // Runs the transfer to its end and returns its result; `between` runs
    // after every step and may throw to abort the transfer.
    template <typename Between>
    CURLcode run(Between between)
    {
        if (!added_)
            return CURLE_FAILED_INIT;
        const CurlLibrary& api = Curl();
        const int slice = static_cast<int>(kWaitSlice.count());
        for (;;) {
            int running = 0;
            if (api.multi_perform(multi_, &running) != CURLM_OK)
                return CURLE_FAILED_INIT;
            between();
            if (running == 0)
                break;
            if (api.multi_poll(multi_, nullptr, 0, slice, nullptr) != CURLM_OK)
                return CURLE_FAILED_INIT;
        }
        int left = 0;
        while (const CURLMsg* message = api.multi_info_read(multi_, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_)
                return message->data.result;
        }
        return CURLE_FAILED_INIT;
    }

private:
    CURL* easy_;
    CURLM* multi_;
    bool added_ = false;
};

} // namespace

std::optional<std::int64_t> ParseListedSize(const std::string& text)
{
    return ParseDecimal(text, 0, INT64_MAX);
}

Fetched FetchToFile(const std::string& url, const std::string& path, const std::string& listedSize,
                    FetchProgress& progress, const std::function<void()>& pump, const FetchLimits& limits)
{
    const std::optional<std::int64_t> listed = ParseListedSize(listedSize);
    progress.fetchedBytes = 0;
    progress.fetchTotal = listed.value_or(0);
    if (!IsWebAddress(url))
        return Fetched::Failed;

    const CurlLibrary& api = Curl();
    const std::unique_ptr<CURL, CurlEasyCleanup> curl(api.easy_init());
    if (!curl)
        return Fetched::Failed;
    curl_slist* headers = api.slist_append(nullptr, "Cache-Control: no-cache");
    headers = headers ? api.slist_append(headers, "Pragma: no-cache") : nullptr;
    const std::unique_ptr<curl_slist, CurlListFree> headerList(headers);
    if (!headers)
        return Fetched::Failed;

    BodyFile file(path);
    const std::optional<std::int64_t> positiveListed = listed && *listed > 0 ? listed : std::nullopt;
    Transfer transfer{.curl = curl.get(), .file = file, .progress = progress, .listedSize = positiveListed};
    CURL* handle = curl.get();
    api.easy_setopt(handle, CURLOPT_URL, url.c_str());
    api.easy_setopt(handle, CURLOPT_USERAGENT, kAgent);
    api.easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    // The file's own bytes are asked for; a server or proxy that codes the
    // body anyway has it decoded by libcurl (or refused, for a coding it
    // does not know), so that a coded body is never stored as the file.
    api.easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "identity");
    api.easy_setopt(handle, CURLOPT_BUFFERSIZE, kReceiveSize);
    api.easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    api.easy_setopt(handle, CURLOPT_MAXREDIRS, 20L);
    api.easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    api.easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    api.easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    api.easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    api.easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    api.easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    api.easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteReceived);
    api.easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    api.easy_setopt(handle, CURLOPT_HEADERFUNCTION, NoteHeader);
    api.easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);

    PumpPacer pacer(pump);
    SlicedTransfer sliced(handle);
    const CURLcode result = sliced.run([&] {
        if (transfer.error)
            std::rethrow_exception(transfer.error);
        StopIfRequested();
        pacer.pumpIfDue();
    });
    long status = 0;
    api.easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (result != CURLE_OK || transfer.refused || !IsSuccess(status))
        return Fetched::Failed;

    if (!transfer.started)
        TakeNamedLength(transfer);
    // An empty body replaces nothing: the file of that name stays as it was.
    if (progress.fetchedBytes == 0)
        return Fetched::Empty;
    // The listed size is the progress bar's; the body's own framing says
    // whether it is whole wherever it can.
    const std::optional<std::int64_t> whole = WholeSize(transfer);
    if (whole && progress.fetchedBytes != *whole)
        return Fetched::Failed;
    file.commit();
    return Fetched::Whole;
}

} // namespace vexo
