#include "account/Acd.h"

void defaultAcd(Acd& acd)
{
    acd = Acd{};
}

QString trimmedBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

bool isBlank(const QString& text)
{
    for (QChar c : text) {
        if (c != u' ')
            return false;
    }
    return true;
}

void applyTitleRule(Acd& acd, const QString& senderName)
{
    if (isBlank(acd.Title))
        acd.Title = senderName;
}
