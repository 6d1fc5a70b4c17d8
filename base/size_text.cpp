// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/size_text.h"

#include "base/int_text.h"

#include <cstdio>

namespace vexo {

namespace {

constexpr std::int32_t kThousandsPerMegabyte = 1048;
constexpr std::int64_t kThousandsPerGigabyte = 1073741;

bool IsUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The text without its last `count` characters (not bytes: the server's
// lines arrive here already converted to UTF-8).
std::string DropLastCharacters(const std::string& text, int count)
{
    std::size_t end = text.size();
    for (int i = 0; i < count && end > 0; ++i) {
        --end;
        while (end > 0 && IsUtf8Continuation(text[end]))
            --end;
    }
    return text.substr(0, end);
}

// n / 1073741 rounded to thousandths, as "whole,ddd". Worked in integers:
// the divisor is odd and prime to 1000, so the quotient never lies exactly
// half-way and this equals the rounded floating-point quotient.
std::string GigabytesText(std::int32_t thousands)
{
    const std::int64_t scaled =
        (static_cast<std::int64_t>(thousands) * 1000 + kThousandsPerGigabyte / 2) / kThousandsPerGigabyte;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%lld,%03lld", static_cast<long long>(scaled / 1000),
                  static_cast<long long>(scaled % 1000));
    return buffer;
}

} // namespace

std::string SizeToText(std::int64_t count)
{
    if (count < 1024)
        return std::to_string(count) + " б";
    if (count < 1048576)
        return std::to_string(count / 1024) + " Кб";
    return std::to_string(count / 1048576) + " Мб";
}

std::string ServerSizeToText(const std::string& text)
{
    const std::string rest = DropLastCharacters(text, 3);
    const std::int32_t thousands = rest.empty() ? 0 : StrToInt(rest);

    if (thousands < 1)
        return std::to_string(thousands) + " б";
    if (thousands < kThousandsPerMegabyte)
        return std::to_string(thousands) + " Кб";
    if (thousands < kThousandsPerGigabyte)
        return std::to_string(thousands / kThousandsPerMegabyte) + " Мб";
    return GigabytesText(thousands) + " Гб";
}

} // namespace vexo
