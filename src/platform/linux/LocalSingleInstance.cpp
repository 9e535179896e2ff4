#include "platform/linux/LocalSingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Nothing a later start says is longer; more without a line end is noise.
constexpr qsizetype MaxMessageLength = 64;
// A connection that says nothing is dropped so it cannot pile up.
constexpr int IdleConnectionMs = 3000;
constexpr int RetryPauseMs = 50;
constexpr int MaxStepMs = 1000;

// A folder another user could reach would let them plant the socket or the
// lock and either take over or block every start.
bool isPrivateDirectory(const QByteArray& path, bool followLinks)
{
    struct stat st {};
    const int rc = followLinks ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st);
    return rc == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

int stepMs(const QDeadlineTimer& deadline)
{
    return int(std::clamp<qint64>(deadline.remainingTime(), 0, MaxStepMs));
}

} // namespace

LocalSingleInstance::LocalSingleInstance(QString name, QString directory, std::chrono::milliseconds handOverWindow)
    : m_name(std::move(name)), m_directory(directory.isEmpty() ? runtimeDirectory() : std::move(directory)),
      m_handOverWindow(handOverWindow)
{
}

LocalSingleInstance::~LocalSingleInstance()
{
    // The socket goes before the lock: once the lock is free a new primary may
    // listen at the same path, and our close must not unlink its socket.
    if (m_server)
        m_server->close();
    m_server.reset();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString LocalSingleInstance::defaultName()
{
    return QStringLiteral("vornix-support-%1").arg(::geteuid());
}

QString LocalSingleInstance::runtimeDirectory()
{
    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (xdg.startsWith('/') && isPrivateDirectory(xdg, true))
        return QFile::decodeName(xdg);

    // The shared temp folder is where links get planted: the folder must be a
    // real one of ours, never followed through a link.
    const QByteArray fallback =
        QFile::encodeName(QDir::tempPath()) + "/vornix-support-" + QByteArray::number(::geteuid());
    if (::mkdir(fallback.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateDirectory(fallback, false) ? QFile::decodeName(fallback) : QString();
}

QString LocalSingleInstance::lockPath() const
{
    return m_directory.isEmpty() ? QString() : m_directory + QLatin1Char('/') + m_name + QLatin1String(".lock");
}

QString LocalSingleInstance::socketPath() const
{
    return m_directory.isEmpty() ? QString() : m_directory + QLatin1Char('/') + m_name + QLatin1String(".socket");
}

bool LocalSingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

bool LocalSingleInstance::becomePrimary()
{
    if (m_primary)
        return true;
    // Whenever the instances cannot be told apart safely, this start runs on
    // its own: a second window is a lesser harm than a tool that never opens.
    m_primary = true;
    if (m_directory.isEmpty())
        return true;

    // O_CLOEXEC: a browser or any other child started later must not inherit
    // the lock and keep holding it after the program has ended.
    const int fd = ::open(QFile::encodeName(lockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool heldByOther = errno == EWOULDBLOCK;
        ::close(fd);
        if (heldByOther)
            m_primary = false;
        return m_primary;
    }
    // The lock file is never removed: unlinking it would let two starts lock
    // two different files of the same name.
    m_lockFd = fd;
    listen();
    return true;
}

void LocalSingleInstance::listen()
{
    // Holding the lock means no live primary owns a socket here: whatever is
    // at the path was left by one that died.
    const QString path = socketPath();
    QLocalServer::removeServer(path);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setListenBacklogSize(64);
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] { acceptConnections(); });
    if (!m_server->listen(path))
        m_server.reset();
}

void LocalSingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection())
        serve(socket);
}

void LocalSingleInstance::serve(QLocalSocket* socket)
{
    auto buffer = std::make_shared<QByteArray>();
    auto done = std::make_shared<bool>(false);

    // A later start writes its line and may be gone before we read it, so the
    // line counts whether it ends with a line end or with the connection.
    auto take = [this, socket, buffer, done](bool atEnd) {
        if (*done)
            return;
        buffer->append(socket->readAll());
        const qsizetype eol = buffer->indexOf('\n');
        if (eol < 0 && !atEnd && buffer->size() < MaxMessageLength)
            return;
        const QByteArray line = eol < 0 ? *buffer : buffer->left(eol);
        *done = true;
        socket->abort();
        socket->deleteLater();
        if (line == QByteArray(ActivateMessage).chopped(1) && m_handler)
            m_handler();
    };

    QObject::connect(socket, &QLocalSocket::readyRead, socket, [take] { take(false); });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, [take] { take(true); });
    QTimer::singleShot(IdleConnectionMs, socket, [take] { take(true); });
    if (socket->state() != QLocalSocket::ConnectedState)
        take(true);
    else if (socket->bytesAvailable() > 0)
        take(false);
}

void LocalSingleInstance::activatePrimary()
{
    if (m_primary || m_directory.isEmpty())
        return;
    const QDeadlineTimer deadline(m_handOverWindow);
    const QString path = socketPath();
    for (;;) {
        // Refused or missing: the primary is still coming up, or a new one is
        // replacing a socket left by one that died. Try again until the window closes.
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(stepMs(deadline))) {
            socket.write(ActivateMessage, qint64(sizeof(ActivateMessage) - 1));
            while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(stepMs(deadline))) {
            }
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState)
                socket.waitForDisconnected(stepMs(deadline));
            return;
        }
        socket.abort();
        if (deadline.hasExpired())
            return;
        QThread::msleep(ulong(std::min<qint64>(RetryPauseMs, deadline.remainingTime())));
    }
}

void LocalSingleInstance::setActivationHandler(std::function<void()> handler)
{
    m_handler = std::move(handler);
}
