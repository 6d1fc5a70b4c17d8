// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/decode_file.h"

#include "base/atomic_file.h"
#include "base/block_runs.h"
#include "base/dialogs.h"
#include "base/file_copy.h"
#include "base/file_io.h"
#include "base/made_files.h"
#include "base/percent.h"
#include "base/size_text.h"
#include "base/temporary_files.h"
#include "decoder/container_format.h"
#include "decoder/decoded_output.h"
#include "decoder/decoder_view.h"
#include "decoder/encoded_file.h"
#include "decoder/queue_list.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <stdexcept>

namespace vexo {

const char* const kRenamedMark = " [Файл существует, переимнование]";

namespace {

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

// The first free output name, or the taken one that already holds the
// decoded data. A "(n)" name marks the entry's line.
NumberedName ChooseOutput(const QueueEntry& entry, int position, PosixFile& encoded, QueueList& list,
                          bool& alreadyDecoded)
{
    NumberedName name = OutputName(entry);
    alreadyDecoded = false;
    while (NameTaken(name.path())) {
        if (HoldsDecodedData(name.path(), entry, encoded)) {
            alreadyDecoded = true;
            return name;
        }
        if (!name.renamed())
            MarkLine(list, position, kRenamedMark);
        name.next();
    }
    return name;
}

[[noreturn]] void ThrowShorter(const std::string& path)
{
    throw std::runtime_error(path + ": the file is shorter than when it was queued; decoding stopped");
}

// Moves the encoded data, from the encoded file's position on, into the
// output. The exclusive-or goes over runs of blocks in one buffer; with a
// key of 0 the data is the plain file already, so it is copied in the
// kernel instead.
class DataDecoder {
public:
    DataDecoder(const QueueEntry& entry, PosixFile& encoded, AtomicFile& output)
        : entry_(entry), encoded_(encoded), output_(output), copier_(kRunBytes)
    {}

    // Decodes the next `size` bytes, at most one run's.
    void decode(std::size_t size)
    {
        if (entry_.key == 0) {
            if (output_.copyFrom(encoded_, size, copier_) != size)
                ThrowShorter(entry_.path);
            return;
        }
        if (!buffer_)
            buffer_ = std::make_unique_for_overwrite<unsigned char[]>(kRunBytes);
        if (encoded_.readUpTo(buffer_.get(), size) != size)
            ThrowShorter(entry_.path);
        XorBlock(buffer_.get(), size, entry_.key);
        output_.write(buffer_.get(), size);
    }

private:
    static constexpr std::size_t kRunBytes = static_cast<std::size_t>(kRunBlocks) * kDecodeBlockSize;

    const QueueEntry& entry_;
    PosixFile& encoded_;
    AtomicFile& output_;
    FileCopier copier_;
    std::unique_ptr<unsigned char[]> buffer_;
};

// What the window shows after each decoded block: the bar, the progress
// text when it changes, repainted at once, and a pump every `pumpEvery`-th
// block.
class BlockReport {
public:
    BlockReport(const QueueEntry& entry, std::int64_t pumpEvery, DecoderView& view, Dialogs& dialogs)
        : entry_(entry), pumpEvery_(pumpEvery), view_(view), dialogs_(dialogs), sizeText_(SizeToText(entry.dataSize))
    {}

    // Block number `block` (from 1) is in the output, `done` bytes in all.
    void blockDone(std::int64_t block, std::int64_t done)
    {
        const std::int64_t percent = RoundedPercent(done, entry_.dataSize);
        view_.showFileProgress(percent);
        // The text changes about once a megabyte; a repaint of the same
        // text would cost more than the block's copying.
        std::string text = "Обработка " + entry_.realName + " ... " + std::to_string(percent) + "% " + SizeToText(done)
                           + "/" + sizeText_;
        const bool changed = text != shownText_;
        if (changed) {
            shownText_ = std::move(text);
            view_.showStatus(shownText_);
        }
        if (block % pumpEvery_ == 0)
            dialogs_.pump();
        if (changed)
            view_.repaintStatusNow();
    }

private:
    const QueueEntry& entry_;
    std::int64_t pumpEvery_;
    DecoderView& view_;
    Dialogs& dialogs_;
    std::string sizeText_;
    std::string shownText_;
};

} // namespace

void DecodeFile(const QueueEntry& entry, int position, Pacing pacing, QueueList& list, DecoderView& view,
                Dialogs& dialogs)
{
    PosixFile encoded = PosixFile::OpenReadWrite(entry.path);
    if (!encoded.isOpen()) {
        const int error = errno;
        FailToOpen(dialogs, "Cannot open", entry.path, error);
    }
    CheckStillAsInspected(encoded, entry);

    bool alreadyDecoded = false;
    NumberedName name = ChooseOutput(entry, position, encoded, list, alreadyDecoded);
    if (alreadyDecoded) {
        // Make sure it is on the disk before its encoded file may go.
        MarkAsMade(name.path());
        SyncFile(name.path());
        view.showFileProgress(100);
        return;
    }

    // The output takes shape under a hidden name and gets its own only when
    // it is complete and on the disk: no truncated file ever carries it.
    AtomicFile output(name.path(), SaveOptions{.temporaryPrefix = kTemporaryPrefix, .unnamed = true});
    try {
        output.open();
    } catch (const FileError& error) {
        FailToOpen(dialogs, "Cannot create", name.path(), error.error());
    }

    // With its blocks reserved up front, the writes find them ready.
    output.reserve(entry.dataSize);
    encoded.seek(entry.dataOffset);
    view.showFileProgress(0);

    // The blocks go in runs, but the window sees each one, as the blocks
    // were decoded one at a time, and a run ends where the window is pumped.
    DataDecoder data(entry, encoded, output);
    const std::int64_t pumpEvery = pacing.blocks();
    BlockReport report(entry, pumpEvery, view, dialogs);
    const auto blockSize = static_cast<std::int64_t>(kDecodeBlockSize);
    const std::int64_t blocks = entry.dataSize / blockSize;
    std::int64_t done = 0;
    for (std::int64_t block = 1; block <= blocks;) {
        const std::int64_t run = BlocksInRun(block, blocks, pumpEvery);
        data.decode(static_cast<std::size_t>(run * blockSize));
        for (const std::int64_t last = block + run; block < last; ++block) {
            done += blockSize;
            report.blockDone(block, done);
        }
    }
    data.decode(static_cast<std::size_t>(entry.dataSize - done));

    view.showStatus("Файл закрывается...");
    view.repaintStatusNow();
    view.showFileProgress(100);
    // In place under the first name still free: another file may have
    // taken the chosen one meanwhile.
    const bool renamedBefore = name.renamed();
    PlaceWithoutReplacing(output, name);
    MarkAsMade(name.path());
    if (name.renamed() && !renamedBefore)
        MarkLine(list, position, kRenamedMark);
    encoded.close();
}

} // namespace vexo
