#pragma once

#include "base/window_ops.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vexo::test {

// A recording stand-in for the main window. It keeps the state the logic
// can observe, logs every operation in `log`, answers every modal box at
// once (recording it in `messages`), and hands the file and folder pickers
// the answers queued by the test. Changes of a check box or edit box call
// `onChange`, as a user's click or keystroke would run the control's handler.
class FakeWindow : public WindowOps {
public:
    struct Message {
        MessageKind kind;
        std::string text;
    };
    struct ControlState {
        bool enabled = true;
        bool visible = true;
        bool checked = false;
        bool alert = false;
        std::string text;
        std::int64_t progress = 0;
        std::int64_t maximum = 100;
    };
    struct TimerState {
        bool active = false;
        std::uint32_t interval = 0;
    };

    FakeWindow();

    // What the logic did
    std::vector<std::string> log;
    std::vector<Message> messages;
    std::vector<std::string> shellOpened;
    std::vector<std::string> hiddenNavigations;
    std::vector<std::int64_t> progressHistory(Control bar) const;
    int pumps = 0;
    int statusRepaints = 0;
    int shownTab = -1;
    bool closed = false;
    Control focused = Control::Button2;
    bool hasFocus = false;
    std::string trayHint;

    // What the test answers
    std::deque<std::vector<std::string>> fileAnswers;        // next pickFiles results
    std::deque<std::optional<std::string>> folderAnswers;    // next pickFolder results
    std::function<void(Control)> onChange;                   // handler of a changed control
    std::function<void()> onPump;                            // runs inside pump()
    std::function<void(const Message&)> onMessage;           // runs inside showMessage()

    ControlState& state(Control control) { return controls_[control]; }
    const ControlState& state(Control control) const;
    const std::vector<std::string>& lines() const { return lines_; }
    std::vector<std::string> messageTexts() const;
    // The texts the panel was given, in order.
    const std::vector<std::string>& statusHistory(int panel) const { return statusHistory_.at(static_cast<std::size_t>(panel)); }

    // WindowOps
    void setCaption(const std::string& caption) override;
    std::string caption() const override { return caption_; }
    void setWindowSize(int width, int height) override;
    int windowWidth() const override { return width_; }
    int windowHeight() const override { return height_; }
    void closeWindow() override;
    void showTab(int index) override;

    void setEnabled(Control control, bool enabled) override;
    bool isEnabled(Control control) const override { return state(control).enabled; }
    void setVisible(Control control, bool visible) override;
    bool isVisible(Control control) const override { return state(control).visible; }
    void setFocus(Control control) override;
    bool isChecked(Control control) const override { return state(control).checked; }
    void setChecked(Control control, bool checked) override;
    std::string text(Control control) const override { return state(control).text; }
    void setText(Control control, const std::string& text) override;
    void setAlertBackground(Control control, bool alert) override;

    int lineCount() const override { return static_cast<int>(lines_.size()); }
    std::string line(int index) const override;
    void appendLine(const std::string& text) override;
    void setLine(int index, const std::string& text) override;
    void deleteLine(int index) override;
    void clearLines() override;
    void selectLine(int index) override;
    int selectedLine() const override { return selected_; }

    void setProgress(Control bar, std::int64_t position) override;
    void setProgressMax(Control bar, std::int64_t maximum) override;
    std::int64_t progress(Control bar) const override { return state(bar).progress; }

    void setStatusText(int panel, const std::string& text) override;
    std::string statusText(int panel) const override;
    void repaintStatus() override;

    int gridRowCount() const override { return static_cast<int>(grid_.size()); }
    void setGridRowCount(int rows) override;
    void setGridCell(int column, int row, const std::string& text) override;
    std::string gridCell(int column, int row) const override;
    void setGridFixedRows(int rows) override;
    int gridFixedRows() const override { return fixedRows_; }

    void setTimerActive(Timer timer, bool active) override;
    bool isTimerActive(Timer timer) const override { return timers_.at(timer).active; }
    void setTimerInterval(Timer timer, std::uint32_t milliseconds) override;
    std::uint32_t timerInterval(Timer timer) const override { return timers_.at(timer).interval; }

    void setTrayHint(const std::string& hint) override;

    void showMessage(MessageKind kind, const std::string& text) override;
    std::vector<std::string> pickFiles(const std::string& startFolder, const std::string& filter) override;
    std::optional<std::string> pickFolder(const std::string& title, const std::string& preselected) override;

    void shellOpen(const std::string& target) override;
    void navigateHiddenView(const std::string& url) override;

    void pump() override;

private:
    void record(std::string entry) { log.push_back(std::move(entry)); }

    std::string caption_;
    int width_ = 640;
    int height_ = 500;
    std::map<Control, ControlState> controls_;
    std::map<Control, std::vector<std::int64_t>> progressHistory_;
    std::vector<std::string> lines_;
    int selected_ = -1;
    std::array<std::string, 2> status_;
    std::array<std::vector<std::string>, 2> statusHistory_;
    std::vector<std::array<std::string, 2>> grid_;
    int fixedRows_ = 0;
    std::map<Timer, TimerState> timers_;
};

} // namespace vexo::test
