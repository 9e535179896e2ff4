#include "platform/ScreenReaderPresence.h"

#include <QString>

std::optional<bool> forcedScreenReaderAnswer(const QString& value)
{
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("on"))
        return true;
    if (v == QLatin1String("off"))
        return false;
    return std::nullopt;
}
