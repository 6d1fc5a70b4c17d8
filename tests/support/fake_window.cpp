#include "tests/support/fake_window.h"

#include <stdexcept>

namespace vexo::test {

namespace {

const FakeWindow::ControlState kDefaultState;

const char* TimerName(Timer timer)
{
    switch (timer) {
    case Timer::Timer: return "Timer";
    case Timer::Timer1: return "Timer1";
    case Timer::Bigtimer: return "Bigtimer";
    }
    return "";
}

} // namespace

FakeWindow::FakeWindow()
{
    // Initial states of the window's design
    controls_[Control::AutoJoin].checked = true;
    controls_[Control::Realnam].enabled = false;
    controls_[Control::Sizef].enabled = false;
    controls_[Control::Key].enabled = false;
    controls_[Control::Aosec].text = "60";
    grid_.resize(1);
    timers_[Timer::Timer] = {true, 5000};
    timers_[Timer::Timer1] = {false, 100};
    timers_[Timer::Bigtimer] = {false, 1000};
}

const FakeWindow::ControlState& FakeWindow::state(Control control) const
{
    const auto found = controls_.find(control);
    return found == controls_.end() ? kDefaultState : found->second;
}

std::vector<std::int64_t> FakeWindow::progressHistory(Control bar) const
{
    const auto found = progressHistory_.find(bar);
    return found == progressHistory_.end() ? std::vector<std::int64_t>{} : found->second;
}

std::vector<std::string> FakeWindow::messageTexts() const
{
    std::vector<std::string> texts;
    for (const Message& message : messages)
        texts.push_back(message.text);
    return texts;
}

void FakeWindow::setCaption(const std::string& caption)
{
    record("caption " + caption);
    caption_ = caption;
}

void FakeWindow::setWindowSize(int width, int height)
{
    record("size " + std::to_string(width) + "x" + std::to_string(height));
    width_ = width;
    height_ = height;
}

void FakeWindow::closeWindow()
{
    record("close");
    closed = true;
}

void FakeWindow::showTab(int index)
{
    record("tab " + std::to_string(index));
    shownTab = index;
}

void FakeWindow::setEnabled(Control control, bool enabled)
{
    record(std::string(enabled ? "enable " : "disable ") + ControlName(control));
    controls_[control].enabled = enabled;
}

void FakeWindow::setVisible(Control control, bool visible)
{
    record(std::string(visible ? "show " : "hide ") + ControlName(control));
    controls_[control].visible = visible;
}

void FakeWindow::setFocus(Control control)
{
    record(std::string("focus ") + ControlName(control));
    focused = control;
    hasFocus = true;
}

void FakeWindow::setChecked(Control control, bool checked)
{
    record(std::string(checked ? "check " : "uncheck ") + ControlName(control));
    ControlState& box = controls_[control];
    if (box.checked == checked)
        return;
    box.checked = checked;
    if (onChange)
        onChange(control);
}

void FakeWindow::setText(Control control, const std::string& text)
{
    record(std::string("text ") + ControlName(control) + " " + text);
    ControlState& edit = controls_[control];
    if (edit.text == text)
        return;
    edit.text = text;
    if (onChange)
        onChange(control);
}

void FakeWindow::setAlertBackground(Control control, bool alert)
{
    record(std::string(alert ? "red " : "normal ") + ControlName(control));
    controls_[control].alert = alert;
}

std::string FakeWindow::line(int index) const
{
    return lines_.at(static_cast<std::size_t>(index));
}

void FakeWindow::appendLine(const std::string& text)
{
    record("append " + text);
    lines_.push_back(text);
}

void FakeWindow::setLine(int index, const std::string& text)
{
    record("line " + std::to_string(index) + " " + text);
    lines_.at(static_cast<std::size_t>(index)) = text;
}

void FakeWindow::deleteLine(int index)
{
    record("delete line " + std::to_string(index));
    lines_.erase(lines_.begin() + index);
    if (selected_ >= lineCount())
        selected_ = -1;
}

void FakeWindow::clearLines()
{
    record("clear lines");
    lines_.clear();
    selected_ = -1;
}

void FakeWindow::selectLine(int index)
{
    record("select " + std::to_string(index));
    selected_ = (index >= 0 && index < lineCount()) ? index : -1;
}

void FakeWindow::setProgress(Control bar, std::int64_t position)
{
    record(std::string("progress ") + ControlName(bar) + " " + std::to_string(position));
    controls_[bar].progress = position;
    progressHistory_[bar].push_back(position);
}

void FakeWindow::setProgressMax(Control bar, std::int64_t maximum)
{
    record(std::string("progress max ") + ControlName(bar) + " " + std::to_string(maximum));
    controls_[bar].maximum = maximum;
}

void FakeWindow::setStatusText(int panel, const std::string& text)
{
    record("status " + std::to_string(panel) + " " + text);
    status_.at(static_cast<std::size_t>(panel)) = text;
    statusHistory_.at(static_cast<std::size_t>(panel)).push_back(text);
}

std::string FakeWindow::statusText(int panel) const
{
    return status_.at(static_cast<std::size_t>(panel));
}

void FakeWindow::repaintStatus()
{
    record("repaint status");
    ++statusRepaints;
}

void FakeWindow::setGridRowCount(int rows)
{
    record("grid rows " + std::to_string(rows));
    grid_.resize(static_cast<std::size_t>(rows < 1 ? 1 : rows));
    if (fixedRows_ >= gridRowCount())
        fixedRows_ = gridRowCount() - 1;
}

void FakeWindow::setGridCell(int column, int row, const std::string& text)
{
    record("cell " + std::to_string(column) + "," + std::to_string(row) + " " + text);
    grid_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = text;
}

std::string FakeWindow::gridCell(int column, int row) const
{
    return grid_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
}

void FakeWindow::setGridFixedRows(int rows)
{
    record("grid fixed " + std::to_string(rows));
    if (rows >= gridRowCount())
        throw std::logic_error("a grid needs a row below its fixed rows");
    fixedRows_ = rows;
}

void FakeWindow::setTimerActive(Timer timer, bool active)
{
    record(std::string(active ? "timer on " : "timer off ") + TimerName(timer));
    timers_[timer].active = active;
}

void FakeWindow::setTimerInterval(Timer timer, std::uint32_t milliseconds)
{
    record(std::string("timer interval ") + TimerName(timer) + " " + std::to_string(milliseconds));
    timers_[timer].interval = milliseconds;
}

void FakeWindow::setTrayHint(const std::string& hint)
{
    record("tray hint " + hint);
    trayHint = hint;
}

void FakeWindow::showMessage(MessageKind kind, const std::string& text)
{
    record(std::string(kind == MessageKind::Warning ? "warning " : "information ") + text);
    messages.push_back({kind, text});
    if (onMessage)
        onMessage(messages.back());
}

std::vector<std::string> FakeWindow::pickFiles(const std::string& startFolder, const std::string& filter)
{
    record("pick files " + startFolder + " " + filter);
    if (fileAnswers.empty())
        return {};
    std::vector<std::string> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

std::optional<std::string> FakeWindow::pickFolder(const std::string& title, const std::string& preselected)
{
    record("pick folder " + title + " " + preselected);
    if (folderAnswers.empty())
        return std::nullopt;
    std::optional<std::string> answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

void FakeWindow::shellOpen(const std::string& target)
{
    record("open " + target);
    shellOpened.push_back(target);
}

void FakeWindow::navigateHiddenView(const std::string& url)
{
    record("navigate hidden " + url);
    hiddenNavigations.push_back(url);
}

void FakeWindow::pump()
{
    record("pump");
    ++pumps;
    if (onPump)
        onPump();
}

} // namespace vexo::test
