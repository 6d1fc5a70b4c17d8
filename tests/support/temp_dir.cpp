// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include <sys/stat.h>

namespace vexo::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vexo-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = buffer.data();
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const
{
    return path_ + "/" + name;
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uintmax_t> SizesTakingShape(const std::string& folder, int pid)
{
    std::vector<std::uintmax_t> sizes;
    for (const std::string& name : FolderNames(folder)) {
        if (name.starts_with(".vexorama-"))
            sizes.push_back(std::filesystem::file_size(folder + "/" + name));
    }
    // A file without a name shows in /proc as "<folder>/#<inode> (deleted)".
    std::error_code error;
    const std::string real = std::filesystem::canonical(folder, error).string();
    const std::string descriptors = "/proc/" + (pid == 0 ? std::string("self") : std::to_string(pid)) + "/fd";
    for (const auto& entry : std::filesystem::directory_iterator(descriptors, error)) {
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        if (!error && target.starts_with(real + "/#") && target.ends_with(" (deleted)")) {
            struct stat info {};
            if (::stat(entry.path().c_str(), &info) == 0)
                sizes.push_back(static_cast<std::uintmax_t>(info.st_size));
        }
    }
    return sizes;
}

} // namespace vexo::test
