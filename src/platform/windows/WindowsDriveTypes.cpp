#include "platform/windows/WindowsDriveTypes.h"

#include <windows.h>

QStringList WindowsDriveTypes::drives()
{
    QStringList letters;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        letters.append(QString(QLatin1Char(letter)) + u':');
    return letters;
}

int WindowsDriveTypes::driveType(const QString& drive)
{
    // A floppy drive without a disk still answers DRIVE_REMOVABLE without
    // touching the drive, so the scan never waits on a motor.
    return static_cast<int>(GetDriveTypeA(drive.toLatin1().constData()));
}

QString WindowsDriveTypes::rootOf(const QString& drive)
{
    return drive + u'\\';
}
