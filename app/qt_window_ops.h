#pragma once

#include "base/window_ops.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <map>

class QMainWindow;
class QObject;
class QProgressBar;

namespace vexo {

struct MainWindowControls;
class WindowTimer;

// The window operations on the main window's Qt widgets.
class QtWindowOps : public WindowOps {
public:
    QtWindowOps(QMainWindow& window, MainWindowControls& controls);

    // Loads addresses in the hidden web view; set by the web pages once
    // they are available.
    std::function<void(const std::string&)> hiddenNavigator;

    void setCaption(const std::string& caption) override;
    std::string caption() const override;
    void setWindowSize(int width, int height) override;
    int windowWidth() const override;
    int windowHeight() const override;
    void closeWindow() override;
    void showTab(int index) override;

    void setEnabled(Control control, bool enabled) override;
    bool isEnabled(Control control) const override;
    void setVisible(Control control, bool visible) override;
    bool isVisible(Control control) const override;
    void setFocus(Control control) override;
    bool isChecked(Control control) const override;
    void setChecked(Control control, bool checked) override;
    std::string text(Control control) const override;
    void setText(Control control, const std::string& text) override;
    void setAlertBackground(Control control, bool alert) override;

    int lineCount() const override;
    std::string line(int index) const override;
    void appendLine(const std::string& text) override;
    void setLine(int index, const std::string& text) override;
    void deleteLine(int index) override;
    void clearLines() override;
    void selectLine(int index) override;
    int selectedLine() const override;

    void setProgress(Control bar, std::int64_t position) override;
    void setProgressMax(Control bar, std::int64_t maximum) override;
    std::int64_t progress(Control bar) const override;

    void setStatusText(int panel, const std::string& text) override;
    std::string statusText(int panel) const override;
    void repaintStatus() override;

    int gridRowCount() const override;
    void setGridRowCount(int rows) override;
    void setGridCell(int column, int row, const std::string& text) override;
    std::string gridCell(int column, int row) const override;
    void setGridFixedRows(int rows) override;
    int gridFixedRows() const override;

    void setTimerActive(Timer timer, bool active) override;
    bool isTimerActive(Timer timer) const override;
    void setTimerInterval(Timer timer, std::uint32_t milliseconds) override;
    std::uint32_t timerInterval(Timer timer) const override;

    void setTrayHint(const std::string& hint) override;

    void showMessage(MessageKind kind, const std::string& text) override;
    std::vector<std::string> pickFiles(const std::string& startFolder, const std::string& filter) override;
    std::optional<std::string> pickFolder(const std::string& title, const std::string& preselected) override;

    void shellOpen(const std::string& target) override;
    void navigateHiddenView(const std::string& url) override;

    void pump() override;

private:
    struct BarValue {
        std::int64_t position = 0;
        std::int64_t maximum = 100;
    };

    QObject* object(Control control) const;
    QProgressBar* bar(Control control) const;
    WindowTimer* timer(Timer timer) const;
    void showBar(Control control);
    void showBarsSoon();

    QMainWindow& window_;
    MainWindowControls& c_;
    std::map<Control, BarValue> bars_;
    QElapsedTimer statusPainted_;
    QTimer barFrame_;
};

} // namespace vexo
