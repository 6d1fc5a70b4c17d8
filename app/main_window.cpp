#include "app/main_window.h"

#include "app/decoder_bindings.h"
#include "app/downloader_bindings.h"
#include "app/form_names.h"
#include "app/framed_bars.h"
#include "app/hint_echo.h"
#include "app/hints.h"
#include "app/shell_bindings.h"
#include "app/status_bar.h"
#include "app/tab_builders.h"
#include "app/tray_bindings.h"
#include "app/web_bindings.h"
#include "app/window_timer.h"
#include "base/start_up.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vexo {

namespace {

MainWindowControls BuildWindow(QMainWindow& window)
{
    MainWindowControls c;
    c.window = &window;
    window.setMinimumSize(640, 300);
    window.resize(640, 500);

    auto* central = new QWidget(&window);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    c.tabs = new QTabWidget(central);
    c.tabs->addTab(BuildDecoderTab(c), QString::fromUtf8("Дешифратор"));
    c.tabs->addTab(BuildDownloaderTab(c), QStringLiteral("Downloader"));
    c.tabs->addTab(BuildUploadTab(c), QString::fromUtf8("Управление закачкой"));
    c.tabs->addTab(BuildNewsTab(c), QString::fromUtf8("О программе"));
    c.tabs->addTab(BuildUrlTab(c), QStringLiteral("Downloader"));

    c.statusBar = new StatusBar(central);
    SetHint(c.statusBar, QString::fromUtf8("Vexorama — свободный клиент сервиса Vexo. Команда Vexorama"));

    layout->addWidget(c.tabs, 1);
    layout->addWidget(c.statusBar);
    window.setCentralWidget(central);

    BuildMenus(c, &window);
    c.runnerTimer = new WindowTimer(5000, true, &window);
    c.fetchProgressTimer = new WindowTimer(100, false, &window);
    c.autoCheckTimer = new WindowTimer(1000, false, &window);

    auto* hintEcho = new HintEcho(c.statusBar);
    hintEcho->watchMenu(c.queueMenu);
    hintEcho->watchMenu(c.trayMenu);

    NameMainWindowWidgets(c);
    return c;
}

} // namespace

MainWindow::MainWindow(std::string executablePath, std::vector<std::string> args)
    : controls_(BuildWindow(*this)),
      bars_(new FramedBars(this)),
      windowView_(controls_),
      decoderView_(controls_, *bars_),
      downloaderView_(controls_, *bars_),
      dialogs_(*this),
      webViews_(webModule_, {{WebPage::UploadManagement, {controls_.uploadTab, PageViewName(WebPage::UploadManagement)}},
                             {WebPage::News, {controls_.newsHolder, PageViewName(WebPage::News)}},
                             {WebPage::Removal, {controls_.removalHolder, PageViewName(WebPage::Removal)}}}),
      views_{windowView_, decoderView_, downloaderView_, windowView_, webViews_, dialogs_},
      boundary_(dialogs_),
      context_{session_, views_, controls_, boundary_}
{
    session_.executablePath = std::move(executablePath);
    const std::size_t slash = session_.executablePath.rfind('/');
    session_.programFolder = session_.executablePath.substr(0, slash + 1);
    session_.args = std::move(args);

    // Each subsystem binds its own controls here, before start-up runs.
    new ShellBindings(context_);
    new DecoderBindings(context_);
    new TrayBindings(context_);
    new DownloaderBindings(context_);
    new WebBindings(context_);
    boundary_.run([this] { StartUp(session_, views_, boundary_); });
}

MainWindow::~MainWindow()
{
    // The tray menu has no parent (see BuildMenus).
    delete controls_.trayMenu;
}

void MainWindow::showCentred()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    // The decoder tab is shown from the start; its show handler runs once the window is up.
    findChild<ShellBindings*>()->decoderTabShown();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    boundary_.run([this] { StoreWindowSize(session_, {width(), height()}); });
    event->accept();
}

} // namespace vexo
