#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>

// Windows code page 932 (Shift-JIS with the Windows table), as the mail client
// writes and reads it: U+FF5E and U+301C both become 81 60, which reads back as
// U+FF5E; NEC and IBM extensions (①, 髙) are included.
class Cp932Codec
{
public:
    // std::nullopt when any character (an emoji, a private-use character, a
    // lone surrogate, U+FFFD) has no CP932 code. Never writes a substitute: a
    // "?" in an account file would pass for a real value.
    static std::optional<QByteArray> encode(QStringView text);

    // The first character of text that encode refuses, as a code point (a lone
    // surrogate as its own code unit), or std::nullopt when encode takes it all.
    static std::optional<char32_t> firstUnencodable(QStringView text);

    // Never fails: bytes that are no CP932 character become U+FFFD and the rest
    // is decoded on. An invalid pair whose second byte is ASCII costs only the
    // lead byte, so a broken character cannot swallow a line end or an "=".
    static QString decode(const QByteArray& bytes);
};
