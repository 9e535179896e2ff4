#pragma once

#include "platform/DriveTypes.h"

#include <QList>
#include <functional>
#include <optional>

// Drives are the mount points of the mounted volumes, in name order; a volume
// counts as removable when the kernel says its disk is removable (sysfs
// "removable" flag of the disk, also for a partition of it).
//
// The system's own mounts ("/", /boot, /usr and the like) are never drives,
// even on a system started from a stick, and network file systems are left
// out untouched: nothing here waits on a server. The mounts are read once per
// drives(); the types answered afterwards come from that one reading.
class LinuxDriveTypes : public DriveTypes
{
public:
    // The drive types the floppy finder can meet, numbered as the system
    // call the program was first written against numbers them.
    enum Type { Unknown = 0, NoRootDir = 1, Fixed = 3, Optical = 5 };

    struct Volume {
        QString mountPoint;
        QString device; // "/dev/sdb1"
        QString fileSystem; // "vfat", "nfs4"
    };
    using VolumeSource = std::function<QList<Volume>()>;

    // Both arguments exist for tests; the defaults read the running system.
    explicit LinuxDriveTypes(QString sysClassBlock = QStringLiteral("/sys/class/block"),
                             VolumeSource volumes = {});

    QStringList drives() override;
    int driveType(const QString& drive) override;
    QString rootOf(const QString& drive) override;

    // The mounts the kernel lists for this process, in the order they were
    // made; nothing is asked of the mounted file systems themselves.
    static QList<Volume> mountedVolumes();
    static QList<Volume> parseMountInfo(const QByteArray& mountInfo);
    static bool isSystemMount(const QString& mountPoint);
    static bool isNetworkFileSystem(const QString& fileSystem);
    // The type of the volume on a block device, from sysfs.
    static int typeOfDevice(const QString& device, const QString& sysClassBlock);

private:
    QString m_sysClassBlock;
    VolumeSource m_volumes;
    std::optional<QList<Volume>> m_listing;
};
