// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/hints.h"
#include "app/main_window.h"
#include "app/server_settings_dialog.h"
#include "app/window_timer.h"
#include "base/file_io.h"
#include "base/service_address.h"
#include "base/settings_store.h"
#include "tests/support/box_answerer.h"
#include "tests/support/qt_text.h"
#include "tests/support/scoped_app_look.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"
#include "window_handlers/autostart_entry.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vexo {
namespace {

using test::FileExists;
using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::U;
using test::WriteFile;

class SettingsDialogTest : public ::testing::Test {
protected:
    TempDir programFolder;
    std::string iniPath = programFolder.path() + "/vexorama.INI";
    // The autostart entry goes here, never to the user's own ~/.config.
    TempDir configHome;
    ScopedEnv configHomeEnv{"XDG_CONFIG_HOME", configHome.path()};
    std::string entryPath = configHome.path() + "/autostart/io.github.vexorama.Vexorama.desktop";
    std::unique_ptr<MainWindow> window;
    ServerSettingsDialog* form = nullptr;

    void start()
    {
        window = std::make_unique<MainWindow>(programFolder.path() + "/vexorama", CommandLine{});
        window->showCentred();
        // The dialog reads its fields once the start-up has run, and its
        // window is built at its first opening: opened and hidden again
        // here, as it stays between openings.
        QApplication::processEvents();
        openDialog();
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("SettingForm"))
                form = qobject_cast<ServerSettingsDialog*>(top);
        if (!form)
            throw std::runtime_error("no settings dialog");
        form->hide();
    }
    void writeServer(const std::string& key, const std::string& value)
    {
        SettingsStore(iniPath).writeString("Server", key, value);
    }
    std::string stored(const std::string& key) const { return SettingsStore(iniPath).readString("Server", key, "?"); }

    const ServerSettingsControls& c() const { return form->controls(); }
    void openDialog() { window->controls().serverSettingsButton->click(); }
    void pressOk() { c().okButton->click(); }
    // The dialog open on "old.example" with the second removal mode, and
    // "new.example" with "keep on the server" chosen but not applied yet.
    void openOverAnOldServer()
    {
        writeServer("Name", "old.example");
        writeServer("RemMode", "2");
        start();
        openDialog();
        c().serverField->setText(U("new.example"));
        c().keepOnServerButton->setChecked(true);
    }
    // The server's fields filled in and "keep on the server" chosen.
    void fill(const QString& server, const QString& port, const QString& login, const QString& password)
    {
        c().serverField->setText(server);
        c().portField->setText(port);
        c().loginField->setText(login);
        c().passwordField->setText(password);
        c().keepOnServerButton->setChecked(true);
    }
    // The fields fill() put in, as OK stores them.
    void expectStored(const std::string& server, const std::string& port, const std::string& login,
                      const std::string& password)
    {
        EXPECT_EQ(stored("Name"), server);
        EXPECT_EQ(stored("Port"), port);
        EXPECT_EQ(stored("Login"), login);
        EXPECT_EQ(stored("Passwd"), password);
        EXPECT_EQ(stored("RemMode"), "3");
    }
    // Answers each box as it comes up; returns the texts.
    QStringList answeringBoxes(const std::function<void()>& action)
    {
        const test::BoxAnswerer answerer;
        action();
        return answerer.texts();
    }
};

// Guards the first start: the defaults, the password in clear text, the
// first removal mode checked, and the dialog's frame, translucency and
// hints (status bar only, no tooltips).
TEST_F(SettingsDialogTest, NoSettingsFileGivesTheDefaults)
{
    start();
    EXPECT_EQ(c().serverField->text(), QString());
    EXPECT_EQ(c().portField->text(), U("6677"));
    EXPECT_EQ(c().loginField->text(), U("test"));
    EXPECT_EQ(c().passwordField->text(), U("demo"));
    EXPECT_EQ(c().passwordField->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(c().removeInBrowserButton->isChecked());
    EXPECT_FALSE(c().removeSilentlyButton->isChecked());
    EXPECT_FALSE(c().keepOnServerButton->isChecked());
    EXPECT_FALSE(form->isVisible());

    EXPECT_EQ(form->windowTitle(), U("Настройки"));
    EXPECT_GE(form->width(), 149);
    EXPECT_GE(form->height(), 289);
    EXPECT_NEAR(form->windowOpacity(), 200.0 / 255.0, 0.01);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(HintOf(c().serverField), U("Текущий сервер ") + U(ServiceSiteHost()));
    EXPECT_EQ(HintOf(c().keepOnServerButton), U("После скачки файла не удалять его с сервера ") + U(kServiceServer)
                                                  + U("\r\n(Не рекомендуется, тк аккуант могут забанить)"));
    for (QWidget* child : form->findChildren<QWidget*>())
        EXPECT_TRUE(child->toolTip().isEmpty()) << child->objectName().toStdString();
}

// Guards the opening: the dialog is a window-modal child of the main window,
// centred on it, so the main window takes no input (without being greyed
// out) and the window manager keeps the dialog above it. Hiding the main
// window to the tray hides the dialog too; showing it brings both back.
TEST_F(SettingsDialogTest, DialogIsAModalChildOfTheMainWindow)
{
    start();
    openDialog();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->parentWidget(), window.get());
    ASSERT_NE(form->windowHandle(), nullptr);
    EXPECT_EQ(form->windowHandle()->transientParent(), window->windowHandle());
    EXPECT_EQ(QApplication::activeModalWidget(), form);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_LE((form->frameGeometry().center() - window->frameGeometry().center()).manhattanLength(), 10);

    window->hide();
    EXPECT_FALSE(form->isVisible());
    window->show();
    EXPECT_TRUE(form->isVisible());

    pressOk();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Guards the exit with the dialog open (the tray's "Выход"): the edited
// fields are not stored, the settings file keeps what it had.
TEST_F(SettingsDialogTest, ExitWithTheDialogOpenStoresNothing)
{
    writeServer("Name", "old.example");
    start();
    openDialog();
    c().serverField->setText(U("half-typed.exam"));
    // As in the program: the exit ends the event loop, which closes every window.
    QTimer::singleShot(0, window.get(), [this] { window->controls().exitItem->trigger(); });
    QTimer::singleShot(5000, QCoreApplication::instance(), &QCoreApplication::quit);
    QApplication::exec();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(stored("Name"), "old.example");
}

// Guards the captions at larger fonts: the dialog grows so that every
// caption, title and button text is shown whole, at the dialog's own font
// and at 1.25 and 2 times its size.
TEST_F(SettingsDialogTest, CaptionsAreWholeAtLargerFonts)
{
    start();
    openDialog();
    const int basePoints = form->font().pointSize();
    for (const double scale : {1.0, 1.25, 2.0}) {
        QFont scaled = form->font();
        scaled.setPointSizeF(basePoints * scale);
        form->setFont(scaled);
        QApplication::processEvents();
        const QFontMetrics metrics(scaled);
        for (QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << scale << " " << button->text().toStdString();
            EXPECT_GE(button->height(), metrics.height()) << scale << " " << button->text().toStdString();
        }
        for (QLabel* label : form->findChildren<QLabel*>())
            EXPECT_GE(label->width(), metrics.horizontalAdvance(label->text())) << scale;
        for (QGroupBox* group : form->findChildren<QGroupBox*>())
            EXPECT_GE(group->width(), group->minimumSizeHint().width()) << scale;
        for (QWidget* child : form->findChildren<QWidget*>())
            EXPECT_TRUE(form->rect().contains(QRect(child->mapTo(form, QPoint(0, 0)), child->size())))
                << scale << " " << child->objectName().toStdString();
    }
}

// Guards the dialog's kind: screen readers took it for a "filler", not a
// dialog.
TEST_F(SettingsDialogTest, ScreenReadersFindADialog)
{
    start();
    openDialog();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(form);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Dialog);
    EXPECT_EQ(accessible->text(QAccessible::Name), U("Настройки"));
}

// Guards a title bar narrower than its title: the dialog's size came from
// its own small font alone, while the window manager draws the title in the
// desktop's. At 10, 11 and 16 pt it has room for the title, bold, and two
// title-bar buttons a line and a half wide on either side.
TEST_F(SettingsDialogTest, WideEnoughForItsTitleAtTheDesktopsFont)
{
    test::ScopedAppLook look;
    for (const int points : {10, 11, 16}) {
        look.setPointSize(points);
        start();
        QFont bold = QApplication::font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        EXPECT_GE(form->width(), metrics.horizontalAdvance(form->windowTitle()) + 4 * metrics.height() * 3 / 2)
            << points << " pt";
        window.reset();
    }
}

// Guards Escape, which did nothing: it closes the dialog as its close box
// does, the fields kept but neither the radio choice, nor the server for the
// TCP client, nor the autostart box applied.
TEST_F(SettingsDialogTest, EscapeClosesWithoutApplying)
{
    openOverAnOldServer();
    c().startAtLoginBox->click();
    QTest::keyClick(c().serverField, Qt::Key_Escape);

    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(stored("Name"), "new.example");
    EXPECT_EQ(stored("RemMode"), "2");
    EXPECT_EQ(window->serverAddress().host, "old.example");
    EXPECT_FALSE(FileExists(configHome.path() + "/autostart"));
}

// Guards Enter in a field, which did nothing: OK is the default button, and
// Enter presses it.
TEST_F(SettingsDialogTest, EnterInAFieldPressesOk)
{
    start();
    openDialog();
    EXPECT_TRUE(c().okButton->isDefault());
    // The keys go to the dialog once the desktop has made it the active window.
    form->windowHandle()->requestActivate();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == form; }));
    c().portField->setFocus();
    c().portField->setText(U("7000"));
    c().keepOnServerButton->setChecked(true);
    QTest::keyClick(c().portField, Qt::Key_Return);

    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(window->serverAddress().port, "7000");
    EXPECT_EQ(stored("RemMode"), "3");
}

// Guards a removal mode outside 1 to 3: no radio button is checked, and OK
// without a choice stores the same value again.
TEST_F(SettingsDialogTest, RemModeSevenChecksNothingAndIsStoredAgain)
{
    writeServer("RemMode", "7");
    start();
    EXPECT_FALSE(c().removeInBrowserButton->isChecked() || c().removeSilentlyButton->isChecked()
                 || c().keepOnServerButton->isChecked());
    openDialog();
    pressOk();
    EXPECT_EQ(stored("RemMode"), "7");
}

// Guards the removal mode's 8 bits: 258 is taken as 2 and stored back as 2.
TEST_F(SettingsDialogTest, RemModeIsItsLowEightBits)
{
    writeServer("RemMode", "258");
    start();
    EXPECT_TRUE(c().removeSilentlyButton->isChecked());
    EXPECT_EQ(form->form().removalMode, 2);
    openDialog();
    form->close();
    EXPECT_EQ(stored("RemMode"), "2");
}

// Guards OK: the fields are stored, the host and port reach the TCP client,
// the runner ticks again in 5 s, and a new removal choice is taken.
TEST_F(SettingsDialogTest, OkStoresTheFieldsAndHandsTheServerToTheClient)
{
    start();
    window->controls().runnerTimer->setInterval(60000);
    openDialog();
    fill(U("127.0.0.1:8080"), U("7000"), U("логин"), U("a:b"));
    pressOk();

    expectStored("127.0.0.1:8080", "7000", "логин", "a:b");
    EXPECT_EQ(window->serverAddress().host, "127.0.0.1:8080");
    EXPECT_EQ(window->serverAddress().port, "7000");
    EXPECT_EQ(window->controls().runnerTimer->interval(), 5000u);
}

// Guards OK storing the fields one write each: a write refused part way left
// the file with the first new fields and the old rest, the server's name of
// one setting beside the login of another.
TEST_F(SettingsDialogTest, RefusedOkStoresNoFieldAtAll)
{
    test::WriteFile(iniPath, "[Server]\nName=old.example\nPort=6677\nLogin=old\nPasswd=old\nRemMode=1\n");
    start();
    openDialog();
    const std::string before = test::ReadFile(iniPath);
    // The new server's name and port are as long as the old ones: a file
    // with only those changed fits in the bytes the fault lets through,
    // a file with all the fields changed does not.
    fill(U("new.example"), U("7000"), U("new-login"), U("new-password"));

    QStringList boxes;
    {
        ScopedFileFaults faults({.failWriteAfter = before.size(), .error = ENOSPC});
        boxes = answeringBoxes([this] { pressOk(); });
    }
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(U("Unable to write to ")));
    EXPECT_EQ(test::ReadFile(iniPath), before);
    EXPECT_TRUE(form->isVisible());

    pressOk();
    expectStored("new.example", "7000", "new-login", "new-password");
}

// Guards the close box: the fields are stored but the radio choice is lost
// and the TCP client keeps its server until the next OK.
TEST_F(SettingsDialogTest, CloseBoxStoresFieldsButNotTheRadioChoiceNorTheClient)
{
    openOverAnOldServer();
    form->close();

    EXPECT_EQ(stored("Name"), "new.example");
    EXPECT_EQ(stored("RemMode"), "2");
    EXPECT_EQ(window->serverAddress().host, "old.example");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The fields keep the user's text for the next opening.
    openDialog();
    EXPECT_EQ(c().serverField->text(), U("new.example"));
    pressOk();
    EXPECT_EQ(window->serverAddress().host, "new.example");
}

// Guards a refused write: closing still gives the main window its input
// back, and the error is shown in a box that can be answered.
TEST_F(SettingsDialogTest, RefusedWriteStillEnablesTheMainWindow)
{
    start();
    openDialog();
    // A folder in the settings file's place refuses every write, root's too.
    std::filesystem::remove(iniPath);
    std::filesystem::create_directory(iniPath);
    test::BoxAnswerer closer(std::chrono::milliseconds(20), [](QMessageBox& box) { EXPECT_TRUE(box.isEnabled()); });
    pressOk();
    EXPECT_TRUE(form->isVisible());
    form->close();
    closer.stop();
    const QStringList& boxes = closer.texts();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_TRUE(boxes[0].startsWith(U("Unable to write to ")));
}

// Guards the box "Запускать при входе в систему": it shows at each opening
// whether the autostart entry is there ("Hidden=true" as off), OK with it
// ticked writes the entry that runs this program with --tray, and OK with
// it cleared removes the entry.
TEST_F(SettingsDialogTest, StartAtLoginBoxShowsWritesAndRemovesTheEntry)
{
    start();
    openDialog();
    QCheckBox* box = c().startAtLoginBox;
    EXPECT_EQ(box->text(), U("Запускать при входе в систему"));
    EXPECT_FALSE(box->isChecked());
    box->click();
    pressOk();
    EXPECT_FALSE(form->isVisible());
    ASSERT_TRUE(FileExists(entryPath));
    EXPECT_EQ(ReadFile(entryPath), AutostartEntryText(programFolder.path() + "/vexorama"));

    openDialog();
    EXPECT_TRUE(box->isChecked());
    box->click();
    pressOk();
    EXPECT_FALSE(FileExists(entryPath));

    WriteFile(entryPath, "[Desktop Entry]\nExec=vexorama --tray\nHidden=true\n");
    openDialog();
    EXPECT_FALSE(box->isChecked());
}

// Guards the close box, the dialog's cancel: a box ticked or cleared without
// OK changes no entry, and the next opening shows the entry as it is.
TEST_F(SettingsDialogTest, StartAtLoginBoxClosedWithoutOkChangesNothing)
{
    start();
    openDialog();
    c().startAtLoginBox->click();
    form->close();
    EXPECT_FALSE(FileExists(configHome.path() + "/autostart"));
    openDialog();
    EXPECT_FALSE(c().startAtLoginBox->isChecked());
    form->close();

    SetStartAtLogin(entryPath, true, "/usr/bin/vexorama");
    const std::string written = ReadFile(entryPath);
    openDialog();
    EXPECT_TRUE(c().startAtLoginBox->isChecked());
    c().startAtLoginBox->click();
    form->close();
    EXPECT_EQ(ReadFile(entryPath), written);
    openDialog();
    EXPECT_TRUE(c().startAtLoginBox->isChecked());
}

// Guards an entry that cannot be written (here an autostart "folder" that is
// a file, as refusing as a read-only ~/.config, root's too): a warning box
// names the file, the dialog stays open and nothing is left behind.
TEST_F(SettingsDialogTest, RefusedStartAtLoginEntryIsReported)
{
    WriteFile(configHome.path() + "/autostart", "");
    start();
    openDialog();
    c().startAtLoginBox->click();
    const QStringList boxes = answeringBoxes([this] { pressOk(); });
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0], QString::fromStdString("Unable to write to " + entryPath));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(ReadFile(configHome.path() + "/autostart"), "");
    EXPECT_EQ(test::FolderNames(configHome.path()), std::vector<std::string>{"autostart"});
}

} // namespace
} // namespace vexo
