// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/server_settings_dialog.h"

#include "app/form_names.h"
#include "app/hints.h"
#include "app/main_window_controls.h"
#include "app/window_context.h"
#include "base/handler_boundary.h"
#include "base/service_address.h"
#include "base/views.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>

namespace vexo {

namespace {

constexpr int kClientWidth = 149;
constexpr int kClientHeight = 289;
constexpr double kOpacity = 200.0 / 255.0;

struct Field {
    QLabel* label;
    QLineEdit* edit;
};

// A text field with its caption above it, as the dialog lays them out.
Field MakeField(QWidget* parent, const QString& caption, int top, const QString& hint)
{
    auto* label = new QLabel(caption, parent);
    label->setGeometry(0, top - 16, 145, 13);
    auto* field = new QLineEdit(parent);
    field->setGeometry(0, top, 145, 21);
    label->setBuddy(field);
    SetHint(field, hint);
    return {label, field};
}

QRadioButton* MakeRadio(QGroupBox* group, const QString& caption, int top, int width, const QString& hint)
{
    auto* radio = new QRadioButton(caption, group);
    // Positions are the dialog's; the buttons sit inside the group frame.
    radio->setGeometry(8 - group->x(), top - group->y(), width, 17);
    SetHint(radio, hint);
    return radio;
}

} // namespace

ServerSettingsDialog::ServerSettingsDialog(WindowContext& context, std::unique_ptr<SettingsStore> settings,
                                           const ServerSettingsForm& form)
    : QWidget(nullptr, Qt::Dialog), context_(context), settings_(std::move(settings)), form_(form)
{
    build();
    fill();
    bindFields();
}

void ServerSettingsDialog::build()
{
    c_.dialog = this;
    setWindowTitle(QString::fromUtf8("Настройки"));
    // A fixed dialog frame with a close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    setWindowOpacity(kOpacity);
    // The program ends with its main window, never because of this one.
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    const Field login =
        MakeField(this, QString::fromUtf8("Логин:"), 16, QString::fromUtf8("Логин для доступа к сервису"));
    const Field password =
        MakeField(this, QString::fromUtf8("Пароль:"), 56, QString::fromUtf8("Пароль для доступа к сервису"));
    const Field server = MakeField(this, QString::fromUtf8("Сервер:"), 96,
                                   QString::fromUtf8("Текущий сервер ") + QString::fromUtf8(ServiceSiteHost()));
    const Field port =
        MakeField(this, QString::fromUtf8("Порт:"), 136, QString::fromUtf8("Порт сервера (обычно 6677)"));
    c_.loginLabel = login.label;
    c_.loginField = login.edit;
    c_.passwordLabel = password.label;
    c_.passwordField = password.edit;
    c_.serverLabel = server.label;
    c_.serverField = server.edit;
    c_.portLabel = port.label;
    c_.portField = port.edit;

    c_.removalGroup = new QGroupBox(QString::fromUtf8("Удаление файлов"), this);
    c_.removalGroup->setGeometry(0, 160, 149, 97);
    c_.removeInBrowserButton =
        MakeRadio(c_.removalGroup, QString::fromUtf8("Удалять со вспл."), 183, 129,
                  QString::fromUtf8("После скачки файла запускать удаление файла в отдельном окне\r\n"
                                    "(Надежный метод)"));
    c_.removeSilentlyButton =
        MakeRadio(c_.removalGroup, QString::fromUtf8("Удалять без вспл."), 207, 113,
                  QString::fromUtf8("После скачки файла запускать удаление файла внутри программы\r\n"
                                    "(Ненадежный, но тихий способ)"));
    c_.keepOnServerButton =
        MakeRadio(c_.removalGroup, QString::fromUtf8("Не удалять"), 231, 113,
                  QString::fromUtf8("После скачки файла не удалять его с сервера ") + QString::fromUtf8(kServiceServer)
                      + QString::fromUtf8("\r\n(Не рекомендуется, тк аккуант могут забанить)"));

    c_.okButton = new QPushButton(QStringLiteral("OK"), this);
    c_.okButton->setGeometry(2, 259, 145, 25);

    setTabOrder(c_.loginField, c_.passwordField);
    setTabOrder(c_.passwordField, c_.serverField);
    setTabOrder(c_.serverField, c_.portField);
    setTabOrder(c_.portField, c_.okButton);
    setTabOrder(c_.okButton, c_.removeInBrowserButton);
    setTabOrder(c_.removeInBrowserButton, c_.removeSilentlyButton);
    setTabOrder(c_.removeSilentlyButton, c_.keepOnServerButton);
    NameServerSettingsWidgets(c_);
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
    connect(c_.okButton, &QPushButton::clicked, this, context_.boundary.guard([this] { applyAndClose(); }));
}

void ServerSettingsDialog::open()
{
    QMainWindow* main = context_.controls.window;
    main->setEnabled(false);
    QRect frame = frameGeometry();
    frame.moveCenter(main->frameGeometry().center());
    move(frame.topLeft());
    show();
    raise();
    activateWindow();
}

void ServerSettingsDialog::applyAndClose()
{
    ApplyServerSettings(context_.session, *settings_, form_, chosenMode_, context_.views.downloader);
    close();
}

void ServerSettingsDialog::storeOnClose()
{
    struct EnableMain {
        QMainWindow* main;
        ~EnableMain() { main->setEnabled(true); }
    } enableMain{context_.controls.window};
    StoreServerSettings(*settings_, form_);
}

void ServerSettingsDialog::closeEvent(QCloseEvent* event)
{
    context_.boundary.run([this] { storeOnClose(); });
    event->accept();
}

} // namespace vexo
