#include "downloader/http_fetch.h"

#include "downloader/curl_library.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace vexo {

namespace {

constexpr const char* kAgent = "Generic Delphi Agent";
constexpr long kBlockSize = 1024;

std::runtime_error FileError(const std::string& path, int error)
{
    return std::runtime_error("Cannot create file \"" + path + "\". " + std::strerror(error));
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

// The body's temporary home beside the target: created on first use,
// renamed over the target by commit(), removed otherwise.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string target) : target_(std::move(target)) {}
    ~TemporaryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Blocks are gathered in one fixed buffer and written in larger pieces:
    // a system call per 1 KiB block would cost more than the block's
    // transfer. Memory stays the same whatever the file's size.
    void write(const char* data, std::size_t size)
    {
        if (fd_ < 0)
            create();
        if (used_ + size > sizeof buffer_)
            flush();
        if (size >= sizeof buffer_) {
            writeAll(data, size);
            return;
        }
        std::memcpy(buffer_ + used_, data, size);
        used_ += size;
    }

    void commit()
    {
        if (fd_ < 0)
            create();
        flush();
        const int closed = ::close(fd_);
        fd_ = -1;
        if (closed != 0)
            throw std::runtime_error(target_ + ": " + std::strerror(errno));
        if (::rename(path_.c_str(), target_.c_str()) != 0)
            throw FileError(target_, errno);
        path_.clear();
    }

private:
    void flush()
    {
        writeAll(buffer_, used_);
        used_ = 0;
    }

    void writeAll(const char* data, std::size_t size)
    {
        while (size > 0) {
            const ssize_t written = ::write(fd_, data, size);
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                throw std::runtime_error(target_ + ": " + std::strerror(errno));
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
    }

    void create()
    {
        static std::atomic<unsigned> serial{0};
        const std::size_t slash = target_.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
        for (;;) {
            std::string candidate = folder + ".vexorama-" + std::to_string(::getpid()) + "-"
                                    + std::to_string(++serial) + ".part";
            fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) {
                path_ = std::move(candidate);
                return;
            }
            if (errno != EEXIST)
                throw FileError(target_, errno);
        }
    }

    std::string target_;
    std::string path_;
    int fd_ = -1;
    char buffer_[64 * 1024];
    std::size_t used_ = 0;
};

struct CurlEasyCleanup {
    void operator()(CURL* curl) const { Curl().easy_cleanup(curl); }
};
struct CurlListFree {
    void operator()(curl_slist* list) const { Curl().slist_free_all(list); }
};

// What the write callback works with. Errors cannot cross libcurl, so
// they wait here until the transfer has stopped.
struct Transfer {
    CURL* curl;
    TemporaryFile& file;
    FetchProgress& progress;
    const std::function<void()>& pump;
    bool started = false;
    bool refused = false;
    std::exception_ptr error;
};

bool IsSuccess(long status)
{
    return status >= 200 && status <= 299;
}

void TakeNamedLength(CURL* curl, FetchProgress& progress)
{
    curl_off_t length = -1;
    if (Curl().easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length > 0)
        progress.FetchTotal = length;
}

std::size_t WriteBlock(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    try {
        if (!transfer.started) {
            transfer.started = true;
            long status = 0;
            Curl().easy_getinfo(transfer.curl, CURLINFO_RESPONSE_CODE, &status);
            if (!IsSuccess(status)) {
                transfer.refused = true;
                return 0;
            }
            TakeNamedLength(transfer.curl, transfer.progress);
        }
        transfer.file.write(data, bytes);
        transfer.progress.FetchedBytes += static_cast<std::int64_t>(bytes);
        transfer.pump();
        return bytes;
    } catch (...) {
        transfer.error = std::current_exception();
        return 0;
    }
}

} // namespace

std::int64_t ListedSize(const std::string& text)
{
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 0)
        return 0;
    return value;
}

bool FetchToFile(const std::string& url, const std::string& path, const std::string& listedSize,
                 FetchProgress& progress, const std::function<void()>& pump, const FetchLimits& limits)
{
    progress.FetchedBytes = 0;
    progress.FetchTotal = ListedSize(listedSize);
    if (!IsWebAddress(url))
        return false;

    const CurlLibrary& api = Curl();
    const std::unique_ptr<CURL, CurlEasyCleanup> curl(api.easy_init());
    if (!curl)
        return false;
    curl_slist* headers = api.slist_append(nullptr, "Cache-Control: no-cache");
    headers = headers ? api.slist_append(headers, "Pragma: no-cache") : nullptr;
    const std::unique_ptr<curl_slist, CurlListFree> headerList(headers);
    if (!headers)
        return false;

    TemporaryFile file(path);
    Transfer transfer{curl.get(), file, progress, pump, false, false, nullptr};
    CURL* handle = curl.get();
    api.easy_setopt(handle, CURLOPT_URL, url.c_str());
    api.easy_setopt(handle, CURLOPT_USERAGENT, kAgent);
    api.easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    api.easy_setopt(handle, CURLOPT_BUFFERSIZE, kBlockSize);
    api.easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    api.easy_setopt(handle, CURLOPT_MAXREDIRS, 20L);
    api.easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    api.easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    api.easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    api.easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    api.easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    api.easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    api.easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteBlock);
    api.easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);

    const CURLcode result = api.easy_perform(handle);
    if (transfer.error)
        std::rethrow_exception(transfer.error);
    long status = 0;
    api.easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (result != CURLE_OK || transfer.refused || !IsSuccess(status))
        return false;

    if (!transfer.started)
        TakeNamedLength(handle, progress);
    file.commit();
    return true;
}

} // namespace vexo
