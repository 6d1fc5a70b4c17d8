// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace vexo {

// Every widget of the server settings dialog.
struct ServerSettingsControls {
    QWidget* dialog = nullptr;
    QLabel* loginLabel = nullptr;
    QLineEdit* loginField = nullptr;
    QLabel* passwordLabel = nullptr;
    QLineEdit* passwordField = nullptr;
    QLabel* serverLabel = nullptr;
    QLineEdit* serverField = nullptr;
    QLabel* portLabel = nullptr;
    QLineEdit* portField = nullptr;
    QGroupBox* removalGroup = nullptr;             // "Удаление файлов"
    QRadioButton* removeInBrowserButton = nullptr; // "Удалять со вспл."
    QRadioButton* removeSilentlyButton = nullptr;  // "Удалять без вспл."
    QRadioButton* keepOnServerButton = nullptr;    // "Не удалять"
    QCheckBox* startAtLoginBox = nullptr;          // "Запускать при входе в систему"
    QPushButton* okButton = nullptr;
};

} // namespace vexo
