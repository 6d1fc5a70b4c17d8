// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/settings_store.h"

#include "base/atomic_file.h"
#include "base/cp1251.h"
#include "base/file_io.h"
#include "base/file_system.h"
#include "base/ini_syntax.h"
#include "base/int_text.h"
#include "base/settings_snapshot.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo {

namespace {

constexpr std::size_t kMaxValueCharacters = 2047;
constexpr unsigned kNewFileMode = 0600; // the file holds the server password

// ---- The file as lines ----------------------------------------------------

// Lines without their "\n"; a line from a "\r\n" file keeps its "\r", so
// lines the program does not touch are written back byte for byte.
struct IniLines {
    std::vector<std::string> lines;
    bool endsWithNewline = false;
};

IniLines SplitLines(const std::string& text)
{
    IniLines ini;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            ini.lines.push_back(text.substr(start));
            return ini;
        }
        ini.lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    ini.endsWithNewline = !text.empty();
    return ini;
}

std::string JoinLines(const IniLines& ini)
{
    std::string text;
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        text += ini.lines[i];
        if (i + 1 < ini.lines.size() || ini.endsWithNewline)
            text += '\n';
    }
    return text;
}

std::string_view LineContent(const IniLines& ini, std::size_t index)
{
    return IniLineContent(ini.lines[index], index == 0);
}

// Lines [header, end) of the first section of that name.
struct SectionRange {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionRange> FindSection(const IniLines& ini, std::string_view section)
{
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        const auto name = IniSectionName(LineContent(ini, i));
        if (!name || !EqualsIgnoreAsciiCase(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < ini.lines.size() && !IniSectionName(LineContent(ini, end)))
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const IniLines& ini, SectionRange range, std::string_view key)
{
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const auto line = ParseIniKeyLine(LineContent(ini, i));
        if (line && EqualsIgnoreAsciiCase(line->key, key))
            return i;
    }
    return std::nullopt;
}

// Reading trims blanks and strips one pair of quotes, so a value that would
// lose either is written inside double quotes and reads back as it was.
std::string EncodeValue(const std::string& value)
{
    if (TrimBlanks(value).size() != value.size() || IsQuoted(value))
        return '"' + value + '"';
    return value;
}

void SetValue(IniLines& ini, const std::string& section, const std::string& key, const std::string& value)
{
    const std::string line = key + "=" + EncodeValue(value);
    std::size_t index;
    if (const auto range = FindSection(ini, section)) {
        if (const auto existing = FindKey(ini, *range, key)) {
            index = *existing;
            ini.lines[index] = line;
        } else {
            // After the section's last non-blank line, so that blank lines
            // separating it from the next section stay where they are.
            index = range->header + 1;
            for (std::size_t i = range->header + 1; i < range->end; ++i) {
                if (!LineContent(ini, i).empty())
                    index = i + 1;
            }
            ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(index), line);
        }
    } else {
        if (!ini.lines.empty() && !LineContent(ini, ini.lines.size() - 1).empty())
            ini.lines.emplace_back();
        ini.lines.push_back("[" + section + "]");
        ini.lines.push_back(line);
        index = ini.lines.size() - 1;
    }
    if (index + 1 == ini.lines.size())
        ini.endsWithNewline = true;
}

std::string CapCharacters(const std::string& text, std::size_t maxCharacters)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (continuation)
            continue;
        if (characters == maxCharacters)
            return text.substr(0, i);
        ++characters;
    }
    return text;
}

// ---- The file on disk -----------------------------------------------------

// The whole of an open file, or nothing when a read fails.
bool ReadWhole(PosixFile& file, std::string& text)
{
    try {
        text = ReadToEnd(file);
    } catch (const FileError&) {
        text.clear();
        return false;
    }
    return true;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The settings file with an exclusive flock(2) on it, held while the
// returned file is open: a store reads the file and replaces it under the
// lock, so that two copies of the program storing at once never write back
// a file without the other's keys. A file not made yet is made empty
// (where the path is a link to a file not made yet, that file). The writer
// a store waited for may have renamed a new file over the one locked: the
// new one is locked then. A closed file when the settings file cannot be
// opened or is no regular file.
PosixFile LockForStore(const std::string& path)
{
    for (;;) {
        // Read access is enough for the lock, and a file the program may
        // not change still reaches the write that reports it. O_NONBLOCK:
        // opening a FIFO would wait for its other end.
        PosixFile file = PosixFile::Open(path, O_RDONLY | O_CREAT | O_NONBLOCK, kNewFileMode);
        if (!file.isOpen() || !file.isRegular())
            return {};
        int locked;
        do
            locked = ::flock(file.fd(), LOCK_EX);
        while (locked != 0 && errno == EINTR);
        // A file system without locks: the store goes on as it would alone.
        if (locked != 0)
            return file;
        struct stat opened {};
        struct stat named {};
        if (::fstat(file.fd(), &opened) != 0)
            return {};
        if (::stat(path.c_str(), &named) == 0) {
            if (SameFile(opened, named))
                return file;
        } else if (errno != ENOENT) {
            return {};
        }
    }
}

// The old file is either left as it was or replaced whole; a link named by
// the path stays, and the file it leads to is replaced.
bool ReplaceFile(const std::string& path, const std::string& text)
{
    try {
        AtomicFile file(path, SaveOptions{.newFileMode = kNewFileMode});
        file.write(text);
        file.commit();
        return true;
    } catch (const FileError&) {
        return false;
    }
}

// Counted by every write of any store, so that each store's parsed copy
// of the file is read again after it.
std::atomic<std::uint64_t> writesInThisProcess{0};

} // namespace

SettingsWriteError::SettingsWriteError(const std::string& path) : std::runtime_error("Unable to write to " + path)
{}

SettingsStore::SettingsStore(std::string path) : path_(std::move(path))
{}

std::optional<std::string> SettingsStore::readValue(const std::string& section, const std::string& key) const
{
    std::shared_ptr<const SettingsSnapshot> snapshot;
    {
        const std::lock_guard guard(cache_->mutex);
        // A write of this process may land within the file system's time
        // granularity, with an inode number just freed: it always counts.
        const std::uint64_t writes = writesInThisProcess.load();
        if (!cache_->snapshot || cache_->writes != writes || !cache_->snapshot->current(path_)) {
            cache_->snapshot = SettingsSnapshot::Load(path_);
            cache_->writes = writes;
        }
        snapshot = cache_->snapshot;
    }
    const auto value = snapshot->find(section, key);
    if (!value)
        return std::nullopt;
    // A file brought over from the original program holds Windows-1251.
    return Utf8OrCp1251ToUtf8(Unquote(*value));
}

std::string SettingsStore::readString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const
{
    const auto value = readValue(section, key);
    return value ? CapCharacters(*value, kMaxValueCharacters) : defaultValue;
}

std::int32_t SettingsStore::readInteger(const std::string& section, const std::string& key,
                                        std::int32_t defaultValue) const
{
    const auto value = readValue(section, key);
    if (!value)
        return defaultValue;
    return ParseInt32(*value).value_or(defaultValue);
}

bool SettingsStore::readBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void SettingsStore::writeString(const std::string& section, const std::string& key, const std::string& value)
{
    writeStrings({{SettingKey{section, key}, value}});
}

void SettingsStore::writeStrings(std::initializer_list<std::pair<SettingKey, std::string>> values)
{
    // A line break inside a value would turn the rest of it into lines of
    // their own (keys or sections of the file), so such a value is refused.
    for (const auto& [key, value] : values) {
        if (value.find_first_of("\r\n") != std::string::npos)
            throw SettingsWriteError(path_);
    }

    // The folder box stores itself at every start: a file that holds these
    // values already is left alone, and is not even read again whole.
    if (std::all_of(values.begin(), values.end(), [this](const auto& entry) {
            return readValue(std::string(entry.first.section), std::string(entry.first.key)) == entry.second;
        }))
        return;

    // Held until the new file is in place.
    PosixFile locked = LockForStore(path_);
    std::string text;
    // A file that exists but cannot be read is not overwritten: its
    // contents would be lost.
    if (!locked.isOpen() || !ReadWhole(locked, text))
        throw SettingsWriteError(path_);

    IniLines ini = SplitLines(text);
    for (const auto& [key, value] : values)
        SetValue(ini, std::string(key.section), std::string(key.key), value);
    const std::string updated = JoinLines(ini);
    // The folder box stores itself at every start: replacing the file (and
    // flushing it to disk) with the text it already holds would gain nothing.
    if (updated == text)
        return;
    const bool replaced = ReplaceFile(path_, updated);
    ++writesInThisProcess;
    if (!replaced)
        throw SettingsWriteError(path_);
}

void SettingsStore::writeInteger(const std::string& section, const std::string& key, std::int32_t value)
{
    writeString(section, key, std::to_string(value));
}

void SettingsStore::writeBool(const std::string& section, const std::string& key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

std::string SettingsStore::readString(const Setting<std::string_view>& setting) const
{
    return readString(setting, std::string(setting.defaultValue));
}

std::string SettingsStore::readString(const SettingKey& key, const std::string& defaultValue) const
{
    return readString(std::string(key.section), std::string(key.key), defaultValue);
}

std::int32_t SettingsStore::readInteger(const Setting<std::int32_t>& setting) const
{
    return readInteger(std::string(setting.section), std::string(setting.key), setting.defaultValue);
}

bool SettingsStore::readBool(const Setting<bool>& setting) const
{
    return readBool(std::string(setting.section), std::string(setting.key), setting.defaultValue);
}

void SettingsStore::writeString(const SettingKey& key, const std::string& value)
{
    writeString(std::string(key.section), std::string(key.key), value);
}

void SettingsStore::writeInteger(const SettingKey& key, std::int32_t value)
{
    writeInteger(std::string(key.section), std::string(key.key), value);
}

void SettingsStore::writeBool(const SettingKey& key, bool value)
{
    writeBool(std::string(key.section), std::string(key.key), value);
}

std::string UserConfigFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    return (std::filesystem::path(HomeFolder()) / ".config").string();
}

bool RunsInstalled(const std::string& executablePath)
{
    std::filesystem::path folder = std::filesystem::path(executablePath).parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code unresolved;
    const std::filesystem::path resolved = std::filesystem::canonical(folder, unresolved);
    const std::string text = (unresolved ? folder : resolved).string() + "/";
    for (const char* systemFolder : {"/usr/", "/opt/"}) {
        if (text.rfind(systemFolder, 0) == 0)
            return true;
    }
    return ::access(folder.c_str(), W_OK) != 0;
}

std::string SettingsFilePath(const std::string& executablePath)
{
    if (!RunsInstalled(executablePath)) {
        std::filesystem::path beside(executablePath);
        beside.replace_extension(".INI");
        return beside.string();
    }

    // An installed copy: the per-user file. Creating the folder may fail;
    // the first write then reports the path it could not write.
    const std::filesystem::path configFolder(UserConfigFolder());
    const std::filesystem::path ownFolder = configFolder / "vexorama";
    std::error_code reportedByTheWrite;
    std::filesystem::create_directories(configFolder, reportedByTheWrite);
    ::mkdir(ownFolder.c_str(), 0700);
    return (ownFolder / "vexorama.INI").string();
}

std::string DefaultWorkingFolder(const std::string& executablePath, const std::string& programFolder,
                                 const std::string& downloadFolder)
{
    if (!RunsInstalled(executablePath))
        return programFolder;
    const std::string downloads = downloadFolder.empty() ? HomeFolder() + "/Downloads" : downloadFolder;
    return downloads + "/Vexorama/";
}

} // namespace vexo
