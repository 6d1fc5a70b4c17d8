// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/first_show_layout.h"
#include "app/hints.h"
#include "app/main_window_controls.h"
#include "app/tab_builders.h"
#include "app/theme_colours.h"
#include "base/service_address.h"

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
QWidget* MakeViewHolder(QWidget* parent)
{
    auto* holder = new QWidget(parent);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    return holder;
}

} // namespace

QWidget* BuildUploadTab(MainWindowControls& c)
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    c.uploadTab = tab;
    return tab;
}

QWidget* BuildNewsTab(MainWindowControls& c)
{
    auto* tab = new QWidget;
    c.newsTab = tab;

    auto* info = new QGroupBox(QString::fromUtf8("Информация о программе:"), tab);
    c.aboutBox = info;
    c.aboutText = new QTextEdit(info);
    c.aboutText->setReadOnly(true);
    c.aboutText->setEnabled(false);
    c.aboutText->setFrameShape(QFrame::NoFrame);
    DrawInWindowColours(c.aboutText);
    const QStringList lines = {
        QString::fromUtf8("Эта программа предназначена для дешифрации файлов (каринок и видео), полученых с сервиса ")
            + QString::fromUtf8(kServiceSite) + QString::fromUtf8(" в "),
        QString::fromUtf8("нормальные файлы(те какими они были до шифрации)"),
        QString(),
        QString::fromUtf8("Vexorama — клиент сервиса Vexo для Linux, от команды Vexorama"),
    };
    c.aboutText->setPlainText(lines.join(QLatin1Char('\n')));
    QTextCursor all(c.aboutText->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
    auto* infoLayout = new QVBoxLayout(info);
    infoLayout->setContentsMargins(4, 2, 4, 2);
    infoLayout->addWidget(c.aboutText);
    c.aboutText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.aboutText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Room for the lines as they wrap at the narrowest window.
    info->setFixedHeight(5 * c.aboutText->fontMetrics().lineSpacing() + 36);

    c.newsBox = new QGroupBox(QString::fromUtf8("Новости:"), tab);
    c.newsHolder = MakeViewHolder(c.newsBox);
    c.moreBox = new QGroupBox(c.newsBox);
    c.moreButton = new QPushButton(QString::fromUtf8("Подробнее"), c.moreBox);
    auto* moreLayout = new QHBoxLayout(c.moreBox);
    moreLayout->setContentsMargins(6, 2, 6, 2);
    moreLayout->addWidget(c.moreButton);
    auto* newsLayout = new QVBoxLayout(c.newsBox);
    newsLayout->setContentsMargins(2, 2, 2, 2);
    newsLayout->addWidget(c.newsHolder, 1);
    newsLayout->addWidget(c.moreBox);

    auto* layout = new QVBoxLayout;
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(info);
    layout->addWidget(c.newsBox, 1);
    LayOutWhenFirstShown(tab, layout);
    return tab;
}

QWidget* BuildUrlTab(MainWindowControls& c)
{
    auto* tab = new QWidget;
    c.urlTab = tab;

    c.urlLabel = new QLabel(QStringLiteral("Url"), tab);
    c.urlBox = new QLineEdit(tab);
    c.downloadUrlButton = new QPushButton(QStringLiteral("Download"), tab);
    c.removalHolder = MakeViewHolder(tab);

    auto* grid = new QGridLayout;
    grid->setContentsMargins(8, 8, 8, 8);
    grid->addWidget(c.urlLabel, 0, 0);
    grid->addWidget(c.urlBox, 0, 1);
    grid->addWidget(c.downloadUrlButton, 0, 2);
    grid->setRowMinimumHeight(1, 40);
    grid->addWidget(c.removalHolder, 2, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    LayOutWhenFirstShown(tab, grid);
    return tab;
}

} // namespace vexo
