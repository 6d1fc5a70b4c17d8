// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/byte_range.h"

#include "base/int_text.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string_view>

namespace vexo::server {

namespace {

std::optional<std::int64_t> Count(std::string_view text)
{
    return ParseDecimal(text, 0, INT64_MAX);
}

} // namespace

AskedPart PartAsked(const std::string& range, const std::string& ifRange, std::int64_t size,
                    const std::string& entityTag, const std::string& lastModified)
{
    const AskedPart whole{};
    std::string_view asked = range;
    if (size <= 0 || !asked.starts_with("bytes=") || asked.find(',') != std::string_view::npos)
        return whole;
    // A validator of another version: the file has changed, so the part
    // would not fit the client's, and the whole file goes.
    if (!ifRange.empty() && ifRange != entityTag && ifRange != lastModified)
        return whole;
    asked.remove_prefix(6);
    const std::size_t dash = asked.find('-');
    if (dash == std::string_view::npos)
        return whole;
    const std::string_view firstText = asked.substr(0, dash);
    const std::string_view lastText = asked.substr(dash + 1);
    if (firstText.empty()) {
        const auto suffix = Count(lastText);
        if (!suffix || *suffix == 0)
            return suffix ? AskedPart{AskedPart::Kind::Unsatisfiable} : whole;
        return {AskedPart::Kind::Part, *suffix >= size ? 0 : size - *suffix, size - 1};
    }
    const auto first = Count(firstText);
    const auto last = lastText.empty() ? std::optional<std::int64_t>(INT64_MAX) : Count(lastText);
    if (!first || !last || *last < *first)
        return whole;
    if (*first >= size)
        return {AskedPart::Kind::Unsatisfiable};
    return {AskedPart::Kind::Part, *first, *last < size ? *last : size - 1};
}

std::string HttpDate(std::int64_t seconds)
{
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    ::gmtime_r(&time, &parts);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[parts.tm_wday], parts.tm_mday,
                  kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

} // namespace vexo::server
