// SPDX-License-Identifier: GPL-3.0-or-later
#include "joiner/split.h"

#include "base/block_runs.h"
#include "base/cp1251.h"
#include "base/file_copy.h"
#include "base/file_io.h"
#include "base/session.h"
#include "base/views.h"
#include "joiner/join_file.h"
#include "joiner/part_index.h"
#include "joiner/search.h"

#include <cmath>

#include <fcntl.h>
#include <unistd.h>

namespace vexo {

namespace {

// Everything up to and including the last separator.
std::string DirectoryOf(const std::string& path)
{
    return path.substr(0, path.rfind('/') + 1);
}

// Copies one part: its full blocks, in runs, each block moving the bytes
// bar and every `interval`-th pumping, then the tail, which leaves the bar
// as it is.
void CopyPart(JoinFile& part, JoinFile& output, JoinerLog& log, Dialogs& dialogs, std::int32_t interval)
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
        output.copyFrom(part, static_cast<std::size_t>(run * blockSize), copier);
        for (const std::int64_t last = block + run; block < last; ++block) {
            total += blockSize;
            log.showByteProgress(static_cast<std::int64_t>(std::nearbyint(static_cast<double>(total) / size * 100)));
            if (block % interval == 0)
                dialogs.pump();
        }
    }
    output.copyFrom(part, static_cast<std::size_t>(size % blockSize), copier);
}

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
        found.push_back(CountParts(index, name));
        log.logLine("Найден файл " + found.back().baseName + " (Частей: " + std::to_string(found.back().partCount())
                    + ")");
        dialogs.pump();
    }
    return found;
}

void JoinParts(const std::string& folderPath, const std::string& baseName, const std::vector<std::string>& partNames,
               JoinerLog& log, Dialogs& dialogs, const JoinOptions& options)
{
    // The output keeps its old contents until every part is known to open:
    // a part that cannot be read must not cost the file of that name.
    JoinFile output = JoinFile::OpenOutput(folderPath + baseName);
    if (!output.isOpen()) {
        dialogs.showMessage(MessageKind::Warning, "Error!!!");
        return;
    }
    const auto partCount = static_cast<std::int32_t>(partNames.size());
    std::string logLine = "Собирается файл " + baseName + " (Частей: " + std::to_string(partCount) + ") [";
    log.logLine(logLine);
    for (const std::string& name : partNames) {
        const PosixFile part = PosixFile::OpenReadWrite(folderPath + name);
        if (!part.isOpen() || !part.isRegular()) {
            dialogs.showMessage(MessageKind::Warning, "Error!!! file:" + folderPath + name);
            return;
        }
    }
    // With the parts to be deleted, the output is flushed after each; its
    // disk writes start as it grows, so those flushes find little to do.
    if (options.deleteParts)
        output.writeBehind();
    bool outputNamed = false;
    try {
        output.truncate();
        for (std::int32_t i = 0; i < partCount; ++i) {
            log.showPartProgress(static_cast<std::int64_t>(std::nearbyint((i + 1) * 100.0 / partCount)));
            const std::string partPath = folderPath + partNames[static_cast<std::size_t>(i)];
            log.selectLastLine();
            logLine += " " + PartSuffix(i);
            log.rewriteLastLine(logLine);
            dialogs.pump();

            JoinFile part(partPath, O_RDWR);
            if (!part.isOpen()) {
                dialogs.showMessage(MessageKind::Warning, "Error!!! file:" + partPath);
                return;
            }
            CopyPart(part, output, log, dialogs, options.interval);
            part.close();
            if (!options.deleteParts)
                continue;
            // A part goes only once all of its bytes are in the output and
            // on the disk, the output's name included; one that could not be
            // deleted keeps its line unmarked.
            output.sync();
            if (!outputNamed) {
                SyncFolder(folderPath);
                outputNamed = true;
            }
            if (::unlink(partPath.c_str()) == 0) {
                logLine += "-(del)";
                log.rewriteLastLine(logLine);
            }
        }
        output.close();
    } catch (const JoinError& error) {
        dialogs.showMessage(MessageKind::Warning, error.what());
        return;
    } catch (const FileError& error) {
        dialogs.showMessage(MessageKind::Warning, JoinError(error).what());
        return;
    }
    logLine += " ] ok";
    log.rewriteLastLine(logLine);
    dialogs.pump();
}

void JoinFoundFiles(const std::vector<SplitFile>& found, JoinerLog& log, Dialogs& dialogs, const JoinOptions& options)
{
    for (const SplitFile& entry : found) {
        log.selectLastLine();
        if (entry.partCount() > 1)
            JoinParts(DirectoryOf(entry.path), entry.baseName, entry.partNames, log, dialogs, options);
        else
            log.logLine(entry.baseName + " - только одна часть, пропуск");
        log.selectLastLine();
        dialogs.pump();
    }
}

void JoinSplitFiles(const std::string& folder, JoinerLog& log, Dialogs& dialogs, bool deleteParts,
                    std::int32_t interval)
{
    const JoinOptions options{deleteParts, PacingInterval(interval)};
    JoinFoundFiles(FindSplitFiles(folder, log, dialogs), log, dialogs, options);
}

} // namespace vexo
