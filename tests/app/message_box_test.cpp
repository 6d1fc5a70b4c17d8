// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"
#include "app/qt_translations.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

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

// Guards Qt's own words in a Russian program: with Qt's translations
// installed, the buttons of boxes and dialogs speak Russian.
TEST(MessageBoxTest, QtsOwnTextsAreRussian)
{
    if (!UseRussianQtTexts(*QCoreApplication::instance()))
        GTEST_SKIP() << "Qt's translations are not installed (apt-get install qt6-translations-l10n)";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("Отмена"));
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QString::fromUtf8("Да"));
}

} // namespace
} // namespace vexo
