// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/hints.h"
#include "app/main_window_controls.h"
#include "app/tab_builders.h"
#include "app/theme_colours.h"
#include "base/service_address.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vexo {

namespace {

// The folder box shows its hint in the status bar only, never as a tool
// tip: it must not fall back on the tool tip of its group box either.
class NoToolTip : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::ToolTip; }
};

QPushButton* MakeButton(QWidget* parent, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(true);
    SetHint(button, hint, true);
    return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& caption, const QString& hint, bool checked)
{
    auto* box = new QCheckBox(caption, parent);
    box->setChecked(checked);
    SetHint(box, hint, true);
    return box;
}

QFrame* MakeSeparator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QProgressBar* MakeBar(QWidget* parent, int height, const QString& hint)
{
    auto* bar = new QProgressBar(parent);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setFixedHeight(height);
    SetHint(bar, hint, true);
    return bar;
}

void BuildGoButton(MainWindowControls& c, QGroupBox* box)
{
    c.goButton = MakeButton(box, QString::fromUtf8("Go!"),
                            QString::fromUtf8("Самый быстрый режим. \r\nДобавит все из текущей папки, расшифрует. \r\n"
                                              "Настройки - галочки слева и кнопка обзор снизу"));
    c.goButton->setToolTip(HintOf(c.goButton).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    QFont bold = c.goButton->font();
    bold.setBold(true);
    c.goButton->setFont(bold);
    ColourCaptionInLightPalette(c.goButton, QColor(192, 220, 192));
    c.goButton->setFixedWidth(75);
    c.goButton->setMinimumHeight(49);
}

QGroupBox* BuildCommandBox(MainWindowControls& c, QWidget* tab)
{
    auto* box = new QGroupBox(tab);
    SetHint(box,
            QString::fromUtf8("Если вы не знаете что делать - лучше зайдите на сайт ") + QString::fromUtf8(kServiceSite)
                + QString::fromUtf8(" и почитайте FAQ'и"),
            true);
    c.decoderCommands = box;

    c.addAllButton =
        MakeButton(box, QString::fromUtf8("Добавить всё"),
                   QString::fromUtf8("Добавит все подходящие файлы из текущего каталога (который указан ниже)"));
    c.addAllButton->setDefault(true);
    c.addPickedButton =
        MakeButton(box, QString::fromUtf8("Добавить"), QString::fromUtf8("Выберете файл(ы) для добавления в очередь."));
    c.clearQueueButton = MakeButton(box, QString::fromUtf8("Очистить"), QString::fromUtf8("Очищает очередь файлов"));
    c.removeEntryButton =
        MakeButton(box, QString::fromUtf8("Удалить"), QString::fromUtf8("Удаляет выбраную строку из списка фалов"));
    c.decodeButton = MakeButton(box, QString::fromUtf8("Расшифровка"),
                                QString::fromUtf8("Запустить процесс расшифровки файлов, помещеных в очередь"));
    c.joinPartsButton =
        MakeButton(box, QString::fromUtf8("Соединение"),
                   QString::fromUtf8("Соединяет все разбитый файлы в текущем каталоге (*.aa *.ab итд)"));
    c.openFolderButton =
        MakeButton(box, QString::fromUtf8("Откр. Папку"), QString::fromUtf8("Отрывает в проводнике текущую папку."));
    c.openSiteButton = MakeButton(box, QString::fromUtf8("Откр. Сайт"),
                                  QString::fromUtf8("Открывает сайт ") + QString::fromUtf8(ServiceSiteHost()));
    c.joinAtOnceBox = MakeCheckBox(
        box, QString::fromUtf8("Сразу соединять"),
        QString::fromUtf8("Эта галочка позволяет автоматически запускать склеивание файлов после расшифровки"), true);
    c.deleteAfterDecodingBox =
        MakeCheckBox(box, QString::fromUtf8("Автоудаление"),
                     QString::fromUtf8("Автоматически удаляет распакованые и склееные файлы."), false);
    c.openFolderAfterBox = MakeCheckBox(
        box, QString::fromUtf8("Открыть папку"),
        QString::fromUtf8("Автоматически после завершения всех действий открыть папку в проводнике"), false);
    c.decodeArrivalsBox = MakeCheckBox(
        box, QString::fromUtf8("Расшифровывать скачанное"),
        QString::fromUtf8("Автоматически расшифровывать файлы, скачанные с сервера, когда закачка закончена"), false);
    BuildGoButton(c, box);

    c.folderLabel = new QLabel(QString::fromUtf8("Текущий каталог:"), box);
    c.folderBox = new QLineEdit(box);
    c.folderBox->setFrame(false);
    SetHint(c.folderBox,
            QString::fromUtf8(
                "Можно изменить вручную, но проще нажать добавить, выбрать файл а затем нажать добавить всё"));
    c.folderBox->installEventFilter(new NoToolTip(c.folderBox));
    c.chooseFolderButton = MakeButton(box, QString::fromUtf8("Обзор"), QString::fromUtf8("Выбрать каталог"));
    c.queueSeparator = MakeSeparator(box);
    c.runSeparator = MakeSeparator(box);

    auto* checks = new QVBoxLayout;
    checks->setSpacing(0);
    checks->addWidget(c.joinAtOnceBox);
    checks->addWidget(c.deleteAfterDecodingBox);
    checks->addWidget(c.openFolderAfterBox);

    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->addWidget(c.addAllButton, 0, 0);
    grid->addWidget(c.addPickedButton, 1, 0);
    grid->addWidget(c.clearQueueButton, 0, 1);
    grid->addWidget(c.removeEntryButton, 1, 1);
    grid->addWidget(c.queueSeparator, 0, 2, 2, 1);
    grid->addWidget(c.decodeButton, 0, 3);
    grid->addWidget(c.joinPartsButton, 1, 3);
    grid->addWidget(c.runSeparator, 0, 4, 2, 1);
    grid->addWidget(c.openFolderButton, 0, 5);
    grid->addWidget(c.openSiteButton, 1, 5);
    grid->addLayout(checks, 0, 6, 2, 1);
    grid->setColumnStretch(7, 1);
    grid->addWidget(c.goButton, 0, 8, 2, 1);
    // Under the three boxes, reaching under "Go!", so that its longer
    // caption leaves the window's least width as it was.
    grid->addWidget(c.decodeArrivalsBox, 2, 6, 1, 3);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(c.folderLabel);
    folderRow->addWidget(c.folderBox, 1);
    folderRow->addWidget(c.chooseFolderButton);
    grid->addLayout(folderRow, 3, 0, 1, 9);
    return box;
}

} // namespace

QWidget* BuildDecoderTab(MainWindowControls& c)
{
    auto* tab = new QWidget;
    c.decoderTab = tab;

    QGroupBox* commands = BuildCommandBox(c, tab);

    c.queueList = new QListWidget(tab);
    c.queueList->setSelectionMode(QAbstractItemView::SingleSelection);
    c.queueList->setContextMenuPolicy(Qt::CustomContextMenu);
    c.queueList->setUniformItemSizes(true);

    c.runProgressBar =
        MakeBar(tab, 17, QString::fromUtf8("Это второстепенный прогресс бар - показывает прогресс для текущего файла"));
    c.fileProgressBar = MakeBar(tab, 33,
                                QString::fromUtf8("Это основной прогресс бар, он показывает прогресс по файлам "
                                                  "(не точно, зато общее представление дает)"));
    c.fileProgressBar->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(commands);
    layout->addWidget(c.queueList, 1);
    layout->addWidget(c.runProgressBar);
    layout->addWidget(c.fileProgressBar);
    return tab;
}

} // namespace vexo
