#include "decoder/decode_file.h"

#include "decoder/container_format.h"
#include "decoder/encoded_file.h"
#include "decoder/percent.h"
#include "base/file_io.h"
#include "base/session.h"
#include "base/size_text.h"
#include "base/window_ops.h"

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

void MarkLine(WindowOps& ops, int position, const std::string& mark)
{
    if (position >= 1 && position <= ops.lineCount())
        ops.setLine(position - 1, ops.line(position - 1) + mark);
}

[[noreturn]] void FailToOpen(WindowOps& ops, const std::string& what, const std::string& path, int error)
{
    ops.showMessage(MessageKind::Warning, "I/O Error");
    throw std::runtime_error(what + " " + SystemErrorText(path, error));
}

// Creates the output exclusively: RealName, or the first free "(n)" name
// before it. A name that turns up between the check and the creation just
// moves on to the next number.
PosixFile CreateOutput(const QueueEntry& entry, int position, WindowOps& ops)
{
    const std::string dir = FolderPart(entry.Path);
    std::string path = dir + entry.RealName;
    bool marked = false;
    for (long long n = 1;; ++n) {
        if (!NameTaken(path)) {
            PosixFile created = PosixFile::CreateNew(path, 0666);
            if (created.isOpen())
                return created;
            const int error = errno;
            if (error != EEXIST)
                FailToOpen(ops, "Cannot create", path, error);
        }
        if (!marked) {
            MarkLine(ops, position, kRenamedMark);
            marked = true;
        }
        path = dir + "(" + std::to_string(n) + ")" + entry.RealName;
    }
}

[[noreturn]] void ThrowShorter(const std::string& path)
{
    throw std::runtime_error(path + ": the file is shorter than when it was queued; decoding stopped");
}

} // namespace

void DecodeFile(const QueueEntry& entry, int position, const Session& session, WindowOps& ops)
{
    NewOutput output(CreateOutput(entry, position, ops));
    PosixFile encoded = PosixFile::OpenReadWrite(entry.Path);
    if (!encoded.isOpen()) {
        const int error = errno;
        FailToOpen(ops, "Cannot open", entry.Path, error);
    }

    encoded.seek(entry.DataOffset);
    std::int64_t done = 0;
    ops.setProgress(Control::ProgressBar2, 0);

    const auto buffer = std::make_unique<unsigned char[]>(kDecodeBlockSize);
    const std::int64_t blocks = entry.DataSize / static_cast<std::int64_t>(kDecodeBlockSize);
    const std::int64_t pacing = std::max<std::int32_t>(session.update, 1);
    const std::string sizeText = SizeToText(entry.DataSize);
    for (std::int64_t block = 1; block <= blocks; ++block) {
        if (encoded.readUpTo(buffer.get(), kDecodeBlockSize) != kDecodeBlockSize)
            ThrowShorter(entry.Path);
        XorBlock(buffer.get(), kDecodeBlockSize, entry.Key);
        output.file().writeAll(buffer.get(), kDecodeBlockSize);
        done += static_cast<std::int64_t>(kDecodeBlockSize);

        const std::int64_t percent = RoundedPercent(done, entry.DataSize);
        ops.setProgress(Control::ProgressBar2, percent);
        // The text changes about once a megabyte; a repaint of the same
        // text would cost more than the block's copying.
        const std::string text = "Обработка " + entry.RealName + " ... " + std::to_string(percent) + "% "
                                 + SizeToText(done) + "/" + sizeText;
        const bool changed = text != ops.statusText(0);
        if (changed)
            ops.setStatusText(0, text);
        if (block % pacing == 0)
            ops.pump();
        if (changed)
            ops.repaintStatus();
    }

    const auto tail = static_cast<std::size_t>(entry.DataSize - done);
    if (encoded.readUpTo(buffer.get(), tail) != tail)
        ThrowShorter(entry.Path);
    XorBlock(buffer.get(), kDecodeBlockSize, entry.Key);
    output.file().writeAll(buffer.get(), tail);

    ops.setStatusText(0, "Файл закрывается...");
    ops.repaintStatus();
    ops.setProgress(Control::ProgressBar2, 100);
    // The output first: its close is what reports decoded bytes that never
    // reached the disk, and the output is removed then.
    output.complete();
    encoded.close();
}

} // namespace vexo
