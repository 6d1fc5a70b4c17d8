// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/terminal_text.h"

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
// that is no control character, or 0.
std::size_t PrintableCharacterLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead >= 0x20 && lead < 0x7F)
        return 1;
    std::size_t length = 0;
    unsigned lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    unsigned code = lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates, past U+10FFFF, and the C1 controls, which
    // some terminals obey as they do ESC [.
    const bool c1Control = code >= 0x80 && code <= 0x9F;
    if (code < lowest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF || c1Control)
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
