// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The start at login: a per-user XDG autostart entry that runs the program
// with "--tray". Only the user's own entry is ever written or removed;
// nothing goes to /etc.

namespace vexo {

// Named after the program's desktop file, as XDG autostart expects.
inline constexpr const char* kAutostartEntryName = "io.github.vexorama.Vexorama.desktop";

// $XDG_CONFIG_HOME/autostart/io.github.vexorama.Vexorama.desktop
// (~/.config/autostart/... when XDG_CONFIG_HOME is not an absolute path).
std::string AutostartEntryPath();

// Whether the entry at `entryPath` starts the program at login: it exists
// and is not switched off by "Hidden=true".
bool StartsAtLogin(const std::string& entryPath);

// One argument of an Exec line, quoted as desktop entries require when
// it holds a space or a reserved character, with "%" doubled.
std::string QuoteExecArgument(const std::string& argument);

// The entry's whole text: it runs `executablePath` (absolute) with "--tray".
std::string AutostartEntryText(const std::string& executablePath);

// Writes the entry (making the autostart folder when it is missing) or
// removes that one file. The entry is written whole or not at all; an
// entry switched off by "Hidden=true" is left alone when turning it off.
// A refusal throws std::runtime_error with the text the user reads
// ("Unable to write to <path>", "Unable to delete <path>").
void SetStartAtLogin(const std::string& entryPath, bool on, const std::string& executablePath);

// The settings dialog's box "Запускать при входе в систему": what the entry
// was when the dialog opened, and what the box says now.
struct StartAtLoginChoice {
    bool shown = false;
    bool chosen = false;
};

// On opening: the box shows whether the entry starts the program.
StartAtLoginChoice ReadStartAtLogin(const std::string& entryPath);

// "OK": writes or removes the entry when the box was changed since the
// dialog opened. An untouched box leaves the entry as it is, whoever wrote it.
void ApplyStartAtLogin(StartAtLoginChoice& choice, const std::string& entryPath, const std::string& executablePath);

} // namespace vexo
