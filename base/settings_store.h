// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/settings_keys.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace vexo {

class SettingsSnapshot;

// A refused write to the settings file; the text names the file.
class SettingsWriteError : public std::runtime_error {
public:
    explicit SettingsWriteError(const std::string& path);
};

// The program's INI settings file, read and written key by key. A read
// parses the file once and goes on using what it parsed while the file
// stays the same (same inode, size and times, and no write in between);
// every write replaces the file at once, so two stores on the same path
// see each other's writes immediately. Sections and keys are matched
// without regard to ASCII case; lines the program does not know are kept
// as they are. Values are UTF-8; one that is not valid UTF-8 (a file from
// the original Windows program) is read as Windows-1251, and CRLF lines
// and a UTF-8 byte order mark are taken as well. Each write goes to a
// temporary file beside the settings file that is then renamed over it, so
// a crash or a full disk never leaves a truncated file behind. A write reads
// and replaces the file under an exclusive lock of it (made empty first
// when there is none), so that writes from several copies of the program
// at once never lose each other's keys; reads need no lock, the file only
// ever being replaced whole.
class SettingsStore {
public:
    explicit SettingsStore(std::string path);

    const std::string& path() const { return path_; }

    // A missing file, section or key yields the default. A value is read
    // back with at most 2047 characters.
    std::string readString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // Decimal, "$" hex or "0x" hex; anything else yields the default.
    std::int32_t readInteger(const std::string& section, const std::string& key, std::int32_t defaultValue) const;
    // Read as an integer: any value other than 0 is true.
    bool readBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Each throws SettingsWriteError when the file cannot be written; the
    // file then keeps its previous contents.
    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, std::int32_t value);
    void writeBool(const std::string& section, const std::string& key, bool value);

    // The same through the keys the program declares (base/settings_keys.h).
    std::string readString(const Setting<std::string_view>& setting) const;
    std::string readString(const SettingKey& key, const std::string& defaultValue) const;
    std::int32_t readInteger(const Setting<std::int32_t>& setting) const;
    bool readBool(const Setting<bool>& setting) const;
    void writeString(const SettingKey& key, const std::string& value);
    void writeInteger(const SettingKey& key, std::int32_t value);
    void writeBool(const SettingKey& key, bool value);
    // Several keys in one replacement of the file: all of them or none.
    void writeStrings(std::initializer_list<std::pair<SettingKey, std::string>> values);

private:
    // The value as it stands in the file, unquoted and in UTF-8.
    std::optional<std::string> readValue(const std::string& section, const std::string& key) const;

    struct ReadCache {
        std::mutex mutex;
        std::shared_ptr<const SettingsSnapshot> snapshot;
        std::uint64_t writes = 0;
    };

    std::string path_;
    std::shared_ptr<ReadCache> cache_ = std::make_shared<ReadCache>();
};

// The base folder of the user's configuration: $XDG_CONFIG_HOME when it is an
// absolute path, ~/.config otherwise.
std::string UserConfigFolder();

// Whether the program runs installed: from one of the system's program
// folders (/usr, /usr/local, /opt) or from a folder the user cannot write.
// A build tree or an unpacked portable folder is not installed.
bool RunsInstalled(const std::string& executablePath);

// Where the settings live: beside the executable, its path with ".INI" in
// place of its extension, or, for an installed copy (root's included),
// $XDG_CONFIG_HOME/vexorama/vexorama.INI (default ~/.config/...).
std::string SettingsFilePath(const std::string& executablePath);

// The folder files go to by default: the executable's folder (`programFolder`,
// with its trailing "/"), or for an installed copy the user's download
// folder + "/Vexorama/".
std::string DefaultWorkingFolder(const std::string& executablePath, const std::string& programFolder,
                                 const std::string& downloadFolder);

} // namespace vexo
