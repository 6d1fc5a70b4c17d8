#include "app/main_window.h"

#include "app/decoder_bindings.h"
#include "app/downloader_bindings.h"
#include "app/hint_echo.h"
#include "app/hints.h"
#include "base/startup.h"
#include "app/status_bar.h"
#include "app/tab_builders.h"
#include "app/tray_bindings.h"
#include "app/web_bindings.h"
#include "base/window_handlers.h"
#include "app/window_timer.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vexo {

TVmain::TVmain(std::string executablePath, std::vector<std::string> args)
    : ops_(*this, c_), boundary_(ops_)
{
    session_.executablePath = std::move(executablePath);
    const std::size_t slash = session_.executablePath.rfind('/');
    session_.programFolder = session_.executablePath.substr(0, slash + 1);
    session_.args = std::move(args);

    buildWindow();
    bindShellHandlers();
    // Each subsystem binds its own controls here, before start-up runs.
    new DecoderBindings(*this);
    new TrayBindings(*this);
    new DownloaderBindings(*this);
    new WebBindings(*this);
    boundary_.run([this] { FormCreate(session_, ops_, boundary_); });
}

TVmain::~TVmain()
{
    delete c_.PopupMenu2;
}

std::function<void()> TVmain::guarded(std::function<void()> handler)
{
    return [this, handler = std::move(handler)] { boundary_.run(handler); };
}

void TVmain::buildWindow()
{
    setObjectName("Vmain");
    setMinimumSize(640, 300);
    resize(640, 500);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    c_.Tabs = new QTabWidget(central);
    c_.Tabs->setObjectName("Tabs");
    c_.Tabs->addTab(BuildDecoderTab(c_), QString::fromUtf8("Дешифратор"));
    c_.Tabs->addTab(BuildDownloaderTab(c_), QStringLiteral("Downloader"));
    c_.Tabs->addTab(BuildUploadTab(c_), QString::fromUtf8("Управление закачкой"));
    c_.Tabs->addTab(BuildNewsTab(c_), QString::fromUtf8("О программе"));
    c_.Tabs->addTab(BuildUrlTab(c_), QStringLiteral("Downloader"));

    c_.StatusB = new StatusBar(central);
    SetHint(c_.StatusB, QString::fromUtf8("Vexorama — свободный клиент сервиса Vexo. Команда Vexorama"));

    layout->addWidget(c_.Tabs, 1);
    layout->addWidget(c_.StatusB);
    setCentralWidget(central);

    BuildMenus(c_, this);
    c_.Timer = new WindowTimer(5000, true, this);
    c_.Timer1 = new WindowTimer(100, false, this);
    c_.Bigtimer = new WindowTimer(1000, false, this);

    hintEcho_ = new HintEcho(c_.StatusB);
    hintEcho_->watchMenu(c_.PopupMenu1);
    hintEcho_->watchMenu(c_.PopupMenu2);
}

void TVmain::bindShellHandlers()
{
    connect(c_.TFolder, &QLineEdit::textChanged, this, guarded([this] { TFolderChange(session_, ops_); }));
    connect(c_.AutoDelete, &QCheckBox::toggled, this, guarded([this] { AutoDeleteClick(session_, ops_); }));
    connect(c_.AutoJoin, &QCheckBox::toggled, this, guarded([this] { autoClick(session_, ops_); }));
    connect(c_.Autoopen, &QCheckBox::toggled, this, guarded([this] { AutoopenClick(session_, ops_); }));
    connect(c_.ProgressBar2, &QWidget::customContextMenuRequested, this,
            guarded([this] { ProgressBar2ContextPopup(hiddenTabClicks_, ops_); }));
    connect(c_.Button7, &QPushButton::clicked, this, guarded([this] { Button7Click(session_, ops_); }));
    connect(c_.Button8, &QPushButton::clicked, this, guarded([this] { Button8Click(session_, ops_); }));
    connect(c_.Tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (c_.Tabs->widget(index) == c_.TabSheet1)
            boundary_.run([this] { TabSheet1Show(ops_); });
    });

    // Enter presses the focused button, or else the default button "Добавить всё".
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, c_.TabSheet1, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this] {
            auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
            QPushButton* target = focused && c_.TabSheet1->isAncestorOf(focused) ? focused : c_.Button2;
            if (target->isEnabled())
                target->click();
        });
    }
}

void TVmain::showCentred()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    // The decoder tab is shown from the start; its show handler runs once the window is up.
    boundary_.run([this] { TabSheet1Show(ops_); });
}

void TVmain::closeEvent(QCloseEvent* event)
{
    boundary_.run([this] { FormClose(session_, ops_); });
    event->accept();
}

} // namespace vexo
