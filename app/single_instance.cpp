// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/single_instance.h"

#include "base/file_io.h"
#include "base/file_system.h"
#include "base/private_place.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
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
constexpr qsizetype kLongestRequest = 8192;
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

void DropConnection(QLocalSocket* connection)
{
    connection->abort();
    connection->deleteLater();
}

// Sends the request and waits for the running copy to say it took it.
bool HandOver(QLocalSocket& socket, const SingleInstance::Request& request)
{
    QByteArray bytes;
    if (request.deleteAfterDecoding)
        bytes += kDeleteAfterDecoding;
    bytes += request.inTray ? kStayInTray : kShowWindow;
    bytes += QByteArray::fromStdString(request.folder);
    bytes += kRequestEnd;
    socket.write(bytes);
    socket.flush();
    // Waiting for the answer also writes what is left of the request.
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(kAnswerWaitMs))
            return false;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kTaken;
}

} // namespace

SingleInstance::SingleInstance(const std::string& settingsPath, QObject* parent, WaitClock clock)
    : QObject(parent), path_(SocketPath(settingsPath)), clock_(std::move(clock))
{}

SingleInstance::~SingleInstance() = default;

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
    {
        QLocalSocket socket;
        socket.connectToServer(path_);
        if (socket.waitForConnected(kAnswerWaitMs)) {
            // Nothing is handed to a listener of another user.
            if (!PeerRunsAs(static_cast<int>(socket.socketDescriptor()), ::geteuid()))
                return Outcome::NoAnswer;
            return HandOver(socket, request) ? Outcome::HandedOver : Outcome::NoAnswer;
        }
    }
    // Nobody listens: what lies there is left by a copy that died.
    QLocalServer::removeServer(path_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* connection = server_->nextPendingConnection())
            readRequest(connection);
    });
    if (!server_->listen(path_)) {
        std::fprintf(stderr, "vexorama: %s: %s\n", QFile::encodeName(path_).constData(),
                     server_->errorString().toLocal8Bit().constData());
        delete server_;
        server_ = nullptr;
        return Outcome::Alone;
    }
    return Outcome::Listening;
}

void SingleInstance::readRequest(QLocalSocket* connection)
{
    // A start of another user is not heard.
    if (!PeerRunsAs(static_cast<int>(connection->socketDescriptor()), ::geteuid())) {
        DropConnection(connection);
        return;
    }
    auto received = std::make_shared<QByteArray>();
    connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    const auto read = [this, connection, received] {
        *received += connection->readAll();
        const qsizetype end = received->indexOf(kRequestEnd);
        if (end < 0) {
            if (received->size() > kLongestRequest)
                DropConnection(connection);
            return;
        }
        const qsizetype options = received->startsWith(kDeleteAfterDecoding) ? 1 : 0;
        const char kind = end > options ? received->at(options) : '\0';
        const QByteArray folder = received->mid(options + 1, end - options - 1);
        if ((kind != kShowWindow && kind != kStayInTray) || (!folder.isEmpty() && !folder.startsWith('/'))) {
            DropConnection(connection);
            return;
        }
        Request request{kind == kStayInTray, folder.toStdString(), options == 1};
        // Said before the request is carried out, which may show a box.
        connection->putChar(kTaken);
        connection->flush();
        connection->disconnectFromServer();
        deliver(std::move(request));
    };
    connect(connection, &QLocalSocket::readyRead, this, read);
    if (connection->bytesAvailable() > 0)
        read();
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
