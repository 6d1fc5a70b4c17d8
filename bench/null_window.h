#pragma once

#include "base/window_ops.h"

#include <cstdio>
#include <string>

namespace vexo::bench {

// A window whose every operation is a real call that returns at once, so
// that a benchmark measures the logic's own cost. Message boxes are counted
// and printed, since a benchmark's run must not fail.
class NullWindow final : public WindowOps {
public:
    int warnings = 0;

    void setCaption(const std::string&) override {}
    std::string caption() const override { return {}; }
    void setWindowSize(int, int) override {}
    int windowWidth() const override { return 0; }
    int windowHeight() const override { return 0; }
    void closeWindow() override {}
    void showTab(int) override {}
    void setEnabled(Control, bool) override {}
    bool isEnabled(Control) const override { return true; }
    void setVisible(Control, bool) override {}
    bool isVisible(Control) const override { return true; }
    void setFocus(Control) override {}
    bool isChecked(Control) const override { return false; }
    void setChecked(Control, bool) override {}
    std::string text(Control) const override { return {}; }
    void setText(Control, const std::string&) override {}
    void setAlertBackground(Control, bool) override {}
    int lineCount() const override { return lines_; }
    std::string line(int) const override { return {}; }
    void appendLine(const std::string&) override { ++lines_; }
    void setLine(int, const std::string&) override {}
    void deleteLine(int) override { --lines_; }
    void clearLines() override { lines_ = 0; }
    void selectLine(int) override {}
    int selectedLine() const override { return -1; }
    void setProgress(Control, std::int64_t) override {}
    void setProgressMax(Control, std::int64_t) override {}
    std::int64_t progress(Control) const override { return 0; }
    void setStatusText(int, const std::string&) override {}
    std::string statusText(int) const override { return {}; }
    void repaintStatus() override {}
    int gridRowCount() const override { return 0; }
    void setGridRowCount(int) override {}
    void setGridCell(int, int, const std::string&) override {}
    std::string gridCell(int, int) const override { return {}; }
    void setGridFixedRows(int) override {}
    int gridFixedRows() const override { return 0; }
    void setTimerActive(Timer, bool) override {}
    bool isTimerActive(Timer) const override { return false; }
    void setTimerInterval(Timer, std::uint32_t) override {}
    std::uint32_t timerInterval(Timer) const override { return 0; }
    void setTrayHint(const std::string&) override {}
    void showMessage(MessageKind, const std::string& text) override
    {
        ++warnings;
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    std::vector<std::string> pickFiles(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> pickFolder(const std::string&, const std::string&) override { return {}; }
    void shellOpen(const std::string&) override {}
    void navigateHiddenView(const std::string&) override {}
    void pump() override {}

private:
    int lines_ = 0;
};

} // namespace vexo::bench
