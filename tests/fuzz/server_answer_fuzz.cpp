// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: any bytes as the server's answer to a listing request.
#include "downloader/line_reader.h"
#include "downloader/server_answer.h"
#include "downloader/server_files.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

// Hands the answer out in small pieces, so reads that span several peeks
// are fuzzed as well.
class TricklingStream : public vexo::ByteStream {
public:
    TricklingStream(std::string_view bytes, std::size_t piece) : bytes_(bytes), piece_(piece) {}

    std::size_t peek(char* buffer, std::size_t size) override
    {
        shown_ = std::min({size, bytes_.size(), piece_});
        std::copy_n(bytes_.data(), shown_, buffer);
        return shown_;
    }
    void consume(std::size_t size) override
    {
        if (size > shown_)
            std::abort(); // a read took bytes it was never shown
        shown_ = 0;
        bytes_.remove_prefix(size);
    }

private:
    std::string_view bytes_;
    std::size_t piece_;
    std::size_t shown_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    auto files = std::make_unique<vexo::ServerFiles>();
    TricklingStream stream(bytes, piece);
    const vexo::AnswerKind kind = vexo::ReadServerAnswer(stream, *files);
    if (kind != vexo::AnswerKind::Connected && files->serverFileCount() != 0)
        std::abort();
    if (files->serverFileCount() > vexo::ServerFiles::kCapacity)
        std::abort();
    for (int i = 1; i <= files->serverFileCount(); ++i) {
        const vexo::ServerFile& file = files->at(i);
        if (file.url.size() > vexo::kMaxLineLength || file.removeRef.size() > vexo::kMaxLineLength)
            std::abort();
    }
    return 0;
}
