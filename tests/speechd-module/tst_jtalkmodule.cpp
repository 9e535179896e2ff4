// The output module against a scripted speech-dispatcher: the protocol, and
// what reaches the synthesiser. A stand-in synthesiser writes down every line
// it is given, so that each text can be checked to arrive whole and in order;
// the last case speaks through the real open_jtalk.

#include "ModuleClient.h"
#include "ReadingFixes.h"
#include "Utf8.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace
{

// What a listener hears of a text: its characters without the blanks and
// line ends between the synthesiser's lines.
QString heard(QString text)
{
    static const QRegularExpression blanks(u"[\\s\u3000]+"_s);
    return text.remove(blanks);
}

QString repeated(const QString& piece, int characters)
{
    QString text;
    while (text.size() < characters)
        text += piece;
    return text.left(characters);
}

QStringList childrenOf(qint64 pid)
{
    QStringList children;
    const QStringList entries = QDir(u"/proc"_s).entryList({u"[0-9]*"_s}, QDir::Dirs);
    for (const QString& entry : entries) {
        QFile stat(u"/proc/"_s + entry + u"/stat"_s);
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // "pid (name) state ppid ...": the name may hold spaces.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == pid)
            children << entry;
    }
    return children;
}

} // namespace

class tst_JTalkModule : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void answersAsAModule();
    void everyTextArrivesWholeAndInOrder_data();
    void everyTextArrivesWholeAndInOrder();
    void stopEndsTheTextAndItsSynthesiser();
    void settingsRestartTheSynthesiser();
    void speaksWithOpenJTalk();

private:
    // The stand-in's log: pid, arguments, line, one entry per call.
    QList<QStringList> calls() const;
    bool startModule(ModuleClient& module, const QString& configuration = {});

    QTemporaryDir m_dir;
    QString m_configuration;
    QString m_log;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
};

void tst_JTalkModule::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir().mkpath(m_dir.filePath(u"dic"_s)) && QDir().mkpath(m_dir.filePath(u"voices"_s)));
    QFile dictionary(m_dir.filePath(u"dic/sys.dic"_s));
    QFile voice(m_dir.filePath(u"voices/test_voice.htsvoice"_s));
    QVERIFY(dictionary.open(QIODevice::WriteOnly) && voice.open(QIODevice::WriteOnly));
    m_configuration = m_dir.filePath(u"standin.conf"_s);
    QFile conf(m_configuration);
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("# the stand-in, a dictionary and a voice of the test's own\n"
               "JTalkBinary \"" VX_JTALK_STANDIN "\"\n"
               "JTalkDictionary \"" + m_dir.filePath(u"dic"_s).toUtf8() + "\"\n"
               "JTalkVoice " + m_dir.filePath(u"voices"_s).toUtf8() + "\n");
    m_log = m_dir.filePath(u"standin.log"_s);
    m_environment.insert(u"VX_STANDIN_LOG"_s, m_log);
    m_environment.remove(u"VX_STANDIN_SLOW_LINE"_s);
}

void tst_JTalkModule::init()
{
    QFile::remove(m_log);
}

QList<QStringList> tst_JTalkModule::calls() const
{
    QFile file(m_log);
    QList<QStringList> entries;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty())
                entries << QString::fromUtf8(line).split(u'\t');
        }
    }
    return entries;
}

bool tst_JTalkModule::startModule(ModuleClient& module, const QString& configuration)
{
    if (!module.start(configuration.isNull() ? m_configuration : configuration, m_environment))
        return false;
    const QByteArrayList reply = module.init();
    return !reply.isEmpty() && reply.back() == "299 OK LOADED SUCCESSFULLY";
}

void tst_JTalkModule::answersAsAModule()
{
    ModuleClient module(VX_MODULE);
    QVERIFY(module.start(m_configuration, m_environment));
    const QByteArrayList reply = module.request("INIT");
    QCOMPARE(reply.size(), 2);
    QCOMPARE(reply.back(), "299 OK LOADED SUCCESSFULLY");
    QCOMPARE(module.request("LIST VOICES"), QByteArrayList({"200-test_voice\tja\tnone", "200 OK VOICE LIST SENT"}));
    // Audio through the daemon only: its own output is what its
    // configuration (a test's null output too) says.
    QCOMPARE(module.requestBlock("AUDIO", {"audio_output_method=alsa", "audio_alsa_device=default"}).back(),
             "300 MODULE ERROR");
    QCOMPARE(module.requestBlock("AUDIO", {"audio_output_method=server"}), QByteArrayList{"203 OK AUDIO INITIALIZED"});
    QCOMPARE(module.requestBlock("LOGLEVEL", {"log_level=5"}), QByteArrayList{"203 OK LOGLEVEL SET"});
    QCOMPARE(module.request("NONSENSE"), QByteArrayList{"300 ERR UNKNOWN COMMAND"});
    // A message with nothing to say still begins and ends.
    QVERIFY(module.speak("<speak>  </speak>"));
    QCOMPARE(module.waitForEnd().kinds(), QStringList({u"BEGIN"_s, u"END"_s}));
    QCOMPARE(module.quit(), 0);

    // Without a voice the daemon is told why, and does not list the module.
    QFile conf(m_dir.filePath(u"novoice.conf"_s));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("JTalkBinary " VX_JTALK_STANDIN "\nJTalkDictionary " + m_dir.filePath(u"dic"_s).toUtf8()
               + "\nJTalkVoice " + m_dir.filePath(u"dic"_s).toUtf8() + "\n");
    conf.close();
    ModuleClient without(VX_MODULE);
    QVERIFY(without.start(conf.fileName(), m_environment));
    const QByteArrayList refused = without.request("INIT");
    QCOMPARE(refused.back(), "399 ERR CANT INIT MODULE");
    QVERIFY2(refused.front().contains("hts-voice-nitech-jp-atr503-m001"), refused.front().constData());
    QVERIFY(without.process().waitForFinished(10000));
    QVERIFY(without.process().exitCode() != 0);
}

void tst_JTalkModule::everyTextArrivesWholeAndInOrder_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QStringList>("marks");

    const QString lines =
        u"差出人の名前は、未登録\nメールアドレスは、taro@example.com\n.profile\n..も\n\nポップ受信サーバーは、pop.example.com"_s;
    QTest::newRow("lines, and lines of dots") << lines.toUtf8() << lines << QStringList();

    // Long sentences of many clauses, a run of kana with no pause in 84,000
    // characters, and Latin words: 100,000 characters in all.
    const QString sentences = repeated(repeated(u"メールの設定を確認してから、"_s, 560) + u"。"_s, 8000);
    const QString run = repeated(u"あいうえおかきくけこさしすせそ"_s, 84000);
    const QString latin = repeated(u"The quick brown fox jumps over the lazy dog. "_s, 8000);
    const QString longText = sentences + run + latin;
    QCOMPARE(longText.size(), 100000);
    QTest::newRow("100,000 characters") << longText.toUtf8() << longText << QStringList();

    QString digits;
    for (int i = 0; i < 5000; ++i)
        digits += QChar(u'0' + QRandomGenerator::global()->bounded(10));
    QTest::newRow("5,000 digits") << (u"番号は"_s + digits).toUtf8() << u"番号は"_s + digits << QStringList();

    // Each symbol of a value is named for open_jtalk, which makes the line
    // many times longer than the text.
    const QString value = u"パスワードは、"_s + repeated(u"a$_-"_s, 3000);
    QTest::newRow("a long value of symbols") << value.toUtf8() << value << QStringList();

    QTest::newRow("invalid UTF-8 and control characters")
        << QByteArray("\xff\xfe\xe3\x81 \xe3\x81\x82\x01\x02\x1b[0m\x7f\xc0\xaf" "end\xf0\x9f") << u"あ[0mend"_s
        << QStringList();

    QTest::newRow("SSML with marks and entities")
        << QByteArray("<speak><mark name=\"0:2\"/>はい、&lt;tag&gt; &amp; &#x3042;&#12354;<mark name='a&amp;b'/>"
                      "。<break time=\"1s\"/>終わり<mark name=\"end\"/></speak>")
        << u"はい、<tag> & ああ。、終わり"_s << QStringList({u"0:2"_s, u"a&b"_s, u"end"_s});
}

void tst_JTalkModule::everyTextArrivesWholeAndInOrder()
{
    QFETCH(QByteArray, message);
    QFETCH(QString, said);
    QFETCH(QStringList, marks);
    ModuleClient module(VX_MODULE);
    QVERIFY(startModule(module));
    QVERIFY(module.speak(message));
    // A bound against a hang only: with the sanitizers on a loaded machine
    // the longest text takes minutes.
    const ModuleClient::Spoken spoken = module.waitForEnd(400000);
    QCOMPARE(spoken.ending(), u"END"_s);
    QCOMPARE(spoken.events.front().kind, u"BEGIN"_s);
    QVERIFY(!spoken.samples.isEmpty());
    QCOMPARE(spoken.marks(), marks);
    QVERIFY(!spoken.kinds().contains(u"BAD AUDIO"_s));

    QString given;
    for (const QStringList& call : calls()) {
        QCOMPARE(call.size(), 3);
        const QByteArray line = call.at(2).toUtf8();
        // open_jtalk drops what its buffer cannot hold, and aborts on a line
        // that overflows it when widened.
        QVERIFY2(jtalkBytes(line.toStdString()) <= 600, line.constData());
        given += call.at(2);
    }
    // As written, but for what the module writes around for open_jtalk
    // (symbols inside a value are named).
    QCOMPARE(heard(given), heard(QString::fromStdString(withReadingFixes(said.toStdString()))));
    QCOMPARE(module.quit(), 0);
}

void tst_JTalkModule::stopEndsTheTextAndItsSynthesiser()
{
    ModuleClient module(VX_MODULE);
    // The second sentence would take the stand-in a minute: only a kill
    // ends it within the wait below.
    m_environment.insert(u"VX_STANDIN_SLOW_LINE"_s, u"二つ目"_s);
    const auto restore = qScopeGuard([this] { m_environment.remove(u"VX_STANDIN_SLOW_LINE"_s); });
    QVERIFY(startModule(module));
    QVERIFY(module.speak("一つ目の文です。二つ目の文です。三つ目の文です。四つ目の文です。"));
    ModuleClient::Spoken spoken;
    for (;;) {
        const std::optional<ModuleClient::Event> event = module.nextEvent(20000, &spoken);
        QVERIFY2(event && event->kind != u"END"_s, "no speech came");
        if (event->kind == u"AUDIO"_s)
            break;
    }
    // The second line is with the synthesiser now.
    QTRY_COMPARE_WITH_TIMEOUT(calls().size(), 2, 10000);
    module.send("STOP\n");
    const ModuleClient::Spoken rest = module.waitForEnd(20000);
    QCOMPARE(rest.ending(), u"STOP"_s);
    QVERIFY(!rest.kinds().contains(u"END"_s));

    // Nothing of the stopped text runs on; the one process waiting ahead
    // for the next text has been given no line.
    const QList<QStringList> given = calls();
    QCOMPARE(given.size(), 2);
    const QStringList children = childrenOf(module.pid());
    QVERIFY2(children.size() <= 1, qPrintable(children.join(u' ')));
    for (const QStringList& call : given) {
        QVERIFY(!children.contains(call.at(0)));
        QVERIFY(::kill(pid_t(call.at(0).toInt()), 0) != 0);
    }
    // STOP with nothing being said is no error and reports nothing.
    module.send("STOP\n");
    QVERIFY(module.speak("次の文です。"));
    QCOMPARE(module.waitForEnd(20000).kinds(), QStringList({u"BEGIN"_s, u"AUDIO"_s, u"END"_s}));
    QCOMPARE(calls().last().at(2), u"次の文です。"_s);
}

void tst_JTalkModule::settingsRestartTheSynthesiser()
{
    ModuleClient module(VX_MODULE);
    QVERIFY(startModule(module));
    const struct {
        QByteArrayList settings;
        QString arguments;
    } rows[] = {
        {{"rate=0", "pitch=0", "volume=100"}, u"-r 1.000 -fm 0.000 -g 0.000"_s},
        {{"rate=100", "pitch=-100", "volume=0", "punctuation_mode=all"}, u"-r 2.000 -fm -12.000 -g -6.021"_s},
        {{"rate=-100", "pitch=50", "volume=-100", "language=ja"}, u"-r 0.500 -fm 6.000 -g -60.000"_s},
    };
    for (const auto& row : rows) {
        QCOMPARE(module.requestBlock("SET", row.settings), QByteArrayList{"203 OK SETTINGS RECEIVED"});
        QVERIFY(module.speak("はい"));
        QCOMPARE(module.waitForEnd().ending(), u"END"_s);
        QVERIFY2(calls().last().at(1).contains(row.arguments), qPrintable(calls().last().at(1)));
    }
}

void tst_JTalkModule::speaksWithOpenJTalk()
{
    QVERIFY2(QFile::exists(u"/usr/share/hts-voice/nitech-jp-atr503-m001/nitech_jp_atr503_m001.htsvoice"_s),
             "the voice hts-voice-nitech-jp-atr503-m001 is not installed (make test installs it)");
    const QString trace = m_dir.filePath(u"trace.txt"_s);
    m_environment.insert(u"VORNIX_JTALK_TRACE"_s, trace);
    const auto restore = qScopeGuard([this] { m_environment.remove(u"VORNIX_JTALK_TRACE"_s); });
    ModuleClient module(VX_MODULE);
    QVERIFY(startModule(module, m_dir.filePath(u"no-such.conf"_s)));
    const QString text = u"差出人の名前は、未登録\nPOP3サーバー名は、pop.example.com。12345678901234567890"_s;
    QVERIFY(module.speak(text.toUtf8()));
    const ModuleClient::Spoken spoken = module.waitForEnd(60000);
    QCOMPARE(spoken.ending(), u"END"_s);
    QCOMPARE(spoken.sampleRate, 48000);

    QFile file(trace);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString said;
    int words = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("text\t"))
            said += QString::fromUtf8(line.mid(5));
        words += line.startsWith("words\t") && line.size() > 6;
        QVERIFY2(!line.startsWith("error"), line.constData());
    }
    QCOMPARE(heard(said), heard(text));
    QVERIFY(words >= 3);
    // open_jtalk's third of a second of silence is gone: the first sound
    // comes after the 20 ms kept before it.
    const auto loud = std::find_if(spoken.samples.cbegin(), spoken.samples.cend(),
                                   [](qint16 s) { return std::abs(int(s)) >= 104; });
    QVERIFY(loud != spoken.samples.cend());
    QVERIFY2(loud - spoken.samples.cbegin() <= 48000 / 50, qPrintable(QString::number(loud - spoken.samples.cbegin())));
    QVERIFY(spoken.samples.size() > 48000 * 3);
    QCOMPARE(module.quit(), 0);
}

QTEST_GUILESS_MAIN(tst_JTalkModule)
#include "tst_jtalkmodule.moc"
