// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

namespace vexo {

// How the lines of the settings file read: shared by the store's writes and
// by the parsed copy its reads use, so that both find the same keys.

// Blanks around a line or a value: spaces, tabs and the "\r" of a CRLF line.
std::string_view TrimBlanks(std::string_view text);

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// A line's text for matching: trimmed, and, on the file's first line,
// without the UTF-8 byte order mark that some editors put in front.
std::string_view IniLineContent(std::string_view line, bool firstLine);

// The name of a "[section]" line, trimmed; nothing for any other line.
std::optional<std::string_view> IniSectionName(std::string_view content);

// A "key=value" line, both trimmed.
struct IniKeyLine {
    std::string_view key;
    std::string_view value;
};
std::optional<IniKeyLine> ParseIniKeyLine(std::string_view content);

// A value inside one pair of matching quotes ("..." or '...').
bool IsQuoted(std::string_view value);
std::string_view Unquote(std::string_view value);

} // namespace vexo
