#include "platform/linux/MecabWordReadings.h"

#include <QFile>
#include <QList>

#include <mecab.h>

#include <string>
#include <vector>

namespace
{

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The IPA dictionary's features: part of speech (six fields), base form,
// reading, pronunciation. Unknown words carry only the first seven.
QString pronunciationOf(const char* feature)
{
    const QList<QByteArray> fields = QByteArray(feature).split(',');
    if (fields.size() < 9 || fields.at(8) == "*")
        return QString();
    return QString::fromUtf8(fields.at(8));
}

} // namespace

QString MecabWordReadings::defaultDictionary()
{
    return QStringLiteral("/var/lib/mecab/dic/ipadic-utf8");
}

std::unique_ptr<MecabWordReadings> MecabWordReadings::open(const QString& dictionary, const QString& kanjidic)
{
    // The dictionary is named, and no resource file is read: a user's
    // mecabrc pointing at another dictionary would change the features.
    if (!QFile::exists(dictionary + QStringLiteral("/sys.dic")))
        return nullptr;
    const QByteArray args = "-r /dev/null -d " + QFile::encodeName(dictionary);
    mecab_t* tagger = mecab_new2(args.constData());
    if (!tagger)
        return nullptr;
    return std::unique_ptr<MecabWordReadings>(new MecabWordReadings(tagger, kanjidic));
}

MecabWordReadings::MecabWordReadings(mecab_t* tagger, const QString& kanjidic)
    : m_tagger(tagger), m_kanjidic(kanjidic)
{
}

MecabWordReadings::~MecabWordReadings()
{
    mecab_destroy(m_tagger);
}

QList<WordReadings::Word> MecabWordReadings::words(const QString& text)
{
    // UTF-8 for MeCab, with the UTF-16 position of every byte it may point at.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()) * 3);
    std::vector<qsizetype> position;
    position.reserve(static_cast<std::size_t>(text.size()) * 3 + 1);
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        qsizetype units = 1;
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text.at(i + 1));
            units = 2;
        } else if (c.isSurrogate() || code == 0) {
            code = 0xFFFD;
        }
        const std::size_t before = bytes.size();
        appendUtf8(bytes, code);
        position.insert(position.end(), bytes.size() - before, i);
        i += units;
    }
    position.push_back(text.size());

    QList<Word> result;
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
    return result;
}

QString MecabWordReadings::characterReading(char32_t c)
{
    const QString text = QString::fromUcs4(&c, 1);
    const QList<Word> found = words(text);
    if (found.size() == 1 && found.front().length == text.size() && !found.front().pronunciation.isEmpty())
        return found.front().pronunciation;
    return m_kanjidic.reading(c);
}

std::unique_ptr<WordReadings> openSystemWordReadings()
{
    return MecabWordReadings::open();
}
