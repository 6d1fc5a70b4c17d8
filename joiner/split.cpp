// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/split.h"

#include "base/atomic_file.h"
#include "base/block_runs.h"
#include "base/cp1251.h"
#include "base/dialogs.h"
#include "base/file_copy.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/made_files.h"
#include "base/numbered_name.h"
#include "base/percent.h"
#include "base/size_text.h"
#include "base/temporary_files.h"
#include "joiner/join_file.h"
#include "joiner/joiner_log.h"
#include "joiner/part_index.h"
#include "joiner/search.h"

#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vexo {

namespace {

// Copies one part: its full blocks, in runs, each block moving the bytes
// bar and every `interval`-th pumping, then the tail, which leaves the bar
// as it is.
void CopyPart(JoinFile& part, AtomicFile& output, JoinerLog& log, Dialogs& dialogs, std::int32_t interval)
{
    // A copy in the kernel costs a call of its own however long, so its
    // runs reach from pump to pump; only the reads and writes that take
    // over where the kernel refuses go through a buffer.
    constexpr std::int64_t kLongestCopy = 1024;
    const std::int64_t size = part.size();
    const auto blockSize = static_cast<std::int64_t>(kJoinBlockSize);
    const std::int64_t fullBlocks = size / blockSize;
    FileCopier copier(static_cast<std::size_t>(kRunBlocks) * kJoinBlockSize);
    std::int64_t total = 0;
    for (std::int64_t block = 1; block <= fullBlocks;) {
        const std::int64_t run = BlocksInRun(block, fullBlocks, interval, kLongestCopy);
        part.copyTo(output, static_cast<std::size_t>(run * blockSize), copier);
        for (const std::int64_t last = block + run; block < last; ++block) {
            total += blockSize;
            log.showByteProgress(RoundedPercent(total, size));
            if (block % interval == 0)
                dialogs.pump();
        }
    }
    part.copyTo(output, static_cast<std::size_t>(size % blockSize), copier);
}

bool IsAbsentOrRegular(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode);
}

// Says so before a join starts that the disk has no room for: its output
// would be cut short half way.
void CheckRoomFor(const std::string& outputPath, std::int64_t size)
{
    const std::optional<std::uint64_t> room = FreeSpace(FolderPart(outputPath).empty() ? "." : FolderPart(outputPath));
    if (room && static_cast<std::uint64_t>(size) > *room)
        throw JoinError(outputPath, "на диске нет места для собранного файла: нужно " + SizeToText(size) + ", свободно "
                                        + SizeToText(static_cast<std::int64_t>(*room)));
}

// The log line of one join: "Собирается файл movie.avi (Частей: 3) [",
// then each part's suffix as it is copied, "-(del)" after each part
// deleted, and " ] ok" once done; every change replaces the last line.
class JoinLogLine {
public:
    JoinLogLine(const std::string& baseName, std::int32_t partCount, JoinerLog& log)
        : head_("Собирается файл " + baseName + " (Частей: " + std::to_string(partCount) + ") ["), log_(log)
    {
        log_.logLine(head_);
    }

    void addPart(std::int32_t n)
    {
        parts_.push_back(" " + PartSuffix(n));
        show();
    }
    void markDeleted(std::int32_t n)
    {
        parts_[static_cast<std::size_t>(n)] += "-(del)";
        show();
    }
    // `renamedTo`: the "(n)" name the output took beside a different file.
    void finish(const std::string& renamedTo)
    {
        tail_ = " ] ok";
        if (!renamedTo.empty())
            tail_ += " [Файл существует, сохранён как " + renamedTo + "]";
        show();
    }

private:
    void show()
    {
        std::string line = head_;
        for (const std::string& part : parts_)
            line += part;
        log_.rewriteLastLine(line + tail_);
    }

    std::string head_;
    JoinerLog& log_;
    std::vector<std::string> parts_;
    std::string tail_;
};

} // namespace

std::string PartSuffix(std::int32_t n)
{
    const std::string bytes{static_cast<char>(97 + n / 26), static_cast<char>(97 + n % 26)};
    return static_cast<unsigned char>(bytes[0]) < 0x80 ? bytes : Cp1251ToUtf8(bytes);
}

SplitFile CountParts(const PartIndex& folder, const std::string& name)
{
    SplitFile entry;
    entry.path = folder.folder() + "/" + name;
    entry.baseName = name.size() > 3 ? name.substr(0, name.size() - 3) : std::string();
    entry.partNames.push_back(name);
    for (std::int32_t n = 1; n < kMaxPartCount; ++n) {
        const auto part = folder.findFile(entry.baseName + "." + PartSuffix(n));
        if (!part)
            break;
        entry.partNames.push_back(*part);
    }
    return entry;
}

std::vector<SplitFile> FindSplitFiles(const std::string& folder, JoinerLog& log, Dialogs& dialogs)
{
    std::vector<std::string> names;
    std::vector<SplitFile> found;
    if (!FindFiles(folder, "*.aa", 0, names, false))
        return found;
    const PartIndex index(folder);
    for (const std::string& name : names) {
        // ".aa" alone names no file to join into: a hidden entry, not a
        // part; nor is a download still in progress.
        if (name.size() <= 3 || IsPartialDownloadName(name))
            continue;
        SplitFile entry = CountParts(index, name);
        // A set whose next part is still being downloaded waits for it:
        // joined now, it would make a short file and delete its parts.
        if (index.findFile(kPartialPrefix + entry.baseName + "." + PartSuffix(entry.partCount())))
            continue;
        found.push_back(std::move(entry));
        log.logLine("Найден файл " + found.back().baseName + " (Частей: " + std::to_string(found.back().partCount())
                    + ")");
        dialogs.pump();
    }
    return found;
}

bool JoinParts(const std::string& folderPath, const std::string& baseName, const std::vector<std::string>& partNames,
               JoinerLog& log, Dialogs& dialogs, const JoinOptions& options)
{
    // A file of the output's name is never replaced: a regular file that
    // holds other bytes leaves the output a "(n)" name, and a link, a FIFO
    // or a folder there fails the join.
    NumberedName name(folderPath, baseName);
    const std::string outputPath = name.path();
    if (!IsAbsentOrRegular(outputPath)) {
        dialogs.showMessage(MessageKind::Warning, "Error!!!");
        return false;
    }
    const auto partCount = static_cast<std::int32_t>(partNames.size());
    JoinLogLine logLine(baseName, partCount, log);
    std::int64_t totalSize = 0;
    for (const std::string& name : partNames) {
        const PosixFile part = PosixFile::OpenReadWrite(folderPath + name);
        if (!part.isOpen() || !part.isRegular()) {
            dialogs.showMessage(MessageKind::Warning, JoinError::Text(folderPath + name));
            return false;
        }
        totalSize += part.size();
    }
    try {
        // The parts stay until the output is whole beside them.
        CheckRoomFor(outputPath, totalSize);
        AtomicFile output(outputPath, SaveOptions{.temporaryPrefix = kTemporaryPrefix, .unnamed = true});
        try {
            output.open();
        } catch (const FileError&) {
            dialogs.showMessage(MessageKind::Warning, "Error!!!");
            return false;
        }
        for (std::int32_t i = 0; i < partCount; ++i) {
            log.showPartProgress(RoundedPercent(i + 1, partCount));
            const std::string partPath = folderPath + partNames[static_cast<std::size_t>(i)];
            log.selectLastLine();
            logLine.addPart(i);
            dialogs.pump();

            JoinFile part(partPath, O_RDWR);
            if (!part.isOpen()) {
                dialogs.showMessage(MessageKind::Warning, JoinError::Text(partPath));
                return false;
            }
            CopyPart(part, output, log, dialogs, options.interval.blocks());
            part.close();
        }
        // The output gets its name only once it is whole and on the disk;
        // a stopped, killed or failed join leaves every part, to be joined
        // again by the next run.
        // One holding exactly these bytes is this join, done before.
        PlaceWithoutReplacing(output, name);
        MarkAsMade(name.path());
    } catch (const JoinError& error) {
        dialogs.showMessage(MessageKind::Warning, error.what());
        return false;
    } catch (const FileError& error) {
        dialogs.showMessage(MessageKind::Warning, JoinError(error).what());
        return false;
    }
    if (options.deleteParts) {
        // In order from the first part: a run stopped among the deletions
        // leaves no first part, so no later run joins the rest into a cut
        // file. One that could not be deleted keeps its mark off.
        for (std::int32_t i = 0; i < partCount; ++i) {
            if (::unlink((folderPath + partNames[static_cast<std::size_t>(i)]).c_str()) == 0)
                logLine.markDeleted(i);
        }
    }
    logLine.finish(name.renamed() ? FileNamePart(name.path()) : std::string());
    dialogs.pump();
    return true;
}

bool JoinFoundFiles(const std::vector<SplitFile>& found, JoinerLog& log, Dialogs& dialogs, const JoinOptions& options)
{
    bool allJoined = true;
    for (const SplitFile& entry : found) {
        log.selectLastLine();
        if (entry.partCount() < 2)
            log.logLine(entry.baseName + " - только одна часть, пропуск");
        else if (!JoinParts(FolderPart(entry.path), entry.baseName, entry.partNames, log, dialogs, options))
            allJoined = false;
        log.selectLastLine();
        dialogs.pump();
    }
    return allJoined;
}

bool JoinSplitFiles(const std::string& folder, JoinerLog& log, Dialogs& dialogs, bool deleteParts, Pacing interval)
{
    const JoinOptions options{deleteParts, interval};
    return JoinFoundFiles(FindSplitFiles(folder, log, dialogs), log, dialogs, options);
}

} // namespace vexo
