#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstddef>
#include <optional>

// The half of the CP932 codec that asks the system for its table: iconv on
// Linux, the Win32 code page functions on Windows. Cp932Codec wraps it with
// the rules both share, so the two systems read and write the same bytes.
namespace Cp932SystemTable {

// All or nothing: std::nullopt when any character has no code of its own in
// the table. Called only with non-empty text free of lone surrogates, after
// the shared folding of the characters the table spells another way.
std::optional<QByteArray> encode(QStringView text);

// Every invalid character becomes one U+FFFD, skipped by invalidLength.
// Called only with non-empty bytes.
QString decode(const QByteArray& bytes);

} // namespace Cp932SystemTable

namespace Cp932Rules {

inline bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

inline bool isTrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// How many bytes a character the table refused at pos takes, skipped the way
// web browsers do: a lead byte with a non-ASCII trail byte is one bad
// character of two bytes, anything else one bad byte, so a broken character
// cannot swallow a line end or an "=".
inline std::size_t invalidLength(const unsigned char* data, std::size_t pos, std::size_t total)
{
    if (isLeadByte(data[pos]) && pos + 1 < total && isTrailByte(data[pos + 1]) && data[pos + 1] >= 0x80)
        return 2;
    return 1;
}

} // namespace Cp932Rules
