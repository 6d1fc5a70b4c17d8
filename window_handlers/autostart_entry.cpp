// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_handlers/autostart_entry.h"

#include "base/atomic_file.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/file_system.h"
#include "base/settings_store.h"

#include <cerrno>
#include <stdexcept>
#include <string_view>

#include <unistd.h>

namespace vexo {

namespace {

// An entry is a few hundred bytes; a larger file is read this far only.
constexpr std::size_t kMaxEntryBytes = 64 * 1024;

enum class EntryRead { Missing, Unreadable, Read };

EntryRead ReadEntry(const std::string& path, std::string& text)
{
    text.clear();
    PosixFile file = PosixFile::OpenReadOnly(path);
    if (!file.isOpen())
        return errno == ENOENT || errno == ENOTDIR ? EntryRead::Missing : EntryRead::Unreadable;
    if (!file.isRegular())
        return EntryRead::Missing;
    try {
        text = ReadToEnd(file, kMaxEntryBytes);
    } catch (const FileError&) {
        return EntryRead::Unreadable;
    }
    return EntryRead::Read;
}

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// "Hidden=true" in the group [Desktop Entry]: the entry is deleted as far
// as the desktop is concerned.
bool IsHidden(std::string_view text)
{
    bool inMainGroup = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto equals = line.find('=');
        if (!inMainGroup || equals == std::string_view::npos || Trimmed(line.substr(0, equals)) != "Hidden")
            continue;
        const std::string_view value = Trimmed(line.substr(equals + 1));
        // Desktop entries write their booleans "true" and "false"; GLib takes "1" too.
        return value == "true" || value == "1";
    }
    return false;
}

// The string escapes of a Desktop Entry value, applied after the Exec quoting.
std::string EscapeValue(std::string_view value)
{
    std::string escaped;
    for (const char ch : value) {
        switch (ch) {
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += ch;
        }
    }
    return escaped;
}

void WriteEntry(const std::string& entryPath, const std::string& executablePath)
{
    const std::string text = AutostartEntryText(executablePath);
    std::string old;
    // The same text again would gain nothing but a write to the disk.
    if (ReadEntry(entryPath, old) == EntryRead::Read && old == text)
        return;
    MakeFolder(FolderOf(entryPath));
    try {
        // Without a name until it is whole: a crash leaves no entry that
        // the desktop would start half-written.
        AtomicFile file(entryPath, SaveOptions{.unnamed = true});
        file.write(text);
        file.commit();
    } catch (const FileError&) {
        throw std::runtime_error("Unable to write to " + entryPath);
    }
}

void RemoveEntry(const std::string& entryPath)
{
    // An entry switched off by "Hidden=true" may be hiding a system-wide
    // one of the same name: it stays.
    if (!StartsAtLogin(entryPath))
        return;
    if (::unlink(entryPath.c_str()) != 0 && errno != ENOENT)
        throw std::runtime_error("Unable to delete " + entryPath);
}

} // namespace

std::string AutostartEntryPath()
{
    return UserConfigFolder() + "/autostart/" + kAutostartEntryName;
}

bool StartsAtLogin(const std::string& entryPath)
{
    std::string text;
    switch (ReadEntry(entryPath, text)) {
    case EntryRead::Missing: return false;
    // There, even if it cannot be read: the desktop may well start it.
    case EntryRead::Unreadable: return true;
    case EntryRead::Read: return !IsHidden(text);
    }
    return false;
}

std::string QuoteExecArgument(const std::string& argument)
{
    // The characters an Exec line reserves; an argument with any of them is quoted.
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    const bool quote = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
    if (quote)
        quoted += '"';
    for (const char ch : argument) {
        if (ch == '%')
            quoted += '%'; // a literal "%", not a field code
        else if (quote && (ch == '"' || ch == '`' || ch == '$' || ch == '\\'))
            quoted += '\\';
        quoted += ch;
    }
    if (quote)
        quoted += '"';
    return quoted;
}

std::string AutostartEntryText(const std::string& executablePath)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Vexorama\n"
           "Comment=Start Vexorama in the system tray at login, with the automatic check on\n"
           "Comment[ru]=Запуск Vexorama в трее при входе в систему, с автопроверкой\n"
           "Exec="
           + EscapeValue(QuoteExecArgument(executablePath) + " --tray")
           + "\n"
             "Icon=io.github.vexorama.Vexorama\n"
             "Terminal=false\n"
             "X-GNOME-Autostart-enabled=true\n";
}

void SetStartAtLogin(const std::string& entryPath, bool on, const std::string& executablePath)
{
    if (on)
        WriteEntry(entryPath, executablePath);
    else
        RemoveEntry(entryPath);
}

StartAtLoginChoice ReadStartAtLogin(const std::string& entryPath)
{
    const bool starts = StartsAtLogin(entryPath);
    return {.shown = starts, .chosen = starts};
}

void ApplyStartAtLogin(StartAtLoginChoice& choice, const std::string& entryPath, const std::string& executablePath)
{
    if (choice.chosen == choice.shown)
        return;
    SetStartAtLogin(entryPath, choice.chosen, executablePath);
    choice.shown = choice.chosen;
}

} // namespace vexo
