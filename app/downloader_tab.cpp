// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/first_show_layout.h"
#include "app/hints.h"
#include "app/main_window_controls.h"
#include "app/server_grid.h"
#include "app/tab_builders.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vexo {

namespace {

QPushButton* MakeCommandButton(QWidget* parent, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption, parent);
    button->setMinimumWidth(81);
    SetHint(button, hint);
    return button;
}

QGroupBox* BuildDownloaderCommands(MainWindowControls& c, QWidget* tab)
{
    auto* box = new QGroupBox(tab);
    c.downloaderCommands = box;
    c.checkServerButton =
        MakeCommandButton(box, QString::fromUtf8("Обновить"),
                          QString::fromUtf8("Обновляет список файлов сервера и состояние их закачки"));
    c.stopButton = MakeCommandButton(box, QString::fromUtf8("Остановить"),
                                     QString::fromUtf8("Останавливает закачку файла и отменяет ждущие закачки"));
    c.stopButton->setEnabled(false);
    c.serverSettingsButton =
        MakeCommandButton(box, QString::fromUtf8("Настройки"), QString::fromUtf8("Настройки доступа к серверу"));
    c.autoCheckBox = new QCheckBox(QString::fromUtf8("Автопроверка"), box);
    c.autoCheckPeriodBox = new QLineEdit(QStringLiteral("60"), box);
    c.autoCheckPeriodBox->setFixedWidth(49);
    c.secondsLabel = new QLabel(QString::fromUtf8("Секунд"), box);

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(c.checkServerButton);
    row->addWidget(c.stopButton);
    row->addWidget(c.serverSettingsButton);
    row->addSpacing(14);
    row->addWidget(c.autoCheckBox);
    row->addWidget(c.autoCheckPeriodBox);
    row->addWidget(c.secondsLabel);
    row->addStretch(1);
    return box;
}

QGroupBox* BuildProgressBox(MainWindowControls& c, QWidget* tab)
{
    auto* box = new QGroupBox(tab);
    c.fetchBox = box;
    c.fetchNameLabel = new QLabel(box);
    c.fetchNameLabel->setTextFormat(Qt::PlainText);
    c.fetchStatusLabel = new QLabel(box);
    c.fetchStatusLabel->setTextFormat(Qt::PlainText);
    c.fetchSpeedLabel = new QLabel(box);
    c.fetchSpeedLabel->setTextFormat(Qt::PlainText);
    c.fetchProgressBar = new QProgressBar(box);
    c.fetchProgressBar->setRange(0, 100);
    c.fetchProgressBar->setValue(0);
    c.fetchProgressBar->setTextVisible(false);
    c.fetchProgressBar->setFixedHeight(16);

    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->addWidget(c.fetchNameLabel, 0, 0, 1, 3);
    grid->addWidget(c.fetchStatusLabel, 1, 0);
    grid->addWidget(c.fetchSpeedLabel, 1, 1);
    grid->addWidget(c.fetchProgressBar, 1, 2);
    grid->setColumnMinimumWidth(0, 240);
    grid->setColumnStretch(2, 1);
    return box;
}

} // namespace

QWidget* BuildDownloaderTab(MainWindowControls& c)
{
    auto* tab = new QWidget;
    c.downloaderTab = tab;

    QGroupBox* commands = BuildDownloaderCommands(c, tab);
    c.serverFileGrid = new ServerGrid(tab);
    QGroupBox* progress = BuildProgressBox(c, tab);

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(commands);
    layout->addWidget(c.serverFileGrid, 1);
    layout->addWidget(progress);
    LayOutWhenFirstShown(tab, layout);
    return tab;
}

} // namespace vexo
