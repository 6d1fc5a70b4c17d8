// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/atomic_file.h"
#include "base/file_io.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexo::server {

// Stores the files of one multipart upload into the account folder as they
// stream in. Each file is written under a temporary name first and gets its
// own name only when complete, and never replaces a waiting file, so a
// listing never sees half a file.
class UploadReceiver {
public:
    enum class Result { Stored, NoFile, UnsafeName, NameTaken, WriteFailed, Interrupted };

    struct Outcome {
        std::string name;
        Result result;
        std::int64_t size = 0;
        std::string detail; // the system's reason for WriteFailed
    };

    explicit UploadReceiver(std::string folder);
    UploadReceiver(const UploadReceiver&) = delete;
    UploadReceiver& operator=(const UploadReceiver&) = delete;

    // A new part of the form begins; only parts of the field "file" are
    // stored. Always true: one bad file does not spoil the others.
    bool beginPart(const std::string& field, const std::string& fileName);
    bool append(const char* data, std::size_t size);
    // complete: the whole request body arrived.
    std::vector<Outcome> finish(bool complete);

private:
    void endPart(bool complete);
    void fail(int error);

    std::string folder_;
    std::vector<Outcome> outcomes_;
    bool inFile_ = false;
    std::optional<AtomicFile> file_; // the file of the current part, while it is written
};

} // namespace vexo::server
