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

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setMinimumWidth(81);
    SetHint(button, hint);
    return button;
}

QGroupBox* BuildCommandBox(MainWindowControls& c, QWidget* tab)
{
    auto* box = new QGroupBox(tab);
    box->setObjectName("GroupBox2");
    c.GetList = MakeButton(box, "GetList", QString::fromUtf8("Обновить"),
                           QString::fromUtf8("Обновляет список файлов сервера и состояние их закачки"));
    c.Settings = MakeButton(box, "Settings", QString::fromUtf8("Настройки"), QString::fromUtf8("Настройки доступа к серверу"));
    c.AutoO = new QCheckBox(QString::fromUtf8("Автопроверка"), box);
    c.AutoO->setObjectName("AutoO");
    c.aosec = new QLineEdit(QStringLiteral("60"), box);
    c.aosec->setObjectName("aosec");
    c.aosec->setFixedWidth(49);
    c.Label2 = new QLabel(QString::fromUtf8("Секунд"), box);
    c.Label2->setObjectName("Label2");

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(c.GetList);
    row->addWidget(c.Settings);
    row->addSpacing(14);
    row->addWidget(c.AutoO);
    row->addWidget(c.aosec);
    row->addWidget(c.Label2);
    row->addStretch(1);
    return box;
}

QGroupBox* BuildProgressBox(MainWindowControls& c, QWidget* tab)
{
    auto* box = new QGroupBox(tab);
    box->setObjectName("GroupBox6");
    c.filenamedown = new QLabel(box);
    c.filenamedown->setObjectName("filenamedown");
    c.filenamedown->setTextFormat(Qt::PlainText);
    c.Statusdown = new QLabel(box);
    c.Statusdown->setObjectName("Statusdown");
    c.Statusdown->setTextFormat(Qt::PlainText);
    c.ProgressBar3 = new QProgressBar(box);
    c.ProgressBar3->setObjectName("ProgressBar3");
    c.ProgressBar3->setRange(0, 100);
    c.ProgressBar3->setValue(0);
    c.ProgressBar3->setTextVisible(false);
    c.ProgressBar3->setFixedHeight(16);

    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->addWidget(c.filenamedown, 0, 0, 1, 2);
    grid->addWidget(c.Statusdown, 1, 0);
    grid->addWidget(c.ProgressBar3, 1, 1);
    grid->setColumnMinimumWidth(0, 240);
    grid->setColumnStretch(1, 1);
    return box;
}

} // namespace

QWidget* BuildDownloaderTab(MainWindowControls& c)
{
    auto* tab = new QWidget;
    tab->setObjectName("TabSheet2");
    c.TabSheet2 = tab;

    QGroupBox* commands = BuildCommandBox(c, tab);
    c.filesl = new ServerGrid(tab);
    QGroupBox* progress = BuildProgressBox(c, tab);

    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(commands);
    layout->addWidget(c.filesl, 1);
    layout->addWidget(progress);
    return tab;
}

} // namespace vexo
