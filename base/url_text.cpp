// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/url_text.h"

#include <cstring>

namespace vexo {

namespace {

bool NeedsEscape(unsigned char c)
{
    return c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c) != nullptr;
}

} // namespace

std::string EncodeUrlBytes(std::string_view address)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(address.size());
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (!NeedsEscape(byte)) {
            encoded += c;
            continue;
        }
        encoded += '%';
        encoded += kHex[byte >> 4];
        encoded += kHex[byte & 0x0F];
    }
    return encoded;
}

} // namespace vexo
