// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/decode_file.h"

#include "base/file_io.h"
#include "base/size_text.h"
#include "base/views.h"
#include "decoder/container_format.h"
#include "decoder/encoded_file.h"
#include "decoder/percent.h"
#include "decoder/queue_list.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

namespace vexo {

const char* const kRenamedMark = " [Файл существует, переимнование]";

namespace {

bool NameTaken(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The output being written; removed again unless it was completed, so a
// failed decode leaves no truncated file under the real name.
class NewOutput {
public:
    explicit NewOutput(PosixFile file) : file_(std::move(file)), path_(file_.path()) {}
    ~NewOutput()
    {
        if (!completed_) {
            file_ = PosixFile();
            ::unlink(path_.c_str());
        }
    }
    NewOutput(const NewOutput&) = delete;
    NewOutput& operator=(const NewOutput&) = delete;

    PosixFile& file() { return file_; }
    void complete()
    {
        file_.close();
        completed_ = true;
    }

private:
    PosixFile file_;
    std::string path_;
    bool completed_ = false;
};

void MarkLine(QueueList& list, int position, const std::string& mark)
{
    if (position >= 1 && position <= list.lineCount())
        list.appendToLine(position - 1, mark);
}

[[noreturn]] void FailToOpen(Dialogs& dialogs, const std::string& what, const std::string& path, int error)
{
    dialogs.showMessage(MessageKind::Warning, "I/O Error");
    throw std::runtime_error(what + " " + SystemErrorText(path, error));
}

// Creates the output exclusively: RealName, or the first free "(n)" name
// before it. A name that turns up between the check and the creation just
// moves on to the next number.
PosixFile CreateOutput(const QueueEntry& entry, int position, QueueList& list, Dialogs& dialogs)
{
    const std::string dir = FolderPart(entry.path);
    std::string path = dir + entry.realName;
    bool marked = false;
    for (long long n = 1;; ++n) {
        if (!NameTaken(path)) {
            PosixFile created = PosixFile::CreateNew(path, 0666);
            if (created.isOpen())
                return created;
            const int error = errno;
            if (error != EEXIST)
                FailToOpen(dialogs, "Cannot create", path, error);
        }
        if (!marked) {
            MarkLine(list, position, kRenamedMark);
            marked = true;
        }
        path = dir + "(" + std::to_string(n) + ")" + entry.realName;
    }
}

[[noreturn]] void ThrowShorter(const std::string& path)
{
    throw std::runtime_error(path + ": the file is shorter than when it was queued; decoding stopped");
}

} // namespace

void DecodeFile(const QueueEntry& entry, int position, std::int32_t pacing, QueueList& list, DecoderView& view,
                Dialogs& dialogs)
{
    NewOutput output(CreateOutput(entry, position, list, dialogs));
    PosixFile encoded = PosixFile::OpenReadWrite(entry.path);
    if (!encoded.isOpen()) {
        const int error = errno;
        FailToOpen(dialogs, "Cannot open", entry.path, error);
    }

    encoded.seek(entry.dataOffset);
    std::int64_t done = 0;
    view.showFileProgress(0);

    const auto buffer = std::make_unique<unsigned char[]>(kDecodeBlockSize);
    const std::int64_t blocks = entry.dataSize / static_cast<std::int64_t>(kDecodeBlockSize);
    const std::int64_t pumpEvery = std::max<std::int32_t>(pacing, 1);
    const std::string sizeText = SizeToText(entry.dataSize);
    std::string shownText;
    for (std::int64_t block = 1; block <= blocks; ++block) {
        if (encoded.readUpTo(buffer.get(), kDecodeBlockSize) != kDecodeBlockSize)
            ThrowShorter(entry.path);
        XorBlock(buffer.get(), kDecodeBlockSize, entry.key);
        output.file().writeAll(buffer.get(), kDecodeBlockSize);
        done += static_cast<std::int64_t>(kDecodeBlockSize);

        const std::int64_t percent = RoundedPercent(done, entry.dataSize);
        view.showFileProgress(percent);
        // The text changes about once a megabyte; a repaint of the same
        // text would cost more than the block's copying.
        std::string text = "Обработка " + entry.realName + " ... " + std::to_string(percent) + "% " + SizeToText(done)
                           + "/" + sizeText;
        const bool changed = text != shownText;
        if (changed) {
            shownText = std::move(text);
            view.showStatus(shownText);
        }
        if (block % pumpEvery == 0)
            dialogs.pump();
        if (changed)
            view.repaintStatusNow();
    }

    const auto tail = static_cast<std::size_t>(entry.dataSize - done);
    if (encoded.readUpTo(buffer.get(), tail) != tail)
        ThrowShorter(entry.path);
    XorBlock(buffer.get(), kDecodeBlockSize, entry.key);
    output.file().writeAll(buffer.get(), tail);

    view.showStatus("Файл закрывается...");
    view.repaintStatusNow();
    view.showFileProgress(100);
    // The output first: its close is what reports decoded bytes that never
    // reached the disk, and the output is removed then.
    output.complete();
    encoded.close();
}

} // namespace vexo
