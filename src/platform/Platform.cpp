#include "platform/Platform.h"

QStringList Platform::missingServices() const
{
    QStringList missing;
    const std::pair<bool, const char*> required[] = {
        {bool(messageBox), "messageBox"}, {bool(standardFileDialog), "standardFileDialog"},
        {bool(driveTypes), "driveTypes"}, {bool(fileSystem), "fileSystem"},
        {bool(modulePresence), "modulePresence"},
    };
    for (const auto& [present, name] : required) {
        if (!present)
            missing.append(QString::fromLatin1(name));
    }
    return missing;
}
