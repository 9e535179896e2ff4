#include "platform/linux/LinuxDriveTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace
{

QString firstLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.readLine(64)).trimmed();
}

// The SCSI peripheral type of a CD or DVD drive: the kernel marks those
// removable too, but nothing can be written to them like a floppy.
constexpr auto ScsiTypeRom = "5";

} // namespace

LinuxDriveTypes::LinuxDriveTypes(QString sysClassBlock, VolumeSource volumes)
    : m_sysClassBlock(std::move(sysClassBlock)),
      m_volumes(volumes ? std::move(volumes) : VolumeSource(mountedVolumes))
{
}

QList<LinuxDriveTypes::Volume> LinuxDriveTypes::mountedVolumes()
{
    QList<Volume> result;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& volume : volumes) {
        if (volume.isValid() && volume.isReady())
            result.append({volume.rootPath(), QString::fromLocal8Bit(volume.device())});
    }
    return result;
}

QStringList LinuxDriveTypes::drives()
{
    QStringList result;
    const QList<Volume> volumes = m_volumes();
    for (const Volume& volume : volumes)
        result.append(volume.mountPoint);
    // The system lists mounts in the order they were made; name order gives
    // the same answer for the same set of volumes.
    result.sort();
    result.removeDuplicates();
    return result;
}

int LinuxDriveTypes::driveType(const QString& drive)
{
    const QList<Volume> volumes = m_volumes();
    // A later mount on the same point hides the earlier ones.
    for (auto it = volumes.crbegin(); it != volumes.crend(); ++it) {
        if (it->mountPoint == drive)
            return typeOfDevice(it->device, m_sysClassBlock);
    }
    return NoRootDir;
}

QString LinuxDriveTypes::rootOf(const QString& drive)
{
    return drive;
}

int LinuxDriveTypes::typeOfDevice(const QString& device, const QString& sysClassBlock)
{
    // /dev/disk/by-label/... and similar names are links to the real node.
    QString node = QFileInfo(device).canonicalFilePath();
    if (node.isEmpty())
        node = device;
    const QString name = QFileInfo(node).fileName();
    if (name.isEmpty() || !device.startsWith(u'/'))
        return Unknown; // tmpfs, proc, network shares: no block device

    const QFileInfo entry(sysClassBlock + u'/' + name);
    if (!entry.exists())
        return Unknown;
    QString disk = entry.canonicalFilePath();
    // The flag belongs to the disk, the folder above a partition's.
    if (QFileInfo::exists(disk + QStringLiteral("/partition")))
        disk = QFileInfo(disk).path();

    if (firstLine(disk + QStringLiteral("/device/type")) == QLatin1String(ScsiTypeRom))
        return Optical;
    if (firstLine(disk + QStringLiteral("/removable")) == QLatin1String("1"))
        return Removable;
    return Fixed;
}
