#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexo {

// Every control, menu item and timer of the main window that the program's
// logic touches, by its designer name. The window implementation maps each
// one onto a widget; the test fake keeps a small record per control.
enum class Control {
    // Tab "Дешифратор"
    Button2,      // "Добавить всё"
    Add,          // "Добавить"
    Delet,        // "Очистить"
    Delone,       // "Удалить"
    Proced,       // "Расшифровка"
    Button1,      // "Соединение"
    Button8,      // "Откр. Папку"
    AutoJoin,     // check box `auto`, "Сразу соединять"
    AutoDelete,   // "Автоудаление"
    Autoopen,     // "Открыть папку"
    TFolder,      // folder box
    List,         // list box of the decode queue and the run log
    ProgressBar1, // whole run
    ProgressBar2, // current file
    // Tab "Downloader"
    GetList,      // "Обновить"
    Settings,     // "Настройки"
    AutoO,        // "Автопроверка"
    Aosec,        // automatic-check period box
    Filenamedown, // name of the file being fetched
    Statusdown,   // fetch progress text
    ProgressBar3, // fetch progress in bytes
    // Hidden tab "Downloader" (URL tab)
    TabSheet4,
    Urlstr,
    // Context menu of the list
    Delete1,
    Realnam,
    Sizef,
    Key,
    // Tray menu
    N4, // "Автообновление"
};

// The control's designer name ("Button2", "auto", "aosec", ...), which is
// also the object name of its widget.
const char* ControlName(Control control);

enum class Timer {
    Timer,    // task runner
    Timer1,   // fetch progress display
    Bigtimer, // automatic check
};

enum class MessageKind { Information, Warning };

// The window operations the logic is written against. The Qt window
// implements them on its widgets; tests implement them with a recording
// fake. Setting a check box to a different state, or an edit box to a
// different text, runs that control's change handler, as a user's action
// would; setting the same value runs nothing.
class WindowOps {
public:
    virtual ~WindowOps() = default;

    // Window
    virtual void setCaption(const std::string& caption) = 0;
    virtual std::string caption() const = 0;
    virtual void setWindowSize(int width, int height) = 0;
    virtual int windowWidth() const = 0;
    virtual int windowHeight() const = 0;
    virtual void closeWindow() = 0;
    virtual void showTab(int index) = 0;

    // Controls of every kind
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual bool isEnabled(Control control) const = 0;
    virtual void setVisible(Control control, bool visible) = 0;
    virtual bool isVisible(Control control) const = 0;
    virtual void setFocus(Control control) = 0;
    virtual bool isChecked(Control control) const = 0;
    virtual void setChecked(Control control, bool checked) = 0;
    virtual std::string text(Control control) const = 0;
    virtual void setText(Control control, const std::string& text) = 0;
    // Edit boxes: the normal background, or pure red for a folder that is missing.
    virtual void setAlertBackground(Control control, bool alert) = 0;

    // List box `List`, lines counted from 0
    virtual int lineCount() const = 0;
    virtual std::string line(int index) const = 0;
    virtual void appendLine(const std::string& text) = 0;
    virtual void setLine(int index, const std::string& text) = 0;
    virtual void deleteLine(int index) = 0;
    virtual void clearLines() = 0;
    virtual void selectLine(int index) = 0;
    virtual int selectedLine() const = 0; // -1 when no line is selected

    // Progress bars; positions and maxima may pass 2^31 (ProgressBar3 counts bytes)
    virtual void setProgress(Control bar, std::int64_t position) = 0;
    virtual void setProgressMax(Control bar, std::int64_t maximum) = 0;
    virtual std::int64_t progress(Control bar) const = 0;

    // Status bar `StatusB`: panel 0 for status texts, panel 1 for the queued tasks
    virtual void setStatusText(int panel, const std::string& text) = 0;
    virtual std::string statusText(int panel) const = 0;
    virtual void repaintStatus() = 0;

    // Server file grid `filesl`
    virtual int gridRowCount() const = 0;
    virtual void setGridRowCount(int rows) = 0;
    virtual void setGridCell(int column, int row, const std::string& text) = 0;
    virtual std::string gridCell(int column, int row) const = 0;
    virtual void setGridFixedRows(int rows) = 0;
    virtual int gridFixedRows() const = 0;

    // Timers
    virtual void setTimerActive(Timer timer, bool active) = 0;
    virtual bool isTimerActive(Timer timer) const = 0;
    virtual void setTimerInterval(Timer timer, std::uint32_t milliseconds) = 0;
    virtual std::uint32_t timerInterval(Timer timer) const = 0;

    // Tray icon
    virtual void setTrayHint(const std::string& hint) = 0;

    // Modal dialogs; each waits until the user has closed it
    virtual void showMessage(MessageKind kind, const std::string& text) = 0;
    // The chosen files (full paths), or an empty list when the user cancels.
    virtual std::vector<std::string> pickFiles(const std::string& startFolder,
                                               const std::string& filter) = 0;
    // The chosen folder, or nothing when the user cancels.
    virtual std::optional<std::string> pickFolder(const std::string& title,
                                                  const std::string& preselected) = 0;

    // Shell "open" of a folder or a web address
    virtual void shellOpen(const std::string& target) = 0;
    // Loads an address in the hidden web view `delweb`
    virtual void navigateHiddenView(const std::string& url) = 0;

    // Processes all pending window messages, then returns
    virtual void pump() = 0;
};

} // namespace vexo
