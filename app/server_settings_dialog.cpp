// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/server_settings_dialog.h"

#include "app/accessible_names.h"
#include "app/form_names.h"
#include "app/hints.h"
#include "app/main_window_controls.h"
#include "app/window_context.h"
#include "base/handler_boundary.h"
#include "base/service_address.h"
#include "base/session.h"
#include "base/stop_request.h"
#include "window_handlers/views.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vexo {

namespace {

// The dialog's size at the default font; larger fonts make it grow.
constexpr QSize kClientSize(149, 289);
constexpr double kOpacity = 200.0 / 255.0;

// What the window manager's title bar needs to show `title` whole, in the
// desktop's font: many draw it bold and centred, between up to three
// buttons on either side, each about a line and a half wide.
int TitleBarWidth(const QString& title)
{
    QFont bold = QApplication::font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return metrics.horizontalAdvance(title) + 2 * 3 * (metrics.height() * 3 / 2);
}

// A text field with its caption above it.
QLineEdit* AddField(QVBoxLayout* layout, QLabel*& label, const QString& caption, const QString& hint)
{
    auto* parent = layout->parentWidget();
    label = new QLabel(caption, parent);
    auto* field = new QLineEdit(parent);
    label->setBuddy(field);
    SetHint(field, hint);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addSpacing(3);
    return field;
}

QRadioButton* AddRadio(QGroupBox* group, const QString& caption, const QString& hint)
{
    auto* radio = new QRadioButton(caption, group);
    SetHint(radio, hint);
    group->layout()->addWidget(radio);
    return radio;
}

} // namespace

ServerSettingsDialog::ServerSettingsDialog(WindowContext& context, Downloader& downloader,
                                           const ServerSettingsForm& form)
    : QDialog(context.controls.window), context_(context), downloader_(downloader), form_(form)
{
    build();
    fill();
    bindFields();
    context.controls.window->installEventFilter(this);
}

void ServerSettingsDialog::build()
{
    c_.dialog = this;
    setWindowTitle(QString::fromUtf8("Настройки"));
    // A fixed dialog frame with a close box only. As a child of the main
    // window it stays above it, centred on it, and is hidden with it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // While it is open the main window takes no input; the tray menu still does.
    setWindowModality(Qt::WindowModal);
    setWindowOpacity(kOpacity);
    // The program ends with its main window, never because of this one.
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    c_.loginField =
        AddField(layout, c_.loginLabel, QString::fromUtf8("Логин:"), QString::fromUtf8("Логин для доступа к сервису"));
    c_.passwordField = AddField(layout, c_.passwordLabel, QString::fromUtf8("Пароль:"),
                                QString::fromUtf8("Пароль для доступа к сервису"));
    c_.serverField = AddField(layout, c_.serverLabel, QString::fromUtf8("Сервер:"),
                              QString::fromUtf8("Текущий сервер ") + QString::fromUtf8(ServiceSiteHost()));
    c_.portField =
        AddField(layout, c_.portLabel, QString::fromUtf8("Порт:"), QString::fromUtf8("Порт сервера (обычно 6677)"));

    c_.removalGroup = new QGroupBox(QString::fromUtf8("Удаление файлов"), this);
    new QVBoxLayout(c_.removalGroup);
    c_.removeInBrowserButton =
        AddRadio(c_.removalGroup, QString::fromUtf8("Удалять со вспл."),
                 QString::fromUtf8("После скачки файла запускать удаление файла в отдельном окне\r\n"
                                   "(Надежный метод)"));
    c_.removeSilentlyButton =
        AddRadio(c_.removalGroup, QString::fromUtf8("Удалять без вспл."),
                 QString::fromUtf8("После скачки файла запускать удаление файла внутри программы\r\n"
                                   "(Ненадежный, но тихий способ)"));
    c_.keepOnServerButton =
        AddRadio(c_.removalGroup, QString::fromUtf8("Не удалять"),
                 QString::fromUtf8("После скачки файла не удалять его с сервера ") + QString::fromUtf8(kServiceServer)
                     + QString::fromUtf8("\r\n(Не рекомендуется, тк аккуант могут забанить)"));
    layout->addWidget(c_.removalGroup);
    c_.startAtLoginBox = new QCheckBox(QString::fromUtf8("Запускать при входе в систему"), this);
    SetHint(c_.startAtLoginBox,
            QString::fromUtf8("Запускать программу в трее, с включенной автопроверкой, при входе в систему"));
    layout->addWidget(c_.startAtLoginBox);
    layout->addStretch();

    c_.okButton = new QPushButton(QStringLiteral("OK"), this);
    c_.okButton->setDefault(true);
    layout->addWidget(c_.okButton);

    setTabOrder(c_.loginField, c_.passwordField);
    setTabOrder(c_.passwordField, c_.serverField);
    setTabOrder(c_.serverField, c_.portField);
    setTabOrder(c_.portField, c_.okButton);
    setTabOrder(c_.okButton, c_.removeInBrowserButton);
    setTabOrder(c_.removeInBrowserButton, c_.removeSilentlyButton);
    setTabOrder(c_.removeSilentlyButton, c_.keepOnServerButton);
    setTabOrder(c_.keepOnServerButton, c_.startAtLoginBox);
    NameServerSettingsWidgets(c_);
    NameForScreenReaders(c_);
    fitToContents();
}

void ServerSettingsDialog::fitToContents()
{
    // Fixed in size, but never smaller than its captions need, nor than the
    // title bar needs to show the title whole.
    const QSize titleBar(TitleBarWidth(windowTitle()), 0);
    setFixedSize(layout()->totalSizeHint().expandedTo(kClientSize).expandedTo(titleBar));
}

bool ServerSettingsDialog::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    // A new font or style asks for a new layout: the captions may need more room.
    if (event->type() == QEvent::LayoutRequest)
        fitToContents();
    return handled;
}

void ServerSettingsDialog::fill()
{
    c_.serverField->setText(QString::fromStdString(form_.server));
    c_.portField->setText(QString::fromStdString(form_.port));
    c_.loginField->setText(QString::fromStdString(form_.login));
    c_.passwordField->setText(QString::fromStdString(form_.password));
    c_.removeInBrowserButton->setChecked(form_.removalMode == 1);
    c_.removeSilentlyButton->setChecked(form_.removalMode == 2);
    c_.keepOnServerButton->setChecked(form_.removalMode == 3);
    if (form_.removalMode >= 1 && form_.removalMode <= 3)
        chosenMode_ = form_.removalMode;
}

void ServerSettingsDialog::bindFields()
{
    const std::pair<QLineEdit*, std::string ServerSettingsForm::*> fields[] = {
        {c_.serverField, &ServerSettingsForm::server},
        {c_.portField, &ServerSettingsForm::port},
        {c_.loginField, &ServerSettingsForm::login},
        {c_.passwordField, &ServerSettingsForm::password},
    };
    for (const auto& [edit, member] : fields) {
        connect(edit, &QLineEdit::textChanged, this,
                [this, member = member](const QString& text) { form_.*member = text.toStdString(); });
    }
    const std::pair<QRadioButton*, std::uint8_t> modes[] = {{c_.removeInBrowserButton, 1},
                                                            {c_.removeSilentlyButton, 2},
                                                            {c_.keepOnServerButton, 3}};
    for (const auto& [radio, mode] : modes) {
        connect(radio, &QRadioButton::toggled, this, [this, mode = mode](bool checked) {
            if (checked)
                chosenMode_ = mode;
        });
    }
    connect(c_.startAtLoginBox, &QCheckBox::toggled, this, [this](bool checked) { startAtLogin_.chosen = checked; });
    connect(c_.okButton, &QPushButton::clicked, this, context_.boundary.guard([this] { applyAndClose(); }));
}

void ServerSettingsDialog::open()
{
    // Another program (the desktop's own settings) may have changed the entry
    // since the last opening; a choice not taken by OK is dropped.
    startAtLogin_ = ReadStartAtLogin(AutostartEntryPath());
    {
        const QSignalBlocker quiet(c_.startAtLoginBox);
        c_.startAtLoginBox->setChecked(startAtLogin_.shown);
    }
    showCentred();
}

void ServerSettingsDialog::showCentred()
{
    const QMainWindow* main = context_.controls.window;
    QRect frame = frameGeometry();
    frame.moveCenter(main->frameGeometry().center());
    move(frame.topLeft());
    show();
    raise();
    activateWindow();
}

bool ServerSettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    // A child window is not hidden with its parent by itself: the dialog
    // goes to the tray with the main window and comes back with it.
    if (watched == context_.controls.window) {
        if (event->type() == QEvent::Hide && isVisible()) {
            hide();
            openWithMainWindow_ = true;
        } else if (event->type() == QEvent::Show && openWithMainWindow_) {
            openWithMainWindow_ = false;
            showCentred();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ServerSettingsDialog::applyAndClose()
{
    ApplyServerSettings(context_.session, form_, chosenMode_, downloader_, context_.views.downloader);
    ApplyStartAtLogin(startAtLogin_, AutostartEntryPath(), context_.session.executablePath());
    accept();
}

void ServerSettingsDialog::reject()
{
    // Only the user's own closing keeps the fields: a program on its way out
    // leaves the settings file as it was.
    if (!StopRequested())
        context_.boundary.run([this] { StoreServerSettings(context_.session.settings(), form_); });
    QDialog::reject();
}

} // namespace vexo
