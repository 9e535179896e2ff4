#include "platform/linux/LinuxSingleInstance.h"

#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

mode_t modeOf(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode;
}

// A later start waits for the primary's answer, and the primary answers from
// this thread's event loop: the later start runs on a thread of its own.
bool handOver(const QString& name, const QString& directory, std::chrono::milliseconds window = 5s)
{
    auto answered = std::async(std::launch::async, [=] {
        LinuxSingleInstance later(name, directory, window);
        return !later.becomePrimary() && !later.isListening() && later.activatePrimary();
    });
    // Not ready by then: get() waits out the later start's own window.
    (void)QTest::qWaitFor([&] { return answered.wait_for(0s) == std::future_status::ready; }, 60000);
    return answered.get();
}

// A later start's end of the line, as its process would open it: connected
// (once the queue has room, which the primary makes from its event loop)
// and the line sent. -1 when it cannot connect at all.
int sendLine(const QString& socketPath, const QByteArray& line)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(socketPath).constData(), sizeof address.sun_path);
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            (void)!::write(fd, line.constData(), size_t(line.size()));
            return fd;
        }
        ::close(fd);
        if (errno != EAGAIN)
            return -1;
        QTest::qWait(1);
    }
}

// What the primary said, once it has hung up; nothing while the line is open.
std::optional<QByteArray> saidBeforeHangingUp(int fd)
{
    pollfd line{fd, POLLRDHUP, 0};
    if (::poll(&line, 1, 0) != 1)
        return std::nullopt;
    char said[64];
    const ssize_t n = ::recv(fd, said, sizeof said, MSG_PEEK | MSG_DONTWAIT);
    return QByteArray(said, qsizetype(std::max<ssize_t>(n, 0)));
}

// Plays a program: becomePrimary() gives the next of places (false once
// they run out), activatePrimary() the next of answers.
class ScriptedInstance : public SingleInstance
{
public:
    QList<bool> places, answers;
    int handOvers = 0;
    bool becomePrimary() override { return !places.isEmpty() && places.takeFirst(); }
    bool activatePrimary() override
    {
        ++handOvers;
        return !answers.isEmpty() && answers.takeFirst();
    }
    void setActivationHandler(std::function<void()>) override {}
};

} // namespace

class tst_SingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // In one process: the lock and the socket.
    void laterStartHandsOver();
    void messages_data();
    void messages();
    void lockAndSocketAreOwnerOnly();
    void primaryReleasesOnDestruction();
    void lockNotInheritedByChildren();
    void handOverWaitsForPrimaryComingUp();
    void handOverIsBounded();
    void answerWaitsForTheWindow();
    void handOverRounds_data();
    void handOverRounds();
    void socketThatCannotBeMadeFreesThePlace();
    void listenerRestsWhileDescriptorsRunOut();
    void startsBeyondTheCapAreClosedAtOnce();
    void runtimeDirectory_data();
    void runtimeDirectory();

    // Real processes.
    void twoProcesses();
    void killedPrimaryLeavesNoObstacle();
    void startStorm();
    void overLongRuntimeFolder();
    void startWhilePrimaryEnds();

private:
    QProcess* startProbe(const QStringList& extra = {});
    QByteArray& output(QProcess* probe);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_name;
    // Where probes keep their lock and socket; empty: the runtime folder.
    QString m_probeDirectory;
    std::vector<std::unique_ptr<QProcess>> m_probes;
    std::map<QProcess*, QByteArray> m_output;
    QByteArray m_savedXdg, m_savedTmp;
    bool m_hadXdg = false, m_hadTmp = false;
};

void tst_SingleInstance::initTestCase()
{
    QVERIFY2(QFileInfo(QStringLiteral(VX_INSTANCE_PROBE)).isExecutable(), VX_INSTANCE_PROBE);
    m_hadXdg = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    m_savedXdg = qgetenv("XDG_RUNTIME_DIR");
    m_hadTmp = qEnvironmentVariableIsSet("TMPDIR");
    m_savedTmp = qgetenv("TMPDIR");
}

void tst_SingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_name = QStringLiteral("probe-%1").arg(QCoreApplication::applicationPid());
    m_probeDirectory = m_dir->path();
}

void tst_SingleInstance::cleanup()
{
    // Whatever a failed test left running goes, by its own PID.
    for (auto& probe : m_probes) {
        if (probe->state() != QProcess::NotRunning) {
            probe->kill();
            probe->waitForFinished(3000);
        }
    }
    m_probes.clear();
    m_output.clear();
    if (m_hadXdg)
        qputenv("XDG_RUNTIME_DIR", m_savedXdg);
    else
        qunsetenv("XDG_RUNTIME_DIR");
    if (m_hadTmp)
        qputenv("TMPDIR", m_savedTmp);
    else
        qunsetenv("TMPDIR");
    m_dir.reset();
}

QProcess* tst_SingleInstance::startProbe(const QStringList& extra)
{
    auto probe = std::make_unique<QProcess>();
    probe->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe->start(QStringLiteral(VX_INSTANCE_PROBE), QStringList{m_probeDirectory, m_name} + extra);
    m_probes.push_back(std::move(probe));
    return m_probes.back().get();
}

QByteArray& tst_SingleInstance::output(QProcess* probe)
{
    QByteArray& out = m_output[probe];
    out += probe->readAllStandardOutput();
    return out;
}

void tst_SingleInstance::laterStartHandsOver()
{
    LinuxSingleInstance first(m_name, m_dir->path());
    QList<QThread*> threads;
    first.setActivationHandler([&] { threads.append(QThread::currentThread()); });
    QVERIFY(first.becomePrimary());
    QVERIFY(first.isListening());
    QVERIFY2(first.becomePrimary(), "asking again must not lose the place");

    // The answer comes once the window is in front, never before.
    for (int start = 1; start <= 3; ++start) {
        QVERIFY(handOver(m_name, m_dir->path()));
        QCOMPARE(threads.size(), start);
    }
    QTest::qWait(100);
    QCOMPARE(threads.size(), 3);
    for (QThread* thread : threads)
        QCOMPARE(thread, QCoreApplication::instance()->thread());
}

void tst_SingleInstance::messages_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("hangUp");
    QTest::addColumn<int>("activations");

    QTest::newRow("line") << QByteArray("activate\n") << false << 1;
    QTest::newRow("line, then gone") << QByteArray("activate\n") << true << 1;
    QTest::newRow("no line end, then gone") << QByteArray("activate") << true << 1;
    QTest::newRow("twice on one connection") << QByteArray("activate\nactivate\n") << false << 1;
    QTest::newRow("upper case") << QByteArray("ACTIVATE\n") << false << 0;
    QTest::newRow("carriage return") << QByteArray("activate\r\n") << false << 0;
    QTest::newRow("leading blank") << QByteArray(" activate\n") << false << 0;
    QTest::newRow("other word") << QByteArray("hello\n") << true << 0;
    QTest::newRow("nothing, then gone") << QByteArray() << true << 0;
    QTest::newRow("endless line") << QByteArray(200, 'a') << false << 0;
    QTest::newRow("half a word, silent") << QByteArray("activ") << false << 0;
}

void tst_SingleInstance::messages()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, hangUp);
    QFETCH(int, activations);

    LinuxSingleInstance primary(m_name, m_dir->path());
    int count = 0;
    primary.setActivationHandler([&] { ++count; });
    QVERIFY(primary.becomePrimary());

    QLocalSocket client;
    client.connectToServer(primary.socketPath());
    QVERIFY(client.waitForConnected(2000));
    client.write(payload);
    QVERIFY(payload.isEmpty() || client.waitForBytesWritten(2000));
    QByteArray answer;
    if (hangUp) {
        client.disconnectFromServer();
    } else { // the primary ends every connection once it has made up its mind, a silent one included
        QTRY_VERIFY_WITH_TIMEOUT((answer += client.readAll(), client.state() == QLocalSocket::UnconnectedState), 6000);
        answer += client.readAll();
        // Only what brought the window forward is answered.
        QCOMPARE(answer, activations ? QByteArray("activated\n") : QByteArray());
    }
    QTest::qWait(200);
    QCOMPARE(count, activations);

    // Whatever came before, the next start is still heard, exactly once.
    QVERIFY(handOver(m_name, m_dir->path()));
    QCOMPARE(count, activations + 1);
    QTest::qWait(100);
    QCOMPARE(count, activations + 1);
}

void tst_SingleInstance::lockAndSocketAreOwnerOnly()
{
    LinuxSingleInstance primary(m_name, m_dir->path());
    QVERIFY(primary.becomePrimary());
    const mode_t lock = modeOf(primary.lockPath());
    const mode_t socket = modeOf(primary.socketPath());
    QVERIFY2(S_ISREG(lock), qPrintable(primary.lockPath()));
    QVERIFY2(S_ISSOCK(socket), qPrintable(primary.socketPath()));
    QCOMPARE(lock & 077, mode_t(0));
    QCOMPARE(socket & 077, mode_t(0));
}

void tst_SingleInstance::primaryReleasesOnDestruction()
{
    QString socketPath;
    {
        LinuxSingleInstance first(m_name, m_dir->path());
        QVERIFY(first.becomePrimary());
        socketPath = first.socketPath();
        QVERIFY(QFileInfo::exists(socketPath));
    }
    QVERIFY(!QFileInfo::exists(socketPath));
    LinuxSingleInstance next(m_name, m_dir->path());
    QVERIFY(next.becomePrimary());
    QVERIFY(next.isListening());
}

void tst_SingleInstance::lockNotInheritedByChildren()
{
    // A child started while the program runs (a browser, say) outlives it; it
    // must not keep the place taken.
    qint64 childPid = 0;
    {
        LinuxSingleInstance first(m_name, m_dir->path());
        QVERIFY(first.becomePrimary());
        QVERIFY(QProcess::startDetached(QStringLiteral("/bin/sleep"), {QStringLiteral("30")}, {}, &childPid));
        QVERIFY(childPid > 0);
    }
    LinuxSingleInstance next(m_name, m_dir->path());
    const bool primary = next.becomePrimary();
    ::kill(pid_t(childPid), SIGKILL);
    QVERIFY(primary);
}

void tst_SingleInstance::handOverWaitsForPrimaryComingUp()
{
    // The lock is taken but nobody listens yet, as in the moment between a
    // primary's lock and its listen.
    LinuxSingleInstance primary(m_name, m_dir->path());
    QVERIFY(primary.becomePrimary());
    const QString path = primary.socketPath();
    QVERIFY(QFile::remove(path));

    std::atomic<bool> returned{false};
    bool laterWasPrimary = true;
    bool answered = false;
    std::thread later([&] {
        LinuxSingleInstance instance(m_name, m_dir->path(), 5s);
        laterWasPrimary = instance.becomePrimary();
        answered = instance.activatePrimary();
        returned = true;
    });
    QTest::qWait(600);
    const bool returnedEarly = returned;

    QLocalServer late;
    const bool listening = late.listen(path);
    QTRY_VERIFY_WITH_TIMEOUT(late.hasPendingConnections() || returned, 6000);
    QLocalSocket* socket = late.nextPendingConnection();
    QByteArray received;
    QTRY_VERIFY(!socket || (received += socket->readAll()).contains('\n') ||
                socket->state() == QLocalSocket::UnconnectedState);
    if (socket) {
        received += socket->readAll();
        socket->write(LinuxSingleInstance::ActivatedMessage);
        socket->flush();
    }
    QTRY_VERIFY_WITH_TIMEOUT(returned, 6000);
    later.join();
    QVERIFY(!returnedEarly);
    QVERIFY(listening);
    QVERIFY(!laterWasPrimary);
    QCOMPARE(received, QByteArray("activate\n"));
    QVERIFY(answered);
}

void tst_SingleInstance::handOverIsBounded()
{
    auto primary = std::make_unique<LinuxSingleInstance>(m_name, m_dir->path());
    int count = 0;
    primary->setActivationHandler([&] { ++count; });
    QVERIFY(primary->becomePrimary());

    // A primary that is busy (its event loop does not run for a while) finds
    // the message in the system's queue and answers when it gets to it.
    {
        auto answered = std::async(std::launch::async, [&] {
            LinuxSingleInstance later(m_name, m_dir->path(), 60s);
            return !later.becomePrimary() && later.activatePrimary();
        });
        QThread::msleep(300);
        QTRY_VERIFY_WITH_TIMEOUT(answered.wait_for(0s) == std::future_status::ready, 30000);
        QVERIFY(answered.get());
        QCOMPARE(count, 1);
    }

    // A primary that stopped listening altogether: give up once the window closes.
    QVERIFY(QFile::remove(primary->socketPath()));
    {
        LinuxSingleInstance later(m_name, m_dir->path(), 800ms);
        QVERIFY(!later.becomePrimary());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!later.activatePrimary());
        QVERIFY2(clock.elapsed() < 30000, QByteArray::number(clock.elapsed()));
    }
    QTest::qWait(100);
    QCOMPARE(count, 1);

    // The primary has ended and freed the place: a start knocking at its
    // door takes the place instead of waiting out its window.
    primary.reset();
    LinuxSingleInstance later(m_name, m_dir->path(), 60s);
    QVERIFY(!later.activatePrimary());
    QVERIFY(later.becomePrimary());
    QVERIFY(later.isListening());
    LinuxSingleInstance replacement(m_name, m_dir->path());
    QVERIFY(!replacement.becomePrimary());
}

void tst_SingleInstance::answerWaitsForTheWindow()
{
    auto primary = std::make_unique<LinuxSingleInstance>(m_name, m_dir->path());
    QVERIFY(primary->becomePrimary());
    auto ready = [](const auto& start) { return start.wait_for(0s) == std::future_status::ready; };

    // Heard while the window is still being made: answered once it is there.
    auto early = std::async(std::launch::async, [this] {
        LinuxSingleInstance later(m_name, m_dir->path(), 60s);
        return !later.becomePrimary() && later.activatePrimary();
    });
    QTest::qWait(300);
    QVERIFY(!ready(early));
    int count = 0;
    primary->setActivationHandler([&] { ++count; });
    QTRY_VERIFY_WITH_TIMEOUT(ready(early), 30000);
    QVERIFY(early.get());
    QCOMPARE(count, 1);

    // Heard while the program ends, its window gone: never answered, so the
    // start takes the place once it is free and listens itself.
    // A QThread: the start listens there once it has the place.
    primary->setActivationHandler({});
    bool lateListened = false;
    std::unique_ptr<QThread> late(QThread::create([&] {
        LinuxSingleInstance later(m_name, m_dir->path(), 60s);
        lateListened = later.becomePrimaryOrHandOver() && later.isListening();
    }));
    late->start();
    QTest::qWait(300);
    QVERIFY(!late->isFinished());
    primary.reset();
    QVERIFY(late->wait(30000));
    QVERIFY(lateListened);
    QCOMPARE(count, 1);
}

void tst_SingleInstance::handOverRounds_data()
{
    // places: what each try for the place finds; answers: whether each
    // hand-over was answered. opensWindow: the start's part in the end.
    QTest::addColumn<QList<bool>>("places");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("opensWindow");
    QTest::addColumn<int>("handOvers");

    QTest::newRow("first") << QList<bool>{true} << QList<bool>{} << true << 0;
    QTest::newRow("answered") << QList<bool>{false} << QList<bool>{true} << false << 1;
    QTest::newRow("primary ended unanswered") << QList<bool>{false, true} << QList<bool>{false} << true << 1;
    QTest::newRow("answered at the second try")
        << QList<bool>{false, false} << QList<bool>{false, true} << false << 2;
    // A primary that takes messages and never answers: a window of its own
    // rather than a start that tries forever.
    QTest::newRow("never answered") << QList<bool>{} << QList<bool>{} << true << 3;
}

void tst_SingleInstance::handOverRounds()
{
    QFETCH(QList<bool>, places);
    QFETCH(QList<bool>, answers);
    QFETCH(bool, opensWindow);
    QFETCH(int, handOvers);

    ScriptedInstance start;
    start.places = places;
    start.answers = answers;
    QCOMPARE(start.becomePrimaryOrHandOver(), opensWindow);
    QCOMPARE(start.handOvers, handOvers);
}

void tst_SingleInstance::socketThatCannotBeMadeFreesThePlace()
{
    // A folder too deep for a socket address: nobody could hand over to the
    // first start, so it must not keep the next one waiting for an answer.
    const QString deep = m_dir->path() + QLatin1Char('/') + QString(120, QLatin1Char('d'));
    QVERIFY(QDir().mkpath(deep));
    LinuxSingleInstance first(m_name, deep), second(m_name, deep);
    QVERIFY(first.becomePrimary());
    QVERIFY(!first.isListening());
    QVERIFY(second.becomePrimary());
}

// Out of descriptors, a waiting start cannot be taken and the listener stays
// readable: it rests instead of being woken for it again and again (2 s of
// processor time in 2 s), and hears the start once descriptors are free.
void tst_SingleInstance::listenerRestsWhileDescriptorsRunOut()
{
    LinuxSingleInstance primary(m_name, m_dir->path());
    int activations = 0;
    primary.setActivationHandler([&] { ++activations; });
    QVERIFY(primary.becomePrimary());
    const int start = sendLine(primary.socketPath(), "activate\n");
    QVERIFY(start >= 0);
    const auto closeStart = qScopeGuard([start] { ::close(start); });
    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    rlimit none = saved;
    none.rlim_cur = rlim_t(lowestFree);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &none), 0);
    const bool rested = QTest::qWaitFor([&] { return !primary.isAccepting(); });
    ::setrlimit(RLIMIT_NOFILE, &saved);
    QVERIFY2(rested, "the listener kept being woken for a start it cannot take");
    QTRY_COMPARE(activations, 1);
    QTRY_COMPARE(saidBeforeHangingUp(start), std::optional<QByteArray>("activated\n"));
    QVERIFY(primary.isAccepting());
}

// Starts wait unanswered while no window can come forward; a process opening
// connections by the thousand must not take every descriptor so. Beyond the
// cap a connection is closed at once; those within are answered once the
// window is there.
void tst_SingleInstance::startsBeyondTheCapAreClosedAtOnce()
{
    LinuxSingleInstance primary(m_name, m_dir->path());
    QVERIFY(primary.becomePrimary());
    std::vector<int> starts;
    const auto closeStarts = qScopeGuard([&] {
        for (int fd : starts)
            ::close(fd);
    });
    for (int i = 0; i <= LinuxSingleInstance::MaxUnservedStarts; ++i) {
        starts.push_back(sendLine(primary.socketPath(), "activate\n"));
        QVERIFY(starts.back() >= 0);
    }
    QTRY_COMPARE(saidBeforeHangingUp(starts.back()), std::optional<QByteArray>(QByteArray()));
    int activations = 0;
    primary.setActivationHandler([&] { ++activations; });
    QTRY_COMPARE(activations, LinuxSingleInstance::MaxUnservedStarts);
    for (int i = 0; i < LinuxSingleInstance::MaxUnservedStarts; ++i)
        QTRY_COMPARE(saidBeforeHangingUp(starts[i]), std::optional<QByteArray>("activated\n"));
}

void tst_SingleInstance::runtimeDirectory_data()
{
    // xdg: what XDG_RUNTIME_DIR holds ("-" unset); fallback: what already sits
    // at <TMPDIR>/vornix-support-<uid>; expected: "xdg", "fallback" or "" (none).
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("fallback");
    QTest::addColumn<QString>("expected");

    QTest::newRow("private runtime folder") << "private" << "nothing" << "xdg";
    QTest::newRow("unset") << "-" << "nothing" << "fallback";
    QTest::newRow("relative path") << "relative" << "nothing" << "fallback";
    QTest::newRow("missing folder") << "missing" << "nothing" << "fallback";
    QTest::newRow("open to the group") << "group" << "nothing" << "fallback";
    QTest::newRow("a file") << "file" << "nothing" << "fallback";
    QTest::newRow("too deep for a socket") << "deep" << "nothing" << "fallback";
    QTest::newRow("fallback already there") << "-" << "private" << "fallback";
    QTest::newRow("fallback is a link") << "-" << "link" << "";
    QTest::newRow("fallback open to all") << "-" << "open" << "";
    QTest::newRow("fallback is a file") << "-" << "file" << "";
    QTest::newRow("fallback of another user") << "-" << "foreign" << "";
}

void tst_SingleInstance::runtimeDirectory()
{
    QFETCH(QString, xdg);
    QFETCH(QString, fallback);
    QFETCH(QString, expected);

    const QString base = m_dir->path();
    const QString xdgPath = base + (xdg == "deep" ? "/" + QString(120, 'x') : "/xdg");
    QVERIFY(QDir().mkpath(base + "/tmp"));
    const QString fallbackPath = base + "/tmp/vornix-support-" + QString::number(::geteuid());
    auto makeDir = [](const QString& path, mode_t mode) {
        return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 &&
               ::chmod(QFile::encodeName(path).constData(), mode) == 0;
    };
    auto makeFile = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    };

    if (xdg == "-")
        qunsetenv("XDG_RUNTIME_DIR");
    else if (xdg == "relative")
        qputenv("XDG_RUNTIME_DIR", "xdg");
    else
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(xdgPath));
    if (xdg == "private" || xdg == "relative" || xdg == "deep")
        QVERIFY(makeDir(xdgPath, 0700));
    else if (xdg == "group")
        QVERIFY(makeDir(xdgPath, 0770));
    else if (xdg == "file")
        QVERIFY(makeFile(xdgPath));
    qputenv("TMPDIR", QFile::encodeName(base + "/tmp"));

    if (fallback == "private") {
        QVERIFY(makeDir(fallbackPath, 0700));
    } else if (fallback == "link") {
        QVERIFY(makeDir(base + "/elsewhere", 0700));
        QVERIFY(QFile::link(base + "/elsewhere", fallbackPath));
    } else if (fallback == "open") {
        QVERIFY(makeDir(fallbackPath, 0777));
    } else if (fallback == "file") {
        QVERIFY(makeFile(fallbackPath));
    } else if (fallback == "foreign") {
        if (::geteuid() != 0)
            QSKIP("needs root to hand a folder to another user");
        QVERIFY(makeDir(fallbackPath, 0700));
        QCOMPARE(::chown(QFile::encodeName(fallbackPath).constData(), 65534, 65534), 0);
    }

    const QString found = LinuxSingleInstance::runtimeDirectory();
    if (expected == "xdg") {
        QCOMPARE(found, xdgPath);
    } else if (expected == "fallback") {
        QCOMPARE(found, fallbackPath);
        QVERIFY(S_ISDIR(modeOf(fallbackPath)));
        QCOMPARE(modeOf(fallbackPath) & 0777, mode_t(0700));
    } else {
        QCOMPARE(found, QString());
        // Without a safe place every start runs on its own rather than not at all.
        LinuxSingleInstance one(m_name), two(m_name);
        QVERIFY(one.becomePrimary());
        QVERIFY(two.becomePrimary());
        QVERIFY(!one.isListening());
    }
}

void tst_SingleInstance::twoProcesses()
{
    QProcess* first = startProbe();
    QTRY_VERIFY_WITH_TIMEOUT(output(first).contains("primary\n"), 10000);

    QElapsedTimer clock;
    clock.start();
    QProcess* second = startProbe();
    QVERIFY(second->waitForFinished(5000));
    QVERIFY2(clock.elapsed() < 5000, QByteArray::number(clock.elapsed()));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(output(second), QByteArray("handed over\n"));

    QTRY_VERIFY(output(first).contains("activated 1\n"));
    QTest::qWait(300);
    QCOMPARE(output(first), QByteArray("primary\nactivated 1\n"));

    first->write("quit\n");
    QVERIFY(first->waitForFinished(5000));
    QCOMPARE(first->exitStatus(), QProcess::NormalExit);
    QCOMPARE(first->exitCode(), 0);
}

void tst_SingleInstance::killedPrimaryLeavesNoObstacle()
{
    const LinuxSingleInstance paths(m_name, m_dir->path());
    QProcess* killed = startProbe();
    QTRY_VERIFY_WITH_TIMEOUT(output(killed).contains("primary\n"), 10000);
    killed->kill();
    QVERIFY(killed->waitForFinished(3000));
    // Both files outlive a SIGKILL; they must not hold up the next start.
    QVERIFY(QFileInfo::exists(paths.lockPath()));
    QVERIFY(S_ISSOCK(modeOf(paths.socketPath())));

    QProcess* next = startProbe();
    QTRY_VERIFY_WITH_TIMEOUT(output(next).contains("primary\n"), 5000);

    QProcess* later = startProbe();
    QVERIFY(later->waitForFinished(5000));
    QCOMPARE(later->exitCode(), 0);
    QCOMPARE(output(later), QByteArray("handed over\n"));
    QTRY_COMPARE(output(next), QByteArray("primary\nactivated 1\n"));
    next->write("quit\n");
    QVERIFY(next->waitForFinished(5000));
    QCOMPARE(next->exitCode(), 0);
}

void tst_SingleInstance::startStorm()
{
    constexpr int Starts = 50;
    std::vector<QProcess*> probes;
    for (int i = 0; i < Starts; ++i)
        probes.push_back(startProbe({QStringLiteral("--wait-go")}));
    for (QProcess* probe : probes)
        QTRY_VERIFY_WITH_TIMEOUT(output(probe).startsWith("ready\n"), 30000);
    // All at once: every probe is loaded and waiting for this one line.
    for (QProcess* probe : probes)
        probe->write("go\n");

    QProcess* primary = nullptr;
    int primaries = 0;
    QTRY_VERIFY_WITH_TIMEOUT(std::count_if(probes.begin(), probes.end(),
                                           [](QProcess* p) { return p->state() == QProcess::NotRunning; }) ==
                                 Starts - 1,
                             20000);
    for (QProcess* probe : probes) {
        if (probe->state() == QProcess::NotRunning) {
            QCOMPARE(probe->exitStatus(), QProcess::NormalExit);
            QCOMPARE(probe->exitCode(), 0);
            QCOMPARE(output(probe), QByteArray("ready\nhanded over\n"));
        } else {
            primary = probe;
        }
        if (output(probe).contains("primary\n"))
            ++primaries;
    }
    QCOMPARE(primaries, 1);
    QVERIFY(primary);

    // Every later start was heard, once.
    const QByteArray last = "activated " + QByteArray::number(Starts - 1) + "\n";
    QTRY_VERIFY_WITH_TIMEOUT(output(primary).endsWith(last), 5000);
    QTest::qWait(300);
    QVERIFY(output(primary).endsWith(last));
    QCOMPARE(output(primary).count("activated"), Starts - 1);

    primary->write("quit\n");
    QVERIFY(primary->waitForFinished(5000));
    QCOMPARE(primary->exitCode(), 0);
    for (QProcess* probe : probes)
        QCOMPARE(probe->state(), QProcess::NotRunning);
}

void tst_SingleInstance::overLongRuntimeFolder()
{
    // The socket cannot live in a runtime folder this deep; both starts must
    // meet in the same short folder instead.
    const QString deep = m_dir->path() + QLatin1Char('/') + QString(120, QLatin1Char('r'));
    QVERIFY(QDir().mkpath(deep));
    QVERIFY(QFile::setPermissions(deep, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QDir().mkpath(m_dir->path() + "/tmp"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(deep));
    qputenv("TMPDIR", QFile::encodeName(m_dir->path() + "/tmp"));
    m_probeDirectory.clear();

    QProcess* first = startProbe();
    QTRY_VERIFY_WITH_TIMEOUT(output(first).contains("primary\n"), 10000);
    QProcess* second = startProbe();
    QVERIFY(second->waitForFinished(20000));
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(output(second), QByteArray("handed over\n"));
    QTRY_COMPARE(output(first), QByteArray("primary\nactivated 1\n"));
    first->write("quit\n");
    QVERIFY(first->waitForFinished(5000));
    QCOMPARE(first->exitCode(), 0);
}

void tst_SingleInstance::startWhilePrimaryEnds()
{
    // The test plays a primary that is ending: it holds the place, takes the
    // later start's line and closes without answering, socket first, lock after.
    const LinuxSingleInstance paths(m_name, m_dir->path());
    QFile lock(paths.lockPath());
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QCOMPARE(::flock(lock.handle(), LOCK_EX | LOCK_NB), 0);
    auto ending = std::make_unique<QLocalServer>();
    QVERIFY(ending->listen(paths.socketPath()));

    QProcess* late = startProbe();
    QTRY_VERIFY_WITH_TIMEOUT(ending->hasPendingConnections(), 10000);
    QLocalSocket* heard = ending->nextPendingConnection();
    QByteArray line;
    QTRY_VERIFY((line += heard->readAll()).endsWith('\n'));
    QCOMPARE(line, QByteArray("activate\n"));
    ending.reset();
    // The place stays taken a moment longer, as while the program's last
    // objects go: the start must not give up meanwhile.
    QTest::qWait(300);
    QCOMPARE(late->state(), QProcess::Running);
    QCOMPARE(output(late), QByteArray());
    lock.close();

    // It becomes the window itself, one that later starts reach.
    QTRY_COMPARE_WITH_TIMEOUT(output(late), QByteArray("primary\n"), 10000);
    QProcess* next = startProbe();
    QVERIFY(next->waitForFinished(20000));
    QCOMPARE(output(next), QByteArray("handed over\n"));
    QTRY_COMPARE(output(late), QByteArray("primary\nactivated 1\n"));
    late->write("quit\n");
    QVERIFY(late->waitForFinished(5000));
    QCOMPARE(late->exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
