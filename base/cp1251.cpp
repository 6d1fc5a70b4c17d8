// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/cp1251.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <iconv.h>

namespace vexo {

namespace {

// One iconv conversion descriptor, closed when the scope ends.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from))
    {
        // iconv_open reports failure as (iconv_t)-1.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv: cannot convert from ") + from + " to " + to + ": "
                                     + std::strerror(errno));
    }
    ~Converter() { ::iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of input. Where iconv stops at a sequence it cannot
    // take, skipLength tells how many input bytes to drop and replacement
    // is written in their place.
    template <typename SkipLength>
    std::string convert(std::string_view input, std::string_view replacement, SkipLength skipLength)
    {
        std::string out;
        out.resize(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        std::size_t used = 0;
        while (inLeft > 0) {
            char* dst = out.data() + used;
            std::size_t outLeft = out.size() - used;
            const std::size_t result = ::iconv(cd_, &in, &inLeft, &dst, &outLeft);
            used = out.size() - outLeft;
            if (result != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            if (errno != EILSEQ && errno != EINVAL)
                throw std::runtime_error(std::string("iconv: ") + std::strerror(errno));
            // EILSEQ: unmappable or malformed; EINVAL: cut off at the end.
            const std::size_t skip = std::min(inLeft, skipLength(std::string_view(in, inLeft)));
            in += skip;
            inLeft -= skip;
            out.resize(std::max(out.size(), used + replacement.size()));
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence at the start of text as far as it is well
// formed, at least 1, so that a malformed sequence costs one "?" and the
// next character is converted again.
std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    std::size_t i = 1;
    while (i < length && i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

} // namespace

std::string Cp1251ToUtf8(std::string_view bytes)
{
    Converter converter("UTF-8", "WINDOWS-1251");
    return converter.convert(bytes, "\xEF\xBF\xBD", [](std::string_view) { return std::size_t{1}; });
}

std::string Utf8ToCp1251(std::string_view text)
{
    Converter converter("WINDOWS-1251", "UTF-8");
    return converter.convert(text, "?", Utf8SequenceLength);
}

std::size_t WellFormedUtf8Length(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
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
    if (code < lowest || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

bool IsValidUtf8(std::string_view bytes)
{
    while (!bytes.empty()) {
        const std::size_t length = WellFormedUtf8Length(bytes);
        if (length == 0)
            return false;
        bytes.remove_prefix(length);
    }
    return true;
}

std::string Utf8OrCp1251ToUtf8(std::string_view bytes)
{
    return IsValidUtf8(bytes) ? std::string(bytes) : Cp1251ToUtf8(bytes);
}

} // namespace vexo
