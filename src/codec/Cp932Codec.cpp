#include "codec/Cp932Codec.h"

#include "codec/Cp932SystemTable.h"

namespace {

// QString::toUtf8 would quietly turn a lone surrogate into a replacement
// character, which would then be refused for the wrong reason or, worse,
// accepted by some other table; refuse it here in so many words.
bool hasLoneSurrogate(QStringView text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 >= n || !text.at(i + 1).isLowSurrogate())
                return true;
            ++i;
        } else if (c.isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

// JIS characters that Unicode names twice. The mail client's table writes
// each under one name and reads it back under the other (81 60 is U+FF5E),
// while Japanese input methods and web pages often give the first name.
// They are the same character of the file, not a look-alike, so they are
// written as that character rather than refused.
char16_t jisSpelling(char16_t c)
{
    switch (c) {
    case 0x00A2: return 0xFFE0; // cent sign
    case 0x00A3: return 0xFFE1; // pound sign
    case 0x00A5: return 0x005C; // yen sign: 5C is the yen sign in JIS-Roman
    case 0x00AC: return 0xFFE2; // not sign
    case 0x2014: return 0x2015; // em dash
    case 0x2016: return 0x2225; // double vertical line
    case 0x203E: return 0x007E; // overline: 7E in JIS-Roman
    case 0x2212: return 0xFF0D; // minus sign
    case 0x301C: return 0xFF5E; // wave dash
    default: return c;
    }
}

} // namespace

std::optional<QByteArray> Cp932Codec::encode(QStringView text)
{
    if (text.isEmpty())
        return QByteArray();
    if (hasLoneSurrogate(text))
        return std::nullopt;
    QString folded = text.toString();
    for (QChar& c : folded)
        c = QChar(jisSpelling(c.unicode()));
    return Cp932SystemTable::encode(folded);
}

std::optional<char32_t> Cp932Codec::firstUnencodable(QStringView text)
{
    if (encode(text))
        return std::nullopt;
    // The table is stateless, so a text encodes exactly when each of its
    // characters does; the values are short enough to try them one by one.
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        if (!encode(text.sliced(i, length)))
            return pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : char32_t(text.at(i).unicode());
        i += length;
    }
    return std::nullopt;
}

QString Cp932Codec::decode(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    return Cp932SystemTable::decode(bytes);
}
