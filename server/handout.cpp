// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/handout.h"

#include "decoder/container_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>

#include <sys/stat.h>

namespace vexo::server {

std::uint64_t HashBytes(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

WrapPlan MakeWrapPlan(std::uint64_t seed, std::string_view fileName, std::string storedName, std::int64_t plainSize)
{
    std::seed_seq sequence{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                           static_cast<std::uint32_t>(HashBytes(fileName)),
                           static_cast<std::uint32_t>(HashBytes(fileName) >> 32)};
    std::mt19937_64 random(sequence);
    WrapPlan plan;
    plan.key = static_cast<std::uint8_t>(random());
    const auto drawn = static_cast<std::int64_t>(random() % (kMaxLeadingBytes + 1));
    plan.leadingBytes.resize(static_cast<std::size_t>(std::max(drawn, LeadingBytesToReachMinimum(plainSize))));
    for (char& c : plan.leadingBytes)
        c = static_cast<char>(random());
    plan.storedName = std::move(storedName);
    return plan;
}

HandoutStream::HandoutStream(int fd, std::int64_t plainSize) : file_(fd, {}), plainSize_(plainSize)
{}

HandoutStream::HandoutStream(int fd, std::int64_t plainSize, WrapPlan plan)
    : file_(fd, {}), plainSize_(plainSize), wrapped_(true), key_(plan.key), leading_(std::move(plan.leadingBytes)),
      trailer_(MakeTrailer(static_cast<std::int32_t>(leading_.size()), key_, plan.storedName))
{}

std::int64_t HandoutStream::size() const
{
    return static_cast<std::int64_t>(leading_.size()) + plainSize_ + static_cast<std::int64_t>(trailer_.size());
}

std::int64_t HandoutStream::modified() const
{
    struct stat info {};
    return ::fstat(file_.fd(), &info) == 0 ? static_cast<std::int64_t>(info.st_mtim.tv_sec) : 0;
}

std::string HandoutStream::entityTag() const
{
    struct stat info {};
    if (::fstat(file_.fd(), &info) != 0)
        return {};
    char text[128];
    std::snprintf(text, sizeof text, "\"%llx-%llx-%llx.%lx-%llx\"", static_cast<unsigned long long>(info.st_ino),
                  static_cast<unsigned long long>(size()), static_cast<unsigned long long>(info.st_mtim.tv_sec),
                  static_cast<unsigned long>(info.st_mtim.tv_nsec),
                  static_cast<unsigned long long>(HashBytes(std::to_string(key_) + leading_ + trailer_)));
    return text;
}

std::size_t HandoutStream::read(std::int64_t offset, unsigned char* buffer, std::size_t length)
{
    const auto leadingSize = static_cast<std::int64_t>(leading_.size());
    const std::int64_t dataEnd = leadingSize + plainSize_;
    std::size_t filled = 0;
    while (filled < length && offset < size()) {
        unsigned char* out = buffer + filled;
        const std::size_t room = length - filled;
        std::size_t got = 0;
        if (offset < leadingSize) {
            got = std::min<std::size_t>(room, static_cast<std::size_t>(leadingSize - offset));
            std::memcpy(out, leading_.data() + offset, got);
        } else if (offset < dataEnd) {
            const std::size_t want = std::min<std::size_t>(room, static_cast<std::size_t>(dataEnd - offset));
            try {
                got = file_.readUpToAt(offset - leadingSize, out, want);
            } catch (const FileError& error) {
                throw std::runtime_error(std::string("read failed: ") + std::strerror(error.error()));
            }
            if (got < want)
                throw std::runtime_error("the file became shorter while it was handed out");
            if (wrapped_)
                XorBlock(out, got, key_);
        } else {
            got = std::min<std::size_t>(room, static_cast<std::size_t>(size() - offset));
            std::memcpy(out, trailer_.data() + (offset - dataEnd), got);
        }
        filled += got;
        offset += static_cast<std::int64_t>(got);
    }
    return filled;
}

} // namespace vexo::server
