#include "account/AcdFormat.h"

#include "codec/Cp932Codec.h"
#include "account/LeadingNumber.h"

#include <QByteArrayView>
#include <array>
#include <cstring>

namespace {

struct TextKey {
    const char* name;
    QString Acd::*field;
};

struct IntegerKey {
    const char* name;
    int32_t Acd::*field;
};

// The file's order: the seven texts, the ten integers, then ReplyMail.
constexpr std::array<TextKey, 7> leadingTextKeys{{
    {"Title", &Acd::Title},
    {"Smtp", &Acd::Smtp},
    {"Pop", &Acd::Pop},
    {"PopUser", &Acd::PopUser},
    {"Poppass", &Acd::Poppass},
    {"FromName", &Acd::FromName},
    {"FromMail", &Acd::FromMail},
}};

constexpr std::array<IntegerKey, 10> integerKeys{{
    {"ReplyUser", &Acd::ReplyUser},
    {"SmtpPort", &Acd::SmtpPort},
    {"PopPort", &Acd::PopPort},
    {"PopStock", &Acd::PopStock},
    {"PopStockDays", &Acd::PopStockDays},
    {"PopWarning", &Acd::PopWarning},
    {"PopWarningSize", &Acd::PopWarningSize},
    {"LineLength", &Acd::LineLength},
    {"SmtpAttestationPop", &Acd::SmtpAttestationPop},
    {"PopAttestation", &Acd::PopAttestation},
}};

constexpr TextKey trailingTextKey{"ReplyMail", &Acd::ReplyMail};

const QByteArray lineEnd = QByteArrayLiteral("\r\n");

bool appendText(QByteArray& out, const char* key, const QString& value)
{
    const QString trimmed = trimmedBlanks(value);
    if (trimmed.isEmpty())
        return true;
    if (trimmed.contains(u'\r') || trimmed.contains(u'\n'))
        return false;
    const std::optional<QByteArray> encoded = Cp932Codec::encode(trimmed);
    if (!encoded)
        return false;
    out += key;
    out += '=';
    out += *encoded;
    out += lineEnd;
    return true;
}

// CR, LF, "=" and the space are single bytes that CP932 never uses as the
// second byte of a character, so lines, keys and values can be cut out of the
// raw bytes, and only the values that are kept need decoding.
QByteArrayView trimmedBytes(QByteArrayView bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && bytes[begin] == ' ')
        ++begin;
    while (end > begin && bytes[end - 1] == ' ')
        --end;
    return bytes.sliced(begin, end - begin);
}

bool keyIs(QByteArrayView key, const char* name)
{
    const size_t length = std::strlen(name);
    return size_t(key.size()) == length && std::memcmp(key.data(), name, length) == 0;
}

// false: an integer value out of range.
bool readLine(QByteArrayView line, Acd& acd)
{
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return true;
    const QByteArrayView key = trimmedBytes(line.first(equals));
    const QByteArrayView value = trimmedBytes(line.sliced(equals + 1));

    auto decodedValue = [&] { return Cp932Codec::decode(value.toByteArray()); };
    for (const TextKey& k : leadingTextKeys) {
        if (keyIs(key, k.name)) {
            acd.*k.field = decodedValue();
            return true;
        }
    }
    if (keyIs(key, trailingTextKey.name)) {
        acd.*trailingTextKey.field = decodedValue();
        return true;
    }
    for (const IntegerKey& k : integerKeys) {
        if (keyIs(key, k.name)) {
            const std::optional<int32_t> number = leadingNumber(decodedValue());
            if (!number)
                return false;
            acd.*k.field = *number;
            return true;
        }
    }
    return true;
}

} // namespace

std::optional<QByteArray> formatAcd(const Acd& acd)
{
    QByteArray out = QByteArrayLiteral("[AccountSection]") + lineEnd;
    for (const TextKey& k : leadingTextKeys) {
        if (!appendText(out, k.name, acd.*k.field))
            return std::nullopt;
    }
    for (const IntegerKey& k : integerKeys) {
        out += k.name;
        out += '=';
        out += QByteArray::number(acd.*k.field);
        out += lineEnd;
    }
    if (!appendText(out, trailingTextKey.name, acd.*trailingTextKey.field))
        return std::nullopt;
    return out;
}

std::optional<UnwritableCharacter> firstUnwritableCharacter(const Acd& acd)
{
    for (const TextKey& k : leadingTextKeys) {
        if (const std::optional<char32_t> c = Cp932Codec::firstUnencodable(trimmedBlanks(acd.*k.field)))
            return UnwritableCharacter{k.field, *c};
    }
    if (const std::optional<char32_t> c =
            Cp932Codec::firstUnencodable(trimmedBlanks(acd.*trailingTextKey.field)))
        return UnwritableCharacter{trailingTextKey.field, *c};
    return std::nullopt;
}

bool readAcdInto(const QByteArray& bytes, Acd& acd)
{
    defaultAcd(acd);
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    qsizetype begin = 0;
    while (begin < size) {
        qsizetype end = begin;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        if (!readLine(QByteArrayView(data + begin, end - begin), acd))
            return false;
        if (end < size && data[end] == '\r' && end + 1 < size && data[end + 1] == '\n')
            ++end;
        begin = end + 1;
    }
    return true;
}
