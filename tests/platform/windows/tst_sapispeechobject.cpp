#include "platform/windows/SapiSpeechObject.h"
#include "platform/windows/SapiVoiceChoice.h"

#include <QTest>
#include <sapi.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace
{
// Writes down what the voice is asked, and answers as prepared.
struct Voice : SapiVoice {
    struct Spoken {
        bool hasText;
        std::wstring text;
        DWORD flags;
    };
    std::vector<Spoken>* spoken;
    std::vector<ULONG>* waits;
    HRESULT answer = S_OK;
    HRESULT waitAnswer = S_OK;

    HRESULT speak(const wchar_t* text, DWORD flags) override
    {
        spoken->push_back({text != nullptr, text ? text : L"", flags});
        return answer;
    }
    HRESULT waitUntilDone(ULONG ms) override
    {
        waits->push_back(ms);
        return waitAnswer;
    }
};
} // namespace

class tst_SapiSpeechObject : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void textsQueueInOrderAsPlainText();
    void interruptPurges();
    void waitIsBoundedAndRunningOutIsNoFailure();
    void voiceFailuresReachTheChannel();
    void japaneseVoiceWhateverTheInterfaceLanguage_data();
    void japaneseVoiceWhateverTheInterfaceLanguage();

private:
    std::vector<Voice::Spoken> m_spoken;
    std::vector<ULONG> m_waits;
    Voice* m_voice = nullptr;
    std::unique_ptr<SapiSpeechObject> m_object;
};

void tst_SapiSpeechObject::init()
{
    m_spoken.clear();
    m_waits.clear();
    auto voice = std::make_unique<Voice>();
    voice->spoken = &m_spoken;
    voice->waits = &m_waits;
    m_voice = voice.get();
    m_object = std::make_unique<SapiSpeechObject>(std::move(voice));
}

void tst_SapiSpeechObject::textsQueueInOrderAsPlainText()
{
    QCOMPARE(m_object->Configure(33), S_OK);
    QVERIFY(m_object->standsInForScreenReader());
    QCOMPARE(m_object->Speak(QStringLiteral("差出人の名前は") + AnnounceSeparator + QStringLiteral("未登録"), 0), 0);
    // Markup characters are words here, and line breaks part words.
    QCOMPARE(m_object->Speak(QStringLiteral("<b>&a\r\nb"), 0), 0);
    QCOMPARE(m_object->Speak(QString(), 0), 0);

    QCOMPARE(m_spoken.size(), size_t(3));
    QVERIFY(m_spoken[0].text == L"差出人の名前は\u3001未登録");
    QVERIFY(m_spoken[1].text == L"<b>&a  b");
    QVERIFY(m_spoken[2].hasText && m_spoken[2].text.empty());
    for (const auto& s : m_spoken)
        QCOMPARE(s.flags, DWORD(SPF_ASYNC | SPF_IS_NOT_XML));
}

void tst_SapiSpeechObject::interruptPurges()
{
    m_object->Speak(QStringLiteral("a"), 0);
    QCOMPARE(m_object->Interrupt(), 0);
    QCOMPARE(m_spoken.size(), size_t(2));
    QVERIFY(!m_spoken[1].hasText);
    QCOMPARE(m_spoken[1].flags & SPF_PURGEBEFORESPEAK, DWORD(SPF_PURGEBEFORESPEAK));
    QCOMPARE(m_spoken[1].flags & SPF_ASYNC, DWORD(SPF_ASYNC));
    // A purge must never wait for the speech it cuts off.
    QVERIFY(m_waits.empty());
}

void tst_SapiSpeechObject::waitIsBoundedAndRunningOutIsNoFailure()
{
    m_voice->waitAnswer = S_FALSE;
    QVERIFY(m_object->WaitDone() >= 0);
    QCOMPARE(m_waits.size(), size_t(1));
    QVERIFY(m_waits[0] != INFINITE);
    QCOMPARE(m_waits[0], SapiSpeechObject::WaitBoundMs);
}

// Wine's voice answers E_NOTIMPL: that must switch speech off, not pass.
void tst_SapiSpeechObject::voiceFailuresReachTheChannel()
{
    m_voice->answer = E_NOTIMPL;
    m_voice->waitAnswer = E_NOTIMPL;
    QVERIFY(m_object->Speak(QStringLiteral("a"), 0) < 0);
    QVERIFY(m_object->Interrupt() < 0);
    QVERIFY(m_object->WaitDone() < 0);
}

void tst_SapiSpeechObject::japaneseVoiceWhateverTheInterfaceLanguage_data()
{
    QTest::addColumn<QStringList>("voices"); // "id=languages"
    QTest::addColumn<QString>("defaultId");
    QTest::addColumn<int>("chosen");         // -1: the default voice stays
    QTest::newRow("no voice") << QStringList() << QString() << -1;
    QTest::newRow("none Japanese") << QStringList{u"en=409"_s, u"de=407"_s} << u"en"_s << -1;
    QTest::newRow("Japanese among others") << QStringList{u"en=409"_s, u"ja=411"_s} << u"en"_s << 1;
    QTest::newRow("a list naming Japanese") << QStringList{u"en=409"_s, u"multi=409;411"_s} << u"en"_s << 1;
    QTest::newRow("the default when it is Japanese")
        << QStringList{u"ja1=411"_s, u"ja2=411"_s} << u"ja2"_s << 1;
    QTest::newRow("no attribute") << QStringList{u"bare="_s} << QString() << -1;
    // Language ids are hexadecimal: "1041" is not Japanese's decimal 1041.
    QTest::newRow("hexadecimal ids") << QStringList{u"x=1041"_s, u"y=0411"_s} << QString() << 1;
}

void tst_SapiSpeechObject::japaneseVoiceWhateverTheInterfaceLanguage()
{
    QFETCH(QStringList, voices);
    QFETCH(QString, defaultId);
    QFETCH(int, chosen);
    std::vector<SapiVoiceToken> tokens;
    for (const QString& voice : voices)
        tokens.push_back({voice.section(u'=', 0, 0).toStdWString(), voice.section(u'=', 1).toStdWString()});
    const std::optional<size_t> choice = chooseJapaneseVoice(tokens, defaultId.toStdWString());
    QCOMPARE(choice ? int(*choice) : -1, chosen);
}

QTEST_GUILESS_MAIN(tst_SapiSpeechObject)
#include "tst_sapispeechobject.moc"
