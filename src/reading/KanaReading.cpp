#include "reading/KanaReading.h"

#include "reading/AsciiReading.h"
#include "reading/KanaForEspeak.h"
#include "reading/PauseCharacters.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <optional>
#include <string_view>

namespace
{

const QString KanjiWord = QStringLiteral("カンジ");
const QString SymbolWord = QStringLiteral("キゴー");

// A control character in a value is named, so that a pasted tab is heard;
// line breaks are the pauses the texts were written with and stay.
QString controlWord(QChar c)
{
    if (c == u'\t')
        return QStringLiteral("タブ");
    if (c == u'\r' || c == u'\n' || !isControlCharacter(c))
        return QString();
    return QStringLiteral("セイギョモジ");
}

// Whether two readings put side by side need a blank between them: not
// where a pause or line break already parts them.
bool runTogether(QChar before, QChar after)
{
    const auto isWord = [](QChar c) { return !c.isSpace() && !isPauseCharacter(c); };
    return isWord(before) && isWord(after);
}

bool isPrintableAscii(QChar c)
{
    return c.unicode() > 0x20 && c.unicode() < 0x7F;
}

bool isAnyDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'０' && u <= u'９');
}

bool isKanji(char32_t c)
{
    return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0x20000 && c <= 0x3FFFF);
}

bool isSpeakableKana(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= u'ァ' && u <= u'ヺ') || u == u'ー' || u == u'、' || u == u'。'))
            return false;
    }
    return !text.isEmpty();
}

char32_t codePointAt(QStringView text, qsizetype i, qsizetype* units)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    *units = 1;
    // A lone surrogate is no character at all.
    return c.isSurrogate() ? 0xFFFD : c.unicode();
}

// Kanji of the vendors' extensions that are variants of common ones, as
// found in family names (髙橋, 山﨑); the dictionaries know only the common form.
char32_t commonKanji(char32_t c)
{
    static const QHash<char32_t, char32_t> variants{
        {U'髙', U'高'}, {U'﨑', U'崎'}, {U'德', U'徳'}, {U'濵', U'浜'}, {U'瀨', U'瀬'}, {U'栁', U'柳'},
        {U'桒', U'桑'}, {U'曻', U'昇'}, {U'淸', U'清'}, {U'靑', U'青'}, {U'黑', U'黒'}, {U'增', U'増'},
        {U'寬', U'寛'}, {U'郞', U'郎'}, {U'敎', U'教'}, {U'鄕', U'郷'}, {U'綠', U'緑'}, {U'緖', U'緒'},
        {U'賴', U'頼'}, {U'閒', U'間'}, {U'悅', U'悦'}, {U'橫', U'横'}, {U'羡', U'羨'},
    };
    return variants.value(c, c);
}

// Full-width Latin letters and symbols, half-width kana, the ideographic
// space and compatibility forms become the characters they stand for, so
// that each is read once, one way. Full-width digits stay: the dictionary
// knows them with their counters ("２つ" is フタツ).
QString symbolReading(char32_t c);

// Words of the program's own texts that the dictionary cuts or reads wrongly
// (拡張子 as 拡張 + 子 "コ", the counter in １行 as "コー", 親 before a
// loanword as "シン").
QString withOwnWords(QStringView phrase)
{
    static const std::pair<QString, QString> words[] = {
        {QStringLiteral("拡張子"), QStringLiteral("カクチョーシ")},
        {QStringLiteral("１行"), QStringLiteral("イチギョー")},
        {QStringLiteral("親ディレクトリ"), QStringLiteral("オヤディレクトリ")},
    };
    QString out = phrase.toString();
    for (const auto& [written, said] : words)
        out.replace(written, said);
    return out;
}

// A line drawn across a text ("－－－－", "――", "─────") is one pause.
bool isRuledLine(char32_t c)
{
    return c == U'－' || c == U'―' || c == U'─';
}

QString prepare(QStringView original)
{
    const QString own = withOwnWords(original);
    const QStringView phrase(own);
    QString out;
    out.reserve(phrase.size());
    qsizetype i = 0;
    while (i < phrase.size()) {
        qsizetype units = 1;
        const char32_t c = codePointAt(phrase, i, &units);
        if (c >= 0xFF61 && c <= 0xFF9F) {
            qsizetype end = i;
            while (end < phrase.size() && phrase[end].unicode() >= 0xFF61 && phrase[end].unicode() <= 0xFF9F)
                ++end;
            out += phrase.sliced(i, end - i).toString().normalized(QString::NormalizationForm_KC);
            i = end;
            continue;
        }
        if (isRuledLine(c) && i + 1 < phrase.size() && isRuledLine(phrase[i + 1].unicode())) {
            while (i < phrase.size() && isRuledLine(phrase[i].unicode()))
                ++i;
            out += QChar(u'、');
            continue;
        }
        if (const char32_t common = commonKanji(c); common != c) {
            out += QString::fromUcs4(&common, 1);
        } else if (const QString word = symbolReading(c); word.size() > 1) {
            // Said as a word before the dictionary sees it: it takes ○ in
            // 「○○○」 for the numeral 〇.
            out += word;
        } else if (c >= 0x2460 && c <= 0x2473) {
            out += QStringLiteral("マル") + QString::number(c - 0x2460 + 1);
        } else if ((c >= 0x2160 && c <= 0x2169) || (c >= 0x2170 && c <= 0x2179)) {
            out += QStringLiteral("ローマスージ") + QString::number((c - 0x2160) % 16 + 1);
        } else if (c == 0x3000) {
            out += QLatin1Char(' ');
        } else if (c == 0x301C || c == 0xFF5E) {
            out += QLatin1Char('~');
        } else if (c == 0x2212 || c == 0x2010 || c == 0x2011) {
            out += QLatin1Char('-');
        } else if ((c >= 0xFF01 && c <= 0xFF5E && !(c >= 0xFF10 && c <= 0xFF19)) || (c >= 0xF900 && c <= 0xFAFF)
                   || (c >= 0x3200 && c <= 0x33FF) || c == 0x2116 || c == 0x2121) {
            out += phrase.sliced(i, units).toString().normalized(QString::NormalizationForm_KC);
        } else {
            out += phrase.sliced(i, units);
        }
        i += units;
    }
    return out;
}

// Whether the character at i sits against other text: Japanese or a blank.
// The ends of a phrase do not count: there a symbol may be the last
// character of a password.
bool againstText(const QString& text, qsizetype i)
{
    if (i < 0 || i >= text.size())
        return false;
    return !isPrintableAscii(text.at(i));
}

bool isOpening(QChar c)
{
    return c == u'(' || c == u'[' || c == u'{';
}

bool isClosing(QChar c)
{
    return c == u')' || c == u']' || c == u'}';
}

// 0, 1 or 2 for (), [] and {}.
int bracketKind(QChar c)
{
    return c == u'(' || c == u')' ? 0 : c == u'[' || c == u']' ? 1 : 2;
}

// How many characters of each kind lie before each position, so that what
// a pair of brackets holds is known at once, however deeply pairs nest.
struct Tally {
    QList<qsizetype> notAscii{0};
    QList<qsizetype> capitals{0};
    QList<qsizetype> digits{0};

    explicit Tally(const QString& text)
    {
        for (const QChar c : text) {
            notAscii << notAscii.back() + (isPrintableAscii(c) ? 0 : 1);
            capitals << capitals.back() + (c >= u'A' && c <= u'Z' ? 1 : 0);
            digits << digits.back() + (c >= u'0' && c <= u'9' ? 1 : 0);
        }
    }
};

// A pair of brackets written around words, "(受信)", "(NEC)", "(1)", is
// punctuation; brackets inside a password or a lone one are characters.
bool bracketsArePunctuation(const QString& text, const Tally& tally, qsizetype open, qsizetype close)
{
    if (againstText(text, open - 1) || againstText(text, close + 1))
        return true;
    const qsizetype length = close - open - 1;
    const auto count = [&](const QList<qsizetype>& before) { return before.at(close) - before.at(open + 1); };
    return length > 0
           && (count(tally.notAscii) > 0 || count(tally.capitals) == length || count(tally.digits) == length);
}

// Which ASCII punctuation marks in the phrase are punctuation of the
// sentence rather than characters of a value. A closing bracket pairs with
// the nearest opening one of its kind, and openings left inside that pair
// stay unpaired. steps counts the closing brackets and the openings looked
// at for them: a pasted value of a hundred thousand brackets has to cost no
// more than its length.
QList<bool> punctuationMarks(const QString& text, qsizetype& steps)
{
    QList<bool> marks(text.size(), false);
    std::optional<Tally> tally;
    QList<qsizetype> open;
    // For each kind, where its openings stand in open.
    QList<qsizetype> openOfKind[3];
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isOpening(c)) {
            openOfKind[bracketKind(c)] << open.size();
            open << i;
        } else if (isClosing(c)) {
            ++steps;
            const QList<qsizetype>& mine = openOfKind[bracketKind(c)];
            if (!mine.isEmpty()) {
                const qsizetype k = mine.back();
                const qsizetype o = open.at(k);
                steps += open.size() - k;
                open.resize(k);
                for (QList<qsizetype>& kind : openOfKind) {
                    while (!kind.isEmpty() && kind.back() >= k)
                        kind.removeLast();
                }
                if (!tally)
                    tally.emplace(text);
                if (bracketsArePunctuation(text, *tally, o, i))
                    marks[o] = marks[i] = true;
            } else {
                marks[i] = againstText(text, i - 1) || againstText(text, i + 1);
            }
        } else if (QStringView(u"\"',:;!?").contains(c)) {
            marks[i] = againstText(text, i - 1) || againstText(text, i + 1);
        }
    }
    for (const qsizetype o : open)
        marks[o] = againstText(text, o - 1) || againstText(text, o + 1);
    return marks;
}

// Sentence punctuation becomes a pause and a wave dash between numbers
// "から". A run of ASCII symbols stays: it is as likely a password ("***")
// as a line drawn with them, and a password must be heard whole.
QString markPunctuation(const QString& text, qsizetype& steps)
{
    const QList<bool> marks = punctuationMarks(text, steps);
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (marks.at(i)) {
            out += isOpening(c) || isClosing(c) || c == u'"' || c == u'\'' ? QChar(u' ') : QChar(u'、');
            ++i;
            continue;
        }
        if (c == u'~' && i > 0 && i + 1 < text.size() && isAnyDigit(text.at(i - 1)) && isAnyDigit(text.at(i + 1))) {
            out += QStringLiteral("から");
            ++i;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

QString symbolReading(char32_t c)
{
    switch (c) {
    case U'○': case U'◯': case U'〇': return QStringLiteral("マル");
    case U'●': return QStringLiteral("クロマル");
    case U'◎': return QStringLiteral("ニジューマル");
    case U'△': return QStringLiteral("サンカク");
    case U'▲': return QStringLiteral("クロサンカク");
    case U'▽': return QStringLiteral("ギャクサンカク");
    case U'▼': return QStringLiteral("クロギャクサンカク");
    case U'□': return QStringLiteral("シカク");
    case U'■': return QStringLiteral("クロシカク");
    case U'◇': return QStringLiteral("ヒシガタ");
    case U'◆': return QStringLiteral("クロヒシガタ");
    case U'☆': return QStringLiteral("ホシ");
    case U'★': return QStringLiteral("クロボシ");
    case U'※': return QStringLiteral("コメジルシ");
    case U'→': return QStringLiteral("ミギヤジルシ");
    case U'←': return QStringLiteral("ヒダリヤジルシ");
    case U'↑': return QStringLiteral("ウエヤジルシ");
    case U'↓': return QStringLiteral("シタヤジルシ");
    case U'×': return QStringLiteral("カケル");
    case U'÷': return QStringLiteral("ワル");
    case U'±': return QStringLiteral("プラスマイナス");
    case U'°': case U'℃': return QStringLiteral("ド");
    case U'¥': return QStringLiteral("エン");
    case U'£': return QStringLiteral("ポンド");
    case U'¢': return QStringLiteral("セント");
    case U'§': return QStringLiteral("セクション");
    case U'♪': return QStringLiteral("オンプ");
    case U'〆': return QStringLiteral("シメ");
    case U'〒': return QStringLiteral("ユービン");
    case U'゛': return QStringLiteral("ダクテン");
    case U'゜': return QStringLiteral("ハンダクテン");
    case U'、': case U'…': case U'‥': return QStringLiteral("、");
    case U'。': return QStringLiteral("。");
    default: return QString();
    }
}

bool isPause(char32_t c)
{
    return c == U' ' || c == U'・' || (c >= 0x2500 && c <= 0x257F)
        || std::u32string_view(U"「」『』【】〔〕〈〉《》〖〗（）［］｛｝\"'").find(c) != std::u32string_view::npos;
}

bool isKana(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'ぁ' && u <= u'ゖ') || (u >= u'ァ' && u <= u'ヺ');
}

// A letter with an accent is read as the letter.
QString accentedLetter(char32_t c)
{
    if (c < 0xC0 || c > 0x24F)
        return QString();
    const QString base = QString(QChar(char16_t(c))).normalized(QString::NormalizationForm_KD);
    if (base.isEmpty())
        return QString();
    return AsciiReading::letterName(base.front());
}

constexpr qsizetype MaxKeptTexts = 256;
// About 4 KB of UTF-16.
constexpr qsizetype MaxKeptLength = 2048;

} // namespace

KanaReading::KanaReading(std::unique_ptr<WordReadings> words) : m_words(std::move(words)) {}

KanaReading::~KanaReading() = default;

void KanaReading::startUpIsOver()
{
    if (m_words)
        m_words->startUpIsOver();
}

QString KanaReading::read(const QString& text)
{
    // A field's value may be as long as a file holds (megabytes); a few
    // hundred of those kept would hold their memory for the rest of the run.
    // What comes again and again is far shorter.
    const bool keep = text.size() <= MaxKeptLength;
    if (keep) {
        const auto recent = m_recent.constFind(text);
        if (recent != m_recent.constEnd())
            return *recent;
    }
    m_provisional = false;
    QString out = readUncached(text);
    if (keep && !m_provisional) {
        if (m_recent.size() >= MaxKeptTexts) {
            m_recent.clear();
            m_keptCharacters = 0;
        }
        m_recent.insert(text, out);
        m_keptCharacters += text.size() + out.size();
    }
    return out;
}

QString KanaReading::readUncached(const QString& text)
{
    QString out;
    out.reserve(text.size() * 3);
    const auto append = [&out](const QString& reading) {
        if (!out.isEmpty() && !reading.isEmpty() && runTogether(out.back(), reading.front()))
            out += QLatin1Char(' ');
        out += reading;
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isPauseCharacter(text.at(i)))
            continue;
        if (i > start)
            append(readPhrase(text.sliced(start, i - start)));
        if (i < text.size()) {
            const QString word = controlWord(text.at(i));
            if (word.isEmpty())
                out += text.at(i);
            else
                append(word);
        }
        start = i + 1;
    }
    // Whatever happens above, a text with something in it must be heard;
    // blanks stay what they were.
    if (out.trimmed().isEmpty())
        return text.trimmed().isEmpty() ? text : SymbolWord;
    return out;
}

QString KanaReading::readPhrase(const QString& phrase)
{
    const QString text = markPunctuation(prepare(phrase), m_bracketSteps);
    // Only Japanese needs the dictionary: a long pasted value of letters and
    // symbols cost it as much again as the rest of the reading.
    const bool japanese =
        std::any_of(text.cbegin(), text.cend(), [](QChar c) { return !isPrintableAscii(c) && !c.isSpace(); });
    const QList<WordReadings::Word> words =
        m_words && japanese ? m_words->words(text) : QList<WordReadings::Word>{};

    QString out;
    qsizetype w = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (isPrintableAscii(c)) {
            qsizetype end = i;
            while (end < text.size() && isPrintableAscii(text.at(end)))
                ++end;
            const QString reading = AsciiReading::read(QStringView(text).sliced(i, end - i));
            // A spelled run stands apart from the words around it.
            if (reading.contains(u' '))
                out += QLatin1Char(' ') + reading + QLatin1Char(' ');
            else
                out += reading;
            i = end;
            continue;
        }
        if (c.isSpace()) {
            out += QLatin1Char(' ');
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !isPrintableAscii(text.at(end)) && !text.at(end).isSpace())
            ++end;
        // Japanese: the dictionary's words that lie inside, the rest as it comes.
        qsizetype at = i;
        while (w < words.size() && words.at(w).start + words.at(w).length <= at)
            ++w;
        for (; w < words.size() && words.at(w).start < end; ++w) {
            const WordReadings::Word& word = words.at(w);
            const qsizetype from = std::max(word.start, at);
            const qsizetype to = std::min(word.start + word.length, end);
            if (from > at)
                readUnknown(QStringView(text).sliced(at, from - at), out);
            if (from == word.start && to == word.start + word.length && isSpeakableKana(word.pronunciation))
                out += word.pronunciation;
            else if (to > from)
                readUnknown(QStringView(text).sliced(from, to - from), out);
            at = std::max(at, to);
            if (word.start + word.length > end)
                break;
        }
        if (at < end)
            readUnknown(QStringView(text).sliced(at, end - at), out);
        i = end;
    }
    return kanaForEspeak(out.simplified());
}

void KanaReading::readUnknown(QStringView text, QString& out)
{
    QString lastKanji;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype units = 1;
        const char32_t c = codePointAt(text, i, &units);
        if (isAnyDigit(text[i])) {
            qsizetype end = i;
            QString digits;
            while (end < text.size() && isAnyDigit(text[end])) {
                const char16_t u = text[end].unicode();
                digits += QChar(u >= u'０' ? char16_t(u - u'０' + u'0') : u);
                ++end;
            }
            out += AsciiReading::numberReading(digits);
            i = end;
            continue;
        }
        i += units;
        // A long mark or small tsu with no kana before it is a character
        // of its own and is named; after a kana it belongs to that kana.
        if ((c == U'ー' || c == U'ッ' || c == U'っ') && (out.isEmpty() || !isKana(out.back()))) {
            out += c == U'ー' ? QStringLiteral("チョーオン") : QStringLiteral("チイサイツ");
            continue;
        }
        if ((c >= U'ぁ' && c <= U'ゖ') || (c >= U'ァ' && c <= U'ヺ') || c == U'ー' || (c >= U'ゝ' && c <= U'ゞ')
            || (c >= U'ヽ' && c <= U'ヾ')) {
            out += QChar(char16_t(c));
            continue;
        }
        if (c == U'々') {
            out += lastKanji.isEmpty() ? KanjiWord : lastKanji;
            continue;
        }
        if (isKanji(c)) {
            lastKanji = readCharacter(c);
            if (lastKanji.isEmpty())
                lastKanji = KanjiWord;
            out += lastKanji;
            continue;
        }
        if (isPause(c)) {
            out += QLatin1Char(' ');
            continue;
        }
        QString reading = symbolReading(c);
        if (reading.isEmpty())
            reading = accentedLetter(c);
        if (reading.isEmpty())
            reading = readCharacter(c);
        out += reading.isEmpty() ? QLatin1Char(' ') + SymbolWord + QLatin1Char(' ') : reading;
    }
}

QString KanaReading::readCharacter(char32_t c)
{
    if (!m_words)
        return QString();
    const auto known = m_characters.constFind(c);
    if (known != m_characters.constEnd())
        return *known;
    const std::optional<QString> answer = m_words->characterReading(c);
    if (!answer) {
        // Unknown for now: neither the character nor the text it is in
        // keeps this reading, so the next time they are said they get the
        // real one.
        m_provisional = true;
        return QString();
    }
    const QString reading = isSpeakableKana(*answer) ? *answer : QString();
    m_characters.insert(c, reading);
    return reading;
}
