// The module's pieces that decide what open_jtalk is given: where a text is
// cut into lines, which misreadings are written around, and how much of a
// line's silence is kept.

#include "MecabWordBoundaries.h"
#include "ReadingFixes.h"
#include "TextChunker.h"
#include "Utf8.h"
#include "WavAudio.h"

#include <QTest>

#include <cmath>
#include <set>

using namespace Qt::StringLiterals;

namespace
{

QStringList linesOf(const std::vector<TextChunk>& chunks)
{
    QStringList lines;
    for (const TextChunk& chunk : chunks)
        lines << QString::fromStdString(chunk.text);
    return lines;
}

std::string wav(const std::vector<std::int16_t>& samples, std::size_t cutShort = 0)
{
    const auto put = [](std::string& out, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += char((v >> (8 * i)) & 0xFF);
    };
    std::string out = "RIFF";
    put(out, std::uint32_t(36 + samples.size() * 2), 4);
    out += "WAVEfmt ";
    for (const auto& [v, n] : {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {48000u, 4}, {96000u, 4}, {2u, 2}, {16u, 2}})
        put(out, v, n);
    out += "data";
    put(out, std::uint32_t(samples.size() * 2), 4);
    for (const std::int16_t s : samples)
        put(out, std::uint16_t(s), 2);
    return out.substr(0, out.size() - cutShort);
}

} // namespace

class tst_TextChunker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cutsFallAtSentencesAndPauses_data();
    void cutsFallAtSentencesAndPauses();
    void longStretchesAreCutBetweenWords_data();
    void longStretchesAreCutBetweenWords();
    void misreadingsAreWrittenAround_data();
    void misreadingsAreWrittenAround();
    void silenceIsTrimmed();

private:
    std::unique_ptr<MecabWordBoundaries> m_words;
};

void tst_TextChunker::initTestCase()
{
    m_words = MecabWordBoundaries::open();
    QVERIFY2(m_words, "MeCab's IPA dictionary (mecab-ipadic-utf8) is not installed");
}

void tst_TextChunker::cutsFallAtSentencesAndPauses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    // The first line stands alone, to be heard soon; later pauses of one
    // sentence are joined.
    QTest::newRow("announcement") << u"差出人の名前は、未登録"_s << QStringList{u"差出人の名前は、"_s, u"未登録"_s};
    QTest::newRow("sentences") << u"一文目。二文目！三文目？"_s
                               << QStringList{u"一文目。"_s, u"二文目！"_s, u"三文目？"_s};
    QTest::newRow("joined pauses") << u"はい、いいえ、たぶん、そうです。次です。"_s
                                   << QStringList{u"はい、"_s, u"いいえ、たぶん、そうです。"_s, u"次です。"_s};
    QTest::newRow("space") << u"Enterは参照 Tabは次へ"_s << QStringList{u"Enterは参照"_s, u"Tabは次へ"_s};
    QTest::newRow("closing quote") << u"「はい。」と言った"_s << QStringList{u"「はい。」"_s, u"と言った"_s};
    QTest::newRow("line ends") << u"一行目\r二行目\n\n三行目"_s.replace(u'\r', u'\n')
                               << QStringList{u"一行目"_s, u"二行目"_s, u"三行目"_s};
    QTest::newRow("server name") << u"pop.example.com"_s << QStringList{u"pop.example.com"_s};
    QTest::newRow("Latin sentences") << u"Hello. World"_s << QStringList{u"Hello."_s, u"World"_s};
    QTest::newRow("marks alone on their line") << u" 、 \n。\nはい 。\n－－－－\n"_s << QStringList{u"はい 。"_s};
}

void tst_TextChunker::cutsFallAtSentencesAndPauses()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(linesOf(TextChunker(m_words.get()).split(text.toStdString())), lines);
}

void tst_TextChunker::longStretchesAreCutBetweenWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("words");
    QString sentence;
    for (int i = 0; i < 40; ++i)
        sentence += u"メールアドレスを確認してから設定を保存する"_s;
    QTest::newRow("sentence without pauses") << sentence << true;
    QTest::newRow("digits") << QString(1000, u'7') << false;
    QString voiced;
    for (int i = 0; i < 400; ++i)
        voiced += u"か\u3099"_s; // が written with a combining mark
    QTest::newRow("combining marks") << voiced << false;
}

void tst_TextChunker::longStretchesAreCutBetweenWords()
{
    QFETCH(QString, text);
    QFETCH(bool, words);
    const std::string bytes = text.toStdString();
    const TextChunker::Limits limits;
    const std::vector<TextChunk> chunks = TextChunker(m_words.get(), limits).split(bytes);
    QVERIFY(chunks.size() > 2);
    QVERIFY(jtalkBytes(chunks.front().text) <= limits.first);
    // The word boundaries MeCab sees in the whole text, a sentence at a time.
    std::set<std::size_t> boundaries;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t piece = std::min<std::size_t>(bytes.size() - at, 63 * 20);
        for (const auto& b : m_words->find(std::string_view(bytes).substr(at, piece)))
            boundaries.insert(at + b.offset);
        at += piece;
    }
    std::string joined;
    for (const TextChunk& chunk : chunks) {
        QVERIFY(jtalkBytes(chunk.text) <= limits.longest);
        QVERIFY2(chunk.begin == 0 || !continuesCharacter(decodeUtf8(bytes, chunk.begin).code), chunk.text.c_str());
        if (words && chunk.begin > 0)
            QVERIFY2(boundaries.count(chunk.begin), chunk.text.c_str());
        joined += chunk.text;
    }
    QCOMPARE(QString::fromStdString(joined), text);
}

void tst_TextChunker::misreadingsAreWrittenAround_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("fixed");
    // Each misreading was heard in open_jtalk's trace.
    QTest::newRow("3件 (サンゲン)") << u"新着3件、13件"_s << u"新着3ケン、13ケン"_s;
    QTest::newRow("1件 stays") << u"1件"_s << u"1件"_s;
    QTest::newRow("Tab (ティーエービー)") << u"Tabは次へ"_s << u"タブは次へ"_s;
    QTest::newRow("Table stays") << u"Table TAB"_s << u"Table TAB"_s;
    QTest::newRow("marks it does not say") << u"髙橋、○○○@△△"_s << u"高橋、マルマルマル@サンカクサンカク"_s;
    // Every character of a value is heard; prose keeps its punctuation.
    QTest::newRow("password") << u"pa$$w0rd!"_s << u"pa ドル  ドル w0rd ビックリマーク "_s;
    QTest::newRow("ID") << u"taro_01"_s << u"taro アンダーバー 01"_s;
    QTest::newRow("server name") << u"m**.biglobe.ne.jp"_s << u"m アスタリスク  アスタリスク  ドット ビッグローブ ドット ne ドット jp"_s;
    QTest::newRow("sentence, version") << u"Screen reader on. 1.0.0 (TAB)"_s << u"Screen reader on. 1.0.0 (TAB)"_s;
}

void tst_TextChunker::misreadingsAreWrittenAround()
{
    QFETCH(QString, line);
    QFETCH(QString, fixed);
    QCOMPARE(QString::fromStdString(withReadingFixes(line.toStdString())), fixed);
}

void tst_TextChunker::silenceIsTrimmed()
{
    std::vector<std::int16_t> samples(48000 * 3 / 10, 3); // silence, with a little noise
    for (int i = 0; i < 4800; ++i)
        samples.push_back(std::int16_t(i % 2 ? 5000 : -5000));
    samples.insert(samples.end(), 24000, -50);

    std::optional<WavAudio> audio = WavAudio::parse(wav(samples));
    QVERIFY(audio);
    QCOMPARE(audio->sampleRate, 48000);
    audio->trimSilence(20, 100);
    QCOMPARE(int(audio->samples.size()), 960 + 4800 + 4800);
    QVERIFY(std::abs(audio->samples.at(960)) >= WavAudio::SilenceBelow);

    std::optional<WavAudio> quiet = WavAudio::parse(wav(std::vector<std::int16_t>(4800, 100)));
    QVERIFY(quiet);
    quiet->trimSilence(20, 100);
    QVERIFY(quiet->samples.empty());
    QVERIFY(!WavAudio::parse(wav(samples, 2)));
}

QTEST_GUILESS_MAIN(tst_TextChunker)
#include "tst_textchunker.moc"
