#include "app/hints.h"
#include "app/main_window_controls.h"
#include "base/service_address.h"
#include "app/tab_builders.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace vexo {

namespace {

// A place where a web view goes once its tab is first shown.
QWidget* MakeViewHolder(QWidget* parent, const char* name)
{
    auto* holder = new QWidget(parent);
    holder->setObjectName(name);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    return holder;
}

} // namespace

QWidget* BuildUploadTab(MainWindowControls& c)
{
    auto* tab = new QWidget;
    tab->setObjectName("TabSheet3");
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    c.TabSheet3 = tab;
    return tab;
}

QWidget* BuildNewsTab(MainWindowControls& c)
{
    auto* tab = new QWidget;
    tab->setObjectName("NewsSheet");
    c.NewsSheet = tab;

    auto* info = new QGroupBox(QString::fromUtf8("Информация о программе:"), tab);
    info->setObjectName("GroupBox4");
    c.Memo2 = new QTextEdit(info);
    c.Memo2->setObjectName("Memo2");
    c.Memo2->setReadOnly(true);
    c.Memo2->setEnabled(false);
    c.Memo2->setFrameShape(QFrame::NoFrame);
    QPalette black = c.Memo2->palette();
    black.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    black.setColor(QPalette::Disabled, QPalette::Base, tab->palette().color(QPalette::Window));
    c.Memo2->setPalette(black);
    const QStringList lines = {
        QString::fromUtf8("Эта программа предназначена для дешифрации файлов (каринок и видео), полученых с сервиса ") +
            QString::fromUtf8(kServiceSite) + QString::fromUtf8(" в "),
        QString::fromUtf8("нормальные файлы(те какими они были до шифрации)"),
        QString(),
        QString::fromUtf8("Vexorama — клиент сервиса Vexo для Linux, от команды Vexorama"),
    };
    c.Memo2->setPlainText(lines.join(QLatin1Char('\n')));
    QTextCursor all(c.Memo2->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
    auto* infoLayout = new QVBoxLayout(info);
    infoLayout->setContentsMargins(4, 2, 4, 2);
    infoLayout->addWidget(c.Memo2);
    c.Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Room for the lines as they wrap at the narrowest window.
    info->setFixedHeight(5 * c.Memo2->fontMetrics().lineSpacing() + 36);

    c.GroupBox3 = new QGroupBox(QString::fromUtf8("Новости:"), tab);
    c.GroupBox3->setObjectName("GroupBox3");
    c.WebNewsHolder = MakeViewHolder(c.GroupBox3, "WebNewsHolder");
    auto* moreBox = new QGroupBox(c.GroupBox3);
    moreBox->setObjectName("GroupBox5");
    c.More = new QPushButton(QString::fromUtf8("Подробнее"), moreBox);
    c.More->setObjectName("More");
    auto* moreLayout = new QHBoxLayout(moreBox);
    moreLayout->setContentsMargins(6, 2, 6, 2);
    moreLayout->addWidget(c.More);
    auto* newsLayout = new QVBoxLayout(c.GroupBox3);
    newsLayout->setContentsMargins(2, 2, 2, 2);
    newsLayout->addWidget(c.WebNewsHolder, 1);
    newsLayout->addWidget(moreBox);

    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(info);
    layout->addWidget(c.GroupBox3, 1);
    return tab;
}

QWidget* BuildUrlTab(MainWindowControls& c)
{
    auto* tab = new QWidget;
    tab->setObjectName("TabSheet4");
    c.TabSheet4 = tab;

    auto* label = new QLabel(QStringLiteral("Url"), tab);
    label->setObjectName("Label3");
    c.Urlstr = new QLineEdit(tab);
    c.Urlstr->setObjectName("Urlstr");
    c.Download = new QPushButton(QStringLiteral("Download"), tab);
    c.Download->setObjectName("Download");
    c.DelwebHolder = MakeViewHolder(tab, "DelwebHolder");

    auto* grid = new QGridLayout(tab);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->addWidget(label, 0, 0);
    grid->addWidget(c.Urlstr, 0, 1);
    grid->addWidget(c.Download, 0, 2);
    grid->setRowMinimumHeight(1, 40);
    grid->addWidget(c.DelwebHolder, 2, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    return tab;
}

} // namespace vexo
