#include "platform/windows/WindowsSpeechObject.h"
#include "speech/SpeechChannel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <windows.h>

// The screen reader's object is the project's own double (VX_SPEECH_DOUBLE),
// registered while a test needs it. For the machine: Wine's COM does not look
// for classes among the user's.
namespace
{
const wchar_t ClassKey[] = L"Software\\Classes\\CLSID\\{8BF3B6E3-6515-11D3-8515-004005372344}";

bool registerDouble()
{
    HKEY key = nullptr;
    const std::wstring server = std::wstring(ClassKey) + L"\\InprocServer32";
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, server.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
        return false;
    const std::wstring path = QString::fromUtf8(VX_SPEECH_DOUBLE).replace(u'/', u'\\').toStdWString();
    const wchar_t model[] = L"Apartment";
    const bool ok = !RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                    DWORD((path.size() + 1) * sizeof(wchar_t))) &&
                    !RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model),
                                    sizeof model);
    RegCloseKey(key);
    return ok;
}

void unregisterDouble()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey);
}

// The program makes its speech object on a thread of its own, as start-up does.
SpeechObjectFactory madeElsewhere()
{
    return [] { return std::async(std::launch::async, [] {
                           return std::unique_ptr<SpeechObject>(std::make_unique<WindowsSpeechObject>());
                       }).get(); };
}
} // namespace

class tst_WindowsSpeechObject : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void screenReadersObjectThroughItsTable();
    void systemVoiceWhenNotRegistered();
    void failingObjectSilencesForGood_data();
    void failingObjectSilencesForGood();
};

void tst_WindowsSpeechObject::cleanup()
{
    unregisterDouble();
    qunsetenv("VX_SPEECH_FAIL_FROM");
    qunsetenv("VX_SPEECH_REFUSE");
}

void tst_WindowsSpeechObject::screenReadersObjectThroughItsTable()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("calls.txt"));
    qputenv("VX_SPEECH_CALLS", QDir::toNativeSeparators(log).toLocal8Bit());
    QVERIFY(registerDouble());

    SpeechChannel speech;
    speech.VobrInit(madeElsewhere());
    QVERIFY(speech.screenReaderInstalled());
    speech.Quick();
    speech.Voice(QStringLiteral("差出人の名前は") + AnnounceSeparator + QStringLiteral("未登録"));
    speech.Voice(QString());
    speech.VoiceWait();
    QVERIFY(speech.VoiceEnabled());

    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList calls = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    // Made on another thread, the object is still created and called in the
    // window's apartment only; methods 3 and 4 are never reached.
    QCOMPARE(calls, QStringList({QStringLiteral("Configure(33)"), QStringLiteral("Interrupt"),
                                 QStringLiteral("Speak(差出人の名前は") + AnnounceSeparator + QStringLiteral("未登録,0)"),
                                 QStringLiteral("Speak(,0)"), QStringLiteral("WaitDone")}));
}

// Wine's SAPI voice fails its first Speak; a real one speaks. Either way it
// does not count as the screen reader, and the double hears nothing.
void tst_WindowsSpeechObject::systemVoiceWhenNotRegistered()
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("calls.txt"));
    qputenv("VX_SPEECH_CALLS", QDir::toNativeSeparators(log).toLocal8Bit());
    unregisterDouble();

    SpeechChannel speech;
    speech.VobrInit(madeElsewhere());
    speech.Quick();
    speech.Voice(QStringLiteral("a"));
    QVERIFY(!speech.screenReaderInstalled());
    QVERIFY(!QFile::exists(log));
}

void tst_WindowsSpeechObject::failingObjectSilencesForGood_data()
{
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QStringList>("calls");
    // Registered but not made: silent, and the system's voice does not stand
    // in (it would configure and count as enabled).
    QTest::newRow("cannot be created") << QByteArray("VX_SPEECH_REFUSE") << QByteArray("1") << QStringList();
    // Failing mid-run: the failed call is the last one the object ever gets.
    QTest::newRow("fails from its third call")
        << QByteArray("VX_SPEECH_FAIL_FROM") << QByteArray("3")
        << QStringList({QStringLiteral("Configure(33)"), QStringLiteral("Interrupt"),
                        QStringLiteral("Failed Speak(一,0)")});
}

void tst_WindowsSpeechObject::failingObjectSilencesForGood()
{
    QFETCH(QByteArray, variable);
    QFETCH(QByteArray, value);
    QFETCH(QStringList, calls);
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("calls.txt"));
    qputenv("VX_SPEECH_CALLS", QDir::toNativeSeparators(log).toLocal8Bit());
    qputenv(variable.constData(), value);
    QVERIFY(registerDouble());

    SpeechChannel speech;
    speech.VobrInit(madeElsewhere());
    for (const QString& text : {QStringLiteral("一"), QStringLiteral("二")}) {
        speech.Quick();
        speech.Voice(text);
    }
    speech.VoiceWait();
    QVERIFY(!speech.VoiceEnabled());
    QVERIFY(!speech.screenReaderInstalled());

    QFile file(log);
    const QStringList written = file.open(QIODevice::ReadOnly)
                                    ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                    : QStringList();
    QCOMPARE(written, calls);
}

QTEST_GUILESS_MAIN(tst_WindowsSpeechObject)
#include "tst_windowsspeechobject.moc"
