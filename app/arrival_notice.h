// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>

namespace vexo {

class TrayIcon;

// The notice of one check's arrivals while the window sits in the tray.
// Through the desktop's notification service it is one notice that each
// longer list replaces, with a click that asks for the window and the
// action "Открыть папку"; these still work on the notice of an earlier
// check while the desktop shows it. Without such a service it is one
// balloon beside the tray icon when the check ends, which cannot be
// updated, and a click on it asks for the window.
class ArrivalNotice : public QObject {
    Q_OBJECT
public:
    explicit ArrivalNotice(TrayIcon& icon);
    ~ArrivalNotice() override;

    // The check's whole list of arrivals now.
    void show(const QStringList& names);
    // The check is over: the balloon, where there was no service to take the
    // notice and the window is still out of sight; the next list starts a
    // new notice.
    void endCheck(bool windowInSight);

signals:
    void windowAsked();
    void folderAsked();

    // Called by name from the desktop's bus.
private slots:
    void actionInvoked(uint id, const QString& key);
    void noticeClosed(uint id, uint reason);

    // The end of moc's slots, which the compiler does not see.
private: // NOLINT(readability-redundant-access-specifiers)
    struct Check;
    void send(const std::shared_ptr<Check>& check);

    TrayIcon& icon_;
    std::shared_ptr<Check> check_;
    // The numbers of this program's notices the desktop still shows.
    QSet<uint> shownIds_;
    bool hearing_ = false;
    // Until when the balloon is up (expired: none).
    QDeadlineTimer balloonUp_;
};

// The notice's words: "Получено N файлов", and the first few names, one a
// line, with "…" for the rest.
QString ArrivalsSummary(const QStringList& names);
QString ArrivalsBody(const QStringList& names);

} // namespace vexo
