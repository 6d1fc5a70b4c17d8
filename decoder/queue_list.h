// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/decoder_view.h"
#include "joiner/joiner_log.h"

#include <string>
#include <vector>

namespace vexo {

// The lines of the decoder tab's list as the program keeps them: the decode
// queue while idle, the log of a run meanwhile. Every change is shown in the
// view; the user's selection comes in through userSelected(). Lines count
// from 0; a line that does not exist throws std::out_of_range.
//
// It is also where the joiner logs: its lines go to the end of the list and
// its bars are the decoder tab's two bars.
class QueueList : public JoinerLog {
public:
    explicit QueueList(DecoderView& view) : view_(view) {}

    int lineCount() const { return static_cast<int>(lines_.size()); }
    const std::vector<std::string>& lines() const { return lines_; }
    const std::string& line(int index) const;
    // -1 when no line is selected.
    int selectedLine() const { return selected_; }

    void appendLine(const std::string& text);
    void setLine(int index, const std::string& text);
    void appendToLine(int index, const std::string& mark) { setLine(index, line(index) + mark); }
    void deleteLine(int index);
    void clearLines();
    // A line that does not exist selects none.
    void selectLine(int index);

    // The user selected a line in the window (-1: none).
    void userSelected(int index);

    // JoinerLog
    void logLine(const std::string& text) override { appendLine(text); }
    void rewriteLastLine(const std::string& text) override { setLine(lineCount() - 1, text); }
    void selectLastLine() override { selectLine(lineCount() - 1); }
    void showPartProgress(std::int64_t percent) override { view_.showRunProgress(percent); }
    void showByteProgress(std::int64_t percent) override { view_.showFileProgress(percent); }

private:
    void check(int index) const;

    DecoderView& view_;
    std::vector<std::string> lines_;
    int selected_ = -1;
};

} // namespace vexo
