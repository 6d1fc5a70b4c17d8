// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/url_download.h"

#include "base/dialogs.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/working_folder.h"
#include "downloader/downloader_view.h"
#include "downloader/http_fetch.h"
#include "downloader/task_runner.h"

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <stdexcept>

namespace vexo {

namespace {

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecoded(const std::string& text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            plain += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

} // namespace

std::string UrlFileName(const std::string& url)
{
    std::string rest = url.substr(0, url.find_first_of("?#"));
    const std::size_t scheme = rest.find("://");
    rest = scheme == std::string::npos ? rest : rest.substr(scheme + 3);
    const std::size_t pathStart = rest.find('/');
    const std::string path = pathStart == std::string::npos ? std::string() : rest.substr(pathStart);
    const std::string name = PercentDecoded(FileNamePart(path));
    // A name in the shape of the program's own hidden files (a download in
    // progress) would be taken for one of them.
    return IsPlainFileName(name) ? NameFromOutside(name) : "index.html";
}

std::string FreeFilePath(const std::string& folder, const std::string& name)
{
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::error_code error;
    if (!std::filesystem::exists(base + name, error))
        return base + name;
    const std::size_t dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string();
    for (int number = 2;; ++number) {
        std::string candidate = base + stem + " (" + std::to_string(number) + ")" + extension;
        if (!std::filesystem::exists(candidate, error))
            return candidate;
    }
}

void DownloadTypedAddress(const WorkingFolder& workingFolder, const std::string& typed, DownloaderView& view,
                          Dialogs& dialogs)
{
    const std::string url = Trimmed(typed);
    if (url.empty())
        throw std::runtime_error("Введите адрес в поле Url");
    const std::string path = FreeFilePath(workingFolder.path(), UrlFileName(url));

    view.showStatus("Скачивается " + url);
    FetchProgress progress;
    const Fetched fetched = FetchToFile(url, path, "", progress, [&dialogs] { dialogs.pump(); });
    if (fetched == Fetched::Failed)
        throw std::runtime_error("Не удалось скачать " + url);
    // An empty answer is saved as an empty file, under a name that was free.
    if (fetched == Fetched::Empty) {
        PosixFile empty = PosixFile::CreateNew(path, 0666);
        if (!empty.isOpen())
            throw FileError(errno, path);
        empty.close();
    }
    view.showStatus("Сохранено: " + path);
}

} // namespace vexo
