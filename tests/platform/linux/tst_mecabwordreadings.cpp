// MeCab's words and KANJIDIC's single kanji as the kana reading gets them on
// Linux: long texts cut into pieces, and a table read in the background that
// nobody waits for.

#include "NoThreadsCanStart.h"
#include "platform/linux/dictionary/KanjidicReadings.h"
#include "platform/linux/dictionary/MecabWordReadings.h"
#include "reading/KanaReading.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace Qt::StringLiterals;

class tst_MecabWordReadings : public QObject
{
    Q_OBJECT

private slots:
    void kanjidicLines();
    void longTextInPieces();
    void kanjidicReadBeforeAsked();
    void kanjiSaidWhileTheTableIsRead();
    void kanjidicWithoutAThread();
};

void tst_MecabWordReadings::kanjidicLines()
{
    QCOMPARE(KanjidicReadings::parseLine(u"亜 3021 U4e9c B1 G8 ア つ.ぐ T1 や {Asia}"_s),
             std::make_pair(char32_t(U'亜'), u"ア"_s));
    QCOMPARE(KanjidicReadings::parseLine(u"峠 463D U5ce0 B46 G9 とうげ {mountain peak}"_s),
             std::make_pair(char32_t(U'峠'), u"トウゲ"_s));
    QCOMPARE(KanjidicReadings::parseLine(u"# comment"_s).first, char32_t(0));
}

void tst_MecabWordReadings::longTextInPieces()
{
    std::unique_ptr<MecabWordReadings> mecab = MecabWordReadings::open();
    if (!mecab)
        QSKIP("the MeCab IPA dictionary is not installed");

    const auto surfaces = [](const QString& text, const QList<WordReadings::Word>& words) {
        QString out;
        for (const WordReadings::Word& w : words) {
            QVERIFY2(!text.at(w.start).isLowSurrogate(), qPrintable(QString::number(w.start)));
            out += text.mid(w.start, w.length);
        }
        QCOMPARE(out, text);
    };
    const auto pronounced = [](const QList<WordReadings::Word>& words) {
        QString out;
        for (const WordReadings::Word& w : words)
            out += w.pronunciation + u'|';
        return out;
    };

    // An ordinary sentence reads the same on its own and many times over.
    const QString sentence = u"名前は、未登録です。"_s;
    const QString many = sentence.repeated(30);
    const QList<WordReadings::Word> once = mecab->words(sentence);
    const QList<WordReadings::Word> all = mecab->words(many);
    surfaces(many, all);
    QCOMPARE(pronounced(all), pronounced(once).repeated(30));

    // Characters outside the BMP across where a piece would end.
    const QString wide = u"あ"_s + u"\U00020BB7"_s.repeated(300);
    surfaces(wide, mecab->words(wide));

    const QString pasted = u"カタカナ"_s.repeated(50000);
    surfaces(pasted, mecab->words(pasted));
    KanaReading kana(std::move(mecab));
    QCOMPARE(kana.read(pasted), pasted);
}

void tst_MecabWordReadings::kanjidicReadBeforeAsked()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"kanjidic"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // "亜 3021 U4e9c ア {Asia}" in EUC-JP, as the file is.
    file.write("\xB0\xA1 3021 U4e9c \xA5\xA2 {Asia}\n");
    file.close();

    KanjidicReadings kanjidic(path);
    QVERIFY(!kanjidic.isLoaded());
    kanjidic.startLoading();
    QTRY_VERIFY_WITH_TIMEOUT(kanjidic.isLoaded(), 30000);
    QCOMPARE(kanjidic.reading(U'亜'), std::optional(u"ア"_s));
    QCOMPARE(kanjidic.reading(U'峠'), std::optional(QString()));

    // Gone again while the whole file is still being read.
    for (int i = 0; i < 3; ++i)
        KanjidicReadings{KanjidicReadings::defaultPath()}.startLoading();
}

// On a loaded machine the single-kanji table took seconds to read, and the
// speech thread waited for it at the first kanji the dictionary lacked.
void tst_MecabWordReadings::kanjiSaidWhileTheTableIsRead()
{
    std::atomic<bool> release = false;
    const KanjidicReadings::Loader slow = [&release](const std::atomic<bool>& stop) {
        // Long enough that a reading which waits comes back with the table.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!release && !stop && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return KanjidicReadings::Table{{U'\U00020BB7', u"キチ"_s}};
    };
    std::unique_ptr<MecabWordReadings> mecab =
        MecabWordReadings::open(MecabWordReadings::defaultDictionary(), slow);
    if (!mecab)
        QSKIP("the MeCab IPA dictionary is not installed");
    KanaReading kana(std::move(mecab));
    const QString text = u"\U00020BB7"_s;
    QCOMPARE(kana.read(text), u"カンジ"_s);
    QCOMPARE(kana.read(u"名前\uF8F2"_s + text), u"ナマエ\uF8F2カンジ"_s);
    QCOMPARE(kana.read(text), u"カンジ"_s);
    release = true;
    QTRY_COMPARE_WITH_TIMEOUT(kana.read(text), u"キチ"_s, 30000);
    QCOMPARE(kana.read(u"名前\uF8F2"_s + text), u"ナマエ\uF8F2キチ"_s);
}

// The process may be out of threads; the readings are an extra, and the
// speech thread that asked must not end the program over them.
void tst_MecabWordReadings::kanjidicWithoutAThread()
{
    std::optional<QString> reading;
    bool loaded = false;
    {
        NoThreadsCanStart noThreads;
        QVERIFY(noThreads.isActive());
        try {
            KanjidicReadings kanjidic(KanjidicReadings::Loader([](const std::atomic<bool>&) {
                return KanjidicReadings::Table{{U'亜', u"ア"_s}};
            }));
            reading = kanjidic.reading(U'亜');
            loaded = kanjidic.isLoaded();
        } catch (const std::exception& e) {
            reading = QString::fromLocal8Bit(e.what());
        }
    }
    QCOMPARE(reading, std::optional<QString>(QString()));
    QVERIFY(loaded);
}

QTEST_GUILESS_MAIN(tst_MecabWordReadings)
#include "tst_mecabwordreadings.moc"
