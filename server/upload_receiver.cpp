#include "server/upload_receiver.h"

#include "server/account_folder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo::server {

UploadReceiver::UploadReceiver(std::string folder)
    : folder_(std::move(folder))
{
}

UploadReceiver::~UploadReceiver()
{
    discardTemporary();
}

bool UploadReceiver::beginPart(const std::string& field, const std::string& fileName)
{
    endPart(true);
    if (field != "file")
        return true;
    if (fileName.empty()) {
        outcomes_.push_back({ fileName, Result::NoFile, 0, {} });
        return true;
    }
    if (!IsSafeFileName(fileName)) {
        outcomes_.push_back({ fileName, Result::UnsafeName, 0, {} });
        return true;
    }
    outcomes_.push_back({ fileName, Result::Stored, 0, {} });
    inFile_ = true;
    temporary_ = folder_ + "/" + std::string(AccountFolder::kUploadPrefix) + "XXXXXX";
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0)
        temporary_.clear();
    if (fd_ < 0 || ::fchmod(fd_, 0644) != 0) {
        outcomes_.back().result = Result::WriteFailed;
        outcomes_.back().detail = std::strerror(errno);
        discardTemporary();
    }
    return true;
}

bool UploadReceiver::append(const char* data, std::size_t size)
{
    if (!inFile_ || fd_ < 0)
        return true;
    Outcome& outcome = outcomes_.back();
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            outcome.result = Result::WriteFailed;
            outcome.detail = std::strerror(written < 0 ? errno : ENOSPC);
            discardTemporary();
            return true;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
        outcome.size += written;
    }
    return true;
}

std::vector<UploadReceiver::Outcome> UploadReceiver::finish(bool complete)
{
    endPart(complete);
    return std::move(outcomes_);
}

void UploadReceiver::endPart(bool complete)
{
    if (!inFile_)
        return;
    inFile_ = false;
    if (fd_ < 0)
        return; // already failed
    Outcome& outcome = outcomes_.back();
    if (!complete) {
        outcome.result = Result::Interrupted;
        discardTemporary();
        return;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        outcome.result = Result::WriteFailed;
        outcome.detail = std::strerror(errno);
        discardTemporary();
        return;
    }
    // link() refuses an existing name, where rename() would replace it.
    if (::link(temporary_.c_str(), (folder_ + "/" + outcome.name).c_str()) != 0) {
        outcome.result = errno == EEXIST ? Result::NameTaken : Result::WriteFailed;
        outcome.detail = std::strerror(errno);
    }
    discardTemporary();
}

void UploadReceiver::discardTemporary()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

} // namespace vexo::server
