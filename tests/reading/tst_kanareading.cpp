// The kana reading without the system dictionary: Latin letters, digits and
// symbols, the spellings eSpeak NG needs, punctuation against characters of
// a value, and what a word the dictionary lacks becomes.

#include "reading/AsciiReading.h"
#include "reading/KanaForEspeak.h"
#include "reading/KanaReading.h"
#include "reading/SpeechReadingMode.h"

#include <QHash>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace
{

// A dictionary that knows a handful of words and single kanji.
class FakeWordReadings : public WordReadings
{
public:
    QHash<QString, QString> known{{u"名前"_s, u"ナマエ"_s}, {u"未登録"_s, u"ミトーロク"_s},
                                  {u"受信"_s, u"ジュシン"_s}, {u"は"_s, u"ワ"_s}};
    QHash<char32_t, QString> characters{{U'橋', u"ハシ"_s}, {U'高', u"タカ"_s}};

    // Longest known word first, one character at a time otherwise.
    QList<Word> words(const QString& text) override
    {
        QList<Word> out;
        qsizetype i = 0;
        while (i < text.size()) {
            qsizetype n = text.size() - i;
            for (; n > 0; --n) {
                if (known.contains(text.mid(i, n)))
                    break;
            }
            if (n > 0) {
                out << Word{i, n, known.value(text.mid(i, n))};
                i += n;
            } else {
                const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
                out << Word{i, units, QString()};
                i += units;
            }
        }
        return out;
    }
    std::optional<QString> characterReading(char32_t c) override { return characters.value(c); }
    void startUpIsOver() override { ++startUpsOver; }
    int startUpsOver = 0;
};

} // namespace

class tst_KanaReading : public QObject
{
    Q_OBJECT

private slots:
    void ascii_data();
    void ascii();
    void kanaForEspeak_data();
    void kanaForEspeak();
    void reading_data();
    void reading();
    void noTextReadsAsNothing();
    void startUpIsOverWhenTold();
    void modes();
    void bracketsPairInLinearSteps();
    void longTextsAreNotKept();
};

void tst_KanaReading::ascii_data()
{
    QTest::addColumn<QString>("run");
    QTest::addColumn<QString>("reading");
    QTest::newRow("host spelled, table word inside too") << u"pop.nifty.com"_s
        << u"ピー オー ピー ドット エヌ アイ エフ ティー ワイ ドット シー オー エム"_s;
    QTest::newRow("address with symbols") << u"ta_1@so-net.jp"_s
        << u"ティー エー アンダーバー イチ アットマーク エス オー ハイフン エヌ イー ティー ドット ジェー ピー"_s;
    QTest::newRow("table word alone") << u"nifty"_s << u"ニフティ"_s;
    QTest::newRow("table words at a capital") << u"@niftyID"_s << u"アットニフティ アイディー"_s;
    QTest::newRow("table word with its hyphen") << u"So-net"_s << u"ソーネット"_s;
    QTest::newRow("no table word inside a word") << u"mailpop"_s << u"エム エー アイ エル ピー オー ピー"_s;
    QTest::newRow("ID digit by digit") << u"ABC12345"_s << u"エー ビー シー イチ ニ サン ヨン ゴ"_s;
    QTest::newRow("port as a number") << u"110"_s << u"ヒャクジュー"_s;
    QTest::newRow("sound changes") << u"3800"_s << u"サンゼンハッピャク"_s;
    QTest::newRow("leading zero spelled") << u"0110"_s << u"ゼロ イチ イチ ゼロ"_s;
    QTest::newRow("five digits spelled") << u"12345"_s << u"イチ ニ サン ヨン ゴ"_s;
    QTest::newRow("version") << u"1.0.10"_s << u"イチ テン ゼロ テン ジュー"_s;
    QTest::newRow("password symbols") << u"p$~!"_s << u"ピー ドル チルダ ビックリマーク"_s;
}

void tst_KanaReading::ascii()
{
    QFETCH(QString, run);
    QFETCH(QString, reading);
    QCOMPARE(AsciiReading::read(run), reading);
}

void tst_KanaReading::kanaForEspeak_data()
{
    QTest::addColumn<QString>("kana");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("ヴ") << u"ヴォルニクス ヴ"_s << u"ボルニクス ブ"_s;
    QTest::newRow("small kana it cannot join") << u"キェ スィ ァ"_s << u"キエ スイ ア"_s;
    QTest::newRow("small kana it joins") << u"ファ ティ デュ キョ"_s << u"ファ ティ デュ キョ"_s;
    QTest::newRow("ー after ン, ッ or nothing") << u"カンー アッー ーア"_s << u"カン アッ ア"_s;
    QTest::newRow("ー after a vowel that lengthens") << u"イイー カアー"_s << u"イ イー カ アー"_s;
    QTest::newRow("ウェ after an u") << u"スウェ"_s << u"ス ウェ"_s;
    QTest::newRow("ッ before a vowel") << u"アッア"_s << u"アア"_s;
    QTest::newRow("dropping ッ brings a vowel to ー") << u"アッアー"_s << u"ア アー"_s;
    QTest::newRow("ッ before a dropped ー") << u"ムッーョ"_s << u"ムヨ"_s;
    QTest::newRow("old and rare kana") << u"ヲヰヱヶヵヮ"_s << u"オイエケカワ"_s;
    QTest::newRow("hiragana") << u"ひらがなゞ"_s << u"ヒラガナナ"_s;
}

void tst_KanaReading::kanaForEspeak()
{
    QFETCH(QString, kana);
    QFETCH(QString, spoken);
    QCOMPARE(::kanaForEspeak(kana), spoken);
}

void tst_KanaReading::reading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reading");
    QTest::newRow("separator and line breaks stay")
        << u"名前は\uF8F2未登録\r\nA\n"_s << u"ナマエワ\uF8F2ミトーロク\r\nエー\n"_s;
    QTest::newRow("brackets around words are a pause") << u"サーバー(受信)"_s << u"サーバー ジュシン"_s;
    QTest::newRow("brackets after a name") << u"biglobe(NEC)"_s << u"ビッグローブ エヌ イー シー"_s;
    QTest::newRow("brackets in a value are said") << u"は\uF8F2a(b)"_s
        << u"ワ\uF8F2エー カッコ ビー トジカッコ"_s;
    QTest::newRow("ruled line") << u"－－－－"_s << u"、"_s;
    QTest::newRow("ruled lines of other dashes") << u"受信――――受信─────"_s << u"ジュシン、ジュシン、"_s;
    QTest::newRow("every symbol of a password") << u"は\uF8F2a**-_b\uF8F2***\uF8F2x ---"_s
        << u"ワ\uF8F2エー アスタリスク アスタリスク ハイフン アンダーバー ビー\uF8F2アスタリスク アスタリスク "
           u"アスタリスク\uF8F2エックス ハイフン ハイフン ハイフン"_s;
    QTest::newRow("range") << u"は(30～300)"_s << u"ワ サンジューカラサンビャク"_s;
    QTest::newRow("full-width and half-width forms") << u"ＩＤ ｶﾞｲﾄﾞ"_s << u"アイディー ガイド"_s;
    QTest::newRow("circled number") << u"①受信"_s << u"マルイチジュシン"_s;
    QTest::newRow("kanji one by one, variant to common") << u"髙橋"_s << u"タカハシ"_s;
    QTest::newRow("own word") << u"親ディレクトリ"_s << u"オヤディレクトリ"_s;
    QTest::newRow("kanji nobody knows") << u"丼"_s << u"カンジ"_s;
    QTest::newRow("symbols by name") << u"○△"_s << u"マルサンカク"_s;
    QTest::newRow("marks alone") << u"ー゛"_s << u"チョーオンダクテン"_s;
    QTest::newRow("a pasted tab") << u"\t"_s << u"タブ"_s;
    QTest::newRow("controls in a value named") << u"は\uF8F2a\tb\x01\x7F"_s
        << u"ワ\uF8F2エー タブ ビー セイギョモジ セイギョモジ"_s;
    // U+1300C: its low half is 「, a pause.
    QTest::newRow("beyond the BMP, whole") << u"高\U0001300C橋"_s << u"タカ キゴー ハシ"_s;
}

void tst_KanaReading::reading()
{
    QFETCH(QString, text);
    QFETCH(QString, reading);
    KanaReading kana(std::make_unique<FakeWordReadings>());
    QCOMPARE(kana.read(text), reading);
}

void tst_KanaReading::noTextReadsAsNothing()
{
    KanaReading kana(std::make_unique<FakeWordReadings>());
    QCOMPARE(kana.read(QString()), QString());
    QCOMPARE(kana.read(u"\u3000 "_s), u"\u3000 "_s);
    // Anything else is heard, even a lone surrogate or a control character
    // between marks; without a dictionary too.
    for (const QString& text : {QString(QChar(0xD800)), u"゜\x01゛"_s, u"\U0001F600"_s, u"ッ"_s}) {
        QVERIFY2(!kana.read(text).remove(u'\x01').trimmed().isEmpty(), qPrintable(text));
    }
    KanaReading bare(nullptr);
    QCOMPARE(bare.read(u"山はA"_s), u"カンジハエー"_s);
}

// The slow single-kanji readings are left alone while the program starts,
// however many texts it says: they begin when the program says it is up.
void tst_KanaReading::startUpIsOverWhenTold()
{
    auto words = std::make_unique<FakeWordReadings>();
    FakeWordReadings* fake = words.get();
    KanaReading kana(std::move(words));
    kana.read(u"名前は、未登録"_s);
    kana.read(u"受信"_s);
    kana.read(u"高橋"_s);
    QCOMPARE(fake->startUpsOver, 0);
    kana.startUpIsOver();
    QCOMPARE(fake->startUpsOver, 1);
    KanaReading bare(nullptr);
    bare.startUpIsOver();
}

void tst_KanaReading::modes()
{
    QCOMPARE(parseSpeechReadingMode(u"kana"_s), SpeechReadingMode::Kana);
    QCOMPARE(parseSpeechReadingMode(u" OFF "_s), SpeechReadingMode::Off);
    QCOMPARE(parseSpeechReadingMode(u"auto"_s), SpeechReadingMode::Auto);
    QCOMPARE(parseSpeechReadingMode(u"jtalk"_s), SpeechReadingMode::JTalk);
    QCOMPARE(parseSpeechReadingMode(u"yes"_s), SpeechReadingMode::Auto);
    QVERIFY(isEspeakModule(u"espeak-ng"_s));
    QVERIFY(isEspeakModule(u"espeak-ng-mbrola"_s));
    QVERIFY(!isEspeakModule(u"openjtalk"_s));
    QVERIFY(!isEspeakModule(QString()));
}

// A pasted value of a hundred thousand brackets was read in seconds, and
// the speech that waited for it was taken for dead.
void tst_KanaReading::bracketsPairInLinearSteps()
{
    const std::function<QString(qsizetype)> shapes[] = {
        [](qsizetype n) { return QString(n, u'(') + QString(n, u']'); },
        [](qsizetype n) { return QString(n, u'(') + QString(n, u')'); },
        [](qsizetype n) { return u"x([{"_s.repeated(n) + u"}])"_s.repeated(n); },
        [](qsizetype n) { return u"([(]"_s.repeated(n) + u"あ)"_s.repeated(n); },
    };
    for (const auto& shape : shapes) {
        qsizetype steps[2] = {};
        for (const qsizetype n : {qsizetype(1000), qsizetype(8000)}) {
            KanaReading kana(nullptr);
            QVERIFY(!kana.read(shape(n)).isEmpty());
            steps[n > 1000] = kana.bracketSteps();
        }
        QVERIFY2(steps[0] > 0, qPrintable(shape(2)));
        // Eight times the text, eight times the steps; pairing that looks
        // back over what it passed takes sixty-four times.
        QVERIFY2(steps[1] <= 9 * steps[0],
                 qPrintable(shape(2) + u": "_s + QString::number(steps[0]) + u" → "_s
                            + QString::number(steps[1])));
    }
}

// A value may be megabytes long: texts like that, read once each, must not
// stay in memory with the announcements kept for reading again.
void tst_KanaReading::longTextsAreNotKept()
{
    KanaReading kana(std::make_unique<FakeWordReadings>());
    QCOMPARE(kana.read(u"名前は、未登録"_s), kana.read(u"名前は、未登録"_s));
    const qsizetype announcement = kana.keptCharacters();
    QVERIFY(announcement > 0);
    const QString value = u"受信、"_s.repeated(1000);
    QCOMPARE(kana.read(value), kana.read(value));
    QCOMPARE(kana.keptCharacters(), announcement);
}

QTEST_GUILESS_MAIN(tst_KanaReading)
#include "tst_kanareading.moc"
