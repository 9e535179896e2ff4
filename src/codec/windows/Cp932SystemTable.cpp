#include "codec/Cp932SystemTable.h"

#include <windows.h>

namespace {

// Named, never CP_ACP: account files are CP932 whatever the user's system
// code page is.
constexpr UINT CodePage = 932;

// Windows gives these single bytes private-use characters (and 80 itself),
// but they are no characters of Shift-JIS: the mail client cannot show them
// and glibc's table refuses them, so both systems read them as invalid.
bool isUnassignedSingleByte(unsigned char b)
{
    return b == 0x80 || b == 0xA0 || b >= 0xFD;
}

bool isPrivateUseOfUnassignedByte(char16_t c)
{
    return c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3);
}

} // namespace

std::optional<QByteArray> Cp932SystemTable::encode(QStringView text)
{
    for (QChar c : text) {
        if (isPrivateUseOfUnassignedByte(c.unicode()))
            return std::nullopt;
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = static_cast<int>(text.size());
    // No CP932 character takes more than two bytes.
    QByteArray out(length * 2, Qt::Uninitialized);
    BOOL usedDefault = FALSE;
    // WC_NO_BEST_FIT_CHARS: a character without a code of its own becomes the
    // default character and raises the flag, instead of turning silently into
    // a look-alike ("ä" into "a"), which in an account file would pass for a
    // real value.
    const int written = WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, wide, length, out.data(),
                                            static_cast<int>(out.size()), nullptr, &usedDefault);
    if (written <= 0 || usedDefault)
        return std::nullopt;
    out.truncate(written);
    return out;
}

QString Cp932SystemTable::decode(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const std::size_t total = static_cast<std::size_t>(bytes.size());
    QString text;
    text.reserve(bytes.size());
    // One character at a time: MB_ERR_INVALID_CHARS refuses a whole buffer
    // without saying where, and each bad character must cost only itself.
    for (std::size_t pos = 0; pos < total;) {
        const bool pair = Cp932Rules::isLeadByte(data[pos]);
        wchar_t wide[2];
        int decoded = 0;
        if (pair ? pos + 1 < total : !isUnassignedSingleByte(data[pos])) {
            decoded = MultiByteToWideChar(CodePage, MB_ERR_INVALID_CHARS, bytes.constData() + pos, pair ? 2 : 1,
                                          wide, 2);
        }
        if (decoded > 0) {
            text.append(reinterpret_cast<const QChar*>(wide), decoded);
            pos += pair ? 2 : 1;
        } else {
            text.append(QChar::ReplacementCharacter);
            pos += Cp932Rules::invalidLength(data, pos, total);
        }
    }
    return text;
}
