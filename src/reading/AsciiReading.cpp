#include "reading/AsciiReading.h"

#include <QHash>
#include <QStringList>

namespace AsciiReading
{

namespace
{

// Words the program itself says, written the way a Japanese speaker says
// them. Matched without regard to case, and only as a whole word.
const QHash<QString, QString>& wordTable()
{
    static const QHash<QString, QString> table{
        {QStringLiteral("enter"), QStringLiteral("エンター")},
        {QStringLiteral("tab"), QStringLiteral("タブ")},
        {QStringLiteral("ok"), QStringLiteral("オーケー")},
        {QStringLiteral("id"), QStringLiteral("アイディー")},
        {QStringLiteral("pop"), QStringLiteral("ポップ")},
        {QStringLiteral("apop"), QStringLiteral("エーポップ")},
        {QStringLiteral("smtp"), QStringLiteral("エスエムティーピー")},
        {QStringLiteral("ie"), QStringLiteral("アイ イー")},
        {QStringLiteral("before"), QStringLiteral("ビフォー")},
        {QStringLiteral("kb"), QStringLiteral("キロバイト")},
        {QStringLiteral("ver"), QStringLiteral("バージョン")},
        {QStringLiteral("web"), QStringLiteral("ウェブ")},
        {QStringLiteral("mail"), QStringLiteral("メール")},
        {QStringLiteral("test"), QStringLiteral("テスト")},
        {QStringLiteral("support"), QStringLiteral("サポート")},
        {QStringLiteral("tool"), QStringLiteral("ツール")},
        // The mail client, as its own producer line spells it.
        {QStringLiteral("vornix"), QStringLiteral("ヴォルニクス")},
        {QStringLiteral("voxbridge"), QStringLiteral("ボックスブリッジ")},
        // The providers as the provider table spells them in kana.
        {QStringLiteral("@nifty"), QStringLiteral("アットニフティ")},
        {QStringLiteral("nifty"), QStringLiteral("ニフティ")},
        {QStringLiteral("biglobe"), QStringLiteral("ビッグローブ")},
        {QStringLiteral("dion"), QStringLiteral("ディオン")},
        {QStringLiteral("so-net"), QStringLiteral("ソーネット")},
        {QStringLiteral("sony"), QStringLiteral("ソニー")},
    };
    return table;
}

qsizetype longestTableWord()
{
    static const qsizetype longest = [] {
        qsizetype n = 0;
        for (const QString& key : wordTable().keys())
            n = std::max(n, key.size());
        return n;
    }();
    return longest;
}

// Whether a table word may start with c. A long run of symbols (a pasted
// line of brackets) is then named character by character without a look
// into the table at each of them.
bool mayStartTableWord(QChar c)
{
    static const QString firsts = [] {
        QString out;
        for (const QString& key : wordTable().keys()) {
            if (!out.contains(key.front()))
                out += key.front();
        }
        return out;
    }();
    return firsts.contains(c.toLower());
}

bool isLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAlnum(QChar c)
{
    return isLetter(c) || isDigit(c);
}

// Where a word may start or end: not inside a group of letters (except where
// a small letter meets a capital, "niftyID") nor inside a group of digits.
bool isBoundary(QStringView run, qsizetype i)
{
    if (i <= 0 || i >= run.size())
        return true;
    const QChar a = run[i - 1];
    const QChar b = run[i];
    if (isLetter(a) && isLetter(b))
        return a.isLower() && b.isUpper();
    return !(isDigit(a) && isDigit(b));
}

bool looksLikeAddress(QStringView run)
{
    for (qsizetype i = 1; i + 1 < run.size(); ++i) {
        if ((run[i] == u'@' || run[i] == u'.') && isAlnum(run[i - 1]) && isAlnum(run[i + 1]))
            return true;
    }
    return false;
}

bool onlyDigitsAndDots(QStringView run)
{
    for (const QChar c : run) {
        if (!isDigit(c) && c != u'.')
            return false;
    }
    return true;
}

bool hasLetter(QStringView run)
{
    for (const QChar c : run) {
        if (isLetter(c))
            return true;
    }
    return false;
}

// Character by character, each by its name, the names apart.
QString spelled(QStringView run, QString (*name)(QChar))
{
    QStringList parts;
    for (const QChar c : run)
        parts << name(c);
    return parts.join(u' ');
}

QString spellDigits(QStringView digits)
{
    return spelled(digits, digitName);
}

QString nameOf(QChar c)
{
    if (isLetter(c))
        return letterName(c);
    if (isDigit(c))
        return digitName(c);
    return symbolName(c);
}

// Version numbers and other numbers with points: "イチ テン ゼロ".
QString readDecimal(QStringView run)
{
    QStringList parts;
    qsizetype i = 0;
    while (i < run.size()) {
        if (run[i] == u'.') {
            parts << QStringLiteral("テン");
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < run.size() && isDigit(run[end]))
            ++end;
        parts << numberReading(run.sliced(i, end - i));
        i = end;
    }
    return parts.join(u' ');
}

QString spell(QStringView run)
{
    return spelled(run, nameOf);
}

QString readWords(QStringView run)
{
    const bool digitsBySpelling = hasLetter(run);
    QStringList parts;
    qsizetype i = 0;
    while (i < run.size()) {
        qsizetype matched = 0;
        if (isBoundary(run, i) && mayStartTableWord(run[i])) {
            for (qsizetype n = std::min(longestTableWord(), run.size() - i); n > 0; --n) {
                if (isBoundary(run, i + n) && wordTable().contains(run.sliced(i, n).toString().toLower())) {
                    matched = n;
                    break;
                }
            }
        }
        if (matched > 0) {
            parts << wordTable().value(run.sliced(i, matched).toString().toLower());
            i += matched;
            continue;
        }
        const QChar c = run[i];
        if (isAlnum(c)) {
            qsizetype end = i + 1;
            while (end < run.size() && isAlnum(run[end]) && !isBoundary(run, end))
                ++end;
            const QStringView group = run.sliced(i, end - i);
            if (isDigit(c))
                parts << (digitsBySpelling ? spellDigits(group) : numberReading(group));
            else
                parts << spell(group);
            i = end;
            continue;
        }
        parts << symbolName(c);
        ++i;
    }
    return parts.join(u' ');
}

} // namespace

QString read(QStringView run)
{
    if (run.isEmpty())
        return QString();
    if (onlyDigitsAndDots(run) && isDigit(run.front()) && isDigit(run.back()))
        return readDecimal(run);
    if (looksLikeAddress(run))
        return spell(run);
    return readWords(run);
}

QString letterName(QChar c)
{
    // W is "ダブル": eSpeak NG's Japanese voice garbles リュ in "ダブリュー".
    static const char16_t* const names[26] = {
        u"エー",   u"ビー",   u"シー", u"ディー", u"イー",     u"エフ", u"ジー", u"エイチ", u"アイ",
        u"ジェー", u"ケー",   u"エル", u"エム",   u"エヌ",     u"オー", u"ピー", u"キュー", u"アール",
        u"エス",   u"ティー", u"ユー", u"ブイ",   u"ダブル", u"エックス", u"ワイ", u"ゼット"};
    if (c >= u'a' && c <= u'z')
        return QString::fromUtf16(names[c.unicode() - u'a']);
    if (c >= u'A' && c <= u'Z')
        return QString::fromUtf16(names[c.unicode() - u'A']);
    return QString();
}

QString digitName(QChar c)
{
    static const char16_t* const names[10] = {u"ゼロ", u"イチ", u"ニ",   u"サン", u"ヨン",
                                              u"ゴ",   u"ロク", u"ナナ", u"ハチ", u"キュー"};
    if (!isDigit(c))
        return QString();
    return QString::fromUtf16(names[c.unicode() - u'0']);
}

QString symbolName(QChar c)
{
    switch (c.unicode()) {
    case u'!': return QStringLiteral("ビックリマーク");
    case u'"': return QStringLiteral("ダブルクォート");
    case u'#': return QStringLiteral("シャープ");
    case u'$': return QStringLiteral("ドル");
    case u'%': return QStringLiteral("パーセント");
    case u'&': return QStringLiteral("アンド");
    case u'\'': return QStringLiteral("シングルクォート");
    case u'(': return QStringLiteral("カッコ");
    case u')': return QStringLiteral("トジカッコ");
    case u'*': return QStringLiteral("アスタリスク");
    case u'+': return QStringLiteral("プラス");
    case u',': return QStringLiteral("カンマ");
    case u'-': return QStringLiteral("ハイフン");
    case u'.': return QStringLiteral("ドット");
    case u'/': return QStringLiteral("スラッシュ");
    case u':': return QStringLiteral("コロン");
    case u';': return QStringLiteral("セミコロン");
    case u'<': return QStringLiteral("ショーナリ");
    case u'=': return QStringLiteral("イコール");
    case u'>': return QStringLiteral("ダイナリ");
    case u'?': return QStringLiteral("ハテナ");
    case u'@': return QStringLiteral("アットマーク");
    case u'[': return QStringLiteral("カクカッコ");
    case u'\\': return QStringLiteral("バックスラッシュ");
    case u']': return QStringLiteral("トジカクカッコ");
    case u'^': return QStringLiteral("キャレット");
    case u'_': return QStringLiteral("アンダーバー");
    case u'`': return QStringLiteral("バッククォート");
    case u'{': return QStringLiteral("ナミカッコ");
    case u'|': return QStringLiteral("タテボー");
    case u'}': return QStringLiteral("トジナミカッコ");
    case u'~': return QStringLiteral("チルダ");
    default: return QString();
    }
}

QString numberReading(QStringView digits)
{
    if (digits.isEmpty())
        return QString();
    for (const QChar c : digits) {
        if (!isDigit(c))
            return QString();
    }
    if (digits.size() > 4 || (digits.size() > 1 && digits.front() == u'0'))
        return spellDigits(digits);
    if (digits == u"0")
        return digitName(u'0');
    static const char16_t* const ones[10] = {u"",   u"イチ", u"ニ",   u"サン", u"ヨン",
                                             u"ゴ", u"ロク", u"ナナ", u"ハチ", u"キュー"};
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        const int d = digits[i].unicode() - u'0';
        const qsizetype place = n - 1 - i;
        if (d == 0)
            continue;
        if (place == 3)
            out += d == 1 ? QStringLiteral("セン")
                 : d == 3 ? QStringLiteral("サンゼン")
                 : d == 8 ? QStringLiteral("ハッセン")
                          : QString::fromUtf16(ones[d]) + QStringLiteral("セン");
        else if (place == 2)
            out += d == 1 ? QStringLiteral("ヒャク")
                 : d == 3 ? QStringLiteral("サンビャク")
                 : d == 6 ? QStringLiteral("ロッピャク")
                 : d == 8 ? QStringLiteral("ハッピャク")
                          : QString::fromUtf16(ones[d]) + QStringLiteral("ヒャク");
        else if (place == 1)
            out += (d == 1 ? QString() : QString::fromUtf16(ones[d])) + QStringLiteral("ジュー");
        else
            out += QString::fromUtf16(ones[d]);
    }
    return out;
}

} // namespace AsciiReading
