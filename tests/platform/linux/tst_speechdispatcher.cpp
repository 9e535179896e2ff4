#include "SpeechDaemon.h"
#include "reading/KanaReading.h"
#include "platform/linux/dictionary/MecabWordReadings.h"
#include "platform/linux/speechd/SpeechDispatcherObject.h"
#include "speech/Announce.h"
#include "speech/SpeechChannel.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <future>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <sys/un.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using Bounds = SpeechDispatcherObject::Bounds;

namespace {

// Short bounds for the fault cases keep the suite quick; the mechanism is the
// same as with the defaults.
const Bounds QuickBounds{3000ms, 2000ms, 2000ms};
// Guards against a hang, far above any bound: time is never what a test here
// proves, the daemon's events and the objects' answers are.
constexpr qint64 HangGuardMs = 20000;
// For the tests that wait for the real daemon's events (END, CANCEL): bounds
// that only stop a hang. On a loaded machine espeak-ng takes seconds for a
// few sentences, and a wait of the program's own 5 s ran out first.
const Bounds PatientBounds{20000ms, 20000ms, 120000ms};

qint64 ms(std::chrono::milliseconds bound)
{
    return bound.count();
}

// espeak-ng needs about 0.15 s per sentence into the null driver.
QString longText(int sentences)
{
    QString text;
    for (int i = 0; i < sentences; ++i)
        text += QStringLiteral("これはとても長い文章です。");
    return text;
}

// Sets an environment variable for one scope.
class EnvironmentScope
{
public:
    EnvironmentScope(const char* name, const QString& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value.toUtf8());
    }
    ~EnvironmentScope()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// Points libspeechd at an address for one scope.
class AddressScope : public EnvironmentScope
{
public:
    explicit AddressScope(const QString& address) : EnvironmentScope("SPEECHD_ADDRESS", address) {}
};

// A listening Unix socket. Until something accepts, the kernel completes
// connections and queues what is written, but nothing ever answers: left
// alone it is a hung daemon.
class UnixListener
{
public:
    explicit UnixListener(const QString& path) : m_path(path)
    {
        const QByteArray name = QFile::encodeName(path);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (m_fd < 0 || name.size() >= qsizetype(sizeof address.sun_path))
            return;
        std::memcpy(address.sun_path, name.constData(), name.size());
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_fd, 16) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~UnixListener()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        QFile::remove(m_path);
    }
    bool isListening() const { return m_fd >= 0; }
    int acceptOne() { return m_fd >= 0 ? ::accept(m_fd, nullptr, nullptr) : -1; }
    // Wakes a thread blocked in acceptOne.
    void shutdownListening()
    {
        if (m_fd >= 0)
            ::shutdown(m_fd, SHUT_RDWR);
    }

private:
    QString m_path;
    int m_fd = -1;
};

// Speaks just enough of the daemon's protocol for one client, so that tests
// can put events in an order, or a socket in a state, that a real daemon only
// produces by chance.
class FakeSsipServer
{
public:
    enum class Ending {
        // Answer the text, then END.
        Normal,
        // END overtakes the answer that tells the client the message's id.
        BeforeAnswer,
        // An END for the same message id but another client, and never one
        // for this client.
        ForeignOnly,
    };
    static constexpr int ClientId = 7;

    FakeSsipServer(const QString& path, Ending ending) : m_server(path), m_ending(ending)
    {
        m_thread = std::thread([this] { serve(); });
    }
    ~FakeSsipServer()
    {
        // Quit first, connection second, the reverse of serve(): one of the
        // two threads sees what the other did, so join cannot hang.
        m_quit = true;
        if (const int connection = m_connection.load(); connection >= 0)
            ::shutdown(connection, SHUT_RDWR);
        m_server.shutdownListening();
        m_thread.join();
        if (const int connection = m_connection.load(); connection >= 0)
            ::close(connection);
    }
    bool isListening() const { return m_server.isListening(); }

    // The client's socket stays open but takes no more data: its next write
    // fails with EPIPE (and raises SIGPIPE), yet it never reads an end.
    void stopReading()
    {
        m_stoppedReading = true;
        const int connection = m_connection.load();
        if (connection >= 0)
            ::shutdown(connection, SHUT_RD);
    }

private:
    void send(int fd, const QByteArray& data) { ::send(fd, data.constData(), data.size(), MSG_NOSIGNAL); }
    static QByteArray event(int id, int client)
    {
        return QByteArray("702-%1\r\n702-%2\r\n702 END\r\n")
            .replace("%1", QByteArray::number(id))
            .replace("%2", QByteArray::number(client));
    }

    // One client after another: the object probes the address with a bare
    // connection before it opens its own.
    void serve()
    {
        while (!m_quit) {
            const int fd = m_server.acceptOne();
            if (fd < 0)
                return;
            m_connection = fd;
            if (m_quit || !converse(fd))
                return;
            m_connection = -1;
            ::close(fd);
        }
    }

    // False when the server is to stop; true when the client went away.
    bool converse(int fd)
    {
        QByteArray buffer;
        bool receivingText = false;
        int nextId = 100;
        char chunk[4096];
        while (!m_quit) {
            const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
            if (got <= 0) {
                // Parked, not closed: the client must not see an end.
                while (m_stoppedReading && !m_quit)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                return !m_quit;
            }
            buffer.append(chunk, got);
            qsizetype end;
            while ((end = buffer.indexOf("\r\n")) >= 0) {
                const QByteArray line = buffer.left(end);
                buffer.remove(0, end + 2);
                if (receivingText) {
                    if (line != ".")
                        continue;
                    receivingText = false;
                    const int id = nextId++;
                    const QByteArray answer = "225-" + QByteArray::number(id) + "\r\n225 OK MESSAGE QUEUED\r\n";
                    if (m_ending == Ending::BeforeAnswer) {
                        send(fd, event(id, ClientId) + answer);
                    } else if (m_ending == Ending::ForeignOnly) {
                        send(fd, answer + event(id, ClientId + 1));
                    } else {
                        send(fd, answer + event(id, ClientId));
                    }
                } else if (line.toUpper() == "SPEAK") {
                    receivingText = true;
                    send(fd, "230 OK RECEIVING DATA\r\n");
                } else if (line.toUpper() == "HISTORY GET CLIENT_ID") {
                    send(fd, "240-" + QByteArray::number(ClientId) + "\r\n240 OK CLIENT ID SENT\r\n");
                } else {
                    send(fd, "200 OK\r\n");
                }
            }
        }
        return false;
    }

    UnixListener m_server;
    Ending m_ending;
    std::atomic<int> m_connection{-1};
    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_stoppedReading{false};
    std::thread m_thread;
};

// A dictionary that finds a text's words only when the test lets it: a
// reading as slow as the test wants.
class HeldWords : public WordReadings
{
public:
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        bool held = false;
        bool reading = false;
        bool closed = false;

        void hold() { set(held, true); }
        void release() { set(held, false); }
        bool isReading()
        {
            std::lock_guard lock(mutex);
            return reading;
        }
        bool isClosed()
        {
            std::lock_guard lock(mutex);
            return closed;
        }
        void set(bool& flag, bool value)
        {
            std::lock_guard lock(mutex);
            flag = value;
            changed.notify_all();
        }
    };

    explicit HeldWords(std::shared_ptr<Gate> gate) : m_gate(std::move(gate)) {}
    ~HeldWords() override { m_gate->set(m_gate->closed, true); }

    QList<Word> words(const QString&) override
    {
        std::unique_lock lock(m_gate->mutex);
        m_gate->reading = true;
        m_gate->changed.wait(lock, [&] { return !m_gate->held; });
        m_gate->reading = false;
        return {};
    }
    std::optional<QString> characterReading(char32_t) override { return QString(); }

private:
    std::shared_ptr<Gate> m_gate;
};

// A dictionary that knows nothing and counts being told start-up is over.
class CountingWords : public WordReadings
{
public:
    explicit CountingWords(std::shared_ptr<std::atomic<int>> told) : m_told(std::move(told)) {}
    QList<Word> words(const QString&) override { return {}; }
    std::optional<QString> characterReading(char32_t) override { return QString(); }
    void startUpIsOver() override { ++*m_told; }

private:
    std::shared_ptr<std::atomic<int>> m_told;
};

} // namespace

class tst_SpeechDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void wireText_data();
    void wireText();
    void wireTextNeverCarriesControlBytes();

    void queuedTextsAreAllSpokenAndWaitedFor();
    void interruptCutsOwnSpeechShort();
    void ownCallsLeaveOtherClientsAlone();
    void textsReachTheDaemonWhole_data();
    void textsReachTheDaemonWhole();
    void emptyTextIsSpokenAsNothing();
    void channelAnnouncesListInTwoTexts();
    void longWaitLeavesSpeechOn();
    void slowReadingLeavesSpeechOn();
    void startUpReachesTheDictionaryOpenedLater();

    void createFailsFastWithoutDaemon_data();
    void createFailsFastWithoutDaemon();
    void createGivesUpOnSilentServer();
    void killedDaemonFailsWithinBound_data();
    void killedDaemonFailsWithinBound();
    void stoppedDaemonFailsWithinBound_data();
    void stoppedDaemonFailsWithinBound();
    void daemonLostDuringWaitEndsIt_data();
    void daemonLostDuringWaitEndsIt();
    void endBeforeAnswerStillCounts();
    void otherClientsEventsAreIgnored();
    void peerThatStopsReadingDoesNotEndTheProgram();

    void readingFollowsTheOutputModule_data();
    void readingFollowsTheOutputModule();

private:
    std::unique_ptr<SpeechObject> connect();

    SpeechDaemon m_daemon;
    SpeechDaemon m_stoppable;
    SpeechDaemon m_otherEngine{SpeechDaemon::Module::Other};
    // The same two, each with the Open JTalk module loaded too.
    SpeechDaemon m_withJTalk;
    SpeechDaemon m_otherEngineWithJTalk{SpeechDaemon::Module::Other};
    QTemporaryDir m_traces;
    std::unique_ptr<AddressScope> m_address;
};

void tst_SpeechDispatcher::initTestCase()
{
    QString whyNot;
    QVERIFY2(m_daemon.start(&whyNot), qPrintable(whyNot));
    m_address = std::make_unique<AddressScope>(m_daemon.address());
    m_withJTalk.addJTalkModule(QStringLiteral(VX_JTALK_MODULE), m_traces.filePath(QStringLiteral("espeak-ng")));
    m_otherEngineWithJTalk.addJTalkModule(QStringLiteral(VX_JTALK_MODULE), m_traces.filePath(QStringLiteral("other")));
    // These cases follow texts as the program wrote them; the kana reading
    // has cases of its own (readingFollowsTheOutputModule).
    qputenv(SpeechReadingVariable, "off");
}

void tst_SpeechDispatcher::cleanupTestCase()
{
    qunsetenv(SpeechReadingVariable);
    m_otherEngine.stop();
    m_withJTalk.stop();
    m_otherEngineWithJTalk.stop();
    m_address.reset();
    m_stoppable.stop();
    m_daemon.stop();
}

std::unique_ptr<SpeechObject> tst_SpeechDispatcher::connect()
{
    std::unique_ptr<SpeechObject> speech = SpeechDispatcherObject::createWithBounds(PatientBounds);
    if (speech && speech->Configure(33) != 0)
        return nullptr;
    return speech;
}

void tst_SpeechDispatcher::wireText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("wire");

    QTest::newRow("Japanese as it is") << QStringLiteral("差出人の名前は") << QStringLiteral("差出人の名前は").toUtf8();
    QTest::newRow("separator is a comma")
        << QStringLiteral("メールアドレスは\uF8F2未登録") << QStringLiteral("メールアドレスは、未登録").toUtf8();
    QTest::newRow("LF") << QStringLiteral("a\nb") << QByteArray("a\r\nb");
    QTest::newRow("bare CR") << QStringLiteral("a\rb") << QByteArray("a\r\nb");
    QTest::newRow("CR LF stays one break") << QStringLiteral("a\r\nb") << QByteArray("a\r\nb");
    QTest::newRow("LF CR is two breaks") << QStringLiteral("a\n\rb") << QByteArray("a\r\n\r\nb");
    QTest::newRow("CR CR LF") << QStringLiteral("a\r\r\nb") << QByteArray("a\r\n\r\nb");
    QTest::newRow("dot line after LF") << QStringLiteral("a\n.\nb") << QByteArray("a\r\n.\r\nb");
    QTest::newRow("trailing breaks kept") << QStringLiteral("a\n\n") << QByteArray("a\r\n\r\n");
    QTest::newRow("tab") << QStringLiteral("a\tb") << QByteArray("a b");
    QTest::newRow("NUL would cut the text") << (QStringLiteral("a") + QChar(0) + QStringLiteral("b"))
                                            << QByteArray("a b");
    QTest::newRow("escape sequence") << QStringLiteral("\x1b[0m") << QByteArray(" [0m");
    QTest::newRow("DEL and C1 controls") << QStringLiteral("a\x7f\u0085\u009fb") << QByteArray("a   b");
    QTest::newRow("ideographic space kept") << QStringLiteral("山田\u3000太郎") << QStringLiteral("山田\u3000太郎").toUtf8();
    QTest::newRow("spaces kept") << QStringLiteral("  ") << QByteArray("  ");
    QTest::newRow("empty") << QString() << QByteArray();
}

void tst_SpeechDispatcher::wireText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, wire);
    QCOMPARE(SpeechDispatcherObject::wireText(text), wire);
}

void tst_SpeechDispatcher::wireTextNeverCarriesControlBytes()
{
    // Every UTF-16 code unit alone and between letters, lone surrogates
    // included: the result is valid UTF-8 whose only control bytes are CR LF
    // pairs.
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const QString text = QStringLiteral("a") + QChar(char16_t(unit)) + QStringLiteral("b");
        const QByteArray wire = SpeechDispatcherObject::wireText(text);
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString back = decoder(wire);
        QVERIFY2(!decoder.hasError(), qPrintable(QString::number(unit, 16)));
        for (qsizetype i = 0; i < wire.size(); ++i) {
            const auto byte = static_cast<unsigned char>(wire.at(i));
            if (byte == '\r') {
                QVERIFY2(i + 1 < wire.size() && wire.at(i + 1) == '\n', qPrintable(QString::number(unit, 16)));
                ++i;
                continue;
            }
            QVERIFY2(byte >= 0x20 && byte != 0x7F, qPrintable(QString::number(unit, 16)));
        }
    }
}

void tst_SpeechDispatcher::queuedTextsAreAllSpokenAndWaitedFor()
{
    auto speech = connect();
    QVERIFY(speech);
    const qsizetype before = m_daemon.queuedMessages().size();
    const QString first = longText(6);
    const QString second = QStringLiteral("二つ目です");
    QCOMPARE(speech->Speak(first, 0), 0);
    QCOMPARE(speech->Speak(second, 0), 0);

    QCOMPARE(speech->WaitDone(), 0);
    // WaitDone came back once the daemon had told of both ends, not sooner.
    QCOMPARE(m_daemon.endingOf(first), QStringLiteral("END"));
    QCOMPARE(m_daemon.endingOf(second), QStringLiteral("END"));
    // Both were queued, in order; a priority that replaces the previous text
    // would have dropped the first.
    QCOMPARE(m_daemon.queuedMessages().mid(before), (QStringList{first, second}));

    // Nothing pending: done, not "still speaking" after its bound.
    QCOMPARE(speech->WaitDone(), 0);
}

void tst_SpeechDispatcher::interruptCutsOwnSpeechShort()
{
    auto speech = connect();
    QVERIFY(speech);
    const QString text = longText(20);
    QCOMPARE(speech->Speak(text, 0), 0);
    QCOMPARE(speech->Interrupt(), 0);
    QCOMPARE(speech->WaitDone(), 0);
    QCOMPARE(m_daemon.endingOf(text), QStringLiteral("CANCEL"));

    // The text after an interruption is spoken.
    QCOMPARE(speech->Speak(QStringLiteral("次です"), 0), 0);
    QCOMPARE(speech->WaitDone(), 0);
    QCOMPARE(m_daemon.queuedMessages().last(), QStringLiteral("次です"));
}

void tst_SpeechDispatcher::ownCallsLeaveOtherClientsAlone()
{
    auto mine = connect();
    auto other = connect();
    QVERIFY(mine && other);

    // Long enough to be still going when the calls below are made, on any
    // machine; the test does not wait for all of it.
    const QString othersText = longText(40);
    QCOMPARE(other->Speak(othersText, 0), 0);
    QCOMPARE(mine->Interrupt(), 0);
    // Nothing of mine is pending, whatever the other client still says: my
    // wait ends before the other text does.
    QCOMPARE(mine->WaitDone(), 0);
    QCOMPARE(m_daemon.endingOf(othersText), QString());
    // My interruption did not cut the other client's text: it ends spoken out.
    QTRY_COMPARE_WITH_TIMEOUT(m_daemon.endingOf(othersText), QStringLiteral("END"), 60000);
}

void tst_SpeechDispatcher::textsReachTheDaemonWhole_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("received");

    QTest::newRow("dot line after LF") << QStringLiteral("一行目\n.\n三行目") << QStringLiteral("一行目\r\n.\r\n三行目");
    QTest::newRow("dot line after CR") << QStringLiteral("あ\r.\rい") << QStringLiteral("あ\r\n.\r\nい");
    QTest::newRow("protocol end marker inside") << QStringLiteral("あ\r\n.\r\nい") << QStringLiteral("あ\r\n.\r\nい");
    QTest::newRow("starts with a dot line") << QStringLiteral(".\nあ") << QStringLiteral(".\r\nあ");
    QTest::newRow("only a dot") << QStringLiteral(".") << QStringLiteral(".");
    QTest::newRow("ends with a dot line") << QStringLiteral("あ\n.") << QStringLiteral("あ\r\n.");
    QTest::newRow("two dots") << QStringLiteral("あ\n..\nい") << QStringLiteral("あ\r\n..\r\nい");
    QTest::newRow("separator") << QStringLiteral("差出人の名前は\uF8F2未登録") << QStringLiteral("差出人の名前は、未登録");
    QTest::newRow("control characters") << (QStringLiteral("a") + QChar(0) + QStringLiteral("b\x1b[1m\a\u0085c"))
                                        << QStringLiteral("a b [1m  c");
    QTest::newRow("markup is text") << QStringLiteral("<b>pass&word</b>") << QStringLiteral("<b>pass&word</b>");
}

void tst_SpeechDispatcher::textsReachTheDaemonWhole()
{
    QFETCH(QString, text);
    QFETCH(QString, received);
    auto speech = connect();
    QVERIFY(speech);
    QCOMPARE(speech->Speak(text, 0), 0);
    QCOMPARE(speech->WaitDone(), 0);
    QCOMPARE(m_daemon.queuedMessages().last(), received);

    // The connection is still in step: the next text is a message of its own.
    QCOMPARE(speech->Speak(QStringLiteral("確認"), 0), 0);
    QCOMPARE(speech->WaitDone(), 0);
    QCOMPARE(m_daemon.queuedMessages().last(), QStringLiteral("確認"));
}

void tst_SpeechDispatcher::emptyTextIsSpokenAsNothing()
{
    auto speech = connect();
    QVERIFY(speech);
    const qsizetype before = m_daemon.queuedMessages().size();
    QCOMPARE(speech->Speak(QString(), 0), 0);
    QCOMPARE(speech->WaitDone(), 0);
    QCOMPARE(m_daemon.queuedMessages().size(), before);
    // Not a failure: the object goes on speaking.
    QCOMPARE(speech->Speak(QStringLiteral("あ"), 0), 0);
    QCOMPARE(speech->WaitDone(), 0);
}

void tst_SpeechDispatcher::channelAnnouncesListInTwoTexts()
{
    SpeechChannel channel;
    channel.VobrInit([] { return SpeechDispatcherObject::createWithBounds(PatientBounds); });
    QVERIFY(channel.VoiceEnabled());
    const qsizetype before = m_daemon.queuedMessages().size();
    const QString entry = QStringLiteral("biglobe");
    Announce::list(channel, QStringLiteral("プロバイダ"), &entry);
    channel.VoiceWait();
    QVERIFY(channel.VoiceEnabled());
    QCOMPARE(m_daemon.queuedMessages().mid(before), (QStringList{QStringLiteral("プロバイダ"), entry}));
}

void tst_SpeechDispatcher::longWaitLeavesSpeechOn()
{
    // The word waited for is queued behind a text that takes longer than the
    // wait may, as a long field value read in a slow voice does.
    const Bounds shortWait{3000ms, 3000ms, 300ms};
    SpeechChannel channel;
    channel.VobrInit([&] { return SpeechDispatcherObject::createWithBounds(shortWait); });
    QVERIFY(channel.VoiceEnabled());
    const QString value = longText(30);
    channel.Voice(value);
    channel.Voice(QStringLiteral("パス"));
    channel.VoiceWait();
    QVERIFY(channel.VoiceEnabled());
    QCOMPARE(m_daemon.endingOf(value), QString());

    // The next announcement cuts in and is spoken.
    channel.Quick();
    channel.Voice(QStringLiteral("次の欄"));
    QTRY_COMPARE_WITH_TIMEOUT(m_daemon.endingOf(QStringLiteral("次の欄")), QStringLiteral("END"), HangGuardMs);
    QCOMPARE(m_daemon.endingOf(value), QStringLiteral("CANCEL"));
    QVERIFY(channel.VoiceEnabled());
}

void tst_SpeechDispatcher::slowReadingLeavesSpeechOn()
{
    // The call bound is short and the wait long: a reading that outlasts
    // the one must neither count as a dead daemon nor end the other.
    const Bounds shortCall{3000ms, 200ms, 600000ms, 200ms};
    auto gate = std::make_shared<HeldWords::Gate>();
    std::unique_ptr<SpeechObject> speech = SpeechDispatcherObject::createWithBounds(
        shortCall, SpeechReadingMode::Kana, [gate] { return std::make_unique<HeldWords>(gate); });
    QVERIFY(speech);
    const auto releaseOnFailure = qScopeGuard([&] { gate->release(); });
    QCOMPARE(speech->Configure(33), 0);
    const qsizetype before = m_daemon.queuedMessages().size();
    const QString first = QStringLiteral("ヨミガオソイ");
    const QString second = QStringLiteral("ツギノラン");

    gate->hold();
    // The window goes on while the text is read: Speak is back before the
    // reading is let go.
    QCOMPARE(speech->Speak(first, 0), 0);
    QTRY_VERIFY_WITH_TIMEOUT(gate->isReading(), HangGuardMs);
    QTest::qWait(3 * ms(shortCall.call));
    QCOMPARE(speech->Speak(second, 0), 0);
    gate->release();
    // Waits for both texts, though neither had reached the daemon when it began.
    QCOMPARE(speech->WaitDone(), 0);
    QVERIFY(!static_cast<SpeechDispatcherObject&>(*speech).hasFailed());
    KanaReading reference(std::make_unique<HeldWords>(std::make_shared<HeldWords::Gate>()));
    QCOMPARE(m_daemon.queuedMessages().mid(before), (QStringList{reference.read(first), reference.read(second)}));

    // A reading still going on when the object goes holds the program's end
    // for the exit bound only (a value megabytes long takes seconds), then
    // finishes on its own.
    gate->hold();
    QCOMPARE(speech->Speak(QStringLiteral("サイゴ"), 0), 0);
    QTRY_VERIFY_WITH_TIMEOUT(gate->isReading(), HangGuardMs);
    auto gone = std::async(std::launch::async, [&] { speech.reset(); });
    const bool ended = gone.wait_for(std::chrono::milliseconds(HangGuardMs)) == std::future_status::ready;
    gate->release();
    gone.wait();
    QVERIFY2(ended, "the end waited for the reading");
    QTRY_VERIFY_WITH_TIMEOUT(gate->isClosed(), HangGuardMs);
}

// The program says start-up is over whenever its window is up, which may be
// before the dictionary is open: it is told once it is.
void tst_SpeechDispatcher::startUpReachesTheDictionaryOpenedLater()
{
    auto told = std::make_shared<std::atomic<int>>(0);
    std::unique_ptr<SpeechObject> speech = SpeechDispatcherObject::createWithBounds(
        PatientBounds, SpeechReadingMode::Kana, [told] { return std::make_unique<CountingWords>(told); });
    QVERIFY(speech);
    speech->startUpIsOver();
    QCOMPARE(speech->Configure(33), 0);
    QCOMPARE(speech->Speak(QStringLiteral("ア"), 0), 0);
    QCOMPARE(speech->WaitDone(), 0);
    QCOMPARE(told->load(), 1);
}

void tst_SpeechDispatcher::createFailsFastWithoutDaemon_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("no socket file") << QStringLiteral("unix_socket:%1/nothing.sock");
    QTest::newRow("unknown method") << QStringLiteral("carrier_pigeon:%1");
}

void tst_SpeechDispatcher::createFailsFastWithoutDaemon()
{
    QFETCH(QString, address);
    QTemporaryDir dir;
    AddressScope scope(address.arg(dir.path()));
    // A daemon started on our behalf would set up its folder in here.
    const QString runtime = dir.path() + QStringLiteral("/run");
    QVERIFY(QDir().mkdir(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EnvironmentScope runtimeScope("XDG_RUNTIME_DIR", runtime);

    QVERIFY(!SpeechDispatcherObject::create());
    // An address given by the user is used as it is: no daemon is started.
    QVERIFY(!QFileInfo::exists(runtime + QStringLiteral("/speech-dispatcher")));
}

void tst_SpeechDispatcher::createGivesUpOnSilentServer()
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/silent.sock");
    UnixListener server(path);
    QVERIFY(server.isListening());
    AddressScope scope(QStringLiteral("unix_socket:") + path);

    QElapsedTimer timer;
    timer.start();
    QVERIFY(!SpeechDispatcherObject::create());
    QVERIFY2(timer.elapsed() < ms(Bounds{}.open) + HangGuardMs, qPrintable(QString::number(timer.elapsed())));
}

void tst_SpeechDispatcher::killedDaemonFailsWithinBound_data()
{
    QTest::addColumn<bool>("speaking");
    QTest::newRow("idle, then Speak") << false;
    QTest::newRow("while speaking, then WaitDone") << true;
}

void tst_SpeechDispatcher::killedDaemonFailsWithinBound()
{
    QFETCH(bool, speaking);
    SpeechDaemon daemon;
    QString whyNot;
    QVERIFY2(daemon.start(&whyNot), qPrintable(whyNot));
    AddressScope scope(daemon.address());
    std::unique_ptr<SpeechObject> speech = SpeechDispatcherObject::createWithBounds(QuickBounds);
    QVERIFY(speech);
    QCOMPARE(speech->Configure(33), 0);
    if (speaking)
        QCOMPARE(speech->Speak(longText(20), 0), 0);

    daemon.kill();
    QElapsedTimer timer;
    timer.start();
    // The wait outlasts its bound with the text unfinished, and then finds
    // the connection gone.
    if (speaking)
        QVERIFY(speech->WaitDone() < 0);
    else
        QVERIFY(speech->Speak(QStringLiteral("あ"), 0) < 0);
    QVERIFY2(timer.elapsed() < ms(QuickBounds.wait) + ms(QuickBounds.call) + HangGuardMs,
             qPrintable(QString::number(timer.elapsed())));

    // From now on every call fails without reaching the daemon.
    timer.restart();
    QVERIFY(speech->Interrupt() < 0);
    QVERIFY(speech->Speak(QStringLiteral("い"), 0) < 0);
    QVERIFY(speech->WaitDone() < 0);
    speech.reset();
    QVERIFY2(timer.elapsed() < ms(QuickBounds.call) + HangGuardMs, qPrintable(QString::number(timer.elapsed())));
}

void tst_SpeechDispatcher::stoppedDaemonFailsWithinBound_data()
{
    QTest::addColumn<QString>("firstCall");
    QTest::newRow("Speak") << QStringLiteral("Speak");
    QTest::newRow("Interrupt") << QStringLiteral("Interrupt");
    QTest::newRow("Configure") << QStringLiteral("Configure");
    QTest::newRow("WaitDone while speaking") << QStringLiteral("WaitDone");
}

void tst_SpeechDispatcher::stoppedDaemonFailsWithinBound()
{
    QFETCH(QString, firstCall);
    // One daemon for every row: stopped during a row, continued after it.
    QString whyNot;
    QVERIFY2(m_stoppable.start(&whyNot), qPrintable(whyNot));
    AddressScope scope(m_stoppable.address());
    std::unique_ptr<SpeechObject> speech = SpeechDispatcherObject::createWithBounds(QuickBounds);
    QVERIFY(speech);
    if (firstCall != QLatin1String("Configure"))
        QCOMPARE(speech->Configure(33), 0);
    if (firstCall == QLatin1String("WaitDone"))
        QCOMPARE(speech->Speak(longText(20), 0), 0);

    m_stoppable.pause();
    QElapsedTimer timer;
    timer.start();
    int status = 0;
    if (firstCall == QLatin1String("Speak"))
        status = speech->Speak(QStringLiteral("あ"), 0);
    else if (firstCall == QLatin1String("Interrupt"))
        status = speech->Interrupt();
    else if (firstCall == QLatin1String("Configure"))
        status = speech->Configure(33);
    else // a wait past its bound asks the daemon, which does not answer
        status = speech->WaitDone();
    QVERIFY(status < 0);
    QVERIFY2(timer.elapsed() < ms(QuickBounds.wait) + ms(QuickBounds.call) + HangGuardMs,
             qPrintable(QString::number(timer.elapsed())));

    // The worker is still stuck in the first call, and stays so until the
    // daemon goes on below: nothing may queue behind it, and giving the
    // object up does not wait for it either; a wait would never end (the
    // guard only stops the hang).
    timer.restart();
    QVERIFY(speech->Speak(QStringLiteral("い"), 0) < 0);
    QVERIFY(speech->Interrupt() < 0);
    QVERIFY(speech->WaitDone() < 0);
    speech.reset();
    QVERIFY2(timer.elapsed() < HangGuardMs, qPrintable(QString::number(timer.elapsed())));
    m_stoppable.resume();
}

void tst_SpeechDispatcher::daemonLostDuringWaitEndsIt_data()
{
    QTest::addColumn<bool>("killed");
    QTest::newRow("killed: the connection closes") << true;
    QTest::newRow("stopped: the liveness question goes unanswered") << false;
}

void tst_SpeechDispatcher::daemonLostDuringWaitEndsIt()
{
    QFETCH(bool, killed);
    // A wait far longer than the hang guard: a wait that ends in time was
    // ended by the daemon's going, not by its own bound.
    const Bounds longWait{3000ms, 1000ms, 600000ms};
    SpeechDaemon daemon;
    QString whyNot;
    QVERIFY2(daemon.start(&whyNot), qPrintable(whyNot));
    AddressScope scope(daemon.address());
    std::unique_ptr<SpeechObject> speech = SpeechDispatcherObject::createWithBounds(longWait);
    QVERIFY(speech);
    QCOMPARE(speech->Configure(33), 0);
    const QString text = longText(40);
    QCOMPARE(speech->Speak(text, 0), 0);
    if (!killed)
        daemon.pause();

    std::promise<int> waited;
    std::future<int> status = waited.get_future();
    std::thread waiter([&] { waited.set_value(speech->WaitDone()); });
    if (killed) {
        QVERIFY2(status.wait_for(300ms) == std::future_status::timeout, "the wait ended with the text still spoken");
        daemon.kill();
    }
    if (status.wait_for(std::chrono::milliseconds(HangGuardMs)) != std::future_status::ready) {
        waiter.detach();
        speech.release(); // still in use by the waiter
        QFAIL("the wait ran on after the daemon was gone");
    }
    waiter.join();
    QVERIFY(status.get() < 0);
    QCOMPARE(daemon.endingOf(text), QString());
    // Speech is off: nothing more is tried.
    QVERIFY(speech->Speak(QStringLiteral("あ"), 0) < 0);
    if (!killed)
        daemon.resume();
}

void tst_SpeechDispatcher::endBeforeAnswerStillCounts()
{
    QTemporaryDir dir;
    FakeSsipServer server(dir.path() + QStringLiteral("/fake.sock"), FakeSsipServer::Ending::BeforeAnswer);
    QVERIFY(server.isListening());
    AddressScope scope(QStringLiteral("unix_socket:") + dir.path() + QStringLiteral("/fake.sock"));
    std::unique_ptr<SpeechObject> speech = SpeechDispatcherObject::createWithBounds(QuickBounds);
    QVERIFY(speech);
    QCOMPARE(speech->Configure(33), 0);
    QCOMPARE(speech->Speak(QStringLiteral("あ"), 0), 0);
    // 0: the END was counted; a lost one would leave the wait to run out.
    QCOMPARE(speech->WaitDone(), 0);
}

void tst_SpeechDispatcher::otherClientsEventsAreIgnored()
{
    QTemporaryDir dir;
    FakeSsipServer server(dir.path() + QStringLiteral("/fake.sock"), FakeSsipServer::Ending::ForeignOnly);
    QVERIFY(server.isListening());
    AddressScope scope(QStringLiteral("unix_socket:") + dir.path() + QStringLiteral("/fake.sock"));
    std::unique_ptr<SpeechObject> speech = SpeechDispatcherObject::createWithBounds(QuickBounds);
    QVERIFY(speech);
    QCOMPARE(speech->Speak(QStringLiteral("あ"), 0), 0);
    // The only END is another client's: taken for ours it would end the wait
    // with 0; left alone, the wait runs out with the text still going.
    QCOMPARE(speech->WaitDone(), 1);
    QVERIFY(!static_cast<SpeechDispatcherObject&>(*speech).hasFailed());
}

void tst_SpeechDispatcher::peerThatStopsReadingDoesNotEndTheProgram()
{
    QTemporaryDir dir;
    FakeSsipServer server(dir.path() + QStringLiteral("/fake.sock"), FakeSsipServer::Ending::Normal);
    QVERIFY(server.isListening());
    AddressScope scope(QStringLiteral("unix_socket:") + dir.path() + QStringLiteral("/fake.sock"));
    std::unique_ptr<SpeechObject> speech = SpeechDispatcherObject::createWithBounds(QuickBounds);
    QVERIFY(speech);
    QCOMPARE(speech->Speak(QStringLiteral("あ"), 0), 0);
    QCOMPARE(speech->WaitDone(), 0);

    // Qt's own sockets may have set SIGPIPE aside already; the program must
    // not depend on that.
    struct sigaction defaultAction = {}, previous = {};
    defaultAction.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &defaultAction, &previous);
    const auto restore = qScopeGuard([&] { sigaction(SIGPIPE, &previous, nullptr); });

    server.stopReading();
    // The write meets a closed pipe: SIGPIPE would end this process here.
    QElapsedTimer timer;
    timer.start();
    QVERIFY(speech->Speak(QStringLiteral("い"), 0) < 0);
    QVERIFY2(timer.elapsed() < ms(QuickBounds.call) + HangGuardMs, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(speech->WaitDone() < 0);
}

void tst_SpeechDispatcher::readingFollowsTheOutputModule_data()
{
    QTest::addColumn<QString>("daemon");
    QTest::addColumn<SpeechReadingMode>("mode");
    QTest::addColumn<QString>("received");
    QTest::addColumn<bool>("byJTalk");

    const QString asWritten = QStringLiteral("差出人の名前は、未登録");
    const QString kana = QStringLiteral("サシダシニンノナマエワ、ミトーロク");
    QTest::newRow("espeak-ng, auto") << u"espeak-ng"_s << SpeechReadingMode::Auto << kana << false;
    QTest::newRow("espeak-ng, off") << u"espeak-ng"_s << SpeechReadingMode::Off << asWritten << false;
    QTest::newRow("other engine, auto") << u"other"_s << SpeechReadingMode::Auto << asWritten << false;
    QTest::newRow("other engine, kana") << u"other"_s << SpeechReadingMode::Kana << kana << false;
    // Open JTalk takes espeak's place, and the texts as they are.
    QTest::newRow("espeak-ng and Open JTalk, auto") << u"espeak-ng+jtalk"_s << SpeechReadingMode::Auto << asWritten
                                                    << true;
    QTest::newRow("espeak-ng and Open JTalk, kana") << u"espeak-ng+jtalk"_s << SpeechReadingMode::Kana << kana
                                                    << false;
    // The user's own choice for Japanese stays, unless Open JTalk is asked for.
    QTest::newRow("other engine and Open JTalk, auto") << u"other+jtalk"_s << SpeechReadingMode::Auto << asWritten
                                                       << false;
    QTest::newRow("other engine and Open JTalk, jtalk") << u"other+jtalk"_s << SpeechReadingMode::JTalk << asWritten
                                                        << true;
}

void tst_SpeechDispatcher::readingFollowsTheOutputModule()
{
    QFETCH(QString, daemon);
    QFETCH(SpeechReadingMode, mode);
    QFETCH(QString, received);
    QFETCH(bool, byJTalk);
    SpeechDaemon& chosen = daemon == u"espeak-ng"_s     ? m_daemon
                           : daemon == u"other"_s       ? m_otherEngine
                           : daemon == u"other+jtalk"_s ? m_otherEngineWithJTalk
                                                        : m_withJTalk;
    QString whyNot;
    QVERIFY2(chosen.start(&whyNot), qPrintable(whyNot));
    AddressScope scope(chosen.address());
    const QString trace = m_traces.filePath(daemon.contains(u"other"_s) ? u"other"_s : u"espeak-ng"_s);
    QFile::remove(trace);

    std::unique_ptr<SpeechObject> speech =
        SpeechDispatcherObject::createWithBounds(PatientBounds, mode, [] { return MecabWordReadings::open(); });
    QVERIFY(speech);
    QCOMPARE(speech->Configure(33), 0);
    QCOMPARE(static_cast<SpeechDispatcherObject&>(*speech).readsAsKana(), received != QStringLiteral("差出人の名前は、未登録"));
    // The first announcement of the program, as the speech channel hands it over.
    QCOMPARE(speech->Speak(QStringLiteral("差出人の名前は\uF8F2未登録"), 0), 0);
    QCOMPARE(speech->WaitDone(), 0);
    QCOMPARE(chosen.queuedMessages().last(), received);
    // Who spoke it: the module writes down every line it says.
    QFile said(trace);
    QByteArrayList lines;
    if (said.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : said.readAll().split('\n')) {
            if (line.startsWith("text\t"))
                lines << line.mid(5);
        }
    }
    QCOMPARE(lines, byJTalk ? QByteArrayList({"差出人の名前は、", "未登録"}) : QByteArrayList());
}

QTEST_GUILESS_MAIN(tst_SpeechDispatcher)
#include "tst_speechdispatcher.moc"
