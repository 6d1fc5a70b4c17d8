// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/decode_file.h"

#include "base/file_io.h"
#include "base/size_text.h"
#include "base/temporary_files.h"
#include "base/views.h"
#include "decoder/container_format.h"
#include "decoder/decoded_output.h"
#include "decoder/encoded_file.h"
#include "decoder/percent.h"
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
OutputName ChooseOutput(const QueueEntry& entry, int position, PosixFile& encoded, QueueList& list,
                        bool& alreadyDecoded)
{
    OutputName name(entry);
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

} // namespace

void DecodeFile(const QueueEntry& entry, int position, std::int32_t pacing, QueueList& list, DecoderView& view,
                Dialogs& dialogs)
{
    PosixFile encoded = PosixFile::OpenReadWrite(entry.path);
    if (!encoded.isOpen()) {
        const int error = errno;
        FailToOpen(dialogs, "Cannot open", entry.path, error);
    }
    CheckStillAsInspected(encoded, entry);

    bool alreadyDecoded = false;
    OutputName name = ChooseOutput(entry, position, encoded, list, alreadyDecoded);
    if (alreadyDecoded) {
        // Make sure it is on the disk before its encoded file may go.
        SyncFile(name.path());
        view.showFileProgress(100);
        return;
    }

    // The output takes shape under a hidden name and gets its own only when
    // it is complete and on the disk: no truncated file ever carries it.
    AtomicFile output(name.path(), SaveOptions{.temporaryPrefix = kTemporaryPrefix});
    try {
        output.open();
    } catch (const FileError& error) {
        FailToOpen(dialogs, "Cannot create", name.path(), error.error());
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
        output.write(buffer.get(), kDecodeBlockSize);
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
    output.write(buffer.get(), tail);

    view.showStatus("Файл закрывается...");
    view.repaintStatusNow();
    view.showFileProgress(100);
    // In place under the first name still free: another file may have
    // taken the chosen one meanwhile.
    while (output.commitIfFreeAs(name.path()) == AtomicFile::Placement::NameTaken) {
        if (!name.renamed())
            MarkLine(list, position, kRenamedMark);
        name.next();
    }
    encoded.close();
}

} // namespace vexo
