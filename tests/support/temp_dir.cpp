// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo::test {

namespace {

constexpr std::string_view kPrefix = "vexo-test-";

// Removes the folders that tests which ended without cleaning up (a crash,
// a kill) left behind: their names carry the test's process id, and that
// process is gone.
void RemoveFoldersOfEndedTests(const std::filesystem::path& temp)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(temp, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kPrefix))
            continue;
        const std::string_view rest = std::string_view(name).substr(kPrefix.size());
        pid_t owner = 0;
        const auto [end, failed] = std::from_chars(rest.data(), rest.data() + rest.size(), owner);
        if (failed != std::errc{} || end == rest.data() || *end != '-' || owner <= 0)
            continue;
        if (::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        std::error_code ignored;
        std::filesystem::remove_all(entry.path(), ignored);
    }
}

} // namespace

TempDir::TempDir()
{
    const std::filesystem::path temp = std::filesystem::temp_directory_path();
    static const bool swept = (RemoveFoldersOfEndedTests(temp), true);
    (void)swept;
    std::string pattern = (temp / (std::string(kPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
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
