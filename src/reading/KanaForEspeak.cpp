#include "reading/KanaForEspeak.h"

namespace
{

constexpr char16_t LongMark = u'ー';
constexpr char16_t SmallTsu = u'ッ';

bool isKatakana(char16_t c)
{
    return c >= u'ァ' && c <= u'ヺ';
}

// The vowel a kana ends on, or 0 for ン, ッ, ー and anything else.
char vowelOf(char16_t c)
{
    static const std::u16string_view a = u"アカガサザタダナハバパマヤラワァャヮヵ";
    static const std::u16string_view i = u"イキギシジチヂニヒビピミリィヰ";
    static const std::u16string_view u = u"ウクグスズツヅヌフブプムユルゥュヴ";
    static const std::u16string_view e = u"エケゲセゼテデネヘベペメレェヱヶ";
    static const std::u16string_view o = u"オコゴソゾトドノホボポモヨロヲォョ";
    if (a.find(c) != std::u16string_view::npos)
        return 'a';
    if (i.find(c) != std::u16string_view::npos)
        return 'i';
    if (u.find(c) != std::u16string_view::npos)
        return 'u';
    if (e.find(c) != std::u16string_view::npos)
        return 'e';
    if (o.find(c) != std::u16string_view::npos)
        return 'o';
    return 0;
}

bool isPlainVowel(char16_t c)
{
    return std::u16string_view(u"アイウエオ").find(c) != std::u16string_view::npos;
}

// ヴ and the rare old kana become the ordinary ones they are said as.
QString plainKana(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text.at(i).unicode();
        if (c >= u'ぁ' && c <= u'ゖ')
            c = char16_t(c + (u'ァ' - u'ぁ'));
        else if (c == u'ゝ' || c == u'ゞ')
            c = u'ヽ';
        const char16_t next = i + 1 < text.size() ? text.at(i + 1).unicode() : 0;
        switch (c) {
        case u'ヴ': {
            const std::u16string_view smalls = u"ァィェォ";
            const std::u16string_view plain = u"バビベボ";
            const std::size_t k = smalls.find(next);
            if (k != std::u16string_view::npos) {
                out += QChar(plain[k]);
                ++i;
            } else if (next == u'ュ') {
                out += QChar(u'ビ');
            } else {
                out += QChar(u'ブ');
            }
            continue;
        }
        case u'ヷ': out += QChar(u'バ'); continue;
        case u'ヸ': out += QChar(u'ビ'); continue;
        case u'ヹ': out += QChar(u'ベ'); continue;
        case u'ヺ': out += QChar(u'ボ'); continue;
        case u'ヮ': out += QChar(u'ワ'); continue;
        case u'ヵ': out += QChar(u'カ'); continue;
        case u'ヶ': out += QChar(u'ケ'); continue;
        case u'ヰ': out += QChar(u'イ'); continue;
        case u'ヱ': out += QChar(u'エ'); continue;
        case u'ヲ': out += QChar(u'オ'); continue;
        case u'ヽ':
        case u'ヾ':
            // Iteration marks: the kana before is said again.
            if (!out.isEmpty() && isKatakana(out.back().unicode()))
                out += out.back();
            continue;
        default: out += QChar(c);
        }
    }
    return out;
}

// The small kana eSpeak NG reads after the kana before them; every other
// small kana is said as the full-size one.
bool smallKanaJoins(char16_t before, char16_t small)
{
    switch (small) {
    case u'ァ': return std::u16string_view(u"フツクグ").find(before) != std::u16string_view::npos;
    case u'ィ': return std::u16string_view(u"フテデウツク").find(before) != std::u16string_view::npos;
    case u'ゥ': return std::u16string_view(u"トド").find(before) != std::u16string_view::npos;
    case u'ェ': return std::u16string_view(u"フウイシジチツク").find(before) != std::u16string_view::npos;
    case u'ォ': return std::u16string_view(u"フウツク").find(before) != std::u16string_view::npos;
    case u'ャ':
    case u'ョ': return std::u16string_view(u"キギシジチヂニヒビピミリ").find(before) != std::u16string_view::npos;
    case u'ュ':
        return std::u16string_view(u"キギシジチヂニヒビピミリテデフ").find(before) != std::u16string_view::npos;
    default: return true;
    }
}

char16_t fullSize(char16_t small)
{
    switch (small) {
    case u'ァ': return u'ア';
    case u'ィ': return u'イ';
    case u'ゥ': return u'ウ';
    case u'ェ': return u'エ';
    case u'ォ': return u'オ';
    case u'ャ': return u'ヤ';
    case u'ュ': return u'ユ';
    case u'ョ': return u'ヨ';
    default: return small;
    }
}

bool isSmall(char16_t c)
{
    return std::u16string_view(u"ァィゥェォャュョ").find(c) != std::u16string_view::npos;
}

// ッ doubles the consonant after it: before a vowel, ン, ー or another ッ
// there is none, and eSpeak NG gives up.
bool tsuFits(char16_t next)
{
    if (next == LongMark)
        return false;
    if (!isKatakana(next))
        return true;
    return std::u16string_view(u"アイウエオヤユヨワンッァィゥェォャュョ").find(next) == std::u16string_view::npos;
}

// Small kana the voice cannot join become full size; ー stays only after a
// kana with a vowel.
QString joinSmallKana(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text.at(i).unicode();
        const char16_t before = out.isEmpty() ? 0 : out.back().unicode();
        if (isSmall(c) && !smallKanaJoins(before, c))
            c = fullSize(c);
        // ウェ after ス or イェ after キ is swallowed by the kana before
        // (スウェ is said "スー"): a blank keeps them apart.
        if (isSmall(c) && isPlainVowel(before) && out.size() >= 2
            && vowelOf(out.at(out.size() - 2).unicode()) == vowelOf(before))
            out.insert(out.size() - 1, QLatin1Char(' '));
        if (c == LongMark) {
            // After a vowel that already lengthens the kana before it
            // (カアー, イイー) the two are parted by a blank, which the
            // voice takes as a word break.
            const char vowel = vowelOf(before);
            if (vowel == 0)
                continue;
            if (isPlainVowel(before) && out.size() >= 2 && vowelOf(out.at(out.size() - 2).unicode()) == vowel)
                out.insert(out.size() - 1, QLatin1Char(' '));
        }
        out += QChar(c);
    }
    return out;
}

QString dropUnfitTsu(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QChar(SmallTsu) && !tsuFits(i + 1 < text.size() ? text.at(i + 1).unicode() : 0))
            continue;
        out += c;
    }
    return out;
}

} // namespace

QString kanaForEspeak(const QString& text)
{
    // Dropping a ッ can bring two kana together that the first pass has to
    // see again (アッアー); two rounds settle every case, the third is spare.
    QString current = plainKana(text);
    for (int round = 0; round < 3; ++round) {
        const QString next = dropUnfitTsu(joinSmallKana(current));
        if (next == current)
            break;
        current = next;
    }
    return current;
}
