// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/body_file.h"

#include "base/file_io.h"
#include "base/file_names.h"
#include "base/temporary_files.h"
#include "downloader/partial_download.h"

#include <cstring>

namespace vexo {

namespace {

FileError CreateError(const std::string& path, int error)
{
    return FileError(error, path, "Cannot create file \"" + path + "\". " + std::strerror(error));
}

} // namespace

BodyFile::BodyFile(const std::string& target, const PartialDownload& partial)
    : partial_(partial),
      file_(target, SaveOptions{.temporaryPrefix = kTemporaryPrefix, .keptTemporary = partial.dataPath()}),
      name_(FolderPart(target), FileNamePart(target))
{}

BodyFile::~BodyFile()
{
    if (!kept_) {
        // Bytes without a validator cannot be resumed: they go.
        if (started_ && !placed_)
            partial_.remove();
        return;
    }
    if (!file_.isOpen())
        return;
    // What arrived before the break is on its way to a resume.
    try {
        flush();
    } catch (const FileError&) {
        // The partial holds less: a resume asks from where it ends.
    }
}

void BodyFile::start(std::int64_t bytes)
{
    started_ = true;
    try {
        file_.resumeFrom(bytes);
    } catch (const FileError& error) {
        throw CreateError(file_.path(), error.error());
    }
}

void BodyFile::drop()
{
    file_.discard();
    partial_.remove();
}

void BodyFile::write(const char* data, std::size_t size)
{
    if (used_ + size > sizeof buffer_)
        flush();
    if (size >= sizeof buffer_) {
        file_.write(data, size);
        return;
    }
    std::memcpy(buffer_ + used_, data, size);
    used_ += size;
}

void BodyFile::commit(const std::atomic<bool>& calledOff)
{
    flush();
    file_.finish();
    if (calledOff)
        return;
    try {
        PlaceWithoutReplacing(file_, name_);
        placed_ = true;
    } catch (const FileError& error) {
        throw CreateError(name_.path(), error.error());
    }
    partial_.forget();
}

void BodyFile::flush()
{
    const std::size_t used = used_;
    used_ = 0;
    file_.write(buffer_, used);
}

} // namespace vexo
