// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/numbered_name.h"

#include "base/atomic_file.h"
#include "base/file_names.h"
#include "base/program_files.h"

#include <utility>

#include <sys/stat.h>

namespace vexo {

NumberedName::NumberedName(std::string folder, std::string name) : folder_(std::move(folder)), name_(std::move(name))
{
    compose();
}

void NumberedName::next()
{
    ++number_;
    compose();
}

bool NumberedName::mapRefusedCharacters()
{
    std::string mapped = FatSafeName(name_);
    if (mapped == name_)
        return false;
    name_ = std::move(mapped);
    number_ = 0;
    compose();
    return true;
}

void NumberedName::compose()
{
    for (;;) {
        const std::string prefix = number_ > 0 ? "(" + std::to_string(number_) + ")" : std::string();
        path_ = folder_ + prefix + FitFileName(name_, prefix.size());
        if (!IsProgramFile(path_))
            return;
        ++number_;
    }
}

bool NameTaken(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

PlacedAs PlaceWithoutReplacing(AtomicFile& file, NumberedName& name)
{
    for (;;) {
        if (!NameTaken(name.path())) {
            try {
                if (file.commitIfFreeAs(name.path()) == AtomicFile::Placement::Placed)
                    return PlacedAs::NewFile;
            } catch (const FileError&) {
                // Only a placement that did not happen is tried again.
                if (file.spent() || !name.mapRefusedCharacters())
                    throw;
                continue;
            }
        }
        if (file.sameContentsAs(name.path())) {
            file.discard();
            return PlacedAs::SameFileThere;
        }
        name.next();
    }
}

} // namespace vexo
