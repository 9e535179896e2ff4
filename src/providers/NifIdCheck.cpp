#include "providers/NifIdCheck.h"

namespace
{

QString trimmedSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

bool inRange(const QString& c, QLatin1StringView low, QLatin1StringView high)
{
    return QString::compare(low, c, Qt::CaseSensitive) <= 0 &&
           QString::compare(c, high, Qt::CaseSensitive) <= 0;
}

} // namespace

void MojiCheck(const QString& c, int32_t& code)
{
    if (inRange(c, QLatin1StringView("a"), QLatin1StringView("z")))
        code = MojiClass::Lower;
    else if (inRange(c, QLatin1StringView("A"), QLatin1StringView("Z")))
        code = MojiClass::Upper;
    else if (inRange(c, QLatin1StringView("0"), QLatin1StringView("9")))
        code = MojiClass::Digit;
    else
        code = MojiClass::Other;
}

void NifIdCheck(QString& text, int32_t& result)
{
    text = trimmedSpaces(text);
    result = NifIdResult::NotAnId;
    if (text.size() != 8)
        return;

    int32_t sum = 0;
    for (qsizetype i = 0; i < 3; ++i) {
        int32_t code = 0;
        MojiCheck(QString(text.at(i)), code);
        sum += code;
    }
    // 3 is only reachable as three lower-case letters, 9 as three capitals or
    // two lower-case letters and a digit; -99 keeps anything else far away.
    if (sum != 3 && sum != 9)
        return;

    for (qsizetype i = 3; i < 8; ++i) {
        int32_t code = 0;
        MojiCheck(QString(text.at(i)), code);
        if (code != MojiClass::Digit)
            return;
    }
    result = sum == 9 ? NifIdResult::SumOfNine : NifIdResult::LowerLetters;
}
