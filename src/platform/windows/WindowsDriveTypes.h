#pragma once

#include "platform/DriveTypes.h"

// The drive letters A to Z, each asked of GetDriveTypeA as "A:" and so on.
class WindowsDriveTypes : public DriveTypes
{
public:
    QStringList drives() override;
    int driveType(const QString& drive) override;
    QString rootOf(const QString& drive) override;
};
