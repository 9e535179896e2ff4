#pragma once

#include "platform/DriveTypes.h"

#include <QList>
#include <functional>

// Drives are the mount points of the mounted volumes, in name order; a volume
// counts as removable when the kernel says its disk is removable (sysfs
// "removable" flag of the disk, also for a partition of it).
class LinuxDriveTypes : public DriveTypes
{
public:
    // The drive types the floppy finder can meet, numbered as the system
    // call the program was first written against numbers them.
    enum Type { Unknown = 0, NoRootDir = 1, Fixed = 3, Optical = 5 };

    struct Volume {
        QString mountPoint;
        QString device; // "/dev/sdb1"
    };
    using VolumeSource = std::function<QList<Volume>()>;

    // Both arguments exist for tests; the defaults read the running system.
    explicit LinuxDriveTypes(QString sysClassBlock = QStringLiteral("/sys/class/block"),
                             VolumeSource volumes = {});

    QStringList drives() override;
    int driveType(const QString& drive) override;
    QString rootOf(const QString& drive) override;

    static QList<Volume> mountedVolumes();
    // The type of the volume on a block device, from sysfs.
    static int typeOfDevice(const QString& device, const QString& sysClassBlock);

private:
    QString m_sysClassBlock;
    VolumeSource m_volumes;
};
