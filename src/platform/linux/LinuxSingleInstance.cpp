#include "platform/linux/LinuxSingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Nothing a later start says is longer; more without a line end is noise.
constexpr qsizetype MaxMessageLength = 64;
// A connection that says nothing is dropped so it cannot pile up.
constexpr int IdleConnectionMs = 3000;
constexpr int RetryPauseMs = 50;
constexpr int MaxStepMs = 1000;
// Starts that arrive while the primary is busy wait in the system's queue.
constexpr int ListenBacklog = 64;
static_assert(LinuxSingleInstance::MaxUnservedStarts > ListenBacklog);
// Out of descriptors the listener rests this long, and the starts wait in the
// queue meanwhile.
constexpr int NoDescriptorsPauseMs = 200;

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

// False when the path does not fit a socket address; nothing can listen there.
bool socketAddress(const QByteArray& path, sockaddr_un* address)
{
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof(address->sun_path))
        return false;
    std::memcpy(address->sun_path, path.constData(), size_t(path.size()));
    return true;
}

QByteArray socketPathIn(const QByteArray& directory, const QString& name)
{
    return directory + '/' + QFile::encodeName(name) + ".socket";
}

// A blocking connect or send on the descriptor gives up after ms; zero
// would mean never, so it is at least one.
void setSendLimit(int fd, int ms)
{
    const timeval limit{ms / 1000, suseconds_t(ms > 0 ? (ms % 1000) * 1000 : 1000)};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

enum class HandOver { NotReached, Unanswered, Answered };

// The primary answers once its window is in front. A hang-up without the
// answer is a primary that is ending: it took the line but will show no window.
HandOver awaitAnswer(int fd, const QDeadlineTimer& deadline)
{
    const QByteArray expected(LinuxSingleInstance::ActivatedMessage);
    QByteArray answer;
    while (answer.size() < expected.size()) {
        pollfd readable{fd, POLLIN, 0};
        const int rc = ::poll(&readable, 1, stepMs(deadline));
        if (rc < 0 && errno != EINTR)
            return HandOver::Unanswered;
        if (rc <= 0) {
            if (deadline.hasExpired())
                return HandOver::Unanswered;
            continue;
        }
        char chunk[MaxMessageLength];
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0)
            return HandOver::Unanswered;
        answer.append(chunk, n);
    }
    return answer.startsWith(expected) ? HandOver::Answered : HandOver::Unanswered;
}

// One attempt to hand the activate line to a listening primary and hear it
// answer.
HandOver sendActivate(const QByteArray& path, const QDeadlineTimer& deadline)
{
    sockaddr_un address;
    if (!socketAddress(path, &address))
        return HandOver::NotReached;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return HandOver::NotReached;
    // A connect to a full queue waits for room, as long as the send limit allows.
    setSendLimit(fd, stepMs(deadline));
    int rc;
    do {
        rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return HandOver::NotReached;
    }
    const char* rest = LinuxSingleInstance::ActivateMessage;
    size_t left = sizeof(LinuxSingleInstance::ActivateMessage) - 1;
    while (left > 0) {
        setSendLimit(fd, stepMs(deadline));
        const ssize_t n = ::send(fd, rest, left, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        rest += n;
        left -= size_t(n);
    }
    const HandOver result = left == 0 ? awaitAnswer(fd, deadline) : HandOver::Unanswered;
    ::close(fd);
    return result;
}

} // namespace

LinuxSingleInstance::LinuxSingleInstance(QString name, QString directory, std::chrono::milliseconds handOverWindow)
    : m_name(std::move(name)), m_directory(directory.isEmpty() ? runtimeDirectory(m_name) : std::move(directory)),
      m_handOverWindow(handOverWindow)
{
}

LinuxSingleInstance::~LinuxSingleInstance()
{
    // The socket goes before the lock: once the lock is free a new primary may
    // listen at the same path, and our close must not unlink its socket.
    // Starts still waiting for an answer hear the hang-up and try for the
    // place themselves.
    stopListening();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString LinuxSingleInstance::defaultName()
{
    return QStringLiteral("vornix-support-%1").arg(::geteuid());
}

QString LinuxSingleInstance::runtimeDirectory(const QString& name)
{
    sockaddr_un address;
    auto fits = [&](const QByteArray& directory) { return socketAddress(socketPathIn(directory, name), &address); };

    const QByteArray xdg = qgetenv("XDG_RUNTIME_DIR");
    if (xdg.startsWith('/') && isPrivateDirectory(xdg, true) && fits(xdg))
        return QFile::decodeName(xdg);

    // The shared temp folder is where links get planted: the folder must be a
    // real one of ours, never followed through a link. A temp folder with a
    // long path gives way to /tmp itself, where a socket path always fits.
    const QByteArray own = "/vornix-support-" + QByteArray::number(::geteuid());
    QByteArray fallback = QFile::encodeName(QDir::tempPath()) + own;
    if (!fits(fallback))
        fallback = "/tmp" + own;
    if (!fits(fallback))
        return {};
    if (::mkdir(fallback.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateDirectory(fallback, false) ? QFile::decodeName(fallback) : QString();
}

QString LinuxSingleInstance::lockPath() const
{
    return m_directory.isEmpty() ? QString() : m_directory + QLatin1Char('/') + m_name + QLatin1String(".lock");
}

QString LinuxSingleInstance::socketPath() const
{
    return m_directory.isEmpty() ? QString() : QFile::decodeName(socketPathIn(QFile::encodeName(m_directory), m_name));
}

bool LinuxSingleInstance::isListening() const
{
    return m_listenFd >= 0;
}

bool LinuxSingleInstance::isAccepting() const
{
    return m_listener && m_listener->isEnabled();
}

LinuxSingleInstance::Lock LinuxSingleInstance::takeLock()
{
    if (m_lockFd >= 0)
        return Lock::Taken;
    // O_CLOEXEC: a browser or any other child started later must not inherit
    // the lock and keep holding it after the program has ended.
    const int fd = ::open(QFile::encodeName(lockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Lock::Unusable;
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const Lock result = errno == EWOULDBLOCK ? Lock::HeldByOther : Lock::Unusable;
        ::close(fd);
        return result;
    }
    // The lock file is never removed: unlinking it would let two starts lock
    // two different files of the same name.
    m_lockFd = fd;
    return Lock::Taken;
}

bool LinuxSingleInstance::becomePrimary()
{
    if (m_primary)
        return true;
    // Whenever the instances cannot be told apart safely, this start runs on
    // its own: a second window is a lesser harm than a tool that never opens.
    m_primary = true;
    if (m_directory.isEmpty())
        return true;
    switch (takeLock()) {
    case Lock::HeldByOther:
        m_primary = false;
        return false;
    case Lock::Unusable:
        return true;
    case Lock::Taken:
        break;
    }
    listen();
    if (!isListening()) {
        // Nobody could reach this window: holding the place would only keep
        // every later start waiting for an answer that never comes.
        ::close(m_lockFd);
        m_lockFd = -1;
    }
    return true;
}

void LinuxSingleInstance::listen()
{
    const QByteArray path = QFile::encodeName(socketPath());
    sockaddr_un address;
    if (!socketAddress(path, &address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    // Holding the lock means no live primary owns a socket here: whatever is
    // at the path was left by one that died.
    ::unlink(path.constData());
    // Linux gives the socket file the mode of the descriptor, so it is the
    // owner's alone from the moment it appears; the chmod makes sure of it.
    ::fchmod(fd, 0600);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return;
    }
    if (::chmod(path.constData(), 0600) != 0 || ::listen(fd, ListenBacklog) != 0) {
        ::unlink(path.constData());
        ::close(fd);
        return;
    }
    m_listenFd = fd;
    m_listener = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_listener.get(), &QSocketNotifier::activated, m_listener.get(), [this] { acceptConnections(); });
}

void LinuxSingleInstance::stopListening()
{
    if (m_listenFd < 0)
        return;
    // The notifiers of connections still being heard go with it, and close theirs.
    m_held.clear();
    m_listener.reset();
    ::unlink(QFile::encodeName(socketPath()).constData());
    ::close(m_listenFd);
    m_listenFd = -1;
}

void LinuxSingleInstance::acceptConnections()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0 && m_unserved >= MaxUnservedStarts)
            ::close(fd);
        else if (fd >= 0)
            serve(fd);
        else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            restUntilDescriptorsAreFree();
            return;
        } else if (errno != EINTR && errno != ECONNABORTED) {
            return; // EAGAIN: every waiting start has been taken
        }
    }
}

// The start that could not be taken is still waiting, so the listener stays
// readable: woken for it again at once, it would fail again as fast as the
// processor allows.
void LinuxSingleInstance::restUntilDescriptorsAreFree()
{
    m_listener->setEnabled(false);
    QSocketNotifier* listener = m_listener.get();
    QTimer::singleShot(NoDescriptorsPauseMs, listener, [listener] { listener->setEnabled(true); });
}

void LinuxSingleInstance::serve(int fd)
{
    auto* readable = new QSocketNotifier(fd, QSocketNotifier::Read, m_listener.get());
    ++m_unserved;
    QObject::connect(readable, &QObject::destroyed, [this, fd] {
        ::close(fd);
        --m_unserved;
    });
    auto buffer = std::make_shared<QByteArray>();
    auto done = std::make_shared<bool>(false);

    // A later start writes its line and may be gone before we read it, so the
    // line counts whether it ends with a line end or with the connection.
    auto take = [this, fd, readable, buffer, done](bool atEnd) {
        if (*done)
            return;
        char chunk[MaxMessageLength];
        while (!atEnd && buffer->size() < MaxMessageLength) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n > 0)
                buffer->append(chunk, n);
            else if (n < 0 && errno == EINTR)
                continue;
            else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            else
                atEnd = true; // the start hung up, or the connection broke
        }
        const qsizetype eol = buffer->indexOf('\n');
        if (eol < 0 && !atEnd && buffer->size() < MaxMessageLength)
            return;
        const QByteArray line = eol < 0 ? *buffer : buffer->left(eol);
        *done = true;
        readable->setEnabled(false);
        if (line != QByteArray(ActivateMessage).chopped(1)) {
            // The start learns at once that it has been heard; the descriptor
            // itself closes with its notifier.
            ::shutdown(fd, SHUT_RDWR);
            readable->deleteLater();
            return;
        }
        m_held.emplace_back(fd, readable);
        answerHeldStarts();
    };

    QObject::connect(readable, &QSocketNotifier::activated, readable, [take] { take(false); });
    QTimer::singleShot(IdleConnectionMs, readable, [take] { take(true); });
    // What arrived before the notifier existed is not announced again.
    take(false);
}

// Each start is answered after the window came forward for it, so that a
// start told "activated" never finds itself without a window.
void LinuxSingleInstance::answerHeldStarts()
{
    while (m_handler && !m_held.empty()) {
        const auto [fd, readable] = m_held.front();
        m_held.erase(m_held.begin());
        m_handler();
        ::send(fd, ActivatedMessage, sizeof(ActivatedMessage) - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        ::shutdown(fd, SHUT_RDWR);
        readable->deleteLater();
    }
}

bool LinuxSingleInstance::activatePrimary()
{
    if (m_primary || m_directory.isEmpty())
        return false;
    if (!m_handOverDeadline)
        m_handOverDeadline = QDeadlineTimer(m_handOverWindow);
    const QDeadlineTimer deadline = *m_handOverDeadline;
    const QByteArray path = QFile::encodeName(socketPath());
    for (;;) {
        switch (sendActivate(path, deadline)) {
        case HandOver::Answered:
            return true;
        case HandOver::Unanswered:
            return false;
        case HandOver::NotReached:
            break;
        }
        // Refused or missing: the primary is still coming up, or it has ended
        // and freed the place, which this start then takes.
        if (takeLock() == Lock::Taken || deadline.hasExpired())
            return false;
        QThread::msleep(ulong(std::min<qint64>(RetryPauseMs, deadline.remainingTime())));
    }
}

void LinuxSingleInstance::setActivationHandler(std::function<void()> handler)
{
    m_handler = std::move(handler);
    // Starts that came while no window was there to show are answered from
    // the event loop, once the window has been set up.
    if (m_handler && !m_held.empty())
        QMetaObject::invokeMethod(m_listener.get(), [this] { answerHeldStarts(); }, Qt::QueuedConnection);
}
