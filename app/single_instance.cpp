// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/single_instance.h"

#include "base/file_io.h"
#include "base/file_system.h"
#include "base/private_place.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QSocketNotifier>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace vexo {

namespace {

// Long enough for a copy that is busy between two pumps of its window.
constexpr int kAnswerWaitMs = 5000;
// How long a start waits for another one to settle which of them runs.
constexpr auto kStartLockWait = std::chrono::milliseconds(5000);
// A request is its options, a kind, a path and its end; anything longer is
// no request.
constexpr std::size_t kLongestRequest = 8192;
constexpr char kShowWindow = 'S';
constexpr char kStayInTray = 'T';
// Options go before the kind, so that a request without any reads as it
// always did, and a copy that knows no options refuses one with them
// rather than taking it for a folder.
constexpr char kDeleteAfterDecoding = 'd';
constexpr char kRequestEnd = '\0';
constexpr char kTaken = '+';

// The per-user runtime folder ($XDG_RUNTIME_DIR), or a folder of this
// user's own in the temporary folder; each only when nobody else can enter
// it. Empty when there is none.
QString SocketFolderAndPrefix()
{
    const std::string folder = PrivateMeetingFolder(std::getenv("XDG_RUNTIME_DIR"), TemporaryFolder(), ::geteuid());
    if (folder.empty())
        return {};
    return QFile::decodeName(QByteArray::fromStdString(folder)) + QStringLiteral("vexorama-");
}

// Held while one start decides whether it runs, so that two starts at once
// never both listen (the second would take the first one's socket away).
class StartLock {
public:
    StartLock(const QString& path, const WaitClock& clock)
        : file_(PosixFile::Open(QFile::encodeName(path).toStdString(), O_RDWR | O_CREAT | O_NOFOLLOW, 0600))
    {
        // Without the lock file the start goes on unguarded, as one alone would.
        if (file_.isOpen())
            heldElsewhere_ = LockWithin(file_.fd(), kStartLockWait, clock) == LockOutcome::HeldElsewhere;
    }
    bool heldElsewhere() const { return heldElsewhere_; }

private:
    PosixFile file_; // closing it releases the lock
    bool heldElsewhere_ = false;
};

// Sends the request and waits for the running copy to say it took it.
bool HandOver(LocalSocket& socket, const SingleInstance::Request& request)
{
    std::string bytes;
    if (request.deleteAfterDecoding)
        bytes += kDeleteAfterDecoding;
    bytes += request.inTray ? kStayInTray : kShowWindow;
    bytes += request.folder;
    bytes += kRequestEnd;
    const std::chrono::milliseconds wait(kAnswerWaitMs);
    if (!socket.send(bytes, wait))
        return false;
    std::string answer;
    bool ended = false;
    while (answer.empty() && !ended) {
        if (!socket.waitReadable(wait))
            return false;
        answer = socket.receive(ended);
    }
    return !answer.empty() && answer.front() == kTaken;
}

// One later start's connection, read as its bytes come, until its request
// is whole (then handed to `take`) or it is no request: dropped.
class RequestReader : public QObject {
public:
    RequestReader(LocalSocket connection, std::function<void(SingleInstance::Request)> take, QObject* parent)
        : QObject(parent), connection_(std::move(connection)), take_(std::move(take)),
          notifier_(new QSocketNotifier(static_cast<qintptr>(connection_.fd()), QSocketNotifier::Read, this))
    {
        connect(notifier_, &QSocketNotifier::activated, this, [this] { read(); });
    }
    // Unwatched before the connection closes.
    ~RequestReader() override { notifier_->setEnabled(false); }
    RequestReader(const RequestReader&) = delete;
    RequestReader& operator=(const RequestReader&) = delete;

private:
    void read()
    {
        bool ended = false;
        received_ += connection_.receive(ended);
        const std::size_t end = received_.find(kRequestEnd);
        if (end == std::string::npos) {
            if (ended || received_.size() > kLongestRequest)
                finish();
            return;
        }
        const std::size_t options = received_.starts_with(kDeleteAfterDecoding) ? 1 : 0;
        const char kind = end > options ? received_[options] : '\0';
        if (kind != kShowWindow && kind != kStayInTray) {
            finish();
            return;
        }
        std::string folder = received_.substr(options + 1, end - options - 1);
        if (!folder.empty() && folder.front() != '/') {
            finish();
            return;
        }
        // Said before the request is carried out, which may show a box.
        connection_.send(std::string_view(&kTaken, 1), std::chrono::milliseconds(0));
        const auto take = take_;
        finish();
        take({kind == kStayInTray, std::move(folder), options == 1});
    }

    void finish()
    {
        notifier_->setEnabled(false);
        connection_.close();
        deleteLater();
    }

    LocalSocket connection_;
    std::function<void(SingleInstance::Request)> take_;
    QSocketNotifier* notifier_;
    std::string received_;
};

} // namespace

SingleInstance::SingleInstance(const std::string& settingsPath, QObject* parent, WaitClock clock)
    : QObject(parent), path_(SocketPath(settingsPath)), clock_(std::move(clock))
{}

SingleInstance::~SingleInstance()
{
    // Unwatched before the socket closes.
    delete serverNotifier_;
}

QString SingleInstance::SocketPath(const std::string& settingsPath)
{
    // The same file by two paths (a link, "..") is one instance.
    std::error_code ignored;
    std::filesystem::path file = std::filesystem::weakly_canonical(std::filesystem::absolute(settingsPath), ignored);
    if (file.empty())
        file = settingsPath;
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(file.string()), QCryptographicHash::Sha256).toHex();
    const QString folderAndPrefix = SocketFolderAndPrefix();
    return folderAndPrefix.isEmpty() ? QString() : folderAndPrefix + QString::fromLatin1(hash.left(16));
}

SingleInstance::Outcome SingleInstance::handOverOrListen(Request request)
{
    request.folder = AbsolutePath(request.folder);
    if (path_.isEmpty()) {
        std::fprintf(stderr,
                     "vexorama: нет папки, открытой только этому пользователю ($XDG_RUNTIME_DIR или %s/vexorama-%u "
                     "с правами 0700): запуск без проверки, не запущена ли программа уже\n",
                     TemporaryFolder().c_str(), static_cast<unsigned>(::geteuid()));
        return Outcome::Alone;
    }
    const StartLock lock(path_ + QStringLiteral(".lock"), clock_);
    if (lock.heldElsewhere())
        return Outcome::LockHeld;
    const std::string socketPath = QFile::encodeName(path_).toStdString();
    {
        LocalSocket::Reach reach = LocalSocket::Reach::NobodyListens;
        LocalSocket socket = LocalSocket::Connect(socketPath, reach);
        if (reach == LocalSocket::Reach::Busy)
            return Outcome::NoAnswer;
        if (reach == LocalSocket::Reach::Connected) {
            // Nothing is handed to a listener of another user.
            if (!PeerRunsAs(socket.fd(), ::geteuid()))
                return Outcome::NoAnswer;
            return HandOver(socket, request) ? Outcome::HandedOver : Outcome::NoAnswer;
        }
    }
    std::string error;
    server_ = LocalSocket::Listen(socketPath, error);
    if (!server_.isOpen()) {
        std::fprintf(stderr, "vexorama: %s\n", error.c_str());
        return Outcome::Alone;
    }
    serverNotifier_ = new QSocketNotifier(static_cast<qintptr>(server_.fd()), QSocketNotifier::Read, this);
    connect(serverNotifier_, &QSocketNotifier::activated, this, [this] { takeConnections(); });
    return Outcome::Listening;
}

void SingleInstance::takeConnections()
{
    for (LocalSocket connection = server_.accept(); connection.isOpen(); connection = server_.accept())
        readRequest(std::move(connection));
}

void SingleInstance::readRequest(LocalSocket connection)
{
    // A start of another user is not heard.
    if (!PeerRunsAs(connection.fd(), ::geteuid()))
        return;
    new RequestReader(
        std::move(connection), [this](Request request) { deliver(std::move(request)); }, this);
}

void SingleInstance::deliver(Request request)
{
    if (handler_)
        handler_(request);
    else
        waiting_.push_back(std::move(request));
}

void SingleInstance::setRequestHandler(std::function<void(const Request&)> handler)
{
    handler_ = std::move(handler);
    std::vector<Request> waiting;
    waiting.swap(waiting_);
    for (const Request& request : waiting)
        handler_(request);
}

} // namespace vexo
