#pragma once

#include <QString>
#include <QStringList>

// Drive enumeration for the floppy finder: the drives to try, in scan order,
// and each one's type. Type 2 means a removable drive.
class DriveTypes
{
public:
    static constexpr int Removable = 2;

    virtual ~DriveTypes() = default;
    virtual QStringList drives() = 0;
    virtual int driveType(const QString& drive) = 0;
    // What the floppy finder hands to the dialogs for a removable drive.
    virtual QString rootOf(const QString& drive) = 0;
};
