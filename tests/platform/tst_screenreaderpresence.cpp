// Whether a screen reader runs: the environment's word first, then the
// desktop's accessibility services on a private bus with services of the
// test's own standing in for them.

#include "platform/linux/AtSpiScreenReaderPresence.h"

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

struct RegisteredEvent {
    QString listener;
    QString event;
};
Q_DECLARE_METATYPE(RegisteredEvent)

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

class tst_ScreenReaderPresence : public QObject
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

private:
    QTemporaryDir m_dir;
    QProcess m_bus;
    QString m_address;
    QThread m_services;
};

void tst_ScreenReaderPresence::initTestCase()
{
    qDBusRegisterMetaType<RegisteredEvent>();
    qDBusRegisterMetaType<QList<RegisteredEvent>>();
    // The program's own question goes to a session bus that is not there.
    qunsetenv(ScreenReaderVariable);
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(m_dir.filePath(u"no-bus"_s)));
    m_services.start();
}

void tst_ScreenReaderPresence::cleanupTestCase()
{
    m_services.quit();
    m_services.wait();
    if (m_bus.state() != QProcess::NotRunning) {
        m_bus.kill();
        m_bus.waitForFinished();
    }
}

void tst_ScreenReaderPresence::variableSettlesTheAnswer_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("answer"); // -1: left to the desktop
    QTest::newRow("on") << u"on"_s << 1;
    QTest::newRow("off, any case and blanks") << u" OFF "_s << 0;
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("unknown word") << u"yes"_s << -1;
}

void tst_ScreenReaderPresence::variableSettlesTheAnswer()
{
    QFETCH(QString, value);
    QFETCH(int, answer);
    const std::optional<bool> forced = forcedScreenReaderAnswer(value);
    QCOMPARE(forced.has_value(), answer >= 0);
    if (forced)
        QCOMPARE(*forced, answer == 1);

    qputenv(ScreenReaderVariable, value.toUtf8());
    // Left to the desktop, which has no bus here: none.
    QCOMPARE(AtSpiScreenReaderPresence().isRunning(), answer == 1);
    qunsetenv(ScreenReaderVariable);
}

void tst_ScreenReaderPresence::noSessionBusMeansNone()
{
    QVERIFY(!QDBusConnection::sessionBus().isConnected());
    QVERIFY(!AtSpiScreenReaderPresence().askDesktop(QDBusConnection::sessionBus()));
}

void tst_ScreenReaderPresence::desktopAnswers_data()
{
    QTest::addColumn<bool>("servicesThere");
    QTest::addColumn<bool>("switchOn");
    QTest::addColumn<QList<RegisteredEvent>>("events");
    QTest::addColumn<bool>("running");
    const QString reader = u":1.7"_s;
    QTest::newRow("no accessibility services") << false << false << QList<RegisteredEvent>() << false;
    QTest::newRow("screen-reader switch on") << true << true << QList<RegisteredEvent>() << true;
    QTest::newRow("someone follows the focus")
        << true << false
        << QList<RegisteredEvent>{{reader, u"Object:ChildrenChanged:"_s},
                                  {reader, u"Object:StateChanged:Focused"_s}}
        << true;
    QTest::newRow("focus events with detail")
        << true << false << QList<RegisteredEvent>{{reader, u"Focus::"_s}} << true;
    QTest::newRow("listeners, none for the focus")
        << true << false
        << QList<RegisteredEvent>{{reader, u"Object:ChildrenChanged:"_s}, {reader, u"Window:Activate"_s}}
        << false;
    QTest::newRow("nobody listens") << true << false << QList<RegisteredEvent>() << false;
}

void tst_ScreenReaderPresence::desktopAnswers()
{
    QFETCH(bool, servicesThere);
    QFETCH(bool, switchOn);
    QFETCH(QList<RegisteredEvent>, events);
    QFETCH(bool, running);

    if (m_address.isEmpty()) {
        const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        QFile config(m_dir.filePath(u"bus.conf"_s));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                     " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig><type>session</type><listen>unix:path=" +
                     QFile::encodeName(m_dir.filePath(u"bus"_s)) +
                     "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                     "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                     "<allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        m_bus.start(daemon, {u"--config-file="_s + config.fileName(), u"--nofork"_s, u"--print-address"_s});
        QVERIFY(m_bus.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 10000);
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
    }

    static int round = 0;
    const QString serviceName = u"services-%1"_s.arg(++round);
    QObject bus, registry;
    new StatusAdaptor(&bus, switchOn);
    new BusAdaptor(&bus, m_address);
    new RegistryAdaptor(&registry, events);
    // The services answer from a thread of their own while the question
    // blocks this one, as they would from their own process.
    bus.moveToThread(&m_services);
    registry.moveToThread(&m_services);
    const QString askName = serviceName + u"-asks"_s;
    const auto cleanUp = qScopeGuard([&] {
        QDBusConnection::disconnectFromBus(askName);
        QDBusConnection::disconnectFromBus(serviceName);
        // The objects end with this row, in the thread they were made in.
        QThread* home = QThread::currentThread();
        QMetaObject::invokeMethod(
            &bus,
            [&] {
                bus.moveToThread(home);
                registry.moveToThread(home);
            },
            Qt::BlockingQueuedConnection);
    });
    QDBusConnection services = QDBusConnection::connectToBus(m_address, serviceName);
    QVERIFY(services.isConnected());
    if (servicesThere) {
        QVERIFY(services.registerObject(u"/org/a11y/bus"_s, &bus, QDBusConnection::ExportAdaptors));
        QVERIFY(services.registerObject(u"/org/a11y/atspi/registry"_s, &registry,
                                        QDBusConnection::ExportAdaptors));
        QVERIFY(services.registerService(u"org.a11y.Bus"_s));
        QVERIFY(services.registerService(u"org.a11y.atspi.Registry"_s));
    }
    const QDBusConnection session = QDBusConnection::connectToBus(m_address, askName);
    QVERIFY(session.isConnected());
    // A generous budget: the answer, not the time, is what is checked here.
    QCOMPARE(AtSpiScreenReaderPresence(5000).askDesktop(session), running);
}

QTEST_GUILESS_MAIN(tst_ScreenReaderPresence)
#include "tst_screenreaderpresence.moc"
