// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "server/handout.h"
#include "server/server_log.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vexo::server {

// One file waiting in the account.
struct WaitingFile {
    std::string id;         // 16 hex digits, from the name on disk
    std::string diskName;   // UTF-8, as in the folder
    std::string listedName; // UTF-8: the name on disk, or the encoded name when wrapped
    std::int64_t plainSize = 0;
    std::optional<WrapPlan> wrap;

    // What a download delivers.
    std::int64_t handoutSize() const;
};

// The account: the regular files of one folder (links and sub-folders are
// not files of the account). Requests name files by id only, so nothing a
// client sends is ever joined to the folder's path except an uploaded
// file's name, which IsSafeFileName vets first.
class AccountFolder {
public:
    AccountFolder(std::string folder, std::vector<std::string> wrapGlobs, std::uint64_t seed, ServerLog& log);

    const std::string& path() const { return folder_; }

    // Waiting files sorted by name. Files whose names cannot travel in the
    // line protocol are left out (each is logged once).
    std::vector<WaitingFile> list();
    std::optional<WaitingFile> find(std::string_view id);

    // Opens the file's download; nullptr when the id is unknown.
    std::unique_ptr<HandoutStream> open(std::string_view id);

    // Deletes the file from the folder; the removed file, or nullopt when
    // the id is unknown.
    std::optional<WaitingFile> remove(std::string_view id);

    // Names of files being uploaded, which are not waiting yet.
    static constexpr std::string_view kUploadPrefix = ".vexo-upload-";

private:
    std::optional<WaitingFile> describe(const std::string& name, std::int64_t size);
    bool wraps(const std::string& name) const;
    void reportOnce(const std::string& name, const std::string& reason);

    std::string folder_;
    std::vector<std::string> wrapGlobs_;
    std::uint64_t seed_;
    ServerLog& log_;
    std::mutex reportedMutex_;
    std::set<std::string> reported_;
};

// A name that can be stored in the folder as it stands: one path element,
// not "." or "..", no control characters, valid UTF-8 that Windows-1251
// can hold, at most 255 bytes, and not one of the upload temporaries.
bool IsSafeFileName(std::string_view name);

} // namespace vexo::server
