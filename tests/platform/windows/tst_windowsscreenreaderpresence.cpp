// Whether a screen reader runs, as the Windows build asks it: the system's
// screen-reader flag, or the reader's core module in this very process. The
// module is the project's double named as the reader's (VX_MODULE_DOUBLE),
// loaded into the test process; the version dialog reports it through the
// same real GetModuleHandleA. The flag is machine-wide: each test puts back
// what it found.

#include "RecordingSpeechObject.h"
#include "dialogs/frmAbout.h"
#include "platform/windows/WindowsModulePresence.h"
#include "platform/windows/WindowsScreenReaderPresence.h"
#include "speech/SpeechChannel.h"

#include <QLabel>
#include <QTest>
#include <windows.h>

namespace
{
bool screenReaderFlag()
{
    BOOL set = FALSE;
    return SystemParametersInfoW(SPI_GETSCREENREADER, 0, &set, 0) && set;
}

bool setScreenReaderFlag(bool set)
{
    return SystemParametersInfoW(SPI_SETSCREENREADER, set, nullptr, SPIF_SENDCHANGE);
}

QString runningLine(ModulePresence& modules)
{
    SpeechChannel speech;
    speech.VobrInit(RecordingSpeechObject::factory(std::make_shared<RecordingSpeechObject::Log>()));
    frmAbout dialog(speech, modules);
    return dialog.findChild<QLabel*>(QStringLiteral("Label2"))->text();
}
} // namespace

class tst_WindowsScreenReaderPresence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void systemFlagSaysAScreenReaderRuns();
    void readersModuleInTheProcessSaysItRuns();

private:
    bool m_flagWas = false;
    std::shared_ptr<WindowsModulePresence> m_modules = std::make_shared<WindowsModulePresence>();
};

void tst_WindowsScreenReaderPresence::initTestCase()
{
    qunsetenv("VORNIX_SCREEN_READER");
    m_flagWas = screenReaderFlag();
}

void tst_WindowsScreenReaderPresence::cleanup()
{
    setScreenReaderFlag(m_flagWas);
}

void tst_WindowsScreenReaderPresence::systemFlagSaysAScreenReaderRuns()
{
    WindowsScreenReaderPresence presence(m_modules);
    QVERIFY(setScreenReaderFlag(true));
    QVERIFY(screenReaderFlag());
    QCOMPARE(presence.ask(), ScreenReaderAnswer::Runs);
    QVERIFY(setScreenReaderFlag(false));
    QCOMPARE(presence.ask(), ScreenReaderAnswer::None);
    // The variable settles it before the flag is read.
    qputenv("VORNIX_SCREEN_READER", "on");
    QCOMPARE(presence.ask(), ScreenReaderAnswer::Runs);
    qunsetenv("VORNIX_SCREEN_READER");
}

void tst_WindowsScreenReaderPresence::readersModuleInTheProcessSaysItRuns()
{
    QVERIFY(setScreenReaderFlag(false));
    WindowsScreenReaderPresence presence(m_modules);
    QCOMPARE(presence.ask(), ScreenReaderAnswer::None);
    QCOMPARE(runningLine(*m_modules), QStringLiteral("Voxbridgeは起動していません"));

    const QString path = QString::fromUtf8(VX_MODULE_DOUBLE).replace(u'/', u'\\');
    HMODULE module = LoadLibraryW(reinterpret_cast<const wchar_t*>(path.utf16()));
    QVERIFY2(module, qPrintable(path));
    QCOMPARE(presence.ask(), ScreenReaderAnswer::Runs);
    QCOMPARE(runningLine(*m_modules), QStringLiteral("Voxbridgeは起動中です"));

    QVERIFY(FreeLibrary(module));
    QCOMPARE(presence.ask(), ScreenReaderAnswer::None);
    QCOMPARE(runningLine(*m_modules), QStringLiteral("Voxbridgeは起動していません"));
}

QTEST_MAIN(tst_WindowsScreenReaderPresence)
#include "tst_windowsscreenreaderpresence.moc"
