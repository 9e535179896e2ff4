#include "FuzzChecks.h"

#include "account/Acd.h"
#include "account/AcdFormat.h"
#include "codec/Cp932Codec.h"
#include "account/LeadingNumber.h"

#include <QRegularExpression>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace
{

QString describe(std::optional<int32_t> value)
{
    return value ? QString::number(*value) : QStringLiteral("out of range");
}

std::array<QString Acd::*, 8> textFields()
{
    return {&Acd::Title,   &Acd::Smtp,     &Acd::Pop,      &Acd::PopUser,
            &Acd::Poppass, &Acd::FromName, &Acd::FromMail, &Acd::ReplyMail};
}

// A record as unlike the defaults as possible, to prove the reader resets it.
Acd scribbledAcd()
{
    Acd acd;
    for (QString Acd::*field : textFields())
        acd.*field = QStringLiteral("stale");
    for (int32_t Acd::*field : {&Acd::ReplyUser, &Acd::SmtpPort, &Acd::PopPort, &Acd::PopStock,
                                &Acd::PopStockDays, &Acd::PopWarning, &Acd::PopWarningSize, &Acd::LineLength,
                                &Acd::SmtpAttestationPop, &Acd::PopAttestation})
        acd.*field = -7;
    return acd;
}

bool isRuleBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// The rule worked out on the decimal digits themselves, with no floating
// point: an independent second opinion on the parser. Also tells how many
// significant digits the number has, because past fifteen the rule's double
// arithmetic may round differently from exact arithmetic (and is allowed to).
struct Reference {
    std::optional<int32_t> value;
    qsizetype significantDigits = 0;
};

std::optional<int32_t> inRange(int64_t value)
{
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return int32_t(value);
}

Reference radixReference(const QString& digits, int base)
{
    qsizetype first = 0;
    while (first < digits.size() && digits.at(first) == u'0')
        ++first;
    const QString significant = digits.mid(first);
    if (significant.isEmpty())
        return {0, 0};
    if (significant.size() > 11) // more than even octal 37777777777 needs
        return {std::nullopt, significant.size()};
    bool ok = false;
    const qint64 value = significant.toLongLong(&ok, base);
    return {ok ? inRange(value) : std::nullopt, significant.size()};
}

Reference decimalReference(const QString& sign, const QString& intDigits, const QString& fracDigits,
                           const QString& exponent)
{
    QString digits = intDigits + fracDigits;
    int64_t point = intDigits.size();
    if (!exponent.isEmpty()) {
        const bool negative = exponent.startsWith(u'-');
        QString e = exponent;
        if (e.startsWith(u'-') || e.startsWith(u'+'))
            e.remove(0, 1);
        while (e.size() > 1 && e.startsWith(u'0'))
            e.remove(0, 1);
        const int64_t magnitude = e.size() > 9 ? 1'000'000'000 : e.toLongLong();
        point += negative ? -magnitude : magnitude;
    }
    while (!digits.isEmpty() && digits.startsWith(u'0')) {
        digits.remove(0, 1);
        --point;
    }
    while (!digits.isEmpty() && digits.endsWith(u'0'))
        digits.chop(1);
    if (digits.isEmpty())
        return {0, 0};
    const qsizetype significant = digits.size();
    if (point > 10)
        return {std::nullopt, significant}; // at least 10^10
    if (point < 0)
        return {0, significant}; // below 0.1: rounds to zero

    int64_t whole = 0;
    for (int64_t i = 0; i < point; ++i)
        whole = whole * 10 + (i < digits.size() ? digits.at(i).unicode() - u'0' : 0);
    const QString fraction = point < digits.size() ? digits.mid(point) : QString();
    if (!fraction.isEmpty()) {
        const char16_t first = fraction.at(0).unicode();
        const bool exactHalf = first == u'5' && fraction.size() == 1;
        if (first > u'5' || (first == u'5' && !exactHalf) || (exactHalf && whole % 2 == 1))
            ++whole;
    }
    return {inRange(sign == u"-" ? -whole : whole), significant};
}

Reference referenceLeadingNumber(QStringView text)
{
    QString compact;
    for (QChar c : text) {
        // Past ASCII nothing fits the grammar; folding it to one letter also
        // keeps lone surrogates away from the regular expression, which
        // refuses to match invalid UTF-16 at all.
        if (!isRuleBlank(c))
            compact += c.unicode() < 0x80 ? c : QChar(u'z');
    }
    if (compact.startsWith(u'&')) {
        const QChar prefix = compact.size() > 1 ? compact.at(1) : QChar();
        int base = 0;
        QRegularExpression digits;
        if (prefix == u'H' || prefix == u'h') {
            base = 16;
            digits.setPattern(QStringLiteral("^[0-9A-Fa-f]*"));
        } else if (prefix == u'O' || prefix == u'o') {
            base = 8;
            digits.setPattern(QStringLiteral("^[0-7]*"));
        } else {
            return {0, 0};
        }
        return radixReference(digits.match(compact.mid(2)).captured(0), base);
    }
    static const QRegularExpression grammar(
        QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?(?:[eEdD]([+-]?[0-9]+))?"));
    const QRegularExpressionMatch m = grammar.match(compact);
    if (m.captured(2).isEmpty() && m.captured(3).isEmpty())
        return {0, 0};
    return decimalReference(m.captured(1), m.captured(2), m.captured(3), m.captured(4));
}

} // namespace

namespace FuzzChecks
{

QString acdReader(const QByteArray& bytes)
{
    Acd first;
    const bool firstOk = readAcdInto(bytes, first);
    Acd second = scribbledAcd();
    const bool secondOk = readAcdInto(bytes, second);
    if (firstOk != secondOk || !(first == second))
        return QStringLiteral("reading depends on what the record held before");
    if (!firstOk)
        return {};

    bool allEncodable = true;
    for (QString Acd::*field : textFields()) {
        const QString trimmed = trimmedBlanks(first.*field);
        if (!Cp932Codec::encode(trimmed) || trimmed.contains(u'\r') || trimmed.contains(u'\n'))
            allEncodable = false;
    }
    const std::optional<QByteArray> written = formatAcd(first);
    if (!written) {
        if (allEncodable)
            return QStringLiteral("a record read from a file cannot be written although every value encodes");
        return {};
    }
    Acd reread = scribbledAcd();
    if (!readAcdInto(*written, reread))
        return QStringLiteral("the written file does not read back");
    if (!(reread == first))
        return QStringLiteral("the written file reads back different");
    const std::optional<QByteArray> rewritten = formatAcd(reread);
    if (!rewritten || *rewritten != *written)
        return QStringLiteral("writing is not stable across a read");
    return {};
}

QString leadingNumber(QStringView text)
{
    const std::optional<int32_t> result = ::leadingNumber(text);

    const Reference reference = referenceLeadingNumber(text);
    if (reference.significantDigits <= 15) {
        if (result != reference.value)
            return QStringLiteral("rule gave %1, exact reading %2")
                .arg(describe(result), describe(reference.value));
    } else if (result && reference.value) {
        if (std::llabs(int64_t(*result) - int64_t(*reference.value)) > 1)
            return QStringLiteral("rule gave %1, far from the exact %2").arg(*result).arg(*reference.value);
    } else if (result.has_value() != reference.value.has_value()) {
        // Double rounding may move a number just across a limit, no further.
        const int32_t inside = result ? *result : *reference.value;
        if (inside < INT32_MAX - 1 && inside > INT32_MIN + 1)
            return QStringLiteral("range disagrees far from the limits: %1").arg(inside);
    }

    static constexpr char16_t blanks[] = {u' ', u'\t', u'\n'};
    QString spread;
    spread.reserve(text.size() * 2 + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        spread += QChar(blanks[i % 3]);
        spread += text.at(i);
    }
    spread += u'\t';
    if (::leadingNumber(spread) != result)
        return QStringLiteral("blanks between the characters changed the number");

    if (::leadingNumber(text.toString() + u'x') != result)
        return QStringLiteral("a letter after the text changed the number");

    qsizetype start = 0;
    while (start < text.size() && isRuleBlank(text.at(start)))
        ++start;
    const QChar lead = start < text.size() ? text.at(start) : QChar();
    if ((lead >= u'0' && lead <= u'9') || lead == u'.') {
        const std::optional<int32_t> negated = ::leadingNumber(u'-' + text.toString());
        if (result) {
            if (negated != -*result)
                return QStringLiteral("a minus sign gave %1 for %2").arg(describe(negated)).arg(*result);
        } else if (negated && *negated != INT32_MIN) {
            return QStringLiteral("a minus sign brought a too large number in range");
        }
    }
    return {};
}

QString cp932Bytes(const QByteArray& bytes)
{
    const QString decoded = Cp932Codec::decode(bytes);
    if (decoded.size() > bytes.size() || decoded.size() * 2 < bytes.size())
        return QStringLiteral("decoding %1 bytes gave %2 characters").arg(bytes.size()).arg(decoded.size());
    // Below 0x40 no byte can be the second of a pair, so each one is a
    // character of its own whatever stands before it.
    std::array<qsizetype, 0x40> inBytes{};
    std::array<qsizetype, 0x40> inText{};
    for (char b : bytes) {
        if (uchar(b) < 0x40)
            ++inBytes[uchar(b)];
    }
    for (QChar c : decoded) {
        if (c.unicode() < 0x40)
            ++inText[c.unicode()];
    }
    for (int b = 0; b < 0x40; ++b) {
        if (inBytes[b] != inText[b])
            return QStringLiteral("decoding lost or made byte %1").arg(b, 2, 16, QLatin1Char('0'));
    }
    if (decoded.contains(QChar::ReplacementCharacter))
        return {};
    const std::optional<QByteArray> encoded = Cp932Codec::encode(decoded);
    if (!encoded)
        return QStringLiteral("text decoded from valid bytes does not encode");
    if (Cp932Codec::decode(*encoded) != decoded)
        return QStringLiteral("decoded text does not survive encoding");
    return {};
}

QString cp932Text(QStringView text)
{
    const std::optional<QByteArray> encoded = Cp932Codec::encode(text);

    QByteArray pieces;
    bool everyPieceEncodes = true;
    for (qsizetype i = 0; i < text.size() && everyPieceEncodes; ++i) {
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            length = 2;
        const std::optional<QByteArray> piece = Cp932Codec::encode(text.sliced(i, length));
        if (piece)
            pieces += *piece;
        else
            everyPieceEncodes = false;
        i += length - 1;
    }
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii && encoded != text.toLatin1())
        return QStringLiteral("ASCII text does not encode as itself");
    if (encoded.has_value() != everyPieceEncodes)
        return everyPieceEncodes ? QStringLiteral("text refused although every character encodes")
                                 : QStringLiteral("text encoded although a character does not");
    if (!encoded)
        return {};
    if (*encoded != pieces)
        return QStringLiteral("encoding the whole differs from encoding character by character");
    if (encoded->size() > text.size() * 2)
        return QStringLiteral("more than two bytes per character");

    const QString decoded = Cp932Codec::decode(*encoded);
    if (decoded.contains(QChar::ReplacementCharacter))
        return QStringLiteral("encoded bytes do not decode");
    const std::optional<QByteArray> again = Cp932Codec::encode(decoded);
    if (!again || *again != *encoded)
        return QStringLiteral("encode(decode(encode(text))) differs from encode(text)");
    return {};
}

// The first byte chooses how the rest becomes text: even as Latin-1 (number
// rule) or UTF-8 (codec), where the interesting characters come up often; odd
// as raw UTF-16, where every character an edit box could hold comes up,
// lone surrogates included.
static QString textFromInput(const QByteArray& data, QString (*eightBit)(QByteArrayView))
{
    if (data.isEmpty())
        return {};
    const QByteArrayView rest = QByteArrayView(data).sliced(1);
    if (!(data.front() & 1))
        return eightBit(rest);
    QString text(rest.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), rest.data(), size_t(text.size()) * sizeof(QChar));
    return text;
}

QString runAcdReaderInput(const QByteArray& data)
{
    return acdReader(data);
}

QString runLeadingNumberInput(const QByteArray& data)
{
    return FuzzChecks::leadingNumber(
        textFromInput(data, [](QByteArrayView b) { return QString::fromLatin1(b); }));
}

QString runCp932Input(const QByteArray& data)
{
    const QString decoding = cp932Bytes(data);
    if (!decoding.isEmpty())
        return decoding;
    return cp932Text(textFromInput(data, [](QByteArrayView b) { return QString::fromUtf8(b); }));
}

} // namespace FuzzChecks
