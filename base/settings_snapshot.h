// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace vexo {

// The settings file as one read found it: its text, where each section
// lies in it, and the keys asked for so far, with what tells that version
// of the file from a later one (device, inode, size, modification and
// change times), so that reads can go on using it until the file changes.
// A key is looked for once per version, through its own section only:
// nothing is kept per line, so a file of millions of lines costs its text.
class SettingsSnapshot {
public:
    // Reads and parses the file at `path`. A missing file holds no keys; so
    // does one that cannot be read, which is never current.
    static std::shared_ptr<const SettingsSnapshot> Load(const std::string& path);

    // Whether `path` still names the file this snapshot was read from,
    // unchanged.
    bool current(const std::string& path) const;

    // The value, as it stands in the file (trimmed, quotes kept), of the
    // first such key in the first section of that name, both matched
    // without regard to ASCII case.
    std::optional<std::string_view> find(std::string_view section, std::string_view key) const;

    SettingsSnapshot(const SettingsSnapshot&) = delete;
    SettingsSnapshot& operator=(const SettingsSnapshot&) = delete;

    struct Identity {
        enum class State { Present, Missing, Unreadable } state = State::Missing;
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t modified = 0, changed = 0; // nanoseconds
        bool operator==(const Identity&) const = default;
    };

    struct NoCaseHash {
        std::size_t operator()(std::string_view text) const;
    };
    struct NoCaseEqual {
        bool operator()(std::string_view a, std::string_view b) const;
    };

private:
    SettingsSnapshot(Identity identity, std::string text);

    // The lines after a section's header, up to the next header.
    struct Lines {
        std::size_t begin;
        std::size_t end;
    };
    std::optional<std::string_view> lookUp(Lines lines, std::string_view key) const;

    Identity identity_;
    const std::string text_;                                                        // the views below point into it
    std::unordered_map<std::string_view, Lines, NoCaseHash, NoCaseEqual> sections_; // the first of each name
    mutable std::mutex mutex_;
    // By section and key, each in lower case.
    mutable std::map<std::pair<std::string, std::string>, std::optional<std::string_view>> found_;
};

} // namespace vexo
