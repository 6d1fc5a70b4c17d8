// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/accessible_names.h"

#include "app/main_window_controls.h"
#include "app/server_grid.h"
#include "app/server_settings_controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTextEdit>

#include <utility>

namespace vexo {

namespace {

void Name(QWidget* widget, const char* name)
{
    widget->setAccessibleName(QString::fromUtf8(name));
}

} // namespace

void NameForScreenReaders(MainWindowControls& c)
{
    // A label names the box beside it, for screen readers and for Alt keys alike.
    c.folderLabel->setBuddy(c.folderBox);
    c.secondsLabel->setBuddy(c.autoCheckPeriodBox);
    c.urlLabel->setBuddy(c.urlBox);

    Name(c.folderBox, "Текущий каталог");
    Name(c.queueList, "Очередь файлов");
    Name(c.runProgressBar, "Прогресс для текущего файла");
    Name(c.fileProgressBar, "Прогресс по файлам");
    Name(c.autoCheckPeriodBox, "Автопроверка, секунд");
    Name(c.serverFileGrid, "Файлы на сервере");
    Name(c.fetchProgressBar, "Прогресс закачки");
    Name(c.fetchSpeedLabel, "Скорость закачки");
    Name(c.aboutText, "О программе");
    Name(c.urlBox, "Url");
}

void NameForScreenReaders(ServerSettingsControls& c)
{
    const std::pair<QLineEdit*, const char*> fields[] = {{c.loginField, "Логин"},
                                                         {c.passwordField, "Пароль"},
                                                         {c.serverField, "Сервер"},
                                                         {c.portField, "Порт"}};
    for (const auto& [field, name] : fields)
        Name(field, name);
    Name(c.startAtLoginBox, "Запускать при входе в систему");
}

} // namespace vexo
