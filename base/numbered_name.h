// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace vexo {

class AtomicFile;

// Where a file the program writes for the user goes: `name` in `folder`,
// or "(n)" + name for the first n whose name suits: photo.jpg, then
// (1)photo.jpg, (2)photo.jpg. A name too long for the folder is shortened,
// keeping its extension, and the program's own files (base/program_files.h)
// never suit.
class NumberedName {
public:
    // `folder` ends with its "/", or is empty for the current folder.
    NumberedName(std::string folder, std::string name);

    const std::string& path() const { return path_; }
    // Whether this is a "(n)" name.
    bool renamed() const { return number_ > 0; }
    // Moves on to the next "(n)" name.
    void next();
    // Moves to the name with the characters that FAT and exFAT refuse
    // mapped to "_", numbering from the start again; false where the name
    // has none of them.
    bool mapRefusedCharacters();

private:
    void compose();

    std::string folder_;
    std::string name_;
    std::int64_t number_ = 0;
    std::string path_;
};

// Whether any file (a dangling link included) has this name.
bool NameTaken(const std::string& path);

// How a finished file went into its folder.
enum class PlacedAs {
    NewFile,       // under name.path()
    SameFileThere, // name.path() held exactly these bytes already; the file was dropped
};

// Puts the finished `file` under name.path(), or under the next name of
// the "(n)" rule while the names are taken, never replacing any file. A
// taken name whose file holds exactly the same bytes ends the search: the
// file is there already. A name that the folder's file system refuses
// ("a:b.avi" on FAT) is tried again with mapRefusedCharacters(). `name` is
// left at the name used. A failure throws FileError; `file` then stays
// unplaced.
PlacedAs PlaceWithoutReplacing(AtomicFile& file, NumberedName& name);

} // namespace vexo
