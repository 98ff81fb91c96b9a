#include "platform/singleinstance.h"

#include "core/filenames.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvanta {

namespace {

    const QByteArray ComeForwardRequest = QByteArrayLiteral("come-forward");
    const QByteArray OpenFileRequest = QByteArrayLiteral("open-file ");
    const QByteArray OkAnswer = QByteArrayLiteral("ok");
    const QByteArray UnknownAnswer = QByteArrayLiteral("unknown");
    // A request is one line, at most an open request with the longest path Base64-encoded; a peer
    // that sends more, or nothing for this long, is dropped.
    // An activation token may follow, after a blank.
    constexpr qint64 MaxRequestLength = 16 + (SingleInstance::MaxPathBytes + 2) / 3 * 4 + 1
        + (SingleInstance::MaxTokenBytes + 2) / 3 * 4;
    constexpr int RequestTimeoutMs = 5000;
    constexpr int ConnectRetryMs = 100;

} // namespace

SingleInstance::SingleInstance(const QString& appFolder, QObject* parent)
    : QObject(parent)
    , m_key(keyFor(appFolder))
    , m_folder(runtimeFolder())
{
}

SingleInstance::~SingleInstance()
{
    // The server goes first, so no second copy connects to a copy that no longer holds the lock.
    delete m_server;
    m_server = nullptr;
    m_lock.reset();
}

QString SingleInstance::keyFor(const QString& appFolder)
{
    // Two spellings of one folder (a trailing "/", a symbolic link) are the same program.
    QFileInfo info(appFolder);
    QString folder = info.canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir::cleanPath(info.absoluteFilePath());
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("korvanta-") + QString::fromLatin1(hash.toHex().left(16));
}

QString SingleInstance::runtimeFolder()
{
    const uint uid = ::geteuid();
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/')) && isPrivateFolder(runtime, uid))
        return QDir::cleanPath(runtime);
    // A name a second start finds again. Anyone may make it first in a shared temporary folder;
    // then it fails the check and is left alone.
    const QString own = QDir::tempPath() + QStringLiteral("/korvanta-") + QString::number(uid);
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST)
        return QString();
    return isPrivateFolder(own, uid) ? own : QString();
}

QString SingleInstance::lockFilePath() const
{
    return m_folder + QLatin1Char('/') + m_key + QLatin1String(".lock");
}

QString SingleInstance::serverName() const
{
    return m_folder + QLatin1Char('/') + m_key;
}

bool SingleInstance::isPrivateFolder(const QString& path, uint uid)
{
    struct stat st = {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == uid_t(uid) && (st.st_mode & 077) == 0;
}

bool SingleInstance::peerIsSameUser(qintptr descriptor)
{
    struct ucred credentials = {};
    socklen_t length = sizeof credentials;
    if (descriptor < 0
        || ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0
        || length != sizeof credentials)
        return false;
    return credentials.uid == ::geteuid();
}

// A lock file that names no process was left by a copy killed between making the file and
// writing its owner into it; left alone it would keep every later start from running. One that
// is younger than a few seconds may be being written at this moment, and is respected.
bool SingleInstance::isOwnerlessLock(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray pid = file.readLine(32).trimmed();
    bool isNumber = false;
    const qint64 owner = pid.toLongLong(&isNumber);
    if (isNumber && owner > 0)
        return false;
    const QDateTime changed = file.fileTime(QFileDevice::FileModificationTime);
    return std::abs(changed.msecsTo(QDateTime::currentDateTimeUtc())) > OwnerlessLockMs;
}

bool SingleInstance::tryBecomePrimary()
{
    if (m_primary)
        return true;
    if (m_folder.isEmpty()) {
        qWarning("No folder of this user's own for the lock and the socket (XDG_RUNTIME_DIR is "
                 "not set, not owned by the user or open to others, and %s is not the user's "
                 "own); running without the single-copy check",
            qPrintable(
                QDir::tempPath() + QStringLiteral("/korvanta-") + QString::number(::geteuid())));
        m_primary = true;
        return true;
    }

    auto lock = std::make_unique<QLockFile>(lockFilePath());
    // A running copy keeps its lock for as long as it runs; only a lock whose process is gone is
    // stale, never one that is merely old.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0) && lock->error() == QLockFile::LockFailedError
        && isOwnerlessLock(lockFilePath())) {
        lock->removeStaleLockFile();
        lock->tryLock(0);
    }
    if (!lock->isLocked()) {
        if (lock->error() == QLockFile::LockFailedError)
            return false;
        qWarning("Cannot create the lock file %s; running without the single-copy check",
            qPrintable(lockFilePath()));
        m_primary = true;
        return true;
    }
    m_lock = std::move(lock);
    m_primary = true;

    // Holding the lock, any socket of that name was left behind by a copy that died.
    QLocalServer::removeServer(serverName());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (!m_server->listen(serverName())) {
        qWarning("Cannot listen on %s: %s", qPrintable(serverName()),
            qPrintable(m_server->errorString()));
        delete m_server;
        m_server = nullptr;
    }
    return true;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // Only this user's own programs may ask; another user's connection is closed unread.
        if (!m_peerCheck || !m_peerCheck(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onRequestData(socket); });
        QTimer::singleShot(RequestTimeoutMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            onRequestData(socket);
    }
}

void SingleInstance::onRequestData(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxRequestLength) {
            socket->abort();
            socket->deleteLater();
        }
        return;
    }
    // A line cut short by the length limit is no request.
    const QByteArray line = socket->readLine(MaxRequestLength + 2);
    const QByteArray request = line.endsWith('\n') ? line.trimmed() : QByteArray();
    // Disconnect first: a second request on this connection is not read.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);

    QPointer<QLocalSocket> guard(socket);
    // "come-forward" or "open-file PATH", each with the desktop's activation token after a blank
    // when the second copy was given one.
    QByteArray body = request;
    QByteArray token;
    const bool opening = body.startsWith(OpenFileRequest);
    const qsizetype tokenAt = body.indexOf(' ', opening ? OpenFileRequest.size() : 0);
    if (tokenAt >= 0) {
        const auto decoded = QByteArray::fromBase64Encoding(
            body.mid(tokenAt + 1), QByteArray::AbortOnBase64DecodingErrors);
        token = decoded ? decoded.decoded : QByteArray();
        body.truncate(tokenAt);
    }
    const bool tokenValid = tokenAt < 0
        || (!token.isEmpty() && token.size() <= MaxTokenBytes && !token.contains('\0')
            && !token.contains('\n'));
    bool known = false;
    if (!tokenValid) {
        known = false;
    } else if (body == ComeForwardRequest) {
        known = true;
        if (!token.isEmpty())
            emit activationTokenReceived(token);
        emit comeForwardRequested();
    } else if (opening) {
        const auto decoded = QByteArray::fromBase64Encoding(
            body.mid(OpenFileRequest.size()), QByteArray::AbortOnBase64DecodingErrors);
        // Only a well-formed absolute path without NUL is obeyed. It comes as the file system's
        // bytes, which need not be UTF-8, and is opened under the path the file list shows.
        const QByteArray bytes = decoded ? decoded.decoded : QByteArray();
        known = !bytes.isEmpty() && bytes.size() <= MaxPathBytes && !bytes.contains('\0')
            && bytes.startsWith('/');
        const QString path = known ? shownPath(bytes) : QString();
        if (known && !token.isEmpty())
            emit activationTokenReceived(token);
        if (known)
            emit openFileRequested(path);
    }
    if (!guard)
        return;
    socket->write((known ? OkAnswer : UnknownAnswer) + '\n');
    socket->flush();
    socket->disconnectFromServer();
}

void SingleInstance::setActivationToken(const QByteArray& token)
{
    const bool usable = !token.isEmpty() && token.size() <= MaxTokenBytes && !token.contains('\0')
        && !token.contains('\n');
    m_activationToken = usable ? token : QByteArray();
}

QByteArray SingleInstance::withToken(const QByteArray& request) const
{
    return m_activationToken.isEmpty() ? request : request + ' ' + m_activationToken.toBase64();
}

bool SingleInstance::askPrimaryToComeForward(int connectTimeoutMs, int answerTimeoutMs)
{
    const QByteArray answer
        = sendRequest(withToken(ComeForwardRequest), connectTimeoutMs, answerTimeoutMs);
    // A running copy that knows no tokens (an older one) is asked again without it; it answered,
    // so it is up and listening.
    if (answer == UnknownAnswer && !m_activationToken.isEmpty())
        return sendRequest(ComeForwardRequest, connectTimeoutMs, answerTimeoutMs) == OkAnswer;
    return answer == OkAnswer;
}

bool SingleInstance::askPrimaryToOpen(
    const QString& filePath, int connectTimeoutMs, int answerTimeoutMs)
{
    const QByteArray path = nativePath(QFileInfo(filePath).absoluteFilePath());
    if (path.isEmpty() || path.size() > MaxPathBytes || path.contains('\0'))
        return askPrimaryToComeForward(connectTimeoutMs, answerTimeoutMs);
    QByteArray answer = sendRequest(
        withToken(OpenFileRequest + path.toBase64()), connectTimeoutMs, answerTimeoutMs);
    // The primary that answered is up and listening: it is asked again at once.
    if (answer == UnknownAnswer && !m_activationToken.isEmpty())
        answer = sendRequest(OpenFileRequest + path.toBase64(), connectTimeoutMs, answerTimeoutMs);
    if (answer == UnknownAnswer)
        return askPrimaryToComeForward(connectTimeoutMs, answerTimeoutMs);
    return answer == OkAnswer;
}

QByteArray SingleInstance::sendRequest(
    const QByteArray& request, int connectTimeoutMs, int answerTimeoutMs)
{
    const QDeadlineTimer deadline(connectTimeoutMs);
    QLocalSocket socket;

    // A primary that has just taken the lock may not be listening yet: try again until the time
    // is up.
    for (;;) {
        socket.connectToServer(serverName());
        if (socket.state() == QLocalSocket::ConnectingState)
            socket.waitForConnected(int(qMax<qint64>(0, deadline.remainingTime())));
        if (socket.state() == QLocalSocket::ConnectedState)
            break;
        socket.abort();
        if (deadline.hasExpired())
            return {};
        QThread::msleep(qMin<qint64>(ConnectRetryMs, qMax<qint64>(0, deadline.remainingTime())));
        if (deadline.hasExpired())
            return {};
    }

    socket.write(request + '\n');
    socket.flush();

    // The answer comes through the event loop, so that a primary in this very process (as in the
    // tests) can answer too.
    QByteArray reply;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        if (reply.contains('\n'))
            loop.quit();
    });
    connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
    // The connection is made: the primary is alive and will answer when it gets to it. Its
    // answer, or the connection closing, ends the wait; the bound only ends the wait for a copy
    // that is stuck.
    if (answerTimeoutMs > 0 && socket.state() == QLocalSocket::ConnectedState) {
        timer.start(answerTimeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    reply += socket.readAll();
    socket.abort();

    const qsizetype end = reply.indexOf('\n');
    return end >= 0 ? reply.left(end).trimmed() : QByteArray();
}

} // namespace korvanta
