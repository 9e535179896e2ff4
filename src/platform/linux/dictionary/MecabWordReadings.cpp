#include "platform/linux/dictionary/MecabWordReadings.h"

#include <QFile>
#include <QList>
#include <QStringView>

#include <mecab.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{

// The IPA dictionary's features: part of speech (six fields), base form,
// reading, pronunciation. Unknown words carry only the first seven.
QString pronunciationOf(const char* feature)
{
    const QList<QByteArray> fields = QByteArray(feature).split(',');
    if (fields.size() < 9 || fields.at(8) == "*")
        return QString();
    return QString::fromUtf8(fields.at(8));
}

// MeCab's time grows much faster than the length of what it is given (a
// pasted text of a few hundred thousand characters would keep the speech
// thread busy for minutes), so it is given pieces no longer than this.
constexpr qsizetype PieceLength = 256;
// How far back from that length a better place to cut is looked for.
constexpr qsizetype CutSearch = 64;

enum class Script { Kanji, Hiragana, Katakana, Other };

Script scriptOf(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF) || u == u'々'
        || c.isSurrogate())
        return Script::Kanji;
    if (u >= u'ぁ' && u <= u'ゟ')
        return Script::Hiragana;
    if ((u >= u'ァ' && u <= u'ヿ') || (u >= 0xFF66 && u <= 0xFF9F))
        return Script::Katakana;
    return Script::Other;
}

bool endsClause(QChar c)
{
    return c.isSpace() || QStringView(u"、。，．！？「」『』（）()!?,.;:").contains(c);
}

// Where the piece that starts at from ends: after punctuation, or else
// where kana meets kanji, near the longest length; never inside a
// surrogate pair.
qsizetype pieceEnd(QStringView text, qsizetype from)
{
    qsizetype end = from + PieceLength;
    if (end >= text.size())
        return text.size();
    const qsizetype earliest = std::max(from + 1, end - CutSearch);
    for (qsizetype at = end; at > earliest; --at) {
        if (endsClause(text[at - 1]))
            return at;
    }
    for (qsizetype at = end; at > earliest; --at) {
        if (scriptOf(text[at - 1]) != scriptOf(text[at]) && !text[at].isLowSurrogate())
            return at;
    }
    if (text[end].isLowSurrogate() && text[end - 1].isHighSurrogate())
        --end;
    return end;
}

} // namespace

QString MecabWordReadings::defaultDictionary()
{
    return QStringLiteral("/var/lib/mecab/dic/ipadic-utf8");
}

std::unique_ptr<MecabWordReadings> MecabWordReadings::open(const QString& dictionary,
                                                           KanjidicReadings::Loader kanjidic)
{
    // The dictionary is named, and no resource file is read: a user's
    // mecabrc pointing at another dictionary would change the features.
    if (!QFile::exists(dictionary + QStringLiteral("/sys.dic")))
        return nullptr;
    const QByteArray args = "-r /dev/null -d " + QFile::encodeName(dictionary);
    mecab_t* tagger = mecab_new2(args.constData());
    if (!tagger)
        return nullptr;
    return std::unique_ptr<MecabWordReadings>(new MecabWordReadings(tagger, std::move(kanjidic)));
}

MecabWordReadings::MecabWordReadings(mecab_t* tagger, KanjidicReadings::Loader kanjidic)
    : m_tagger(tagger), m_kanjidic(std::move(kanjidic))
{
}

MecabWordReadings::~MecabWordReadings()
{
    mecab_destroy(m_tagger);
}

QList<WordReadings::Word> MecabWordReadings::words(const QString& text)
{
    QList<Word> result;
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype to = pieceEnd(text, from);
        appendWords(QStringView(text).sliced(from, to - from), from, result);
        from = to;
    }
    return result;
}

void MecabWordReadings::appendWords(QStringView piece, qsizetype offset, QList<Word>& result)
{
    // UTF-8 for MeCab, with the UTF-16 position of every byte it may point at.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(piece.size()) * 3);
    std::vector<qsizetype> position;
    position.reserve(static_cast<std::size_t>(piece.size()) * 3 + 1);
    for (qsizetype i = 0; i < piece.size();) {
        const QChar c = piece[i];
        qsizetype units = 1;
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < piece.size() && piece[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, piece[i + 1]);
            units = 2;
        } else if (c.isSurrogate() || code == 0) {
            code = 0xFFFD;
        }
        const std::size_t before = bytes.size();
        const QByteArray utf8 = QString::fromUcs4(&code, 1).toUtf8();
        bytes.append(utf8.constData(), std::size_t(utf8.size()));
        position.insert(position.end(), bytes.size() - before, offset + i);
        i += units;
    }
    position.push_back(offset + piece.size());

    const mecab_node_t* node = mecab_sparse_tonode2(m_tagger, bytes.data(), bytes.size());
    for (; node; node = node->next) {
        if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE || node->length == 0)
            continue;
        const std::size_t begin = static_cast<std::size_t>(node->surface - bytes.data());
        const std::size_t end = begin + node->length;
        if (end > bytes.size())
            break;
        Word word;
        word.start = position[begin];
        word.length = position[end] - word.start;
        if (node->stat != MECAB_UNK_NODE)
            word.pronunciation = pronunciationOf(node->feature);
        result << word;
    }
}

void MecabWordReadings::startUpIsOver()
{
    m_kanjidic.startLoading();
}

std::optional<QString> MecabWordReadings::characterReading(char32_t c)
{
    const QString text = QString::fromUcs4(&c, 1);
    const QList<Word> found = words(text);
    if (found.size() == 1 && found.front().length == text.size() && !found.front().pronunciation.isEmpty())
        return found.front().pronunciation;
    return m_kanjidic.reading(c);
}
