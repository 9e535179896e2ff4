#include "account/LeadingNumber.h"

#include <cmath>
#include <limits>
#include <locale>
#include <sstream>
#include <string>

namespace {

// Walks the text while skipping the blanks the rule ignores.
class Cursor
{
public:
    explicit Cursor(QStringView text) : m_text(text) { skip(); }

    bool atEnd() const { return m_pos >= m_text.size(); }
    char16_t peek() const { return atEnd() ? u'\0' : m_text.at(m_pos).unicode(); }
    void next()
    {
        ++m_pos;
        skip();
    }

private:
    void skip()
    {
        while (m_pos < m_text.size()) {
            const char16_t c = m_text.at(m_pos).unicode();
            if (c != u' ' && c != u'\t' && c != u'\n')
                break;
            ++m_pos;
        }
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

bool isDigit(char16_t c, int base)
{
    if (base == 16)
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    if (base == 8)
        return c >= u'0' && c <= u'7';
    return c >= u'0' && c <= u'9';
}

int digitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return c - u'A' + 10;
}

// &H and &O numbers are read as non-negative values.
std::optional<int32_t> radixNumber(Cursor& cur, int base)
{
    uint64_t value = 0;
    bool tooLarge = false;
    while (isDigit(cur.peek(), base)) {
        if (!tooLarge) {
            value = value * base + digitValue(cur.peek());
            tooLarge = value > uint64_t(std::numeric_limits<int32_t>::max());
        }
        cur.next();
    }
    if (tooLarge)
        return std::nullopt;
    return int32_t(value);
}

void appendDigits(Cursor& cur, std::string& out)
{
    while (isDigit(cur.peek(), 10)) {
        out.push_back(char(cur.peek()));
        cur.next();
    }
}

double parseDouble(const std::string& text)
{
    // The classic locale, whatever the user's: the rule always uses "." as
    // decimal point. A value beyond double's range reads as its largest
    // value, which the caller refuses like any other too large number.
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0;
    in >> value;
    return value;
}

} // namespace

std::optional<int32_t> leadingNumber(QStringView text)
{
    Cursor cur(text);
    if (cur.peek() == u'&') {
        cur.next();
        const char16_t prefix = cur.peek();
        if (prefix == u'H' || prefix == u'h') {
            cur.next();
            return radixNumber(cur, 16);
        }
        if (prefix == u'O' || prefix == u'o') {
            cur.next();
            return radixNumber(cur, 8);
        }
        return 0;
    }

    std::string number;
    if (cur.peek() == u'+' || cur.peek() == u'-') {
        number.push_back(char(cur.peek()));
        cur.next();
    }
    const size_t before = number.size();
    appendDigits(cur, number);
    size_t digits = number.size() - before;
    if (cur.peek() == u'.') {
        number.push_back('.');
        cur.next();
        const size_t beforeFraction = number.size();
        appendDigits(cur, number);
        digits += number.size() - beforeFraction;
    }
    if (digits == 0)
        return 0;

    const char16_t e = cur.peek();
    if (e == u'e' || e == u'E' || e == u'd' || e == u'D') {
        cur.next();
        std::string exponent = "e";
        if (cur.peek() == u'+' || cur.peek() == u'-') {
            exponent.push_back(char(cur.peek()));
            cur.next();
        }
        const size_t beforeExponent = exponent.size();
        appendDigits(cur, exponent);
        if (exponent.size() > beforeExponent)
            number += exponent;
    }

    const double rounded = std::nearbyint(parseDouble(number));
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        return std::nullopt;
    return int32_t(rounded);
}
