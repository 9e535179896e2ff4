#include "NoThreadsCanStart.h"
#include "platform/Platform.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtStandardFileDialog.h"
#include "platform/linux/LinuxScreenReaderPresence.h"
#include "platform/linux/LinuxDriveTypes.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxSingleInstance.h"
#include "platform/NoFileDialogLibrary.h"
#include "platform/linux/LinuxModulePresence.h"

#include <QTemporaryDir>
#include <QTest>
#include <fontconfig/fontconfig.h>

#include <unistd.h>

// Start-up dereferences every service without checking: each one must be
// there, and be the Linux one.
class tst_LinuxPlatform : public QObject
{
    Q_OBJECT

private slots:
    void everyServiceIsTheLinuxOne();
    void emptyPlatformNamesWhatIsMissing();
    void withoutAThread();
};

void tst_LinuxPlatform::everyServiceIsTheLinuxOne()
{
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

    const Platform platform = createSystemPlatform();
    QCOMPARE(platform.missingServices(), QStringList());
    QVERIFY(platform.speechFactory);
    QVERIFY(platform.browserFactory);
    QVERIFY(dynamic_cast<QtMessageBox*>(platform.messageBox.get()));
    QVERIFY(dynamic_cast<NoFileDialogLibrary*>(platform.fileDialogLibrary.get()));
    QVERIFY(dynamic_cast<QtStandardFileDialog*>(platform.standardFileDialog.get()));
    QVERIFY(dynamic_cast<LinuxDriveTypes*>(platform.driveTypes.get()));
    QVERIFY(dynamic_cast<LinuxModulePresence*>(platform.modulePresence.get()));
    QVERIFY(dynamic_cast<LinuxFileSystem*>(platform.fileSystem.get()));
    QVERIFY(dynamic_cast<LinuxScreenReaderPresence*>(platform.screenReaderPresence.get()));

    // One instance per user, in the user's own runtime folder.
    auto* instance = dynamic_cast<LinuxSingleInstance*>(platform.singleInstance.get());
    QVERIFY(instance);
    QCOMPARE(instance->socketPath(), runtime.path() + "/" + LinuxSingleInstance::defaultName() + ".socket");
    QVERIFY(LinuxSingleInstance::defaultName().endsWith("-" + QString::number(::geteuid())));
}

// Required services start empty and are named; the ones that may be absent
// start as the objects that stand for "not there".
void tst_LinuxPlatform::emptyPlatformNamesWhatIsMissing()
{
    const Platform platform;
    QCOMPARE(platform.missingServices(),
             QStringList({"messageBox", "standardFileDialog", "driveTypes", "fileSystem", "modulePresence"}));
    QVERIFY(!platform.speechFactory());
    QVERIFY(!platform.browserFactory());
    QCOMPARE(platform.fileDialogLibrary->show(FileDialogRequest{}).outcome, FileDialogResult::Outcome::Failed);
    QVERIFY(platform.singleInstance->becomePrimary());
    // Nobody to ask: the program speaks for itself.
    QCOMPARE(platform.screenReaderPresence->ask(), ScreenReaderAnswer::None);
}

// A process out of threads goes on: the question has no answer, and the
// font configuration is read when it is waited for.
void tst_LinuxPlatform::withoutAThread()
{
    NoThreadsCanStart noThreads;
    QVERIFY(noThreads.isActive());
    QCOMPARE(LinuxScreenReaderPresence().askDesktop(QStringLiteral("unix:path=/nonexistent")),
             ScreenReaderAnswer::NoAnswer);
    std::future<void> fonts = preloadFontConfiguration();
    QVERIFY(fonts.valid());
    fonts.get();
    // Qt's font database would own the configuration and free it; this test
    // has none.
    FcFini();
}

QTEST_MAIN(tst_LinuxPlatform)
#include "tst_linuxplatform.moc"
