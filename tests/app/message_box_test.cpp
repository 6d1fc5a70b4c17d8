// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "app/qt_translations.h"
#include "tests/support/box_answerer.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace vexo {
namespace {

// Answers the first message box that opens and keeps what it showed.
struct ShownBox {
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QString labelText;
    Qt::TextFormat labelFormat = Qt::AutoText;
    QString okText;
};

ShownBox AnswerNextBox(const std::function<void()>& show)
{
    ShownBox shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown.text = box->text();
        shown.format = box->textFormat();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            shown.labelText = label->text();
            shown.labelFormat = label->textFormat();
        }
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            shown.okText = ok->text();
        box->accept();
    });
    show();
    return shown;
}

// Guards names from files and servers shown in boxes: a heading or a link
// in a name is shown as the characters it is, never rendered.
TEST(MessageBoxTest, TextIsPlainWhateverItHolds)
{
    test::TempDir programFolder;
    MainWindow window(programFolder.path() + "/vexorama", {});
    window.showCentred();
    const std::string name = "<h1>Ваш пароль устарел!</h1> <a href=\"http://example.invalid/\">войти</a>.avi";
    const ShownBox shown = AnswerNextBox([&] { window.views().dialogs.showMessage(MessageKind::Warning, name); });
    EXPECT_EQ(shown.text.toStdString(), name);
    EXPECT_EQ(shown.format, Qt::PlainText);
    EXPECT_EQ(shown.labelText.toStdString(), name);
    EXPECT_EQ(shown.labelFormat, Qt::PlainText);
}

// Guards "/a" waiting for ever at any box (a plain picture in the folder,
// a full disk, a settings file that cannot be written): in an unattended
// run no box opens, its text goes to standard error, and the caller goes on.
TEST(MessageBoxTest, UnattendedRunOpensNoBox)
{
    test::TempDir programFolder;
    MainWindow window(programFolder.path() + "/vexorama", ReadCommandLine({"/a", programFolder.path()}));
    // Answers every box, should one open, so that the test ends either way.
    test::BoxAnswerer answer(std::chrono::milliseconds(0));

    const std::string errors = programFolder.file("errors.txt");
    std::fflush(stderr);
    const int savedError = ::dup(STDERR_FILENO);
    const int log = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(log, 0);
    ::dup2(log, STDERR_FILENO);
    window.views().dialogs.showMessage(MessageKind::Warning, "holiday.jpg -  NOT PACK");
    window.views().dialogs.showMessage(MessageKind::Information, "Ошибка, файл не найден на сервере");
    std::fflush(stderr);
    ::dup2(savedError, STDERR_FILENO);
    ::close(savedError);
    ::close(log);
    QCoreApplication::processEvents();
    answer.stop();

    EXPECT_TRUE(answer.texts().isEmpty());
    const std::string told = test::ReadFile(errors);
    EXPECT_NE(told.find("vexorama: holiday.jpg -  NOT PACK\nvexorama: Ошибка, файл не найден на сервере\n"),
              std::string::npos)
        << told;
}

// Guards a failure's box holding the delivery when nobody is there to
// answer it, as in the tray at night: a notice returns at once, its box
// stays open beside the work that goes on.
TEST(MessageBoxTest, NoticeReturnsAtOnceAndStaysOpen)
{
    test::TempDir programFolder;
    MainWindow window(programFolder.path() + "/vexorama", {});
    window.showCentred();
    // Should the notice wait for an answer, this ends the wait and tells.
    test::BoxAnswerer answer(std::chrono::milliseconds(0));
    window.views().dialogs.showNotice(MessageKind::Information, "Ошибка, файл не найден на сервере");
    answer.stop();
    EXPECT_TRUE(answer.texts().isEmpty());

    QCoreApplication::processEvents();
    int open = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible() && box->text() == QStringLiteral("Ошибка, файл не найден на сервере")) {
            ++open;
            box->close();
        }
    }
    EXPECT_EQ(open, 1);
}

// Guards Qt's own words in a Russian program: with Qt's translations
// installed, the buttons of boxes and dialogs speak Russian.
TEST(MessageBoxTest, QtsOwnTextsAreRussian)
{
    if (!UseRussianQtTexts(*QCoreApplication::instance()))
        VEXO_SKIP_OR_FAIL() << "Qt's translations are not installed (apt-get install qt6-translations-l10n)";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("Отмена"));
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QString::fromUtf8("Да"));
}

} // namespace
} // namespace vexo
