#include "platform/linux/LinuxDriveTypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// Blanks, tabs, line ends and backslashes in mount points and device names
// come as octal escapes (\040 for a blank).
QString unescapeMountField(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && code < 256) {
                out.append(char(code));
                i += 3;
                continue;
            }
        }
        out.append(field.at(i));
    }
    return QFile::decodeName(out);
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
    // Read from the kernel's table: asking each file system about itself
    // (statvfs) would hang on a network mount whose server went away.
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseMountInfo(file.readAll());
}

QList<LinuxDriveTypes::Volume> LinuxDriveTypes::parseMountInfo(const QByteArray& mountInfo)
{
    // "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw"
    QList<Volume> result;
    for (const QByteArray& line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (dash < 6 || dash + 2 >= fields.size())
            continue;
        result.append({unescapeMountField(fields.at(4)), unescapeMountField(fields.at(dash + 2)),
                       unescapeMountField(fields.at(dash + 1))});
    }
    return result;
}

bool LinuxDriveTypes::isSystemMount(const QString& mountPoint)
{
    static const QStringList trees = {
        QStringLiteral("/boot"), QStringLiteral("/usr"),  QStringLiteral("/var"),   QStringLiteral("/etc"),
        QStringLiteral("/opt"),  QStringLiteral("/srv"),  QStringLiteral("/proc"),  QStringLiteral("/sys"),
        QStringLiteral("/dev"),  QStringLiteral("/snap"), QStringLiteral("/tmp"),   QStringLiteral("/root"),
        QStringLiteral("/bin"),  QStringLiteral("/sbin"), QStringLiteral("/lib"),   QStringLiteral("/lib32"),
        QStringLiteral("/lib64"), QStringLiteral("/libx32"), QStringLiteral("/run"),
    };
    if (mountPoint == u'/' || mountPoint == QLatin1String("/home"))
        return true;
    // Desktops mount sticks under /run/media/<user>.
    if (mountPoint.startsWith(QLatin1String("/run/media/")))
        return false;
    for (const QString& tree : trees) {
        if (mountPoint == tree || mountPoint.startsWith(tree + u'/'))
            return true;
    }
    return false;
}

bool LinuxDriveTypes::isNetworkFileSystem(const QString& fileSystem)
{
    static const QStringList network = {
        QStringLiteral("nfs"),  QStringLiteral("nfs4"),      QStringLiteral("cifs"), QStringLiteral("smb3"),
        QStringLiteral("smbfs"), QStringLiteral("ncpfs"),    QStringLiteral("afs"),  QStringLiteral("ceph"),
        QStringLiteral("9p"),   QStringLiteral("glusterfs"), QStringLiteral("davfs"), QStringLiteral("coda"),
    };
    // FUSE file systems without a block device of their own (sshfs and the
    // like) can hang just as well; fuseblk is a local disk.
    return network.contains(fileSystem) || fileSystem == QLatin1String("fuse")
           || fileSystem.startsWith(QLatin1String("fuse."));
}

QStringList LinuxDriveTypes::drives()
{
    QStringList result;
    m_listing = m_volumes();
    for (const Volume& volume : std::as_const(*m_listing)) {
        if (!isSystemMount(volume.mountPoint) && !isNetworkFileSystem(volume.fileSystem))
            result.append(volume.mountPoint);
    }
    // The system lists mounts in the order they were made; name order gives
    // the same answer for the same set of volumes.
    result.sort();
    result.removeDuplicates();
    return result;
}

int LinuxDriveTypes::driveType(const QString& drive)
{
    if (!m_listing)
        m_listing = m_volumes();
    // A later mount on the same point hides the earlier ones.
    for (auto it = m_listing->crbegin(); it != m_listing->crend(); ++it) {
        if (it->mountPoint != drive)
            continue;
        if (isNetworkFileSystem(it->fileSystem))
            return Unknown;
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
    if (!device.startsWith(u'/'))
        return Unknown; // tmpfs, proc, network shares: no block device
    // /dev/disk/by-label/... and similar names are links to the real node.
    QString node = QFileInfo(device).canonicalFilePath();
    if (node.isEmpty())
        node = device;
    const QString name = QFileInfo(node).fileName();
    if (name.isEmpty())
        return Unknown;

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
