#pragma once

#include "base/settings_store.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vexo {

class TVmain;

// What the settings dialog shows when it is first opened: the "Server"
// keys as the settings file held them at start-up.
struct SettingFormFields {
    std::string name;
    std::string port;
    std::string login;
    std::string password;
    std::uint8_t remMode = 1;
};

// The dialog's creation handler, reading the fields through the dialog's
// own handle on the settings file. It runs right after the main window's
// start-up; the widgets are built from its result when first needed.
SettingFormFields ReadSettingFormFields(const SettingsStore& settings);

// The settings dialog `SettingForm`: login, password, the server's host and
// port, and what becomes of a fetched file on the server (`RemMode`). Its
// fields are read at start-up (ReadSettingFormFields); the window itself is
// built once, when first needed, with its own handle on the settings file,
// and lives hidden when not in use; its fields keep the user's text between
// openings. While it is open the main window takes no input.
class TSettingForm : public QWidget {
    Q_OBJECT
public:
    TSettingForm(TVmain& main, std::unique_ptr<SettingsStore> settings, const SettingFormFields& fields);
    ~TSettingForm() override;

    // The main window's button "Настройки": disables the main window and
    // shows the dialog centred over it, without waiting.
    void SettingsClick();
    // "OK": takes the removal mode from the radio buttons, stores the
    // dialog, hands the host and port to the TCP client, lets the runner
    // tick again in 5 s, and closes.
    void Button1Click();

    std::uint8_t RemMode() const { return remMode_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void fill(const SettingFormFields& fields);
    // Stores the four fields and the removal mode, and enables the main
    // window again even when a write is refused.
    void FormClose();
    void storeFields();

    TVmain& main_;
    std::unique_ptr<SettingsStore> settings_;
    std::uint8_t remMode_ = 1;

    QLineEdit* NameS = nullptr;
    QLineEdit* PassS = nullptr;
    QLineEdit* ServerIP = nullptr;
    QLineEdit* PortS = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QPushButton* Button1 = nullptr;
};

} // namespace vexo
