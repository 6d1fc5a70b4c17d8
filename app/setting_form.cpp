#include "app/setting_form.h"

#include "app/hints.h"
#include "app/main_window.h"
#include "base/service_address.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vexo {

namespace {

constexpr int kClientWidth = 149;
constexpr int kClientHeight = 289;
constexpr double kOpacity = 200.0 / 255.0;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string S(const QString& text)
{
    return text.toStdString();
}

// A text field with its caption above it, as the dialog lays them out.
QLineEdit* MakeField(QWidget* parent, const char* name, const QString& caption, int top, const QString& hint)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name) + QStringLiteral("Label"));
    label->setGeometry(0, top - 16, 145, 13);
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setGeometry(0, top, 145, 21);
    label->setBuddy(field);
    SetHint(field, hint);
    return field;
}

QRadioButton* MakeRadio(QGroupBox* group, const char* name, const QString& caption, int top, int width,
                        const QString& hint)
{
    auto* radio = new QRadioButton(caption, group);
    radio->setObjectName(name);
    // Positions are the dialog's; the buttons sit inside the group frame.
    radio->setGeometry(8 - group->x(), top - group->y(), width, 17);
    SetHint(radio, hint);
    return radio;
}

} // namespace

SettingFormFields ReadSettingFormFields(const SettingsStore& settings)
{
    SettingFormFields fields;
    fields.name = settings.ReadString("Server", "Name", "");
    fields.port = settings.ReadString("Server", "Port", "6677");
    fields.login = settings.ReadString("Server", "Login", "test");
    fields.password = settings.ReadString("Server", "Passwd", "demo");
    fields.remMode = static_cast<std::uint8_t>(settings.ReadInteger("Server", "RemMode", 1) & 0xFF);
    return fields;
}

TSettingForm::TSettingForm(TVmain& main, std::unique_ptr<SettingsStore> settings, const SettingFormFields& fields)
    : QWidget(nullptr, Qt::Dialog), main_(main), settings_(std::move(settings))
{
    build();
    fill(fields);
}

TSettingForm::~TSettingForm() = default;

void TSettingForm::build()
{
    setObjectName("SettingForm");
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

    NameS = MakeField(this, "NameS", QString::fromUtf8("Логин:"), 16, QString::fromUtf8("Логин для доступа к сервису"));
    PassS = MakeField(this, "PassS", QString::fromUtf8("Пароль:"), 56, QString::fromUtf8("Пароль для доступа к сервису"));
    ServerIP = MakeField(this, "ServerIP", QString::fromUtf8("Сервер:"), 96,
                         QString::fromUtf8("Текущий сервер ") + QString::fromUtf8(ServiceSiteHost()));
    PortS = MakeField(this, "PortS", QString::fromUtf8("Порт:"), 136, QString::fromUtf8("Порт сервера (обычно 6677)"));

    RadioGroup1 = new QGroupBox(QString::fromUtf8("Удаление файлов"), this);
    RadioGroup1->setObjectName("RadioGroup1");
    RadioGroup1->setGeometry(0, 160, 149, 97);
    RadioButton1 = MakeRadio(RadioGroup1, "RadioButton1", QString::fromUtf8("Удалять со вспл."), 183, 129,
                             QString::fromUtf8("После скачки файла запускать удаление файла в отдельном окне\r\n"
                                               "(Надежный метод)"));
    RadioButton2 = MakeRadio(RadioGroup1, "RadioButton2", QString::fromUtf8("Удалять без вспл."), 207, 113,
                             QString::fromUtf8("После скачки файла запускать удаление файла внутри программы\r\n"
                                               "(Ненадежный, но тихий способ)"));
    RadioButton3 = MakeRadio(RadioGroup1, "RadioButton3", QString::fromUtf8("Не удалять"), 231, 113,
                             QString::fromUtf8("После скачки файла не удалять его с сервера ")
                                 + QString::fromUtf8(kServiceServer)
                                 + QString::fromUtf8("\r\n(Не рекомендуется, тк аккуант могут забанить)"));

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(2, 259, 145, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { main_.guarded([this] { Button1Click(); })(); });

    setTabOrder(NameS, PassS);
    setTabOrder(PassS, ServerIP);
    setTabOrder(ServerIP, PortS);
    setTabOrder(PortS, Button1);
    setTabOrder(Button1, RadioButton1);
    setTabOrder(RadioButton1, RadioButton2);
    setTabOrder(RadioButton2, RadioButton3);
}

void TSettingForm::fill(const SettingFormFields& fields)
{
    ServerIP->setText(Q(fields.name));
    PortS->setText(Q(fields.port));
    NameS->setText(Q(fields.login));
    PassS->setText(Q(fields.password));
    remMode_ = fields.remMode;
    RadioButton1->setChecked(remMode_ == 1);
    RadioButton2->setChecked(remMode_ == 2);
    RadioButton3->setChecked(remMode_ == 3);
}

void TSettingForm::SettingsClick()
{
    main_.setEnabled(false);
    QRect frame = frameGeometry();
    frame.moveCenter(main_.frameGeometry().center());
    move(frame.topLeft());
    show();
    raise();
    activateWindow();
}

void TSettingForm::Button1Click()
{
    if (RadioButton1->isChecked())
        remMode_ = 1;
    else if (RadioButton2->isChecked())
        remMode_ = 2;
    else if (RadioButton3->isChecked())
        remMode_ = 3;
    storeFields();

    Session& session = main_.session();
    session.client.host = settings_->ReadString("Server", "Name", "");
    session.client.port = settings_->ReadString("Server", "Port", "6677");
    main_.ops().setTimerInterval(Timer::Timer, 5000);
    close();
}

void TSettingForm::storeFields()
{
    settings_->WriteString("Server", "Name", S(ServerIP->text()));
    settings_->WriteString("Server", "Port", S(PortS->text()));
    settings_->WriteString("Server", "Login", S(NameS->text()));
    settings_->WriteString("Server", "Passwd", S(PassS->text()));
    settings_->WriteInteger("Server", "RemMode", remMode_);
}

void TSettingForm::FormClose()
{
    struct EnableMain {
        TVmain& main;
        ~EnableMain() { main.setEnabled(true); }
    } enableMain{main_};
    storeFields();
}

void TSettingForm::closeEvent(QCloseEvent* event)
{
    main_.guarded([this] { FormClose(); })();
    event->accept();
}

} // namespace vexo
