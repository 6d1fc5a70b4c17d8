#pragma once

#include "base/handler_boundary.h"
#include "app/main_window_controls.h"
#include "app/qt_window_ops.h"
#include "base/session.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vexo {

class HintEcho;

// The main window `Vmain`: builds every control, binds the handlers, and
// runs the start-up in its constructor.
class TVmain : public QMainWindow {
    Q_OBJECT
public:
    // `args` are the command-line parameters without the program name.
    TVmain(std::string executablePath, std::vector<std::string> args);
    ~TVmain() override;

    Session& session() { return session_; }
    WindowOps& ops() { return ops_; }
    MainWindowControls& controls() { return c_; }

    // Wraps an event handler in the error boundary.
    std::function<void()> guarded(std::function<void()> handler);

    // Shows the window centred on the desktop.
    void showCentred();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void bindShellHandlers();

    MainWindowControls c_;
    QtWindowOps ops_;
    HandlerBoundary boundary_;
    Session session_;
    HintEcho* hintEcho_ = nullptr;
    std::uint8_t hiddenTabClicks_ = 0;
};

} // namespace vexo
