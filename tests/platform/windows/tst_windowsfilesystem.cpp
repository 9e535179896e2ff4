// Account files through Windows' file functions under Wine: a path near
// MAX_PATH, a target another program holds. That a replaced file keeps its
// security and attributes Wine cannot show: its ReplaceFileW keeps neither.

#include "account/AcdFile.h"
#include "platform/windows/WindowsFileSystem.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <windows.h>

using namespace Qt::StringLiterals;

namespace
{
// Counts the replace steps, as the save tries a busy target again.
class CountingFileSystem : public WindowsFileSystem
{
public:
    Replaced replace(const QString& source, const QString& target) override
    {
        ++replaces;
        return WindowsFileSystem::replace(source, target);
    }
    int replaces = 0;
};

std::wstring wide(const QString& path)
{
    return WindowsFileSystem::extendedPath(path);
}

QByteArray bytesOf(const QString& path)
{
    WindowsFileSystem fs;
    return fs.read(path, 1 << 20).value_or("(unreadable)");
}
} // namespace

class tst_WindowsFileSystem : public QObject
{
    Q_OBJECT

private slots:
    void extendedPaths_data();
    void extendedPaths();
    void pathNearMaxPathReadsAndSaves();
    void heldTargetIsTriedAgainAndKept();

private:
    QTemporaryDir m_dir;
};

void tst_WindowsFileSystem::extendedPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("extended");
    QTest::newRow("drive") << u"C:\\data\\taro.acd"_s << u"\\\\?\\C:\\data\\taro.acd"_s;
    QTest::newRow("forward slashes") << u"C:/data/taro.acd"_s << u"\\\\?\\C:\\data\\taro.acd"_s;
    QTest::newRow("dots") << u"C:\\data\\old\\..\\.\\taro.acd"_s << u"\\\\?\\C:\\data\\taro.acd"_s;
    QTest::newRow("share") << u"\\\\server\\share\\taro.acd"_s << u"\\\\?\\UNC\\server\\share\\taro.acd"_s;
    QTest::newRow("share, forward") << u"//server/share/a/../taro.acd"_s << u"\\\\?\\UNC\\server\\share\\taro.acd"_s;
    QTest::newRow("extended already") << u"\\\\?\\C:\\a\\..\\b"_s << u"\\\\?\\C:\\a\\..\\b"_s;
    QTest::newRow("relative") << u"data/taro.acd"_s << u"data\\taro.acd"_s;
}

void tst_WindowsFileSystem::extendedPaths()
{
    QFETCH(QString, path);
    QFETCH(QString, extended);
    QCOMPARE(QString::fromStdWString(WindowsFileSystem::extendedPath(path)), extended);
}

// Folder names under 80 characters, the file's whole path about 250: the
// temporary name beside it, 16 characters longer, passes MAX_PATH (260).
// Windows refuses that without the extended form; Wine takes it either way,
// so here this shows the extended paths reading and saving end to end, and
// the rows above show the form.
void tst_WindowsFileSystem::pathNearMaxPathReadsAndSaves()
{
    QString folder = m_dir.path();
    while (folder.size() < 230) {
        folder += u'/' + QString(qMin<qsizetype>(60, 230 - folder.size() - 1), u'a');
        QVERIFY(CreateDirectoryW(wide(folder).c_str(), nullptr));
    }
    const QString path = folder + u"/taro-account.acd"_s;
    QVERIFY2(path.size() >= 245 && path.size() < 260, qPrintable(QString::number(path.size())));

    WindowsFileSystem fs;
    QVERIFY(writeAcdFile(path, "first\r\n", fs));
    QVERIFY(writeAcdFile(path, "second\r\n", fs));
    QCOMPARE(readAcdFileBytes(path, fs), std::optional<QByteArray>("second\r\n"));
}

// A virus scanner's moment: the target is open without delete sharing. The
// save tries again, then fails, and the old file stays whole.
void tst_WindowsFileSystem::heldTargetIsTriedAgainAndKept()
{
    const QString path = m_dir.filePath(u"held.acd"_s);
    CountingFileSystem fs;
    QVERIFY(writeAcdFile(path, "old\r\n", fs));
    const HANDLE held = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(held != INVALID_HANDLE_VALUE);
    fs.replaces = 0;
    const bool saved = writeAcdFile(path, "new\r\n", fs);
    CloseHandle(held);
    QVERIFY(!saved);
    QCOMPARE(fs.replaces, 6);
    QCOMPARE(bytesOf(path), QByteArray("old\r\n"));
    const QStringList left = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList{u"held.acd"_s});
}

QTEST_GUILESS_MAIN(tst_WindowsFileSystem)
#include "tst_windowsfilesystem.moc"
