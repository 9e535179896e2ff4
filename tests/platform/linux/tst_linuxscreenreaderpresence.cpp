// Whether a screen reader runs: the environment's word first, then the
// desktop's accessibility services on a private bus with services of the
// test's own standing in for them.

#include "platform/linux/LinuxScreenReaderPresence.h"

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QSemaphore>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <fcntl.h>
#include <future>
#include <poll.h>
#include <thread>
#include <utility>
#include <vector>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

struct RegisteredEvent {
    QString listener;
    QString event;
};
Q_DECLARE_METATYPE(RegisteredEvent)

// An application on the accessibility bus, as the desktop's root lists it.
struct AccessibleRef {
    QString bus;
    QDBusObjectPath path;
};
Q_DECLARE_METATYPE(AccessibleRef)

QDBusArgument& operator<<(QDBusArgument& argument, const AccessibleRef& r)
{
    argument.beginStructure();
    argument << r.bus << r.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, AccessibleRef& r)
{
    argument.beginStructure();
    argument >> r.bus >> r.path;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const RegisteredEvent& e)
{
    argument.beginStructure();
    argument << e.listener << e.event;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, RegisteredEvent& e)
{
    argument.beginStructure();
    argument >> e.listener >> e.event;
    argument.endStructure();
    return argument;
}

class StatusAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Status")
    Q_PROPERTY(bool ScreenReaderEnabled READ screenReaderEnabled)

public:
    StatusAdaptor(QObject* parent, bool enabled) : QDBusAbstractAdaptor(parent), m_enabled(enabled) {}
    bool screenReaderEnabled() const { return m_enabled; }

private:
    bool m_enabled;
};

class BusAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.Bus")

public:
    BusAdaptor(QObject* parent, QString address) : QDBusAbstractAdaptor(parent), m_address(std::move(address))
    {
    }

public slots:
    QString GetAddress() { return m_address; }

private:
    QString m_address;
};

class RegistryAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.atspi.Registry")

public:
    RegistryAdaptor(QObject* parent, QList<RegisteredEvent> events)
        : QDBusAbstractAdaptor(parent), m_events(std::move(events))
    {
    }

public slots:
    QList<RegisteredEvent> GetRegisteredEvents() { return m_events; }

private:
    QList<RegisteredEvent> m_events;
};

// The desktop's root (its children are the applications) and each
// application's root (its name). A busy application answers only once let.
class AccessibleAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.a11y.atspi.Accessible")
    Q_PROPERTY(QString Name READ name)

public:
    AccessibleAdaptor(QObject* parent, QString name, QList<AccessibleRef> children = {},
                      QSemaphore* busy = nullptr)
        : QDBusAbstractAdaptor(parent), m_name(std::move(name)), m_children(std::move(children)), m_busy(busy)
    {
    }
    QString name() const
    {
        if (m_busy)
            m_busy->tryAcquire(1, 20000);
        return m_name;
    }

public slots:
    QList<AccessibleRef> GetChildren() { return m_children; }

private:
    QString m_name;
    QList<AccessibleRef> m_children;
    QSemaphore* m_busy;
};

// A message bus that lets every client in (the SASL lines GLib sends) and
// then never says a word: it reads what comes and answers nothing, not even
// the hello every client must send first. One thread of its own, started
// with it.
class SilentBus
{
public:
    explicit SilentBus(const QString& path) : m_path(QFile::encodeName(path))
    {
        sockaddr_un where{};
        where.sun_family = AF_UNIX;
        qstrncpy(where.sun_path, m_path.constData(), sizeof where.sun_path);
        m_listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (pipe2(m_stop, O_CLOEXEC) != 0 || bind(m_listener, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0
            || listen(m_listener, 32) != 0)
            return;
        m_thread = std::thread([this] { serve(); });
    }
    ~SilentBus()
    {
        if (m_thread.joinable()) {
            (void)!write(m_stop[1], "", 1);
            m_thread.join();
        }
        for (int fd : {m_listener, m_stop[0], m_stop[1]})
            close(fd);
    }
    bool isListening() const { return m_thread.joinable(); }
    QString address() const { return u"unix:path="_s + QFile::decodeName(m_path); }
    // Clients that got in and sent their first message.
    int hellos() const { return m_hellos; }

private:
    struct Client {
        int fd;
        QByteArray lines;
        bool in = false;
        bool spoke = false;
    };

    void serve()
    {
        std::vector<Client> clients;
        for (;;) {
            std::vector<pollfd> watched{{m_stop[0], POLLIN, 0}, {m_listener, POLLIN, 0}};
            for (const Client& c : clients)
                watched.push_back({c.fd, POLLIN, 0});
            if (poll(watched.data(), watched.size(), -1) < 0 || watched[0].revents)
                break;
            for (std::size_t i = watched.size() - 1; i >= 2; --i) {
                if (watched[i].revents && !hear(clients[i - 2])) {
                    close(clients[i - 2].fd);
                    clients.erase(clients.begin() + qsizetype(i - 2));
                }
            }
            if (watched[1].revents)
                clients.push_back({accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC), {}});
        }
        for (const Client& c : clients)
            close(c.fd);
    }

    // False once the client has gone.
    bool hear(Client& c)
    {
        char chunk[4096];
        const ssize_t n = read(c.fd, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        c.lines.append(chunk, n);
        qsizetype end;
        while (!c.in && (end = c.lines.indexOf("\r\n")) >= 0) {
            const QByteArray line = c.lines.left(end).replace('\0', "");
            c.lines.remove(0, end + 2);
            QByteArray answer;
            if (line == "AUTH")
                answer = "REJECTED EXTERNAL\r\n";
            else if (line.startsWith("AUTH EXTERNAL") || line.startsWith("DATA"))
                answer = "OK 0123456789abcdef0123456789abcdef\r\n";
            else if (line == "NEGOTIATE_UNIX_FD")
                answer = "AGREE_UNIX_FD\r\n";
            else if (line == "BEGIN")
                c.in = true;
            (void)!write(c.fd, answer.constData(), answer.size());
        }
        if (c.in && !c.lines.isEmpty() && !std::exchange(c.spoke, true))
            ++m_hellos;
        return true;
    }

    QByteArray m_path;
    int m_listener = -1;
    int m_stop[2] = {-1, -1};
    std::atomic<int> m_hellos = 0;
    std::thread m_thread;
};

int threadsOfThisProcess()
{
    return int(QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

class tst_LinuxScreenReaderPresence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void variableSettlesTheAnswer_data();
    void variableSettlesTheAnswer();
    void noSessionBusMeansNone();
    void desktopAnswers_data();
    void desktopAnswers();
    void busyScreenReaderGivesNoAnswer();
    void hungAccessibilityBusGivesNoAnswerAndBlocksNobody();
    void busThatNeverSaysHelloKeepsNoThread();

private:
    bool startBus();

    QTemporaryDir m_dir;
    QProcess m_bus;
    QString m_address;
    QThread m_services;
};

void tst_LinuxScreenReaderPresence::initTestCase()
{
    qDBusRegisterMetaType<RegisteredEvent>();
    qDBusRegisterMetaType<QList<RegisteredEvent>>();
    qDBusRegisterMetaType<AccessibleRef>();
    qDBusRegisterMetaType<QList<AccessibleRef>>();
    // The program's own question goes to a session bus that is not there.
    qunsetenv(ScreenReaderVariable);
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(m_dir.filePath(u"no-bus"_s)));
    m_services.start();
}

void tst_LinuxScreenReaderPresence::cleanupTestCase()
{
    m_services.quit();
    m_services.wait();
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.kill();
        m_bus.waitForFinished();
    }
}

void tst_LinuxScreenReaderPresence::variableSettlesTheAnswer_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("answer"); // -1: left to the desktop
    QTest::newRow("on") << u"on"_s << 1;
    QTest::newRow("off, any case and blanks") << u" OFF "_s << 0;
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("unknown word") << u"yes"_s << -1;
}

void tst_LinuxScreenReaderPresence::variableSettlesTheAnswer()
{
    QFETCH(QString, value);
    QFETCH(int, answer);
    const std::optional<bool> forced = forcedScreenReaderAnswer(value);
    QCOMPARE(forced.has_value(), answer >= 0);
    if (forced)
        QCOMPARE(*forced, answer == 1);

    qputenv(ScreenReaderVariable, value.toUtf8());
    // Left to the desktop, which has no bus here: none.
    QCOMPARE(LinuxScreenReaderPresence().ask(), answer == 1 ? ScreenReaderAnswer::Runs : ScreenReaderAnswer::None);
    qunsetenv(ScreenReaderVariable);
}

void tst_LinuxScreenReaderPresence::noSessionBusMeansNone()
{
    QCOMPARE(LinuxScreenReaderPresence().askDesktop(QString()), ScreenReaderAnswer::None);
    QCOMPARE(LinuxScreenReaderPresence().askDesktop(LinuxScreenReaderPresence::sessionBusAddress()),
             ScreenReaderAnswer::None);
}

bool tst_LinuxScreenReaderPresence::startBus()
{
    if (!m_address.isEmpty())
        return true;
    const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
    if (daemon.isEmpty())
        return false;
    QFile config(m_dir.filePath(u"bus.conf"_s));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                 " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                 "<busconfig><type>session</type><listen>unix:path=" +
                 QFile::encodeName(m_dir.filePath(u"bus"_s)) +
                 "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                 "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                 "<allow own=\"*\"/></policy></busconfig>\n");
    config.close();
    m_bus.start(daemon, {u"--config-file="_s + config.fileName(), u"--nofork"_s, u"--print-address"_s});
    if (!m_bus.waitForStarted() || !m_bus.waitForReadyRead(10000))
        return false;
    m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
    return !m_address.isEmpty();
}

// The desktop's accessibility services on the test's bus. They answer from
// the services thread while the question blocks this one, as they would from
// their own process, and leave the bus when the test row ends.
class StandIns
{
public:
    StandIns(const QString& address, QThread* services)
        : m_name(u"services-%1"_s.arg(++s_round)),
          m_connection(QDBusConnection::connectToBus(address, m_name)), m_services(services)
    {
    }

    ~StandIns()
    {
        QDBusConnection::disconnectFromBus(m_name);
        // The objects end in the thread they were made in.
        QThread* home = QThread::currentThread();
        if (m_objects.thread() != home)
            QMetaObject::invokeMethod(
                &m_objects, [&] { m_objects.moveToThread(home); }, Qt::BlockingQueuedConnection);
    }

    // org.a11y.Bus on the session bus, and on the same connection what the
    // accessibility bus holds: the registry, the desktop's root and the
    // applications named `apps`.
    bool offer(bool switchOn, const QString& a11yAddress, const QList<RegisteredEvent>& events,
               const QStringList& apps, QSemaphore* appsBusy = nullptr)
    {
        auto* bus = new QObject(&m_objects);
        new StatusAdaptor(bus, switchOn);
        new BusAdaptor(bus, a11yAddress);
        auto* registry = new QObject(&m_objects);
        new RegistryAdaptor(registry, events);
        QList<std::pair<QString, QObject*>> objects{{u"/org/a11y/bus"_s, bus},
                                                    {u"/org/a11y/atspi/registry"_s, registry}};
        QList<AccessibleRef> children;
        for (const QString& name : apps) {
            auto* app = new QObject(&m_objects);
            new AccessibleAdaptor(app, name, {}, appsBusy);
            const QString path = u"/org/a11y/atspi/accessible/app%1"_s.arg(children.size());
            objects.append({path, app});
            children.append({m_connection.baseService(), QDBusObjectPath(path)});
        }
        auto* desktop = new QObject(&m_objects);
        new AccessibleAdaptor(desktop, u"main"_s, children);
        objects.append({u"/org/a11y/atspi/accessible/root"_s, desktop});
        m_objects.moveToThread(m_services);
        if (!m_connection.isConnected())
            return false;
        for (const auto& [path, object] : objects) {
            if (!m_connection.registerObject(path, object, QDBusConnection::ExportAdaptors))
                return false;
        }
        return m_connection.registerService(u"org.a11y.Bus"_s) &&
               m_connection.registerService(u"org.a11y.atspi.Registry"_s);
    }

private:
    static inline int s_round = 0;
    QString m_name;
    QDBusConnection m_connection;
    QThread* m_services;
    QObject m_objects;
};

// Work on a thread of its own that nobody waits for: a test that finds it
// stuck fails instead of hanging.
template <typename Work> std::future<std::invoke_result_t<Work>> inBackground(Work work)
{
    std::packaged_task<std::invoke_result_t<Work>()> task(std::move(work));
    auto result = task.get_future();
    std::thread(std::move(task)).detach();
    return result;
}

void tst_LinuxScreenReaderPresence::desktopAnswers_data()
{
    QTest::addColumn<bool>("servicesThere");
    QTest::addColumn<bool>("switchOn");
    QTest::addColumn<QList<RegisteredEvent>>("events");
    QTest::addColumn<QStringList>("apps");
    QTest::addColumn<bool>("running");
    const QString reader = u":1.7"_s;
    const QList<RegisteredEvent> followsFocus{{reader, u"Object:ChildrenChanged:"_s},
                                              {reader, u"Object:StateChanged:Focused"_s}};
    QTest::newRow("no accessibility services")
        << false << false << QList<RegisteredEvent>() << QStringList() << false;
    QTest::newRow("screen-reader switch on")
        << true << true << QList<RegisteredEvent>() << QStringList() << true;
    // Following the focus is no sign: magnifiers and on-screen keyboards do
    // it too, and nobody would speak the program's words.
    QTest::newRow("someone follows the focus") << true << false << followsFocus << QStringList() << false;
    QTest::newRow("focus events with detail")
        << true << false << QList<RegisteredEvent>{{reader, u"Focus::"_s}} << QStringList() << false;
    QTest::newRow("listeners, none for the focus")
        << true << false
        << QList<RegisteredEvent>{{reader, u"Object:ChildrenChanged:"_s}, {reader, u"Window:Activate"_s}}
        << QStringList() << false;
    QTest::newRow("nobody listens") << true << false << QList<RegisteredEvent>() << QStringList() << false;
    QTest::newRow("a magnifier follows the focus")
        << true << false << followsFocus << QStringList{u"gnome-shell"_s, u"magnifier"_s} << false;
    QTest::newRow("Orca among the applications")
        << true << false << followsFocus << QStringList{u"gnome-shell"_s, u"orca"_s, u"gedit"_s} << true;
}

void tst_LinuxScreenReaderPresence::desktopAnswers()
{
    QFETCH(bool, servicesThere);
    QFETCH(bool, switchOn);
    QFETCH(QList<RegisteredEvent>, events);
    QFETCH(QStringList, apps);
    QFETCH(bool, running);
    if (!startBus())
        QSKIP("no private dbus-daemon here");

    StandIns standIns(m_address, &m_services);
    if (servicesThere)
        QVERIFY(standIns.offer(switchOn, m_address, events, apps));
    // A generous budget: the answer, not the time, is what is checked here.
    QCOMPARE(LinuxScreenReaderPresence(5000).askDesktop(m_address),
             running ? ScreenReaderAnswer::Runs : ScreenReaderAnswer::None);
}

// A screen reader busy speaking answers late. That is no sign it is gone:
// the program would then talk over it.
void tst_LinuxScreenReaderPresence::busyScreenReaderGivesNoAnswer()
{
    if (!startBus())
        QSKIP("no private dbus-daemon here");
    QSemaphore letAnswer;
    StandIns standIns(m_address, &m_services);
    QVERIFY(standIns.offer(false, m_address, {}, {u"gnome-shell"_s, u"orca"_s}, &letAnswer));
    const ScreenReaderAnswer answer = LinuxScreenReaderPresence(300).askDesktop(m_address);
    letAnswer.release(2);
    QCOMPARE(answer, ScreenReaderAnswer::NoAnswer);
}

void tst_LinuxScreenReaderPresence::hungAccessibilityBusGivesNoAnswerAndBlocksNobody()
{
    using namespace std::chrono_literals;
    if (!startBus())
        QSKIP("no private dbus-daemon here");
    // An accessibility bus that takes the connection and never says a word.
    const QByteArray hungPath = QFile::encodeName(m_dir.filePath(u"hung-a11y"_s));
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    qstrncpy(where.sun_path, hungPath.constData(), sizeof where.sun_path);
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int peer = -1;
    const auto closeSockets = qScopeGuard([&] {
        if (peer >= 0)
            close(peer);
        close(listener);
    });
    QVERIFY(bind(listener, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0);
    QVERIFY(listen(listener, 4) == 0);
    StandIns standIns(m_address, &m_services);
    QVERIFY(standIns.offer(false, u"unix:path="_s + QFile::decodeName(hungPath), {}, {u"orca"_s}));

    auto answer =
        inBackground([address = m_address] { return LinuxScreenReaderPresence(1000).askDesktop(address); });
    // The question is in the bus's handshake once its first bytes arrive.
    pollfd incoming{listener, POLLIN, 0};
    QCOMPARE(poll(&incoming, 1, 20000), 1);
    peer = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    QVERIFY(peer >= 0);
    pollfd talking{peer, POLLIN, 0};
    QCOMPARE(poll(&talking, 1, 20000), 1);

    auto otherUser = inBackground([address = m_address] {
        const QString name = u"other-user"_s;
        QDBusMessage reply;
        {
            const QDBusConnection bus = QDBusConnection::connectToBus(address, name);
            reply =
                bus.call(QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                                        u"org.freedesktop.DBus"_s, u"GetId"_s));
        }
        QDBusConnection::disconnectFromBus(name);
        return reply.type() == QDBusMessage::ReplyMessage;
    });
    // The waits only stop a hang; they are far beyond the question's bound.
    QVERIFY2(otherUser.wait_for(20s) == std::future_status::ready,
             "another D-Bus user of the process is stuck");
    QVERIFY(otherUser.get());
    QVERIFY2(answer.wait_for(20s) == std::future_status::ready, "the question never ends");
    QCOMPARE(answer.get(), ScreenReaderAnswer::NoAnswer);
}

// The window asks at every activation: on a bus that lets the question in
// and never answers its hello, each question ends at its bound, and the
// thread that asked it with it.
void tst_LinuxScreenReaderPresence::busThatNeverSaysHelloKeepsNoThread()
{
    SilentBus bus(m_dir.filePath(u"silent-bus"_s));
    QVERIFY(bus.isListening());
    // GLib starts two threads of its own at the first question, for good.
    QCOMPARE(LinuxScreenReaderPresence(300).askDesktop(bus.address()), ScreenReaderAnswer::NoAnswer);
    const int before = threadsOfThisProcess();
    for (int i = 0; i < 20; ++i)
        QCOMPARE(LinuxScreenReaderPresence(300).askDesktop(bus.address()), ScreenReaderAnswer::NoAnswer);
    QTRY_COMPARE(bus.hellos(), 21);
    // The wait only lets the last question's thread end after its cancel; a
    // thread kept by the bus stays for far longer.
    QTRY_VERIFY2_WITH_TIMEOUT(threadsOfThisProcess() <= before + 1,
                              qPrintable(u"%1 threads, %2 before"_s.arg(threadsOfThisProcess()).arg(before)), 5000);
}

QTEST_GUILESS_MAIN(tst_LinuxScreenReaderPresence)
#include "tst_linuxscreenreaderpresence.moc"
