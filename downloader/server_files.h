// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

namespace vexo {

// One file of the server's list, its four lines in the order they arrive.
// `FileName` and `SizeText` are UTF-8; `Url` and `RemoveRef` keep the bytes
// the server sent, since they go back onto the wire.
struct ServerFile {
    std::string fileName;
    std::string url;
    std::string removeRef;
    std::string sizeText;
};

// The files listed by the last check that sent its request: 255 entries
// addressed from 1. Every check refills it from entry 1; the download tasks
// it queues carry their own copy of their file.
class ServerFiles {
public:
    static constexpr int kCapacity = 255;

    int serverFileCount() const { return count_; }
    bool full() const { return count_ >= kCapacity; }

    // Entry 1 to kCapacity.
    const ServerFile& at(int position) const { return entries_.at(static_cast<std::size_t>(position - 1)); }

    void reset()
    {
        count_ = 0;
        whole_ = false;
    }
    // Stores the next entry; false when the table is full.
    bool add(ServerFile file);
    // The list ended with "=END=": every file the server holds is here.
    void markWhole() { whole_ = true; }
    bool whole() const { return whole_; }

private:
    std::array<ServerFile, kCapacity> entries_;
    int count_ = 0;
    bool whole_ = false;
};

} // namespace vexo
