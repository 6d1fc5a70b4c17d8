// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vexo {

struct DecoderOptions;

// The controls of the decoder tab that the logic enables, disables or focuses.
enum class DecoderControl {
    AddAll,      // "Добавить всё", the default button
    AddPicked,   // "Добавить"
    ClearQueue,  // "Очистить"
    RemoveEntry, // "Удалить"
    Decode,      // "Расшифровка"
    JoinParts,   // "Соединение"
    OpenFolder,  // "Откр. Папку"
    FolderBox,   // the working folder's box
    QueueList,   // the list of the queue and the runs' log
};

// What the list's context menu tells about the selected queue entry.
struct EntryDetails {
    std::string realName; // "Реалнейм: ..."
    std::string size;     // "Размер: ..."
    std::string key;      // "Ключ: ..."
};

// The decoder tab: its buttons, the options, the working folder, the list
// (the decode queue while idle, the log of a run meanwhile), the list's
// context menu, the two progress bars, and the status bar's first panel.
class DecoderView {
public:
    virtual ~DecoderView() = default;

    virtual void setEnabled(DecoderControl control, bool enabled) = 0;
    virtual void focus(DecoderControl control) = 0;

    virtual void showOptions(const DecoderOptions& options) = 0;
    // `missing`: the folder does not exist, and the box says so.
    virtual void showWorkingFolder(const std::string& folder, bool missing) = 0;

    // The list's lines, counted from 0. A line that does not exist throws
    // std::out_of_range; selecting one selects nothing.
    virtual void lineAppended(const std::string& text) = 0;
    virtual void lineChanged(int index, const std::string& text) = 0;
    virtual void lineRemoved(int index) = 0;
    virtual void linesCleared() = 0;
    virtual void lineSelected(int index) = 0;

    // The context menu's items: "Удалить" enabled and the three details
    // shown for a selected entry; without one, disabled and hidden.
    virtual void describeEntry(const std::optional<EntryDetails>& details) = 0;

    // Percentages: the whole run (or the parts of a join), and the current
    // file's bytes.
    virtual void showRunProgress(std::int64_t percent) = 0;
    virtual void showFileProgress(std::int64_t percent) = 0;

    virtual void showStatus(const std::string& text) = 0;
    // Draws the status bar now, for work that does not pump.
    virtual void repaintStatusNow() = 0;
};

} // namespace vexo
