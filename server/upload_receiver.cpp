// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/upload_receiver.h"

#include "server/account_folder.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace vexo::server {

UploadReceiver::UploadReceiver(std::string folder) : folder_(std::move(folder))
{}

bool UploadReceiver::beginPart(const std::string& field, const std::string& fileName)
{
    endPart(true);
    if (field != "file")
        return true;
    if (fileName.empty()) {
        outcomes_.push_back({fileName, Result::NoFile, 0, {}});
        return true;
    }
    if (!IsSafeFileName(fileName)) {
        outcomes_.push_back({fileName, Result::UnsafeName, 0, {}});
        return true;
    }
    outcomes_.push_back({fileName, Result::Stored, 0, {}});
    inFile_ = true;
    const std::string path = folder_ + "/" + fileName;
    // A taken name (a link included) is refused before any byte is stored;
    // the final link refuses one that turns up meanwhile.
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        outcomes_.back().result = Result::NameTaken;
        outcomes_.back().detail = std::strerror(EEXIST);
        return true;
    }
    // The listing passes over the temporary's prefix.
    file_.emplace(path, SaveOptions{.newFileMode = 0644, .temporaryPrefix = std::string(AccountFolder::kUploadPrefix)});
    try {
        file_->open();
    } catch (const FileError& error) {
        fail(error.error());
    }
    return true;
}

bool UploadReceiver::append(const char* data, std::size_t size)
{
    if (!inFile_ || !file_)
        return true;
    try {
        file_->write(data, size);
        outcomes_.back().size += static_cast<std::int64_t>(size);
    } catch (const FileError& error) {
        fail(error.error());
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
    if (!file_)
        return; // already refused or failed
    Outcome& outcome = outcomes_.back();
    if (!complete) {
        outcome.result = Result::Interrupted;
        file_.reset();
        return;
    }
    try {
        // Never replaces a waiting file of the same name.
        if (file_->commitIfFree() == AtomicFile::Placement::NameTaken) {
            outcome.result = Result::NameTaken;
            outcome.detail = std::strerror(EEXIST);
        }
        file_.reset();
    } catch (const FileError& error) {
        fail(error.error());
    }
}

// The part is not stored; its temporary goes with the file object.
void UploadReceiver::fail(int error)
{
    outcomes_.back().result = Result::WriteFailed;
    outcomes_.back().detail = std::strerror(error);
    file_.reset();
}

} // namespace vexo::server
