// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/hint_echo.h"
#include "app/hints.h"
#include "app/main_window.h"
#include "app/server_grid.h"
#include "app/status_bar.h"
#include "app/tray_icon.h"
#include "app/window_timer.h"
#include "base/program_version.h"
#include "base/settings_store.h"
#include "base/stop_request.h"
#include "tests/support/qt_text.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace vexo {
namespace {

using test::ReadFile;
using test::TempDir;
using test::U;

class MainWindowTest : public ::testing::Test {
protected:
    TempDir programFolder;
    std::unique_ptr<MainWindow> window;

    void start(std::vector<std::string> args = {})
    {
        window = std::make_unique<MainWindow>(programFolder.path() + "/vexorama", ReadCommandLine(args));
        window->showCentred();
        QApplication::processEvents();
    }
    MainWindowControls& c() { return window->controls(); }
    std::string settings() const { return ReadFile(programFolder.path() + "/vexorama.INI"); }
};

// Guards the first start: window size, folder box, and a settings file
// holding exactly the folder and the size once the window has closed.
TEST_F(MainWindowTest, FirstStartThenCloseStoresFolderAndSizeOnly)
{
    start();
    EXPECT_EQ(window->width(), 640);
    EXPECT_EQ(window->height(), 500);
    EXPECT_EQ(window->windowTitle(), U("Vexorama " VEXO_VERSION "  PreRelease"));
    EXPECT_EQ(c().folderBox->text().toStdString(), programFolder.path() + "/");
    EXPECT_EQ(c().trayIcon->toolTip(), U("Vexorama " VEXO_VERSION "  PreRelease\nЗа сеанс: 0"));
    window->close();
    EXPECT_EQ(settings(), "[Prog]\nFolder=" + programFolder.path() + "/\nWidth=640\nHeight=500\n");
}

// Guards closing the window while work runs (a download went on invisibly,
// and still asked for the file's removal): the close asks the work in
// progress to stop, and a new window starts afresh.
TEST_F(MainWindowTest, ClosingAsksTheWorkInProgressToStop)
{
    start();
    EXPECT_FALSE(StopRequested());
    window->close();
    EXPECT_TRUE(StopRequested());
    start();
    EXPECT_FALSE(StopRequested());
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

// Guards a size stored on a larger screen: the window opens within the
// screen's free area, its title bar in sight, and that size is what is
// stored at the close.
TEST_F(MainWindowTest, StoredSizeLargerThanTheScreenFitsTheScreen)
{
    SettingsStore(programFolder.path() + "/vexorama.INI").writeInteger("Prog", "Width", 5000);
    SettingsStore(programFolder.path() + "/vexorama.INI").writeInteger("Prog", "Height", 4000);
    start();
    const QRect available = window->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(window->frameGeometry()))
        << window->frameGeometry().width() << "x" << window->frameGeometry().height() << " in " << available.width()
        << "x" << available.height();
    EXPECT_GT(window->width(), available.width() / 2);
    window->close();
    EXPECT_EQ(SettingsStore(programFolder.path() + "/vexorama.INI").readInteger("Prog", "Width", 0), window->width());
}

// Guards the tabs laid out only when first shown: each one, once shown,
// has every control placed inside it, none of them empty.
TEST_F(MainWindowTest, EveryTabIsLaidOutWhenShown)
{
    start();
    QTabWidget* tabs = c().tabs;
    for (int index = 0; index < tabs->count(); ++index) {
        tabs->setTabVisible(index, true);
        tabs->setCurrentIndex(index);
        QApplication::processEvents();
        QWidget* page = tabs->widget(index);
        for (QWidget* control : page->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(page) || control->objectName().isEmpty())
                continue;
            const QRect placed(control->mapTo(page, QPoint(0, 0)), control->size());
            EXPECT_TRUE(page->rect().contains(placed)) << index << " " << control->objectName().toStdString();
            EXPECT_FALSE(control->size().isEmpty()) << index << " " << control->objectName().toStdString();
        }
    }
}

// Guards the server grid, which takes its cells as the view's model only
// when first shown: rows written while its tab was hidden, the bold title
// row and the column widths were missing once it was shown.
TEST_F(MainWindowTest, ServerGridShowsWhatWasWrittenWhileHidden)
{
    start();
    ServerGrid* grid = c().serverFileGrid;
    struct Written {
        ServerFileTable table;
        int rows;
        const char* secondSize;
        bool boldTitles;
    };
    const Written cases[] = {
        // While the tab was hidden, then once it is shown.
        {{{{"Имя Файла", "Размер"}, {"a.avi", "1 Мб"}}, 1}, 2, "1 Мб", true},
        {{{{"Имя Файла", "Размер"}, {"c.avi", "3 Мб"}, {"d.jpg", "4 Мб"}}, 0}, 3, "3 Мб", false},
    };
    for (const Written& written : cases) {
        window->views().downloader.showServerFiles(written.table);
        c().tabs->setCurrentWidget(c().downloaderTab);
        QApplication::processEvents();
        ASSERT_NE(grid->model(), nullptr);
        EXPECT_EQ(grid->model()->rowCount(), written.rows);
        EXPECT_EQ(grid->model()->index(1, 1).data().toString(), U(written.secondSize));
        EXPECT_EQ(grid->model()->index(0, 0).data(Qt::FontRole).value<QFont>().bold(), written.boldTitles);
        EXPECT_EQ(grid->columnWidth(0), 300);
        EXPECT_EQ(grid->columnWidth(1), 300);
    }
}

// Guards the tabs: order, captions, the hidden fifth tab, the first tab shown.
TEST_F(MainWindowTest, FiveTabsInOrderWithTheLastHidden)
{
    start();
    QTabWidget* tabs = c().tabs;
    ASSERT_EQ(tabs->count(), 5);
    const QStringList captions = {U("Дешифратор"), U("Downloader"), U("Управление закачкой"), U("О программе"),
                                  U("Downloader")};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(tabs->isTabVisible(4));
    EXPECT_EQ(tabs->widget(4), c().urlTab);
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
        {c().addAllButton, "Добавить всё", "Добавит все подходящие файлы из текущего каталога (который указан ниже)"},
        {c().addPickedButton, "Добавить", "Выберете файл(ы) для добавления в очередь."},
        {c().clearQueueButton, "Очистить", "Очищает очередь файлов"},
        {c().removeEntryButton, "Удалить", "Удаляет выбраную строку из списка фалов"},
        {c().decodeButton, "Расшифровка", "Запустить процесс расшифровки файлов, помещеных в очередь"},
        {c().joinPartsButton, "Соединение", "Соединяет все разбитый файлы в текущем каталоге (*.aa *.ab итд)"},
        {c().openFolderButton, "Откр. Папку", "Отрывает в проводнике текущую папку."},
        {c().chooseFolderButton, "Обзор", "Выбрать каталог"},
    };
    for (const Expected& expected : buttons) {
        EXPECT_EQ(expected.button->text(), U(expected.caption));
        EXPECT_EQ(HintOf(expected.button), U(expected.hint)) << expected.caption;
        EXPECT_EQ(expected.button->toolTip(), U(expected.hint)) << expected.caption;
        EXPECT_TRUE(expected.button->isEnabled());
    }
    EXPECT_TRUE(HintOf(c().openSiteButton).startsWith(U("Открывает сайт ")));
    EXPECT_EQ(HintOf(c().goButton), U("Самый быстрый режим. \r\nДобавит все из текущей папки, расшифрует. \r\n"
                                      "Настройки - галочки слева и кнопка обзор снизу"));
    EXPECT_TRUE(c().goButton->font().bold());
    EXPECT_EQ(c().goButton->palette().color(QPalette::ButtonText), QColor(192, 220, 192));
    EXPECT_TRUE(c().joinAtOnceBox->isChecked());
    EXPECT_EQ(c().joinAtOnceBox->text(), U("Сразу соединять"));
    EXPECT_FALSE(c().deleteAfterDecodingBox->isChecked());
    EXPECT_FALSE(c().openFolderAfterBox->isChecked());
    EXPECT_TRUE(HintOf(c().decoderCommands).startsWith(U("Если вы не знаете что делать - лучше зайдите на сайт ")));
    EXPECT_TRUE(HintOf(c().decoderCommands).endsWith(U(" и почитайте FAQ'и")));
    EXPECT_TRUE(c().folderBox->toolTip().isEmpty());
    EXPECT_FALSE(HintOf(c().folderBox).isEmpty());
    EXPECT_EQ(c().queueList->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(c().runProgressBar->maximum(), 100);
    EXPECT_EQ(c().fileProgressBar->maximum(), 100);
}

// Guards the downloader tab and the other pages: captions, hints without
// tool tips, initial states, the grid's title row.
TEST_F(MainWindowTest, OtherTabsAsDesigned)
{
    start();
    EXPECT_EQ(c().checkServerButton->text(), U("Обновить"));
    EXPECT_EQ(HintOf(c().checkServerButton), U("Обновляет список файлов сервера и состояние их закачки"));
    EXPECT_TRUE(c().checkServerButton->toolTip().isEmpty());
    EXPECT_EQ(c().serverSettingsButton->text(), U("Настройки"));
    EXPECT_EQ(HintOf(c().serverSettingsButton), U("Настройки доступа к серверу"));
    EXPECT_FALSE(c().autoCheckBox->isChecked());
    EXPECT_EQ(c().autoCheckPeriodBox->text(), U("60"));
    EXPECT_EQ(c().serverFileGrid->rowCount(), 1);
    EXPECT_EQ(c().serverFileGrid->columnCount(), 2);
    EXPECT_EQ(c().serverFileGrid->cellText(0, 0), U("Имя Файла"));
    EXPECT_EQ(c().serverFileGrid->cellText(1, 0), U("Размер"));
    EXPECT_EQ(c().serverFileGrid->fixedRowCount(), 0);
    EXPECT_EQ(c().moreButton->text(), U("Подробнее"));
    EXPECT_EQ(c().newsBox->title(), U("Новости:"));
    EXPECT_EQ(c().downloadUrlButton->text(), U("Download"));
    EXPECT_TRUE(c().urlBox->text().isEmpty());

    EXPECT_TRUE(c().runnerTimer->isActive());
    EXPECT_EQ(c().runnerTimer->interval(), 5000u);
    EXPECT_FALSE(c().fetchProgressTimer->isActive());
    EXPECT_EQ(c().fetchProgressTimer->interval(), 100u);
    EXPECT_FALSE(c().autoCheckTimer->isActive());
    EXPECT_EQ(c().autoCheckTimer->interval(), 1000u);
}

// Guards both menus: item order, captions, hints, initial states, and the
// tray menu's bold default item.
TEST_F(MainWindowTest, MenusAsDesigned)
{
    start();
    const QList<QAction*> list = c().queueMenu->actions();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list[0], c().removeEntryItem);
    EXPECT_EQ(list[0]->text(), U("Удалить"));
    EXPECT_TRUE(list[0]->isEnabled());
    EXPECT_EQ(HintOf(list[0]), U("Удаляет выбраный файл из очереди (не с диска)"));
    EXPECT_EQ(list[1]->text(), U("Реалнейм"));
    EXPECT_EQ(list[2]->text(), U("Размер"));
    EXPECT_EQ(list[3]->text(), U("Ключ"));
    for (int i = 1; i < 4; ++i)
        EXPECT_FALSE(list[i]->isEnabled());

    const QList<QAction*> tray = c().trayMenu->actions();
    ASSERT_EQ(tray.size(), 5);
    EXPECT_EQ(tray[0]->text(), U("Показать/скрыть"));
    EXPECT_EQ(c().trayMenu->defaultAction(), tray[0]);
    EXPECT_TRUE(tray[0]->font().bold());
    EXPECT_EQ(tray[1]->text(), U("Проверить новые файлы"));
    EXPECT_EQ(tray[2]->text(), U("Остановить"));
    EXPECT_FALSE(tray[2]->isEnabled());
    EXPECT_EQ(tray[3]->text(), U("Автообновление"));
    EXPECT_TRUE(tray[3]->isCheckable());
    EXPECT_FALSE(tray[3]->isChecked());
    EXPECT_EQ(tray[4]->text(), U("Выход"));
    EXPECT_EQ(c().trayIcon->contextMenu(), c().trayMenu);
}

// Guards the hint echo: a control without a hint shows its container's,
// an empty hint empties the panel, and a status text stays until the hint
// under the pointer changes.
TEST_F(MainWindowTest, HintsAreEchoedIntoPanelZero)
{
    start();
    auto* echo = c().statusBar->findChild<HintEcho*>();
    ASSERT_NE(echo, nullptr);
    auto pointAt = [&](QWidget* widget) {
        QCursor::setPos(widget->mapToGlobal(widget->rect().center()));
        echo->update();
        return c().statusBar->panelText(0);
    };
    EXPECT_EQ(pointAt(c().folderLabel), HintOf(c().decoderCommands));
    EXPECT_EQ(pointAt(c().addAllButton), HintOf(c().addAllButton));
    c().decodeButton->setEnabled(false);
    EXPECT_EQ(pointAt(c().decodeButton), HintOf(c().decodeButton));

    window->views().decoder.showStatus("Обработка");
    EXPECT_EQ(pointAt(c().decodeButton).toStdString(), "Обработка");

    c().tabs->setCurrentWidget(c().downloaderTab);
    QApplication::processEvents();
    EXPECT_TRUE(pointAt(c().serverFileGrid).isEmpty());
}

// Guards the default button: the decoder tab gives "Добавить всё" the focus,
// and Enter presses it.
TEST_F(MainWindowTest, EnterPressesAddAllOnTheDecoderTab)
{
    start();
    window->activateWindow();
    QApplication::processEvents();
    EXPECT_TRUE(c().addAllButton->hasFocus());
    QSignalSpy clicked(c().addAllButton, &QPushButton::clicked);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(c().addAllButton, &enter);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(c().addAllButton, &release);
    EXPECT_EQ(clicked.count(), 1);

    c().tabs->setCurrentWidget(c().downloaderTab);
    c().tabs->setCurrentWidget(c().decoderTab);
    EXPECT_TRUE(c().addAllButton->hasFocus());
}

// Guards the hidden tab on the real window: the tenth right click on the big
// progress bar reveals it, the eleventh hides it.
TEST_F(MainWindowTest, TenthRightClickOnTheBarRevealsTheHiddenTab)
{
    start();
    for (int click = 1; click <= 11; ++click) {
        emit c().fileProgressBar->customContextMenuRequested(QPoint(1, 1));
        EXPECT_EQ(c().tabs->isTabVisible(4), click == 10) << click;
    }
}

// Guards the folder box on the real window: a missing folder is stored as
// typed and turns the box red; an existing one gives it its normal colour.
// Guards drops on the queue's list: taken as a copy (a move would have the
// file manager delete the files), a folder becoming the working folder once
// the drag is over; a web address, or a move alone, is refused.
TEST_F(MainWindowTest, DropsOnTheQueueListAreTakenAsCopies)
{
    start();
    TempDir dropped;
    const auto offer = [&](const QUrl& url, Qt::DropActions actions, QEvent::Type type) {
        QMimeData data;
        data.setUrls({url});
        QDropEvent event(QPointF(5, 5), actions, &data, Qt::LeftButton, Qt::NoModifier, type);
        QApplication::sendEvent(c().queueList->viewport(), &event);
        return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
    };
    const QUrl folder = QUrl::fromLocalFile(QString::fromStdString(dropped.path()));
    EXPECT_EQ(offer(folder, Qt::MoveAction, QEvent::DragEnter), Qt::IgnoreAction);
    EXPECT_EQ(offer(QUrl(QStringLiteral("http://127.0.0.1/a.jpg")), Qt::CopyAction, QEvent::DragEnter),
              Qt::IgnoreAction);
    EXPECT_EQ(offer(folder, Qt::CopyAction | Qt::MoveAction, QEvent::DragEnter), Qt::CopyAction);
    EXPECT_EQ(offer(folder, Qt::CopyAction | Qt::MoveAction, QEvent::Drop), Qt::CopyAction);
    QApplication::processEvents();
    EXPECT_EQ(c().folderBox->text(), QString::fromStdString(dropped.path()));
}

TEST_F(MainWindowTest, FolderBoxStoresAndColours)
{
    start();
    const QColor normal = c().folderBox->palette().color(QPalette::Base);
    c().folderBox->setText(QString::fromStdString(programFolder.path() + "/nowhere"));
    EXPECT_EQ(c().folderBox->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(SettingsStore(programFolder.path() + "/vexorama.INI").readString("Prog", "Folder", ""),
              programFolder.path() + "/nowhere");
    EXPECT_EQ(window->session().workingFolder().path(), programFolder.path() + "/nowhere");
    c().folderBox->setText(QString::fromStdString(programFolder.path()));
    EXPECT_EQ(c().folderBox->palette().color(QPalette::Base), normal);
}

} // namespace
} // namespace vexo
