// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ini_syntax.h"

namespace vexo {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string_view IniLineContent(std::string_view line, bool firstLine)
{
    if (firstLine && line.substr(0, 3) == "\xEF\xBB\xBF")
        line.remove_prefix(3);
    return TrimBlanks(line);
}

std::optional<std::string_view> IniSectionName(std::string_view content)
{
    if (content.empty() || content.front() != '[')
        return std::nullopt;
    const std::size_t close = content.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return TrimBlanks(content.substr(1, close - 1));
}

std::optional<IniKeyLine> ParseIniKeyLine(std::string_view content)
{
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return IniKeyLine{TrimBlanks(content.substr(0, equals)), TrimBlanks(content.substr(equals + 1))};
}

bool IsQuoted(std::string_view value)
{
    return value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
}

std::string_view Unquote(std::string_view value)
{
    return IsQuoted(value) ? value.substr(1, value.size() - 2) : value;
}

} // namespace vexo
