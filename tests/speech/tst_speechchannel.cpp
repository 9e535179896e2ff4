#include "RecordingSpeechObject.h"
#include "speech/Announce.h"
#include "speech/SpeechChannel.h"

#include <QTest>

namespace {

const QString Sep = QString(AnnounceSeparator);

// A channel started on a recording object, with the log of what reached it.
struct Started {
    std::shared_ptr<RecordingSpeechObject::Log> log = std::make_shared<RecordingSpeechObject::Log>();
    SpeechChannel speech;

    explicit Started(void (*prepare)(RecordingSpeechObject::Log&) = nullptr)
    {
        if (prepare)
            prepare(*log);
        speech.VobrInit(RecordingSpeechObject::factory(log));
    }
};

// Runs "V:<text>" (Voice), "Q" (Quick) and "W" (VoiceWait) in order.
void play(SpeechChannel& speech, const QStringList& script)
{
    for (const QString& step : script) {
        if (step.startsWith(QLatin1String("V:")))
            speech.Voice(step.mid(2));
        else if (step == QLatin1String("Q"))
            speech.Quick();
        else if (step == QLatin1String("W"))
            speech.VoiceWait();
        else
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

} // namespace

class tst_SpeechChannel : public QObject
{
    Q_OBJECT

private slots:
    void notStartedSaysNothing();
    void vobrInitConfiguresFirstAndOnce();
    void vobrInitWithoutObject_data();
    void vobrInitWithoutObject();
    void vobrInitRunsOncePerProcess();
    void configureFailureSilencesEverything();
    void failingCallSwitchesSpeechOff_data();
    void failingCallSwitchesSpeechOff();
    void textsGoUnchanged_data();
    void textsGoUnchanged();

    void addNaiyo_data();
    void addNaiyo();
    void fieldAnnouncement_data();
    void fieldAnnouncement();
    void buttonAnnouncement();
    void listAnnouncement_data();
    void listAnnouncement();
    void announcementAfterFailedQuickStops();
    void announcementsWhileDisabledReachNothing();
    void besideScreenReaderOnlyWordsNoFocusCarries();
};

void tst_SpeechChannel::notStartedSaysNothing()
{
    SpeechChannel speech;
    QVERIFY(!speech.VoiceEnabled());
    QVERIFY(!speech.hasVoiceObject());
    // Nothing to call yet: these must simply return.
    play(speech, {QStringLiteral("Q"), QStringLiteral("V:a"), QStringLiteral("W")});
    QVERIFY(!speech.VoiceEnabled());
}

void tst_SpeechChannel::vobrInitConfiguresFirstAndOnce()
{
    Started s;
    QVERIFY(s.speech.VoiceEnabled());
    QVERIFY(s.speech.hasVoiceObject());
    QCOMPARE(s.log->calls, QStringList{QStringLiteral("Configure(33)")});

    play(s.speech, {QStringLiteral("Q"), QStringLiteral("V:a"), QStringLiteral("V:b"), QStringLiteral("W")});
    const QStringList expected = {QStringLiteral("Configure(33)"), QStringLiteral("Interrupt"),
                                  QStringLiteral("Speak:a"), QStringLiteral("Speak:b"), QStringLiteral("WaitDone")};
    QCOMPARE(s.log->calls, expected);
    QVERIFY(s.speech.VoiceEnabled());
}

void tst_SpeechChannel::vobrInitWithoutObject_data()
{
    QTest::addColumn<bool>("emptyFactory");
    QTest::newRow("no factory at all") << true;
    QTest::newRow("factory cannot create the object") << false;
}

void tst_SpeechChannel::vobrInitWithoutObject()
{
    QFETCH(bool, emptyFactory);
    int created = 0;
    SpeechObjectFactory factory;
    if (!emptyFactory)
        factory = [&created]() -> std::unique_ptr<SpeechObject> {
            ++created;
            return nullptr;
        };
    SpeechChannel speech;
    speech.VobrInit(factory);
    QCOMPARE(created, emptyFactory ? 0 : 1);
    QVERIFY(!speech.VoiceEnabled());
    QVERIFY(!speech.hasVoiceObject());
    play(speech, {QStringLiteral("Q"), QStringLiteral("V:a"), QStringLiteral("W")});
    QVERIFY(!speech.VoiceEnabled());
}

void tst_SpeechChannel::vobrInitRunsOncePerProcess()
{
    auto log = std::make_shared<RecordingSpeechObject::Log>();
    int created = 0;
    const SpeechObjectFactory counting = [&]() -> std::unique_ptr<SpeechObject> {
        ++created;
        return std::make_unique<RecordingSpeechObject>(log);
    };

    SpeechChannel speech;
    speech.VobrInit(counting);
    speech.VobrInit(counting);
    QCOMPARE(created, 1);
    QCOMPARE(log->calls, QStringList{QStringLiteral("Configure(33)")});

    // A creation that failed is not retried either: the next run tries again.
    SpeechChannel silent;
    int failedCreations = 0;
    const SpeechObjectFactory failing = [&]() -> std::unique_ptr<SpeechObject> {
        ++failedCreations;
        return nullptr;
    };
    silent.VobrInit(failing);
    silent.VobrInit(counting);
    QCOMPARE(failedCreations, 1);
    QCOMPARE(created, 1);
    QVERIFY(!silent.VoiceEnabled());
}

void tst_SpeechChannel::configureFailureSilencesEverything()
{
    Started s([](RecordingSpeechObject::Log& log) { log.failConfigureAt = 1; });
    QVERIFY(!s.speech.VoiceEnabled());
    // The object exists but no further call may reach it.
    QVERIFY(s.speech.hasVoiceObject());
    play(s.speech, {QStringLiteral("Q"), QStringLiteral("V:a"), QStringLiteral("W"), QStringLiteral("V:b")});
    Announce::field(s.speech, QStringLiteral("差出人の名前は"), QString());
    QCOMPARE(s.log->calls, QStringList{QStringLiteral("Configure(33)")});
}

void tst_SpeechChannel::failingCallSwitchesSpeechOff_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("failAt");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QStringList>("reached");
    QTest::addColumn<bool>("enabledAfter");

    const QString V_a = QStringLiteral("V:a"), V_b = QStringLiteral("V:b"), V_c = QStringLiteral("V:c");
    const QString Q = QStringLiteral("Q"), W = QStringLiteral("W");
    const QString Cfg = QStringLiteral("Configure(33)"), Int = QStringLiteral("Interrupt");
    const QString Sa = QStringLiteral("Speak:a"), Sb = QStringLiteral("Speak:b"), Sc = QStringLiteral("Speak:c");
    const QString Wd = QStringLiteral("WaitDone");

    QTest::newRow("nothing fails") << QString() << 0 << QStringList{Q, V_a, V_b, W}
                                   << QStringList{Cfg, Int, Sa, Sb, Wd} << true;
    QTest::newRow("first Speak fails") << QStringLiteral("Speak") << 1 << QStringList{V_a, Q, V_b, W}
                                       << QStringList{Cfg, Sa} << false;
    QTest::newRow("second Speak fails mid-run") << QStringLiteral("Speak") << 2 << QStringList{V_a, V_b, V_c, Q, W}
                                                << QStringList{Cfg, Sa, Sb} << false;
    QTest::newRow("Interrupt fails") << QStringLiteral("Interrupt") << 1 << QStringList{Q, V_a, W}
                                     << QStringList{Cfg, Int} << false;
    QTest::newRow("later Interrupt fails") << QStringLiteral("Interrupt") << 2 << QStringList{Q, V_a, Q, V_b, W}
                                           << QStringList{Cfg, Int, Sa, Int} << false;
    QTest::newRow("WaitDone fails") << QStringLiteral("WaitDone") << 1 << QStringList{V_a, W, Q, V_b, W}
                                    << QStringList{Cfg, Sa, Wd} << false;
}

void tst_SpeechChannel::failingCallSwitchesSpeechOff()
{
    QFETCH(QString, failing);
    QFETCH(int, failAt);
    QFETCH(QStringList, script);
    QFETCH(QStringList, reached);
    QFETCH(bool, enabledAfter);

    auto log = std::make_shared<RecordingSpeechObject::Log>();
    if (failing == QLatin1String("Speak"))
        log->failSpeakAt = failAt;
    else if (failing == QLatin1String("Interrupt"))
        log->failInterruptAt = failAt;
    else if (failing == QLatin1String("WaitDone"))
        log->failWaitDoneAt = failAt;
    SpeechChannel speech;
    speech.VobrInit(RecordingSpeechObject::factory(log));

    play(speech, script);
    QCOMPARE(log->calls, reached);
    QCOMPARE(speech.VoiceEnabled(), enabledAfter);
    // Off stays off for the rest of the run.
    if (!enabledAfter) {
        speech.VobrInit(RecordingSpeechObject::factory(log));
        play(speech, {QStringLiteral("Q"), QStringLiteral("V:z"), QStringLiteral("W")});
        QCOMPARE(log->calls, reached);
        QVERIFY(!speech.VoiceEnabled());
    }
}

void tst_SpeechChannel::textsGoUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("spaces only") << QStringLiteral("   ");
    QTest::newRow("leading and trailing spaces") << QStringLiteral(" 太郎 ");
    QTest::newRow("ideographic space") << QStringLiteral("山田\u3000太郎\u3000");
    QTest::newRow("LF") << QStringLiteral("一行目\n二行目");
    QTest::newRow("CR LF") << QStringLiteral("一行目\r\n二行目\r\n");
    QTest::newRow("bare CR") << QStringLiteral("a\rb");
    QTest::newRow("a dot line") << QStringLiteral("a\n.\nb");
    QTest::newRow("separator") << QStringLiteral("メールアドレスは") + AnnounceSeparator + QStringLiteral("未登録");
    QTest::newRow("tab and escape") << QStringLiteral("a\tb\x1b[0m");
    QTest::newRow("half- and full-width") << QStringLiteral("ﾊﾟｽﾜｰﾄﾞ ＡＢＣ abc");
}

void tst_SpeechChannel::textsGoUnchanged()
{
    QFETCH(QString, text);
    Started s;
    s.log->clear();
    s.speech.Voice(text);
    // Exactly one call with the text as given and the integer 0 (a non-zero
    // integer would be logged as an extra entry).
    QCOMPARE(s.log->calls, QStringList{QStringLiteral("Speak:") + text});
    QVERIFY(s.speech.VoiceEnabled());
}

void tst_SpeechChannel::addNaiyo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QString>("textAfter");
    QTest::newRow("empty becomes 未登録") << QString() << Sep + QStringLiteral("未登録") << QStringLiteral("未登録");
    QTest::newRow("one space is content") << QStringLiteral(" ") << Sep + QStringLiteral(" ") << QStringLiteral(" ");
    QTest::newRow("ideographic space is content") << QStringLiteral("\u3000") << Sep + QStringLiteral("\u3000")
                                                  << QStringLiteral("\u3000");
    QTest::newRow("text kept") << QStringLiteral("taro@nifty.com") << Sep + QStringLiteral("taro@nifty.com")
                               << QStringLiteral("taro@nifty.com");
}

void tst_SpeechChannel::addNaiyo()
{
    QFETCH(QString, text);
    QFETCH(QString, phrase);
    QFETCH(QString, textAfter);
    QCOMPARE(AddNaiyo(text), phrase);
    QCOMPARE(text, textAfter);
}

void tst_SpeechChannel::fieldAnnouncement_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("empty field") << QStringLiteral("差出人の名前は") << QString()
                                 << QStringLiteral("差出人の名前は") + Sep + QStringLiteral("未登録");
    QTest::newRow("spaces are said as they are") << QStringLiteral("メールアドレスは") << QStringLiteral("  ")
                                                 << QStringLiteral("メールアドレスは") + Sep + QStringLiteral("  ");
    QTest::newRow("field text") << QStringLiteral("POPサーバーは") << QStringLiteral("pop.nifty.com")
                                << QStringLiteral("POPサーバーは") + Sep + QStringLiteral("pop.nifty.com");
}

void tst_SpeechChannel::fieldAnnouncement()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QString, spoken);
    Started s;
    s.log->clear();
    const QString fieldText = text;
    Announce::field(s.speech, label, fieldText);
    QCOMPARE(s.log->calls, (QStringList{QStringLiteral("Interrupt"), QStringLiteral("Speak:") + spoken}));
    // The field itself keeps its empty text.
    QCOMPARE(fieldText, text);
}

void tst_SpeechChannel::buttonAnnouncement()
{
    Started s;
    s.log->clear();
    Announce::button(s.speech, QStringLiteral("すべてクリアのプッシュボタン"), QStringLiteral("Enterはクリア Tabは次へ"));
    QCOMPARE(s.log->calls,
             (QStringList{QStringLiteral("Interrupt"),
                          QStringLiteral("Speak:すべてクリアのプッシュボタン") + Sep + QStringLiteral("Enterはクリア Tabは次へ")}));
}

void tst_SpeechChannel::listAnnouncement_data()
{
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("calls");
    const QString title = QStringLiteral("プロバイダの選択");
    QTest::newRow("nothing selected") << false << QString()
                                      << QStringList{QStringLiteral("Interrupt"), QStringLiteral("Speak:") + title};
    QTest::newRow("entry selected: two texts, no separator")
        << true << QStringLiteral("@nifty")
        << QStringList{QStringLiteral("Interrupt"), QStringLiteral("Speak:") + title, QStringLiteral("Speak:@nifty")};
    QTest::newRow("selected entry with empty text is still said")
        << true << QString()
        << QStringList{QStringLiteral("Interrupt"), QStringLiteral("Speak:") + title, QStringLiteral("Speak:")};
}

void tst_SpeechChannel::listAnnouncement()
{
    QFETCH(bool, selected);
    QFETCH(QString, entry);
    QFETCH(QStringList, calls);
    Started s;
    s.log->clear();
    Announce::list(s.speech, QStringLiteral("プロバイダの選択"), selected ? &entry : nullptr);
    QCOMPARE(s.log->calls, calls);
}

void tst_SpeechChannel::announcementAfterFailedQuickStops()
{
    Started s([](RecordingSpeechObject::Log& log) { log.failInterruptAt = 1; });
    const QString entry = QStringLiteral("biglobe");
    Announce::list(s.speech, QStringLiteral("プロバイダの選択"), &entry);
    QCOMPARE(s.log->calls, (QStringList{QStringLiteral("Configure(33)"), QStringLiteral("Interrupt")}));
    QVERIFY(!s.speech.VoiceEnabled());
}

void tst_SpeechChannel::announcementsWhileDisabledReachNothing()
{
    Started s([](RecordingSpeechObject::Log& log) { log.failSpeakAt = 1; });
    s.speech.Voice(QStringLiteral("x"));
    QVERIFY(!s.speech.VoiceEnabled());
    s.log->clear();
    const QString entry = QStringLiteral("OCN");
    Announce::field(s.speech, QStringLiteral("IDは"), QString());
    Announce::button(s.speech, QStringLiteral("閉じる"), QStringLiteral("Enterで閉じる"));
    Announce::list(s.speech, QStringLiteral("プロバイダの選択"), &entry);
    QVERIFY(s.log->calls.isEmpty());
}

void tst_SpeechChannel::besideScreenReaderOnlyWordsNoFocusCarries()
{
    Started s;
    s.speech.setScreenReaderReads(true);
    s.log->clear();
    const QString entry = QStringLiteral("OCN");
    Announce::field(s.speech, QStringLiteral("IDは"), QString());
    Announce::button(s.speech, QStringLiteral("閉じる"), QStringLiteral("Enterで閉じる"));
    Announce::list(s.speech, QStringLiteral("プロバイダの選択"), &entry);
    Announce::pane(s.speech, QStringLiteral("説明ウインド"), QStringLiteral("本文"));
    Announce::title(s.speech, QStringLiteral("詳細ヘルプウインド"));
    QVERIFY(s.log->calls.isEmpty());
    Announce::fieldElsewhere(s.speech, QStringLiteral("IDは"), QString());
    s.speech.Voice(QStringLiteral("パス"));
    QCOMPARE(s.log->calls, (QStringList{QStringLiteral("Interrupt"), QStringLiteral("Speak:IDは") + Sep + QStringLiteral("未登録"),
                                        QStringLiteral("Speak:パス")}));
}

QTEST_GUILESS_MAIN(tst_SpeechChannel)
#include "tst_speechchannel.moc"
