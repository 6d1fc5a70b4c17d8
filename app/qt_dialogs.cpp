// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_dialogs.h"

#include "app/qt_text.h"
#include "app/xdg_open.h"
#include "base/stop_request.h"
#include "base/terminal_text.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include <cstdio>
#include <memory>

namespace vexo {

namespace {

// "Description|*.a;*.b|All Files|*.*" as the file dialog's name filters.
QString DialogFilter(const std::string& filter)
{
    const QStringList parts = Q(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << parts[i] + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QLatin1String(";;"));
}

} // namespace

bool QtDialogs::answeredAlready(const std::string& text) const
{
    if (unattended_) {
        std::fprintf(stderr, "vexorama: %s\n", TerminalText(text).c_str());
        std::fflush(stderr);
        return true;
    }
    // A program that is ending asks nobody anything.
    return StopRequested();
}

QMessageBox* QtDialogs::makeBox(MessageKind kind, const std::string& text)
{
    const bool warning = kind == MessageKind::Warning;
    // Above whatever window is modal now (the settings dialog), else above the main window.
    QWidget* owner = QApplication::activeModalWidget();
    auto* box = new QMessageBox(warning ? QMessageBox::Warning : QMessageBox::Information,
                                warning ? QStringLiteral("Warning") : QStringLiteral("Information"), Q(text),
                                QMessageBox::Ok, owner ? owner : &window_);
    // Names come from files and servers: never rich text.
    box->setTextFormat(Qt::PlainText);
    return box;
}

void QtDialogs::showMessage(MessageKind kind, const std::string& text)
{
    if (answeredAlready(text))
        return;
    const std::unique_ptr<QMessageBox> box(makeBox(kind, text));
    box->exec();
}

void QtDialogs::showNotice(MessageKind kind, const std::string& text)
{
    if (answeredAlready(text))
        return;
    QMessageBox* box = makeBox(kind, text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->show();
}

std::vector<std::string> QtDialogs::pickFiles(const std::string& startFolder, const std::string& filter)
{
    const QStringList chosen = QFileDialog::getOpenFileNames(&window_, QString(), Q(startFolder), DialogFilter(filter));
    std::vector<std::string> paths;
    for (const QString& path : chosen)
        paths.push_back(path.toStdString());
    return paths;
}

std::optional<std::string> QtDialogs::pickFolder(const std::string& title, const std::string& preselected)
{
    const QString chosen = QFileDialog::getExistingDirectory(&window_, Q(title), Q(preselected));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

void QtDialogs::openExternally(const std::string& folderOrAddress)
{
    const QString text = Q(folderOrAddress);
    const bool webAddress = text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
                            || text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    // A web address goes to the browser byte for byte; QUrl would re-encode it.
    if (webAddress && XdgOpen(folderOrAddress))
        return;
    QDesktopServices::openUrl(webAddress ? QUrl(text) : QUrl::fromLocalFile(text));
}

void QtDialogs::pump()
{
    QCoreApplication::processEvents();
    StopIfRequested();
}

} // namespace vexo
