#include "platform/linux/LinuxModulePresence.h"

#include <QTest>

#include <dlfcn.h>

class tst_LinuxModulePresence : public QObject
{
    Q_OBJECT

private slots:
    void loadedInThisProcess_data();
    void loadedInThisProcess();
    void fileNameMatches_data();
    void fileNameMatches();
    void followsLoadingAndUnloading();
};

void tst_LinuxModulePresence::loadedInThisProcess_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("libc by its file name") << "libc.so.6" << true;
    QTest::newRow("file name in capitals") << "LIBC.SO.6" << true;
    QTest::newRow("libc without version") << "libc.so" << true;
    QTest::newRow("libc named like a Windows module") << "c.dll" << true;
    QTest::newRow("Qt core named like a Windows module") << "Qt6Core.dll" << true;
    QTest::newRow("the screen reader is not loaded") << "vxbcore.dll" << false;
    QTest::newRow("part of a name") << "ibc.so.6" << false;
    QTest::newRow("version that is not one") << "libc.so.6x" << false;
    QTest::newRow("empty name") << "" << false;
}

void tst_LinuxModulePresence::loadedInThisProcess()
{
    QFETCH(QString, module);
    QFETCH(bool, loaded);
    LinuxModulePresence presence;
    QCOMPARE(presence.isLoaded(module), loaded);
}

void tst_LinuxModulePresence::fileNameMatches_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("matches"); // as the module "vxbcore.dll"
    QTest::newRow("the name itself") << "vxbcore.dll" << true;
    QTest::newRow("capitals") << "VXBCORE.DLL" << true;
    QTest::newRow(".so") << "vxbcore.so" << true;
    QTest::newRow("lib...so") << "libvxbcore.so" << true;
    QTest::newRow("versioned") << "libvxbcore.so.1" << true;
    QTest::newRow("versioned twice") << "libvxbcore.so.1.20" << true;
    QTest::newRow("trailing dot") << "libvxbcore.so." << false;
    QTest::newRow("empty version part") << "libvxbcore.so.1..2" << false;
    QTest::newRow("letters in version") << "libvxbcore.so.1a" << false;
    QTest::newRow("longer name") << "libvxbcore2.so" << false;
    QTest::newRow("prefix") << "xvxbcore.so" << false;
    QTest::newRow("stem only") << "vxbcore" << false;
    QTest::newRow("dll with version") << "vxbcore.dll.1" << true;
}

void tst_LinuxModulePresence::fileNameMatches()
{
    QFETCH(QString, fileName);
    QFETCH(bool, matches);
    const QStringList candidates = LinuxModulePresence::candidateFileNames(QStringLiteral("vxbcore.dll"));
    QCOMPARE(LinuxModulePresence::fileNameMatches(fileName, candidates), matches);
}

// The answer is worked out at each call from what is loaded now.
void tst_LinuxModulePresence::followsLoadingAndUnloading()
{
    LinuxModulePresence presence;
    const QString module = QStringLiteral("vxbcore.dll");
    QVERIFY(!presence.isLoaded(module));

    void* handle = dlopen(VX_VXBCORE_PROBE, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(handle, dlerror());
    QVERIFY(dlsym(handle, "vxbcore_probe_marker"));
    QVERIFY(presence.isLoaded(module));
    QVERIFY(presence.isLoaded(QStringLiteral("VXBCORE.DLL")));

    QCOMPARE(dlclose(handle), 0);
    QVERIFY(!presence.isLoaded(module));
}

QTEST_GUILESS_MAIN(tst_LinuxModulePresence)
#include "tst_linuxmodulepresence.moc"
