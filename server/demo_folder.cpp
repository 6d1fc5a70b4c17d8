// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/demo_folder.h"

#include "base/atomic_file.h"
#include "base/file_io.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include <dirent.h>

namespace vexo::server {

namespace {

bool FolderIsEmpty(const std::string& folder)
{
    const auto closer = [](DIR* open) { ::closedir(open); };
    std::unique_ptr<DIR, decltype(closer)> dir(::opendir(folder.c_str()), closer);
    if (!dir)
        throw std::runtime_error(folder + ": " + std::strerror(errno));
    while (const dirent* entry = ::readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            return false;
    }
    return true;
}

// Never replaces a file, and a failed write leaves none behind.
void WriteNewFile(const std::string& path, const std::string& content)
{
    AtomicFile file(path, SaveOptions{.newFileMode = 0644});
    file.write(content);
    if (file.commitIfFree() == AtomicFile::Placement::NameTaken)
        throw FileError(EEXIST, path);
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string DemoLetters()
{
    std::string text;
    for (int line = 1; line <= 120; ++line)
        text += "Строка " + std::to_string(line) + ": части этого файла соединяются обратно в один.\n";
    return text;
}

} // namespace

std::string MakeDemoPicture(int width, int height)
{
    const int rowSize = (width * 3 + 3) / 4 * 4;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(rowSize * height);
    std::string bmp = "BM";
    PutLittleEndian(bmp, 54 + pixelBytes, 4); // file size
    PutLittleEndian(bmp, 0, 4);               // reserved
    PutLittleEndian(bmp, 54, 4);              // offset of the pixels
    PutLittleEndian(bmp, 40, 4);              // size of the info header
    PutLittleEndian(bmp, static_cast<std::uint32_t>(width), 4);
    PutLittleEndian(bmp, static_cast<std::uint32_t>(height), 4);
    PutLittleEndian(bmp, 1, 2);  // planes
    PutLittleEndian(bmp, 24, 2); // bits per pixel
    PutLittleEndian(bmp, 0, 4);  // no compression
    PutLittleEndian(bmp, pixelBytes, 4);
    PutLittleEndian(bmp, 2835, 4); // 72 dpi
    PutLittleEndian(bmp, 2835, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 0, 4);
    // A sunset: sky gradient, a sun, a sea below. Rows run bottom-up.
    for (int y = 0; y < height; ++y) {
        const int row = height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const double dx = x - width / 2.0;
            const double dy = row - height * 0.45;
            unsigned char r, g, b;
            if (std::sqrt(dx * dx + dy * dy) < height / 6.0) {
                r = 255, g = 220, b = 60;
            } else if (row < height * 0.55) {
                r = static_cast<unsigned char>(255 - row * 80 / height);
                g = static_cast<unsigned char>(90 + row * 100 / height);
                b = static_cast<unsigned char>(120 + row * 60 / height);
            } else {
                r = 20;
                g = static_cast<unsigned char>(60 + (x + row) % 16 * 4);
                b = static_cast<unsigned char>(140 + row * 80 / height);
            }
            bmp += static_cast<char>(b);
            bmp += static_cast<char>(g);
            bmp += static_cast<char>(r);
        }
        bmp.append(static_cast<std::size_t>(rowSize - width * 3), '\0');
    }
    return bmp;
}

std::vector<std::string> FillDemoFolder(const std::string& folder)
{
    if (!FolderIsEmpty(folder))
        return {};
    std::vector<std::pair<std::string, std::string>> files{
        // Above the client's smallest encoded file (35,200 bytes).
        {"картинка.bmp", MakeDemoPicture(200, 150)},
        {"readme.txt", "Это демонстрационный файл сервера Vexo.\n"
                       "Программа скачала его, а на сервере он удалён.\n"},
        {"Заметки.txt", "Имя этого файла написано по-русски.\n"},
    };
    const std::string letters = DemoLetters();
    const std::size_t part = letters.size() / 3 + 1;
    const char* const suffixes[] = {".aa", ".ab", ".ac"};
    for (int i = 0; i < 3; ++i)
        files.emplace_back(std::string("letters.txt") + suffixes[i], letters.substr(i * part, part));

    std::vector<std::string> names;
    for (const auto& [name, content] : files) {
        WriteNewFile(folder + "/" + name, content);
        names.push_back(name);
    }
    return names;
}

} // namespace vexo::server
