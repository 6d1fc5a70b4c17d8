// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/http_fetch.h"

#include "base/int_text.h"
#include "base/stop_request.h"
#include "downloader/answer_headers.h"
#include "downloader/body_file.h"
#include "downloader/curl_library.h"
#include "downloader/partial_download.h"
#include "downloader/pump_pacer.h"
#include "downloader/work_beside_pump.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vexo {

namespace {

constexpr const char* kAgent = "Generic Delphi Agent";
// The most one receive takes from the connection: large, so that the
// transfer costs few system calls, yet small enough that one step of the
// multi handle (a few receives, each written out) ends long before the
// next pump is due.
constexpr long kReceiveSize = 128 * 1024;

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

struct CurlEasyCleanup {
    void operator()(CURL* curl) const { Curl().easy_cleanup(curl); }
};
struct CurlListFree {
    void operator()(curl_slist* list) const { Curl().slist_free_all(list); }
};

// What the write callback works with. Errors cannot cross libcurl, so they
// wait here until the transfer has stopped.
struct Transfer {
    CURL* curl;
    BodyFile& file;
    FetchProgress& progress;
    const PumpPacer& pacer;
    const PartialDownload& partial;
    std::string url;
    std::string listedSizeText;
    // The listed size when it is a positive number; a "0" (or no number)
    // says nothing about the body.
    std::optional<std::int64_t> listedSize;
    // The bytes the partial holds and their validator, when the request
    // asks only for the rest.
    std::optional<PartialDownload::Kept> resume;
    AnswerHeaders headers{};
    bool started = false;
    bool refused = false;
    // The receive waits in libcurl until the pump has run; the next one is
    // taken however long the pump took, so that the transfer goes on.
    bool paused = false;
    bool unpaused = false;
    // The answer to a resume does not continue the bytes kept: they go,
    // and the file is fetched whole.
    bool mismatched = false;
    // The body continues the partial from this many bytes.
    std::int64_t startedAt = 0;
    // Whether the bytes stay for a later resume: their validator is recorded.
    bool resumable = false;
    // The validator whose record is still to be written (WriteRecord).
    std::optional<std::string> recordDue = std::nullopt;
    // The body ran past its size.
    bool overran = false;
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

// Takes one header line of an answer.
std::size_t NoteHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    TakeHeaderLine(static_cast<Transfer*>(user)->headers, std::string_view(data, size * count));
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
    if (transfer.startedAt > 0)
        return transfer.headers.range->total.value_or(transfer.headers.range->last + 1);
    if (const std::optional<std::int64_t> named = NamedFileLength(transfer))
        return named;
    if (FramedByItself(transfer) || NamedLength(transfer.curl))
        return std::nullopt;
    return transfer.listedSize;
}

void TakeNamedLength(const Transfer& transfer)
{
    if (transfer.startedAt > 0) {
        transfer.progress.fetchTotal = *WholeSize(transfer);
        return;
    }
    const std::optional<std::int64_t> length = NamedFileLength(transfer);
    if (length && *length > 0)
        transfer.progress.fetchTotal = *length;
}

// Whether a 206 answer brings the rest of the bytes kept: the range starts
// where they end, in the file's own bytes, under the same validator.
bool ContinuesKept(const Transfer& transfer)
{
    const AnswerHeaders& headers = transfer.headers;
    const std::string validator = headers.validator();
    return transfer.resume && headers.range && headers.range->first == transfer.resume->bytes && !headers.contentCoded
           && (validator.empty() || validator == transfer.resume->validator);
}

// Sets the body off at its first byte: after the bytes kept when the
// answer continues them, else afresh, the partial then recorded under the
// answer's validator (or not kept at all without one).
bool StartBody(Transfer& transfer)
{
    long status = 0;
    Curl().easy_getinfo(transfer.curl, CURLINFO_RESPONSE_CODE, &status);
    // A body still in a coding libcurl does not undo is not the file.
    if (transfer.headers.otherTransferCoding)
        return false;
    if (status == 206 && transfer.resume) {
        if (!ContinuesKept(transfer)) {
            transfer.mismatched = true;
            return false;
        }
        transfer.startedAt = transfer.resume->bytes;
        transfer.file.start(transfer.startedAt);
        transfer.progress.fetchedBytes = transfer.startedAt;
        transfer.progress.keptBytes = transfer.startedAt;
        transfer.resumable = true;
    } else if (IsSuccess(status)) {
        // A record left from earlier bytes must not name these: it goes
        // before they do, and theirs is written once the receive is over.
        transfer.partial.forget();
        transfer.file.start(0);
        transfer.progress.fetchedBytes = 0;
        transfer.progress.keptBytes = 0;
        const std::string validator = transfer.headers.validator();
        if (!validator.empty()) {
            transfer.recordDue = validator;
            transfer.resumable = true;
        }
    } else {
        return false;
    }
    if (transfer.resumable)
        transfer.file.keep();
    TakeNamedLength(transfer);
    transfer.mostBytes = WholeSize(transfer);
    return true;
}

// Takes what one receive brought (up to kReceiveSize bytes). The progress
// counts every byte at once, so whatever the pump shows is up to date.
// One step of the multi handle goes on receiving while the connection has
// more, which at full speed is for ever: once the pump is due, the receive
// is paused, to be taken after the pump.
std::size_t WriteReceived(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (!std::exchange(transfer.unpaused, false) && transfer.pacer.due()) {
        transfer.paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    try {
        if (!transfer.started) {
            transfer.started = true;
            if (!StartBody(transfer)) {
                transfer.refused = true;
                return 0;
            }
        }
        // A body that runs past its size stops there, before the disk
        // takes a byte more, and the fetch fails as one cut short does.
        const std::int64_t fetched = transfer.progress.fetchedBytes;
        if (transfer.mostBytes && static_cast<std::int64_t>(bytes) > *transfer.mostBytes - fetched) {
            const auto room = static_cast<std::size_t>(std::max<std::int64_t>(*transfer.mostBytes - fetched, 0));
            transfer.file.write(data, room);
            transfer.progress.fetchedBytes += static_cast<std::int64_t>(room);
            transfer.refused = true;
            transfer.overran = true;
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

// Writes the partial's record, flushed to the disk, which takes long on a
// slow one (two flushes: the record's and its folder's): beside the pump,
// between two steps of the transfer. Until it is there the bytes kept have
// no record, and a later fetch takes the file whole.
void WriteRecord(Transfer& transfer, const std::function<void()>& between)
{
    const std::string validator = *std::exchange(transfer.recordDue, std::nullopt);
    RunBesidePump(
        [&transfer, &validator](const std::atomic<bool>&) {
            transfer.partial.record(transfer.url, transfer.listedSizeText, validator);
        },
        between);
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

// How one request of a fetch ended.
enum class Attempt {
    Whole,      // the file is in place
    Empty,      // a success status with an empty body
    Failed,     // nothing more to be had from this fetch
    BrokenOff,  // the body broke off, its bytes kept for a resume
    Mismatched, // the answer to a resume did not continue the bytes kept
};

struct Request {
    const std::string& url;
    const std::string& path;
    const std::string& listedSize;
    std::optional<std::int64_t> listed; // the listed size when positive
    const PartialDownload& partial;
    std::optional<PartialDownload::Kept> resume;
};

// Asks for the file once: whole, or with `request.resume` only what
// follows the bytes kept ("Range", with "If-Range" on their validator, so
// that a changed file comes whole).
Attempt FetchOnce(const Request& request, FetchProgress& progress, PumpPacer& pacer, const FetchLimits& limits)
{
    const auto between = [&pacer] {
        StopIfRequested();
        pacer.pumpIfDue();
    };
    const CurlLibrary& api = Curl();
    const std::unique_ptr<CURL, CurlEasyCleanup> curl(api.easy_init());
    if (!curl)
        return Attempt::Failed;
    std::vector<std::string> lines{"Cache-Control: no-cache", "Pragma: no-cache"};
    if (request.resume) {
        lines.push_back("Range: bytes=" + std::to_string(request.resume->bytes) + "-");
        lines.push_back("If-Range: " + request.resume->validator);
    }
    std::unique_ptr<curl_slist, CurlListFree> headerList;
    for (const std::string& line : lines) {
        curl_slist* appended = api.slist_append(headerList.get(), line.c_str());
        if (!appended)
            return Attempt::Failed;
        static_cast<void>(headerList.release());
        headerList.reset(appended);
    }

    BodyFile file(request.path, request.partial);
    Transfer transfer{.curl = curl.get(),
                      .file = file,
                      .progress = progress,
                      .pacer = pacer,
                      .partial = request.partial,
                      .url = request.url,
                      .listedSizeText = request.listedSize,
                      .listedSize = request.listed,
                      .resume = request.resume};
    CURL* handle = curl.get();
    api.easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    api.easy_setopt(handle, CURLOPT_USERAGENT, kAgent);
    api.easy_setopt(handle, CURLOPT_HTTPHEADER, headerList.get());
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

    SlicedTransfer sliced(handle);
    const CURLcode result = sliced.run([&] {
        if (transfer.error)
            std::rethrow_exception(transfer.error);
        // Before the pump, which may stop the fetch: what arrived stays
        // resumable.
        if (transfer.recordDue)
            WriteRecord(transfer, between);
        between();
        if (std::exchange(transfer.paused, false)) {
            transfer.unpaused = true;
            api.easy_pause(handle, CURLPAUSE_CONT);
        }
    });
    long status = 0;
    api.easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (transfer.mismatched || (request.resume && status == 416))
        return Attempt::Mismatched;
    // A body past its size is no longer this file: nothing of it is kept.
    if (transfer.overran)
        file.drop();
    if (transfer.refused)
        return Attempt::Failed;
    if (!transfer.started) {
        if (result != CURLE_OK || !IsSuccess(status))
            return Attempt::Failed;
        TakeNamedLength(transfer);
        // An empty body replaces nothing: the file of that name stays as
        // it was, and bytes kept for it are of no more use.
        progress.fetchedBytes = 0;
        progress.keptBytes = 0;
        request.partial.remove();
        return Attempt::Empty;
    }
    // The listed size is the progress bar's; the body's own framing says
    // whether it is whole wherever it can.
    const std::optional<std::int64_t> whole = WholeSize(transfer);
    if (result != CURLE_OK || (whole && progress.fetchedBytes != *whole))
        return transfer.resumable ? Attempt::BrokenOff : Attempt::Failed;
    // The final flush of a large file takes long on a slow disk: the window
    // goes on meanwhile, and a stop leaves the partial, never a torn file.
    RunBesidePump([&file](const std::atomic<bool>& calledOff) { file.commit(calledOff); }, between);
    return Attempt::Whole;
}

// A transfer that breaks off after bringing bytes is resumed at once this
// many times, as long as each brings more.
constexpr int kMostResumes = 5;

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
    progress.keptBytes = 0;
    progress.fetchTotal = listed.value_or(0);
    if (!IsWebAddress(url))
        return Fetched::Failed;

    const PartialDownload partial(path);
    Request request{.url = url,
                    .path = path,
                    .listedSize = listedSize,
                    .listed = listed && *listed > 0 ? listed : std::nullopt,
                    .partial = partial,
                    .resume = partial.kept(url, listedSize)};
    PumpPacer pacer(pump);
    // Loading libcurl and the libraries it pulls in takes a while on a busy
    // machine: the first fetch does it beside the pump.
    RunBesidePump([](const std::atomic<bool>&) { Curl(); },
                  [&pacer] {
                      StopIfRequested();
                      pacer.pumpIfDue();
                  });
    bool restarted = false;
    for (int resumes = 0;;) {
        const std::int64_t before = request.resume ? request.resume->bytes : 0;
        switch (FetchOnce(request, progress, pacer, limits)) {
        case Attempt::Whole: return Fetched::Whole;
        case Attempt::Empty: return Fetched::Empty;
        case Attempt::Failed: return Fetched::Failed;
        case Attempt::Mismatched:
            // The bytes kept are not those of the file now: it comes whole,
            // once.
            partial.remove();
            if (restarted)
                return Fetched::Failed;
            restarted = true;
            request.resume.reset();
            continue;
        case Attempt::BrokenOff:
            if (progress.fetchedBytes <= before || ++resumes > kMostResumes)
                return Fetched::Failed;
            request.resume = partial.kept(url, listedSize);
            if (!request.resume)
                return Fetched::Failed;
            continue;
        }
    }
}

} // namespace vexo
