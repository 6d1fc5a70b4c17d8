// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/listing_protocol.h"

#include "base/cp1251.h"

namespace vexo::server {

std::optional<ListingRequest> ParseListingRequest(std::string_view line)
{
    constexpr std::string_view kCheckWord = ":is_files";
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    if (!line.ends_with(kCheckWord))
        return std::nullopt;
    line.remove_suffix(kCheckWord.size());
    const auto colon = line.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    return ListingRequest{Cp1251ToUtf8(line.substr(0, colon)), Cp1251ToUtf8(line.substr(colon + 1))};
}

std::string DownloadAddress(std::string_view publicHost, const WaitingFile& file)
{
    return "http://" + std::string(publicHost) + "/files/" + file.id;
}

std::string RemovalReference(const WaitingFile& file)
{
    return "del.php?f=" + file.id;
}

std::string FormatListing(const std::vector<WaitingFile>& files, std::string_view publicHost)
{
    std::string answer = "connected\n";
    for (std::size_t i = 0; i < files.size() && i < kMaxListedFiles; ++i) {
        const WaitingFile& file = files[i];
        answer += Utf8ToCp1251(file.listedName) + '\n';
        answer += DownloadAddress(publicHost, file) + '\n';
        answer += RemovalReference(file) + '\n';
        answer += std::to_string(file.handoutSize()) + '\n';
    }
    answer += "=END=\n";
    return answer;
}

} // namespace vexo::server
