// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/answer_headers.h"

#include "base/int_text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

namespace vexo {

namespace {

std::string LowerCase(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The codings of a Transfer-Encoding or Content-Encoding value, lower case.
std::vector<std::string> Codings(std::string_view value)
{
    std::vector<std::string> codings;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(',', start);
        if (end == std::string_view::npos)
            end = value.size();
        const std::string_view coding = Trimmed(value.substr(start, end - start));
        if (!coding.empty())
            codings.push_back(LowerCase(coding));
        start = end + 1;
    }
    return codings;
}

// A validator is sent back as it came; one holding control characters
// could split the request's header.
bool Printable(std::string_view text)
{
    return std::none_of(text.begin(), text.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

std::optional<std::int64_t> Count(std::string_view text)
{
    return ParseDecimal(text, 0, INT64_MAX);
}

} // namespace

void TakeHeaderLine(AnswerHeaders& headers, std::string_view line)
{
    if (line.starts_with("HTTP/")) {
        headers = {};
        return;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return;
    const std::string name = LowerCase(line.substr(0, colon));
    const std::string_view value = Trimmed(line.substr(colon + 1));
    if (name == "etag") {
        const bool strong = value.size() >= 2 && value.front() == '"' && value.back() == '"';
        headers.entityTag = strong && Printable(value) ? std::string(value) : std::string();
    } else if (name == "last-modified") {
        headers.lastModified = Printable(value) ? std::string(value) : std::string();
    } else if (name == "content-range") {
        headers.range = ParseContentRange(value);
    }
    for (const std::string& coding : Codings(value)) {
        if (name == "transfer-encoding" && coding == "chunked")
            headers.chunked = true;
        else if (name == "transfer-encoding" && coding != "identity")
            headers.otherTransferCoding = true;
        else if (name == "content-encoding" && coding != "identity")
            headers.contentCoded = true;
    }
}

std::optional<ContentRange> ParseContentRange(std::string_view value)
{
    value = Trimmed(value);
    if (!value.starts_with("bytes "))
        return std::nullopt;
    value.remove_prefix(6);
    const std::size_t dash = value.find('-');
    const std::size_t slash = value.find('/');
    if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash)
        return std::nullopt;
    const auto first = Count(value.substr(0, dash));
    const auto last = Count(value.substr(dash + 1, slash - dash - 1));
    const std::string_view totalText = value.substr(slash + 1);
    const auto total = totalText == "*" ? std::nullopt : Count(totalText);
    if (!first || !last || *last < *first || (totalText != "*" && (!total || *total <= *last)))
        return std::nullopt;
    return ContentRange{*first, *last, total};
}

} // namespace vexo
