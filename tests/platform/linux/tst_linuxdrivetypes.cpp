#include "platform/linux/LinuxDriveTypes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A small copy of the kernel's block-device tree: class/block entries are
// links into devices/, partitions sit inside their disk's folder and carry a
// "partition" file, the disk carries "removable".
class tst_LinuxDriveTypes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typeOfDevice_data();
    void typeOfDevice();
    void drivesInNameOrder();
    void driveTypeByMountPoint();
    void systemAndNetworkMountsAreNoDrives_data();
    void systemAndNetworkMountsAreNoDrives();
    void parseMountInfo();
    void runningSystem();

private:
    void put(const QString& relative, const QByteArray& content = "1\n");
    void link(const QString& target, const QString& relativeLink);
    QString sys() const { return m_root.filePath("sys/class/block"); }
    QString dev(const QString& name) const { return m_root.filePath("dev/" + name); }

    QTemporaryDir m_root;
};

void tst_LinuxDriveTypes::put(const QString& relative, const QByteArray& content)
{
    const QString path = m_root.filePath(relative);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void tst_LinuxDriveTypes::link(const QString& target, const QString& relativeLink)
{
    const QString path = m_root.filePath(relativeLink);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QVERIFY(QFile::link(target, path));
}

void tst_LinuxDriveTypes::initTestCase()
{
    QVERIFY(m_root.isValid());
    const QString usb = QStringLiteral("sys/devices/usb1/block/");
    const QString sata = QStringLiteral("sys/devices/ata1/block/");
    put(usb + "sdb/removable", "1\n");
    put(usb + "sdb/sdb1/partition");
    put(usb + "sdc/removable", "1\n"); // a stick formatted without partitions
    put(sata + "sda/removable", "0\n");
    put(sata + "sda/sda2/partition");
    put(sata + "sr0/removable", "1\n");
    put(sata + "sr0/device/type", "5\n");
    put("sys/devices/virtual/block/dm-0/removable", "0\n");
    // A removable disk whose partition has the "removable" flag of its own at
    // 0: the disk's flag decides.
    put(usb + "sdd/removable", "1\n");
    put(usb + "sdd/sdd1/partition");
    put(usb + "sdd/sdd1/removable", "0\n");

    const QString devices = m_root.filePath("sys/devices/");
    link(devices + "usb1/block/sdb/sdb1", "sys/class/block/sdb1");
    link(devices + "usb1/block/sdc", "sys/class/block/sdc");
    link(devices + "usb1/block/sdd/sdd1", "sys/class/block/sdd1");
    link(devices + "ata1/block/sda/sda2", "sys/class/block/sda2");
    link(devices + "ata1/block/sr0", "sys/class/block/sr0");
    link(devices + "virtual/block/dm-0", "sys/class/block/dm-0");

    for (const char* node : {"sdb1", "sdc", "sdd1", "sda2", "sr0", "dm-0"})
        put(QStringLiteral("dev/") + node, "");
    link("../../sdb1", "dev/disk/by-label/STICK");
    link("../dm-0", "dev/mapper/vg-root");
}

void tst_LinuxDriveTypes::typeOfDevice_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("type");

    QTest::newRow("partition of a removable disk") << dev("sdb1") << 2;
    QTest::newRow("removable disk without partitions") << dev("sdc") << 2;
    QTest::newRow("partition flag does not count") << dev("sdd1") << 2;
    QTest::newRow("partition of a fixed disk") << dev("sda2") << 3;
    QTest::newRow("optical drive") << dev("sr0") << 5;
    QTest::newRow("device mapper") << dev("dm-0") << 3;
    QTest::newRow("link by label") << dev("disk/by-label/STICK") << 2;
    QTest::newRow("mapper link") << dev("mapper/vg-root") << 3;
    QTest::newRow("no such device") << dev("sdz9") << 0;
    QTest::newRow("tmpfs") << "tmpfs" << 0;
    QTest::newRow("empty") << "" << 0;
}

void tst_LinuxDriveTypes::typeOfDevice()
{
    QFETCH(QString, device);
    QFETCH(int, type);
    QCOMPARE(LinuxDriveTypes::typeOfDevice(device, sys()), type);
}

void tst_LinuxDriveTypes::drivesInNameOrder()
{
    const QList<LinuxDriveTypes::Volume> volumes = {{"/media/usb", dev("sdb1"), "vfat"},
                                                    {"/", dev("sda2"), "ext4"},
                                                    {"/boot", dev("sda2"), "ext4"},
                                                    {"/media/cdrom", dev("sr0"), "iso9660"},
                                                    {"/media/usb", dev("sdc"), "vfat"}};
    LinuxDriveTypes drives(sys(), [&] { return volumes; });

    QCOMPARE(drives.drives(), (QStringList{"/media/cdrom", "/media/usb"}));
    QCOMPARE(drives.rootOf("/media/usb"), QStringLiteral("/media/usb"));

    // What the floppy finder does with them: the first removable in that order.
    QString first;
    for (const QString& d : drives.drives()) {
        if (drives.driveType(d) == DriveTypes::Removable) {
            first = drives.rootOf(d);
            break;
        }
    }
    QCOMPARE(first, QStringLiteral("/media/usb"));
}

void tst_LinuxDriveTypes::driveTypeByMountPoint()
{
    QList<LinuxDriveTypes::Volume> volumes = {{"/", dev("sda2"), "ext4"}, {"/media/usb", dev("sdb1"), "vfat"}};
    int listings = 0;
    LinuxDriveTypes drives(sys(), [&] {
        ++listings;
        return volumes;
    });

    // One reading of the mounts per search, however many drives it asks about.
    QCOMPARE(drives.drives(), QStringList{"/media/usb"});
    QCOMPARE(drives.driveType("/"), 3);
    QCOMPARE(drives.driveType("/media/usb"), 2);
    QCOMPARE(drives.driveType("/media/none"), 1);
    QCOMPARE(listings, 1);

    // The next search reads them anew: a stick pulled out is gone.
    volumes.removeLast();
    QCOMPARE(drives.drives(), QStringList{});
    QCOMPARE(drives.driveType("/media/usb"), 1);
    QCOMPARE(listings, 2);

    // Mounted over: the later mount is what is seen there.
    volumes.append({"/mnt", dev("sda2"), "ext4"});
    volumes.append({"/mnt", dev("sdc"), "vfat"});
    QCOMPARE(drives.drives(), QStringList{"/mnt"});
    QCOMPARE(drives.driveType("/mnt"), 2);
}

void tst_LinuxDriveTypes::systemAndNetworkMountsAreNoDrives_data()
{
    QTest::addColumn<QString>("mountPoint");
    QTest::addColumn<QString>("fileSystem");
    QTest::addColumn<bool>("drive");

    // A system started from a stick: its own mounts sit on a removable disk.
    QTest::newRow("root") << "/" << "ext4" << false;
    QTest::newRow("boot") << "/boot" << "ext4" << false;
    QTest::newRow("EFI") << "/boot/efi" << "vfat" << false;
    QTest::newRow("usr") << "/usr" << "ext4" << false;
    QTest::newRow("var") << "/var" << "ext4" << false;
    QTest::newRow("home") << "/home" << "ext4" << false;
    QTest::newRow("run") << "/run/live/medium" << "vfat" << false;
    QTest::newRow("desktop stick") << "/run/media/taro/STICK" << "vfat" << true;
    QTest::newRow("media") << "/media/taro/STICK" << "vfat" << true;
    QTest::newRow("mnt") << "/mnt" << "vfat" << true;
    QTest::newRow("NTFS stick") << "/media/ntfs" << "fuseblk" << true;
    // Never asked anything: a server that went away would hang the question.
    QTest::newRow("nfs") << "/media/nfs" << "nfs4" << false;
    QTest::newRow("cifs") << "/mnt/share" << "cifs" << false;
    QTest::newRow("sshfs") << "/media/ssh" << "fuse.sshfs" << false;
}

void tst_LinuxDriveTypes::systemAndNetworkMountsAreNoDrives()
{
    QFETCH(QString, mountPoint);
    QFETCH(QString, fileSystem);
    QFETCH(bool, drive);
    const QList<LinuxDriveTypes::Volume> volumes = {{mountPoint, dev("sdb1"), fileSystem}};
    LinuxDriveTypes drives(sys(), [&] { return volumes; });
    QCOMPARE(drives.drives(), drive ? QStringList{mountPoint} : QStringList{});
}

void tst_LinuxDriveTypes::parseMountInfo()
{
    const QByteArray info =
        "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "40 22 8:17 / /media/taro/MY\\040STICK rw,nosuid shared:30 - vfat /dev/sdb1 rw,uid=1000\n"
        "41 22 0:50 / /mnt/nas rw master:2 - nfs4 nas:/export rw\n"
        "bad line\n";
    const QList<LinuxDriveTypes::Volume> volumes = LinuxDriveTypes::parseMountInfo(info);
    QCOMPARE(volumes.size(), 3);
    QCOMPARE(volumes.at(0).mountPoint, QStringLiteral("/"));
    QCOMPARE(volumes.at(0).device, QStringLiteral("/dev/sda2"));
    QCOMPARE(volumes.at(0).fileSystem, QStringLiteral("ext4"));
    QCOMPARE(volumes.at(1).mountPoint, QStringLiteral("/media/taro/MY STICK"));
    QCOMPARE(volumes.at(1).device, QStringLiteral("/dev/sdb1"));
    QCOMPARE(volumes.at(2).device, QStringLiteral("nas:/export"));
    QCOMPARE(volumes.at(2).fileSystem, QStringLiteral("nfs4"));
}

void tst_LinuxDriveTypes::runningSystem()
{
    // The running system's mounts are read, though none of them is offered.
    QVERIFY(!LinuxDriveTypes::mountedVolumes().isEmpty());
    LinuxDriveTypes drives;
    const QStringList list = drives.drives();
    QVERIFY(!list.contains("/"));
    QStringList sorted = list;
    sorted.sort();
    QCOMPARE(list, sorted);
    for (const QString& d : list) {
        const int type = drives.driveType(d);
        QVERIFY2(type == 0 || type == 2 || type == 3 || type == 5, qPrintable(d));
    }
}

QTEST_GUILESS_MAIN(tst_LinuxDriveTypes)
#include "tst_linuxdrivetypes.moc"
