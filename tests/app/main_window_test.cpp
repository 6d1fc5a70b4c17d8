#include "app/hint_echo.h"
#include "app/hints.h"
#include "app/main_window.h"
#include "app/server_grid.h"
#include "base/settings_store.h"
#include "app/status_bar.h"
#include "tests/support/temp_dir.h"
#include "app/window_timer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>

namespace vexo {
namespace {

using test::ReadFile;
using test::TempDir;

class MainWindowTest : public ::testing::Test {
protected:
    TempDir programFolder;
    std::unique_ptr<TVmain> window;

    void start(std::vector<std::string> args = {})
    {
        window = std::make_unique<TVmain>(programFolder.path() + "/vexorama", std::move(args));
        window->showCentred();
        QApplication::processEvents();
    }
    MainWindowControls& c() { return window->controls(); }
    std::string settings() const { return ReadFile(programFolder.path() + "/vexorama.INI"); }
};

QString U(const char* text)
{
    return QString::fromUtf8(text);
}

// Guards the first start: window size, folder box, and a settings file
// holding exactly the folder and the size once the window has closed.
TEST_F(MainWindowTest, FirstStartThenCloseStoresFolderAndSizeOnly)
{
    start();
    EXPECT_EQ(window->width(), 640);
    EXPECT_EQ(window->height(), 500);
    EXPECT_EQ(window->windowTitle(), U("Vexorama 1.9.7  PreRelease"));
    EXPECT_EQ(c().TFolder->text().toStdString(), programFolder.path() + "/");
    EXPECT_EQ(c().Tray->toolTip(), U("Vexorama 1.9.7  PreRelease\nЗа сеанс: 0"));
    window->close();
    EXPECT_EQ(settings(), "[Prog]\nFolder=" + programFolder.path() + "/\nWidth=640\nHeight=500\n");
}

// Guards the size rule on the real window: it never gets below 640 x 300.
TEST_F(MainWindowTest, WindowNeverShrinksBelowTheMinimum)
{
    start();
    window->resize(100, 100);
    QApplication::processEvents();
    EXPECT_EQ(window->width(), 640);
    EXPECT_EQ(window->height(), 300);
}

// Guards the tabs: order, captions, the hidden fifth tab, the first tab shown.
TEST_F(MainWindowTest, FiveTabsInOrderWithTheLastHidden)
{
    start();
    QTabWidget* tabs = c().Tabs;
    ASSERT_EQ(tabs->count(), 5);
    const QStringList captions = {U("Дешифратор"), "Downloader", U("Управление закачкой"), U("О программе"), "Downloader"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(tabs->isTabVisible(4));
    EXPECT_EQ(tabs->widget(4), c().TabSheet4);
}

// Guards the decoder tab's captions, hints, initial states and the tool-tip
// rule: tool tips on this tab, but none on the folder box.
TEST_F(MainWindowTest, DecoderTabControlsAsDesigned)
{
    start();
    struct Expected {
        QPushButton* button;
        const char* caption;
        const char* hint;
    };
    const Expected buttons[] = {
        {c().Button2, "Добавить всё", "Добавит все подходящие файлы из текущего каталога (который указан ниже)"},
        {c().Add, "Добавить", "Выберете файл(ы) для добавления в очередь."},
        {c().Delet, "Очистить", "Очищает очередь файлов"},
        {c().Delone, "Удалить", "Удаляет выбраную строку из списка фалов"},
        {c().Proced, "Расшифровка", "Запустить процесс расшифровки файлов, помещеных в очередь"},
        {c().Button1, "Соединение", "Соединяет все разбитый файлы в текущем каталоге (*.aa *.ab итд)"},
        {c().Button8, "Откр. Папку", "Отрывает в проводнике текущую папку."},
        {c().Button7, "Обзор", "Выбрать каталог"},
    };
    for (const Expected& expected : buttons) {
        EXPECT_EQ(expected.button->text(), U(expected.caption));
        EXPECT_EQ(HintOf(expected.button), U(expected.hint)) << expected.caption;
        EXPECT_EQ(expected.button->toolTip(), U(expected.hint)) << expected.caption;
        EXPECT_TRUE(expected.button->isEnabled());
    }
    EXPECT_TRUE(HintOf(c().SiteOpen).startsWith(U("Открывает сайт ")));
    EXPECT_EQ(HintOf(c().FullGo), U("Самый быстрый режим. \r\nДобавит все из текущей папки, расшифрует. \r\n"
                                    "Настройки - галочки слева и кнопка обзор снизу"));
    EXPECT_TRUE(c().FullGo->font().bold());
    EXPECT_EQ(c().FullGo->palette().color(QPalette::ButtonText), QColor(192, 220, 192));
    EXPECT_TRUE(c().AutoJoin->isChecked());
    EXPECT_EQ(c().AutoJoin->text(), U("Сразу соединять"));
    EXPECT_FALSE(c().AutoDelete->isChecked());
    EXPECT_FALSE(c().Autoopen->isChecked());
    EXPECT_TRUE(HintOf(c().GroupBox1).startsWith(U("Если вы не знаете что делать - лучше зайдите на сайт ")));
    EXPECT_TRUE(HintOf(c().GroupBox1).endsWith(U(" и почитайте FAQ'и")));
    EXPECT_TRUE(c().TFolder->toolTip().isEmpty());
    EXPECT_FALSE(HintOf(c().TFolder).isEmpty());
    EXPECT_EQ(c().List->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(c().ProgressBar1->maximum(), 100);
    EXPECT_EQ(c().ProgressBar2->maximum(), 100);
}

// Guards the downloader tab and the other pages: captions, hints without
// tool tips, initial states, the grid's title row.
TEST_F(MainWindowTest, OtherTabsAsDesigned)
{
    start();
    EXPECT_EQ(c().GetList->text(), U("Обновить"));
    EXPECT_EQ(HintOf(c().GetList), U("Обновляет список файлов сервера и состояние их закачки"));
    EXPECT_TRUE(c().GetList->toolTip().isEmpty());
    EXPECT_EQ(c().Settings->text(), U("Настройки"));
    EXPECT_EQ(HintOf(c().Settings), U("Настройки доступа к серверу"));
    EXPECT_FALSE(c().AutoO->isChecked());
    EXPECT_EQ(c().aosec->text(), "60");
    EXPECT_EQ(c().filesl->rowCount(), 1);
    EXPECT_EQ(c().filesl->columnCount(), 2);
    EXPECT_EQ(c().filesl->cellText(0, 0), U("Имя Файла"));
    EXPECT_EQ(c().filesl->cellText(1, 0), U("Размер"));
    EXPECT_EQ(c().filesl->fixedRowCount(), 0);
    EXPECT_EQ(c().More->text(), U("Подробнее"));
    EXPECT_EQ(c().GroupBox3->title(), U("Новости:"));
    EXPECT_EQ(c().Download->text(), "Download");
    EXPECT_TRUE(c().Urlstr->text().isEmpty());

    EXPECT_TRUE(c().Timer->isActive());
    EXPECT_EQ(c().Timer->interval(), 5000u);
    EXPECT_FALSE(c().Timer1->isActive());
    EXPECT_EQ(c().Timer1->interval(), 100u);
    EXPECT_FALSE(c().Bigtimer->isActive());
    EXPECT_EQ(c().Bigtimer->interval(), 1000u);
}

// Guards both menus: item order, captions, hints, initial states, and the
// tray menu's bold default item.
TEST_F(MainWindowTest, MenusAsDesigned)
{
    start();
    const QList<QAction*> list = c().PopupMenu1->actions();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[0], c().Delete1);
    EXPECT_EQ(list[0]->text(), U("Удалить"));
    EXPECT_TRUE(list[0]->isEnabled());
    EXPECT_EQ(HintOf(list[0]), U("Удаляет выбраный файл из очереди (не с диска)"));
    EXPECT_EQ(list[1]->text(), U("Реалнейм"));
    EXPECT_EQ(list[2]->text(), U("Размер"));
    EXPECT_EQ(list[3]->text(), U("Ключ"));
    for (int i = 1; i < 4; ++i)
        EXPECT_FALSE(list[i]->isEnabled());

    const QList<QAction*> tray = c().PopupMenu2->actions();
    ASSERT_EQ(tray.size(), 4);
    EXPECT_EQ(tray[0]->text(), U("Показать/скрыть"));
    EXPECT_EQ(c().PopupMenu2->defaultAction(), tray[0]);
    EXPECT_TRUE(tray[0]->font().bold());
    EXPECT_EQ(tray[1]->text(), U("Проверить новые файлы"));
    EXPECT_EQ(tray[2]->text(), U("Автообновление"));
    EXPECT_TRUE(tray[2]->isCheckable());
    EXPECT_FALSE(tray[2]->isChecked());
    EXPECT_EQ(tray[3]->text(), U("Выход"));
    EXPECT_EQ(c().Tray->contextMenu(), c().PopupMenu2);
}

// Guards the hint echo: a control without a hint shows its container's,
// an empty hint empties the panel, and a status text stays until the hint
// under the pointer changes.
TEST_F(MainWindowTest, HintsAreEchoedIntoPanelZero)
{
    start();
    auto* echo = c().StatusB->findChild<HintEcho*>();
    ASSERT_NE(echo, nullptr);
    auto pointAt = [&](QWidget* widget) {
        QCursor::setPos(widget->mapToGlobal(widget->rect().center()));
        echo->update();
        return c().StatusB->panelText(0);
    };
    EXPECT_EQ(pointAt(c().Label1), HintOf(c().GroupBox1));
    EXPECT_EQ(pointAt(c().Button2), HintOf(c().Button2));
    c().Proced->setEnabled(false);
    EXPECT_EQ(pointAt(c().Proced), HintOf(c().Proced));

    window->ops().setStatusText(0, "Обработка");
    EXPECT_EQ(pointAt(c().Proced).toStdString(), "Обработка");

    c().Tabs->setCurrentWidget(c().TabSheet2);
    QApplication::processEvents();
    EXPECT_TRUE(pointAt(c().filesl).isEmpty());
}

// Guards the default button: the decoder tab gives "Добавить всё" the focus,
// and Enter presses it.
TEST_F(MainWindowTest, EnterPressesAddAllOnTheDecoderTab)
{
    start();
    window->activateWindow();
    QApplication::processEvents();
    EXPECT_TRUE(c().Button2->hasFocus());
    QSignalSpy clicked(c().Button2, &QPushButton::clicked);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(c().Button2, &enter);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(c().Button2, &release);
    EXPECT_EQ(clicked.count(), 1);

    c().Tabs->setCurrentWidget(c().TabSheet2);
    c().Tabs->setCurrentWidget(c().TabSheet1);
    EXPECT_TRUE(c().Button2->hasFocus());
}

// Guards the hidden tab on the real window: the tenth right click on the big
// progress bar reveals it, the eleventh hides it.
TEST_F(MainWindowTest, TenthRightClickOnTheBarRevealsTheHiddenTab)
{
    start();
    for (int click = 1; click <= 11; ++click) {
        emit c().ProgressBar2->customContextMenuRequested(QPoint(1, 1));
        EXPECT_EQ(c().Tabs->isTabVisible(4), click == 10) << click;
    }
}

// Guards the folder box on the real window: a missing folder is stored as
// typed and turns the box red; an existing one gives it its normal colour.
TEST_F(MainWindowTest, FolderBoxStoresAndColours)
{
    start();
    const QColor normal = c().TFolder->palette().color(QPalette::Base);
    c().TFolder->setText(QString::fromStdString(programFolder.path() + "/nowhere"));
    EXPECT_EQ(c().TFolder->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(SettingsStore(programFolder.path() + "/vexorama.INI").ReadString("Prog", "Folder", ""),
              programFolder.path() + "/nowhere");
    EXPECT_EQ(window->session().workingFolder, programFolder.path() + "/nowhere");
    c().TFolder->setText(QString::fromStdString(programFolder.path()));
    EXPECT_EQ(c().TFolder->palette().color(QPalette::Base), normal);
}

} // namespace
} // namespace vexo
