// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/queue_list.h"

#include <stdexcept>

namespace vexo {

void QueueList::check(int index) const
{
    if (index < 0 || index >= lineCount())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

const std::string& QueueList::line(int index) const
{
    check(index);
    return lines_[static_cast<std::size_t>(index)];
}

void QueueList::appendLine(const std::string& text)
{
    lines_.push_back(text);
    view_.lineAppended(text);
}

void QueueList::setLine(int index, const std::string& text)
{
    check(index);
    lines_[static_cast<std::size_t>(index)] = text;
    view_.lineChanged(index, text);
}

void QueueList::deleteLine(int index)
{
    check(index);
    lines_.erase(lines_.begin() + index);
    // The lines below move up, and the selection with them; a deleted
    // selected line leaves none selected.
    if (selected_ == index)
        selected_ = -1;
    else if (selected_ > index)
        --selected_;
    view_.lineRemoved(index);
}

void QueueList::clearLines()
{
    lines_.clear();
    selected_ = -1;
    view_.linesCleared();
}

void QueueList::selectLine(int index)
{
    selected_ = index >= 0 && index < lineCount() ? index : -1;
    view_.lineSelected(selected_);
}

void QueueList::userSelected(int index)
{
    selected_ = index >= 0 && index < lineCount() ? index : -1;
}

} // namespace vexo
