// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/arrival_notice.h"

#include "app/desktop_bus.h"
#include "app/tray_icon.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <utility>

namespace vexo {

namespace {

// More names than this would push the actions off a small notice.
constexpr qsizetype kNamesShown = 5;
constexpr int kBalloonMs = 5000;
const QString kDefaultAction = QStringLiteral("default");
const QString kOpenFolderAction = QStringLiteral("open-folder");

} // namespace

// The notice of one check, kept by the answers to its Notify calls after
// the check has ended.
struct ArrivalNotice::Check {
    QStringList names;
    // An arrival came while the window was out of sight.
    bool unseen = false;
    // The notification service took the notice: no balloon.
    bool onDesktop = false;
    // The service's number for the notice, once it has answered.
    uint id = 0;
    // A Notify waits for its answer; a newer list waits behind it, so that
    // it replaces the notice instead of opening a second one.
    bool answerDue = false;
    bool newerList = false;
};

QString ArrivalsSummary(const QStringList& names)
{
    return QString::fromUtf8("Получено %1 файлов").arg(names.size());
}

QString ArrivalsBody(const QStringList& names)
{
    QStringList lines = names.mid(0, kNamesShown);
    if (names.size() > kNamesShown)
        lines << QString::fromUtf8("…");
    return lines.join(QLatin1Char('\n'));
}

ArrivalNotice::ArrivalNotice(TrayIcon& icon) : QObject(&icon), icon_(icon), check_(std::make_shared<Check>())
{
    // Qt's icon on a tray of the session bus also reports a click on any
    // program's notice as a click on its message: only one on the balloon
    // while it is up counts.
    connect(&icon, &TrayIcon::messageClicked, this, [this] {
        if (!std::exchange(balloonUp_, QDeadlineTimer()).hasExpired())
            emit windowAsked();
    });
}

ArrivalNotice::~ArrivalNotice() = default;

void ArrivalNotice::show(const QStringList& names)
{
    check_->names = names;
    check_->unseen = true;
    send(check_);
}

void ArrivalNotice::send(const std::shared_ptr<Check>& check)
{
    if (check->answerDue) {
        check->newerList = true;
        return;
    }
    const std::optional<QDBusMessage> call = DesktopNoticeCall(
        {ArrivalsSummary(check->names),
         ArrivalsBody(check->names),
         -1,
         check->id,
         {kDefaultAction, QString::fromUtf8("Показать"), kOpenFolderAction, QString::fromUtf8("Открыть папку")},
         QStringLiteral("transfer.complete")});
    if (!call)
        return;
    // Heard from the first notice on: a start without arrivals asks nothing
    // of the bus.
    if (!std::exchange(hearing_, true))
        HearDesktopNotices(this, SLOT(actionInvoked(uint, QString)), SLOT(noticeClosed(uint, uint)));
    check->onDesktop = true;
    check->answerDue = true;
    auto* answer = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(*call), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this, check](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<uint> reply = *done;
        check->answerDue = false;
        if (reply.isError()) {
            check->onDesktop = false;
            check->newerList = false;
            return;
        }
        check->id = reply.value();
        shownIds_.insert(check->id);
        if (std::exchange(check->newerList, false))
            send(check);
    });
}

void ArrivalNotice::endCheck(bool windowInSight)
{
    const std::shared_ptr<Check> ended = std::exchange(check_, std::make_shared<Check>());
    if (!ended->unseen || ended->onDesktop || windowInSight)
        return;
    if (!icon_.isVisible())
        return;
    icon_.showMessage(ArrivalsSummary(ended->names), ArrivalsBody(ended->names), QSystemTrayIcon::Information,
                      kBalloonMs);
    balloonUp_ = QDeadlineTimer(kBalloonMs);
}

void ArrivalNotice::actionInvoked(uint id, const QString& key)
{
    if (!shownIds_.contains(id))
        return;
    if (key == kDefaultAction)
        emit windowAsked();
    else if (key == kOpenFolderAction)
        emit folderAsked();
}

void ArrivalNotice::noticeClosed(uint id, uint /*reason*/)
{
    shownIds_.remove(id);
    // Dismissed or expired: the check's next arrival opens a new notice.
    if (check_->id == id)
        check_->id = 0;
}

} // namespace vexo
