// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/file_io.h"
#include "base/write_behind.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexo {

class FileCopier;

// How an AtomicFile makes its temporary and a new target.
struct SaveOptions {
    // The mode of a target that does not exist yet, less the umask as
    // open(2) takes it; an existing target keeps its own mode.
    unsigned newFileMode = 0666;
    // The temporary is "<target's folder>/<prefix><pid>-<serial>".
    std::string temporaryPrefix = ".vexo-save-";
    // Where the folder's file system allows, the file takes shape with no
    // name at all (O_TMPFILE), so that not even a crash leaves a temporary
    // behind; elsewhere (FAT, exFAT, most FUSE file systems) under the
    // temporary name.
    bool unnamed = false;
    // When set, the file takes shape under this name instead, as a
    // download that may be resumed does: opened by resumeFrom(), and kept
    // with what it holds when the object goes uncommitted or a write
    // fails. Only discard() removes it.
    std::string keptTemporary{};
};

// A file written under a temporary name beside its target (or none) and
// put in place whole: the target either keeps its old contents or gets all
// of the new ones, even after a crash or on a full disk. A target that is a
// symbolic link keeps the link; the file it leads to, made or not, is
// replaced. The temporary is removed on any failure and when the object
// goes uncommitted. Errors throw FileError naming the target as the caller
// named it.
class AtomicFile {
public:
    enum class Placement { Placed, NameTaken };

    explicit AtomicFile(std::string path, SaveOptions options = {});
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The target, as named.
    const std::string& path() const { return path_; }
    bool isOpen() const { return file_.isOpen(); }
    // Whether the object is done with: placed, committed, failed or
    // discarded, it takes no more writes and no other name.
    bool spent() const { return spent_; }
    // Creates the temporary; write() does so on first use.
    void open();
    // Opens the kept temporary (SaveOptions::keptTemporary), made when
    // missing, keeping its first `bytes` bytes (at most its size) and
    // cutting off the rest; writes go on after them.
    void resumeFrom(std::int64_t bytes);
    void write(const void* data, std::size_t size);
    void write(std::string_view text) { write(text.data(), text.size()); }
    // Creates the temporary and reserves the disk space of its first `size`
    // bytes (PosixFile::reserve).
    void reserve(std::int64_t size);
    // Copies `size` bytes from the file offset of `source` on, through
    // `copier`; returns the count copied, less only where the source ended.
    std::size_t copyFrom(PosixFile& source, std::size_t size, FileCopier& copier);
    // Everything written is on the disk; the target is not touched yet.
    // commit() does this when it has not been.
    void finish();
    // Whether the finished file holds exactly the bytes of the regular file
    // at `path` (a link there is not followed, and holds nothing).
    bool sameContentsAs(const std::string& path);
    // Renames the temporary over the target, then flushes the folder. When
    // only that flush fails, the target already holds the new contents.
    void commit();
    // As commit(), but an existing name (a link included) is never
    // replaced: NameTaken then, and the temporary is removed.
    [[nodiscard]] Placement commitIfFree();
    // As commitIfFree(), under `path` (in the target's folder); on
    // NameTaken the finished file stays, to be placed under another name.
    // Works where the file system takes no hard links and cannot rename
    // without replacing (removable media).
    [[nodiscard]] Placement commitIfFreeAs(const std::string& path);
    // Removes the temporary; the target stays as it was. After this, a
    // failure or a commit, the object takes no more writes.
    void discard();

private:
    bool openUnnamed(unsigned mode);
    // After open: a replaced file's mode, or the new file's own, noted.
    void takeMode();
    // On a failure: as discard(), but a kept temporary stays.
    void abandon();
    void openNamed(unsigned mode);
    // "<target's folder>/<prefix><pid>-"
    std::string temporaryStem() const;
    // Gives the unnamed file its temporary name, for a rename over the target.
    void nameTemporary();
    Placement placeUnnamed(const std::string& path);
    Placement placeNamed(const std::string& path);

    std::string path_;
    std::string target_; // the path with links followed: where the rename goes
    SaveOptions options_;
    std::string temporary_; // empty while the file has no name
    PosixFile file_;
    WriteBehind writeBehind_;
    unsigned newMode_ = 0;   // the mode of a new file, as created
    bool modeTaken_ = false; // the mode of the file to be replaced was taken
    bool opened_ = false;
    bool unnamed_ = false;
    bool finished_ = false;
    bool spent_ = false;
};

} // namespace vexo
