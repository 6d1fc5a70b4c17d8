// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace vexo {

// What a broken-off download keeps so that a later attempt, in this run
// or a later one, asks only for the rest. Its bytes stay in a hidden file
// beside the target, kPartialPrefix + the target's name (shortened, and
// with the characters FAT refuses as "_"; base/temporary_files.h); beside
// it a small record, kResumeRecordPrefix + the name, written whole (so it is sound on any file system, vfat
// included), says what those bytes are: the address, the listed size, and
// the validator the server named for the file, its strong ETag or else its
// Last-Modified date, which the resume sends as If-Range. Bytes without a
// record, or a record for another address, size or validator, are not
// resumed: the file is fetched whole, never made of two versions.
class PartialDownload {
public:
    // `target` is the path the download is asked to have.
    explicit PartialDownload(const std::string& target);

    const std::string& dataPath() const { return dataPath_; }

    // The bytes kept for `url` listed with `listedSize`, and their
    // validator: nothing when no usable record names them.
    struct Kept {
        std::int64_t bytes = 0;
        std::string validator;
    };
    std::optional<Kept> kept(const std::string& url, const std::string& listedSize) const;

    // Records that the bytes being written are those of `url`, listed with
    // `listedSize`, as the server's `validator` names them. Throws
    // FileError when the record cannot be written.
    void record(const std::string& url, const std::string& listedSize, const std::string& validator) const;
    // Removes the record alone: what the file holds can no longer be resumed.
    void forget() const;
    // Removes the bytes and the record.
    void remove() const;

private:
    std::string dataPath_;
    std::string recordPath_;
};

// Removes the partial downloads in `folder` (and their records) for every
// target name not in `targetNames`: files a whole list no longer holds.
void RemovePartialsExcept(const std::string& folder, const std::set<std::string>& targetNames);

} // namespace vexo
