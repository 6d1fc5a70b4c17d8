// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexo::test {

// A fresh folder under the system's temporary folder, removed with
// everything in it when the object goes. Its name carries the test's
// process id: the first TempDir of a test removes those whose test ended
// without removing them (a crash, a kill).
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// The names in a folder, sorted; shows a temporary file left behind.
std::vector<std::string> FolderNames(const std::string& folder);
// The sizes of the files taking shape in `folder`: the hidden ".vexorama-"
// temporaries, and those without a name yet (O_TMPFILE) that the process
// `pid` (0: this one) has open.
std::vector<std::uintmax_t> SizesTakingShape(const std::string& folder, int pid = 0);

} // namespace vexo::test
