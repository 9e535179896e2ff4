#include "platform/qt/EntryPointFileDialogLibrary.h"
#include "platform/windows/LoadedFileDialogEntryPoints.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

// The accessible dialog through the project's stand-in QRCOMFD.DLL
// (VX_FILEDIALOG_DOUBLE_DIR), which writes down every call it gets.
class tst_LoadedFileDialogEntryPoints : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void missingLibraryFallsBack();
    void fiveCallsAsTheLibraryTakesThem();
    void cancelAndOverlongPathStillDelete();

private:
    QList<QByteArray> calls() const;
    FileDialogRequest saveRequest() const;

    QTemporaryDir m_dir;
    QString m_log;
};

void tst_LoadedFileDialogEntryPoints::init()
{
    m_log = m_dir.filePath(QStringLiteral("calls-%1.txt").arg(QTest::currentTestFunction()));
    qputenv("VX_FILEDIALOG_CALLS", QDir::toNativeSeparators(m_log).toLocal8Bit());
    qunsetenv("VX_FILEDIALOG_CHOOSE");
}

QList<QByteArray> tst_LoadedFileDialogEntryPoints::calls() const
{
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

FileDialogRequest tst_LoadedFileDialogEntryPoints::saveRequest() const
{
    FileDialogRequest request;
    request.title = QStringLiteral("ヴォルニクス用にアカウントデータを作成・保存");
    request.filter = QStringLiteral("VORNIXアカウントデータ (*.acd)|*.acd||");
    request.defaultExt = QStringLiteral(".acd");
    request.initDir = QStringLiteral("C:\\データ");
    request.saveMode = true;
    return request;
}

// Must run first: once found, the library stays loaded. In the working
// folder alone (one the user may have browsed) it counts as missing; a
// folder on PATH is where a screen reader may put it.
void tst_LoadedFileDialogEntryPoints::missingLibraryFallsBack()
{
    // The build names it as Linux does; Wine shows Linux's root as drive Z.
    const QString doubleDir = QDir::toNativeSeparators(QStringLiteral("Z:" VX_FILEDIALOG_DOUBLE_DIR));
    const QString programDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(doubleDir));
    EntryPointFileDialogLibrary library(std::make_shared<LoadedFileDialogEntryPoints>());
    QCOMPARE(library.show(saveRequest()).outcome, FileDialogResult::Outcome::Failed);
    QVERIFY(calls().isEmpty());
    QVERIFY(QDir::setCurrent(programDir));
    const std::wstring path = qEnvironmentVariable("PATH").toStdWString() + L";.;" + doubleDir.toStdWString();
    SetEnvironmentVariableW(L"PATH", path.c_str());
}

void tst_LoadedFileDialogEntryPoints::fiveCallsAsTheLibraryTakesThem()
{
    QWidget owner;
    EntryPointFileDialogLibrary library(std::make_shared<LoadedFileDialogEntryPoints>());
    library.setOwner(&owner);
    qputenv("VX_FILEDIALOG_CHOOSE", "C:\\acd\\a.acd");

    const FileDialogResult result = library.show(saveRequest());
    QCOMPARE(result.outcome, FileDialogResult::Outcome::Chosen);
    QCOMPARE(result.path, QStringLiteral("C:/acd/a.acd"));
    const QByteArray ownerHex = QByteArray::number(qulonglong(owner.winId()), 16);
    // CP932 bytes; the empty file name goes as a null pointer.
    QCOMPARE(calls(), QList<QByteArray>({
                          "Create|0|.acd|(null)|C:\\\x83\x66\x81\x5b\x83\x5e|VORNIX\x83\x41\x83\x4a\x83\x45\x83\x93"
                          "\x83\x67\x83\x66\x81\x5b\x83\x5e (*.acd)|*.acd|||" + ownerHex,
                          "SetWindowText|7|\x83\x94\x83\x48\x83\x8b\x83\x6a\x83\x4e\x83\x58\x97\x70\x82\xc9\x83\x41"
                          "\x83\x4a\x83\x45\x83\x93\x83\x67\x83\x66\x81\x5b\x83\x5e\x82\xf0\x8d\xec\x90\xac\x81\x45"
                          "\x95\xdb\x91\xb6|-1",
                          "DoModal|7",
                          "GetPathName|7|100|0",
                          "Delete|7",
                      }));
}

void tst_LoadedFileDialogEntryPoints::cancelAndOverlongPathStillDelete()
{
    EntryPointFileDialogLibrary library(std::make_shared<LoadedFileDialogEntryPoints>());
    QCOMPARE(library.show(saveRequest()).outcome, FileDialogResult::Outcome::Cancelled);
    // 100 bytes with its NUL do not fit: the standard dialog asks instead.
    qputenv("VX_FILEDIALOG_CHOOSE", "C:\\" + QByteArray(97, 'a'));
    QCOMPARE(library.show(saveRequest()).outcome, FileDialogResult::Outcome::Failed);
    QList<QByteArray> entries;
    for (const QByteArray& call : calls())
        entries << call.left(call.indexOf('|'));
    QCOMPARE(entries, QList<QByteArray>({"Create", "SetWindowText", "DoModal", "Delete", "Create", "SetWindowText",
                                         "DoModal", "GetPathName", "Delete"}));
}

QTEST_MAIN(tst_LoadedFileDialogEntryPoints)
#include "tst_loadedfiledialogentrypoints.moc"
