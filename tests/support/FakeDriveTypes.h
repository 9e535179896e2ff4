#pragma once

#include "platform/DriveTypes.h"

#include <QHash>
#include <QStringList>

// Drives as the test lists them. A drive without a type is fixed (3); its root
// is the drive with a backslash unless the test says otherwise. Every type
// query is written down, so the scan order can be checked.
class FakeDriveTypes : public DriveTypes
{
public:
    QStringList driveList;
    QHash<QString, int> types;
    QHash<QString, QString> roots;
    QStringList asked;

    // "A:" to "Z:", as a drive-letter system names them.
    static QStringList letters()
    {
        QStringList result;
        for (char c = 'A'; c <= 'Z'; ++c)
            result.append(QStringLiteral("%1:").arg(QChar(c)));
        return result;
    }

    QStringList drives() override { return driveList; }
    int driveType(const QString& drive) override
    {
        asked.append(drive);
        return types.value(drive, 3);
    }
    QString rootOf(const QString& drive) override { return roots.value(drive, drive + QLatin1Char('\\')); }
};
