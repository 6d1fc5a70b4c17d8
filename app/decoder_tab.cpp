#include "app/hints.h"
#include "app/main_window_controls.h"
#include "base/service_address.h"
#include "app/tab_builders.h"

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

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(true);
    SetHint(button, hint, true);
    return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, const QString& hint, bool checked)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(checked);
    SetHint(box, hint, true);
    return box;
}

QFrame* MakeSeparator(QWidget* parent, const char* name)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QProgressBar* MakeBar(QWidget* parent, const char* name, int height, const QString& hint)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setFixedHeight(height);
    SetHint(bar, hint, true);
    return bar;
}

QGroupBox* BuildCommandBox(MainWindowControls& c, QWidget* tab)
{
    auto* box = new QGroupBox(tab);
    box->setObjectName("GroupBox1");
    SetHint(box, QString::fromUtf8("Если вы не знаете что делать - лучше зайдите на сайт ") + QString::fromUtf8(kServiceSite) +
                     QString::fromUtf8(" и почитайте FAQ'и"),
            true);
    c.GroupBox1 = box;

    c.Button2 = MakeButton(box, "Button2", QString::fromUtf8("Добавить всё"),
                           QString::fromUtf8("Добавит все подходящие файлы из текущего каталога (который указан ниже)"));
    c.Button2->setDefault(true);
    c.Add = MakeButton(box, "Add", QString::fromUtf8("Добавить"), QString::fromUtf8("Выберете файл(ы) для добавления в очередь."));
    c.Delet = MakeButton(box, "Delet", QString::fromUtf8("Очистить"), QString::fromUtf8("Очищает очередь файлов"));
    c.Delone = MakeButton(box, "Delone", QString::fromUtf8("Удалить"), QString::fromUtf8("Удаляет выбраную строку из списка фалов"));
    c.Proced = MakeButton(box, "Proced", QString::fromUtf8("Расшифровка"),
                          QString::fromUtf8("Запустить процесс расшифровки файлов, помещеных в очередь"));
    c.Button1 = MakeButton(box, "Button1", QString::fromUtf8("Соединение"),
                           QString::fromUtf8("Соединяет все разбитый файлы в текущем каталоге (*.aa *.ab итд)"));
    c.Button8 = MakeButton(box, "Button8", QString::fromUtf8("Откр. Папку"), QString::fromUtf8("Отрывает в проводнике текущую папку."));
    c.SiteOpen = MakeButton(box, "SiteOpen", QString::fromUtf8("Откр. Сайт"),
                            QString::fromUtf8("Открывает сайт ") + QString::fromUtf8(ServiceSiteHost()));
    c.AutoJoin = MakeCheckBox(box, "auto", QString::fromUtf8("Сразу соединять"),
                              QString::fromUtf8("Эта галочка позволяет автоматически запускать склеивание файлов после расшифровки"), true);
    c.AutoDelete = MakeCheckBox(box, "AutoDelete", QString::fromUtf8("Автоудаление"),
                                QString::fromUtf8("Автоматически удаляет распакованые и склееные файлы."), false);
    c.Autoopen = MakeCheckBox(box, "Autoopen", QString::fromUtf8("Открыть папку"),
                              QString::fromUtf8("Автоматически после завершения всех действий открыть папку в проводнике"), false);
    c.FullGo = MakeButton(box, "FullGo", QString::fromUtf8("Go!"),
                          QString::fromUtf8("Самый быстрый режим. \r\nДобавит все из текущей папки, расшифрует. \r\n"
                                            "Настройки - галочки слева и кнопка обзор снизу"));
    c.FullGo->setToolTip(HintOf(c.FullGo).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    QFont bold = c.FullGo->font();
    bold.setBold(true);
    c.FullGo->setFont(bold);
    QPalette paleGreen = c.FullGo->palette();
    paleGreen.setColor(QPalette::ButtonText, QColor(192, 220, 192));
    c.FullGo->setPalette(paleGreen);
    c.FullGo->setFixedWidth(75);
    c.FullGo->setMinimumHeight(49);

    c.Label1 = new QLabel(QString::fromUtf8("Текущий каталог:"), box);
    c.Label1->setObjectName("Label1");
    c.TFolder = new QLineEdit(box);
    c.TFolder->setObjectName("TFolder");
    c.TFolder->setFrame(false);
    SetHint(c.TFolder, QString::fromUtf8("Можно изменить вручную, но проще нажать добавить, выбрать файл а затем нажать добавить всё"));
    c.TFolder->installEventFilter(new NoToolTip(c.TFolder));
    c.Button7 = MakeButton(box, "Button7", QString::fromUtf8("Обзор"), QString::fromUtf8("Выбрать каталог"));

    auto* checks = new QVBoxLayout;
    checks->setSpacing(0);
    checks->addWidget(c.AutoJoin);
    checks->addWidget(c.AutoDelete);
    checks->addWidget(c.Autoopen);

    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->addWidget(c.Button2, 0, 0);
    grid->addWidget(c.Add, 1, 0);
    grid->addWidget(c.Delet, 0, 1);
    grid->addWidget(c.Delone, 1, 1);
    grid->addWidget(MakeSeparator(box, "Bevel1"), 0, 2, 2, 1);
    grid->addWidget(c.Proced, 0, 3);
    grid->addWidget(c.Button1, 1, 3);
    grid->addWidget(MakeSeparator(box, "Bevel2"), 0, 4, 2, 1);
    grid->addWidget(c.Button8, 0, 5);
    grid->addWidget(c.SiteOpen, 1, 5);
    grid->addLayout(checks, 0, 6, 2, 1);
    grid->setColumnStretch(7, 1);
    grid->addWidget(c.FullGo, 0, 8, 2, 1);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(c.Label1);
    folderRow->addWidget(c.TFolder, 1);
    folderRow->addWidget(c.Button7);
    grid->addLayout(folderRow, 2, 0, 1, 9);
    return box;
}

} // namespace

QWidget* BuildDecoderTab(MainWindowControls& c)
{
    auto* tab = new QWidget;
    tab->setObjectName("TabSheet1");
    c.TabSheet1 = tab;

    QGroupBox* commands = BuildCommandBox(c, tab);

    c.List = new QListWidget(tab);
    c.List->setObjectName("List");
    c.List->setSelectionMode(QAbstractItemView::SingleSelection);
    c.List->setContextMenuPolicy(Qt::CustomContextMenu);
    c.List->setUniformItemSizes(true);

    c.ProgressBar1 = MakeBar(tab, "ProgressBar1", 17,
                             QString::fromUtf8("Это второстепенный прогресс бар - показывает прогресс для текущего файла"));
    c.ProgressBar2 = MakeBar(tab, "ProgressBar2", 33,
                             QString::fromUtf8("Это основной прогресс бар, он показывает прогресс по файлам "
                                               "(не точно, зато общее представление дает)"));
    c.ProgressBar2->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(commands);
    layout->addWidget(c.List, 1);
    layout->addWidget(c.ProgressBar1);
    layout->addWidget(c.ProgressBar2);
    return tab;
}

} // namespace vexo
