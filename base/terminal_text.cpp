// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/terminal_text.h"

#include "base/cp1251.h"

#include <cstddef>

namespace vexo {

namespace {

void AppendEscaped(std::string& out, unsigned char byte)
{
    const char* const digits = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

// The length of the well-formed UTF-8 character at the start of `text`
// that is no control character, or 0. The C1 controls count too: some
// terminals obey them as they do ESC [.
std::size_t PrintableCharacterLength(std::string_view text)
{
    const std::size_t length = WellFormedUtf8Length(text);
    const auto lead = static_cast<unsigned char>(text[0]);
    if (length == 1 && (lead < 0x20 || lead == 0x7F))
        return 0;
    if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[1]) <= 0x9F)
        return 0;
    return length;
}

} // namespace

std::string TerminalText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::size_t length = PrintableCharacterLength(text);
        if (length > 0)
            out.append(text.substr(0, length));
        else if (text.front() == '\n')
            out += '\n';
        else
            AppendEscaped(out, static_cast<unsigned char>(text.front()));
        text.remove_prefix(length > 0 ? length : 1);
    }
    return out;
}

} // namespace vexo
