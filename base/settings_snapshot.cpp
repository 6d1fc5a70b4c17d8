// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/settings_snapshot.h"

#include "base/file_io.h"
#include "base/ini_syntax.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <sys/stat.h>

namespace vexo {

namespace {

using Identity = SettingsSnapshot::Identity;

Identity IdentityOf(const struct stat& status)
{
    constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
    const auto nanoseconds = [](const timespec& time) {
        return static_cast<std::int64_t>(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
    };
    return {Identity::State::Present,
            static_cast<std::uint64_t>(status.st_dev),
            static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::uint64_t>(status.st_size),
            nanoseconds(status.st_mtim),
            nanoseconds(status.st_ctim)};
}

Identity IdentityAt(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return IdentityOf(status);
    return {errno == ENOENT ? Identity::State::Missing : Identity::State::Unreadable};
}

// The whole file in one piece, read straight into place: the size it had
// when opened is only the first guess.
std::string ReadAll(PosixFile& file, std::uint64_t size)
{
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == text.size())
            text.resize(text.size() * 2);
        const std::size_t got = file.readUpTo(text.data() + used, text.size() - used);
        if (got == 0)
            break;
        used += got;
    }
    text.resize(used);
    return text;
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
    return lower;
}

} // namespace

std::size_t SettingsSnapshot::NoCaseHash::operator()(std::string_view text) const
{
    std::size_t hash = 14695981039346656037ULL;
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(LowerAscii(c))) * 1099511628211ULL;
    return hash;
}

bool SettingsSnapshot::NoCaseEqual::operator()(std::string_view a, std::string_view b) const
{
    return EqualsIgnoreAsciiCase(a, b);
}

std::shared_ptr<const SettingsSnapshot> SettingsSnapshot::Load(const std::string& path)
{
    PosixFile file = PosixFile::OpenReadOnly(path);
    Identity identity{errno == ENOENT ? Identity::State::Missing : Identity::State::Unreadable};
    std::string text;
    struct stat status {};
    if (file.isOpen() && file.isRegular() && ::fstat(file.fd(), &status) == 0) {
        try {
            text = ReadAll(file, static_cast<std::uint64_t>(status.st_size));
            // What was read is the file that was opened: the program only
            // ever replaces the file whole, never writes into it.
            identity = IdentityOf(status);
        } catch (const FileError&) {
            text.clear();
        }
    }
    if (file.isOpen() && identity.state != Identity::State::Present)
        identity.state = Identity::State::Unreadable;
    return std::shared_ptr<const SettingsSnapshot>(new SettingsSnapshot(identity, std::move(text)));
}

SettingsSnapshot::SettingsSnapshot(Identity identity, std::string text) : identity_(identity), text_(std::move(text))
{
    // Only the first section of a name is ever read: later ones are not kept.
    const std::string_view all = text_;
    Lines* open = nullptr;
    for (std::size_t start = 0; start < all.size();) {
        std::size_t end = all.find('\n', start);
        if (end == std::string_view::npos)
            end = all.size();
        const std::string_view content = IniLineContent(all.substr(start, end - start), start == 0);
        if (const auto name = IniSectionName(content)) {
            if (open)
                open->end = start;
            const auto [found, added] = sections_.try_emplace(*name, Lines{end + 1, all.size()});
            open = added ? &found->second : nullptr;
        }
        start = end + 1;
    }
}

std::optional<std::string_view> SettingsSnapshot::lookUp(Lines lines, std::string_view key) const
{
    const std::string_view all = text_;
    for (std::size_t start = lines.begin; start < std::min(lines.end, all.size());) {
        std::size_t end = all.find('\n', start);
        if (end == std::string_view::npos)
            end = all.size();
        const std::string_view content = TrimBlanks(all.substr(start, end - start));
        start = end + 1;
        // Most lines are told apart by their first letter alone.
        if (!key.empty() && (content.empty() || LowerAscii(content.front()) != LowerAscii(key.front())))
            continue;
        const auto line = ParseIniKeyLine(content);
        if (line && EqualsIgnoreAsciiCase(line->key, key))
            return line->value;
    }
    return std::nullopt;
}

bool SettingsSnapshot::current(const std::string& path) const
{
    return identity_.state != Identity::State::Unreadable && IdentityAt(path) == identity_;
}

std::optional<std::string_view> SettingsSnapshot::find(std::string_view section, std::string_view key) const
{
    const auto lines = sections_.find(section);
    if (lines == sections_.end())
        return std::nullopt;
    const std::lock_guard guard(mutex_);
    const auto [found, added] = found_.try_emplace({Lower(section), Lower(key)});
    if (added)
        found->second = lookUp(lines->second, key);
    return found->second;
}

} // namespace vexo
