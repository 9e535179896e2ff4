#include "platform/qt/EntryPointFileDialogLibrary.h"

#include "FakeFileDialogEntryPoints.h"
#include "codec/Cp932Codec.h"

#include <QTest>
#include <QWidget>

// The library's calls for each request are checked through the file commands
// (tst_filecommands); here what needs a window.
class tst_EntryPointFileDialogLibrary : public QObject
{
    Q_OBJECT

private slots:
    void ownerHandle();
    void chosenPathInQtsForm();
    void pathThatIsNoCp932IsAFailure();
};

void tst_EntryPointFileDialogLibrary::ownerHandle()
{
    QWidget window;
    auto entryPoints = std::make_shared<FakeFileDialogEntryPoints>();
    entryPoints->failingEntry = QStringLiteral("Create");
    EntryPointFileDialogLibrary library(entryPoints);
    FileDialogRequest request;
    request.title = QStringLiteral("ヴォルニクス用にアカウントデータを作成・保存");
    request.saveMode = true;

    library.setOwner(&window);
    QCOMPARE(library.show(request).outcome, FileDialogResult::Outcome::Failed);
    QVERIFY(window.winId() != 0);
    QCOMPARE(entryPoints->calls.at(0).numbers[1], static_cast<qint64>(window.winId()));

    // Without an owner the dialog is given none.
    library.setOwner(nullptr);
    library.show(request);
    QCOMPARE(entryPoints->calls.at(1).numbers[1], 0);
}

// The library answers with Windows' separators; the program cuts a path into
// folder and name at "/", and saving beside a backslashed name failed.
void tst_EntryPointFileDialogLibrary::chosenPathInQtsForm()
{
    auto entryPoints = std::make_shared<FakeFileDialogEntryPoints>();
    const QString windowsPath = QStringLiteral("C:\\アカウント\\taro.acd");
    entryPoints->chosenPath = Cp932Codec::encode(windowsPath).value();
    EntryPointFileDialogLibrary library(entryPoints);
    const FileDialogResult result = library.show(FileDialogRequest{});
    QCOMPARE(result.outcome, FileDialogResult::Outcome::Chosen);
#ifdef Q_OS_WIN
    QCOMPARE(result.path, QStringLiteral("C:/アカウント/taro.acd"));
#else
    // A backslash is a character of a Linux file name like any other.
    QCOMPARE(result.path, windowsPath);
#endif
}

// A path the code page cannot decode is never used as a file name.
void tst_EntryPointFileDialogLibrary::pathThatIsNoCp932IsAFailure()
{
    auto entryPoints = std::make_shared<FakeFileDialogEntryPoints>();
    // A lead byte whose second byte is cut off.
    entryPoints->chosenPath = QByteArray("C:\\data\\taro\x82.acd");
    EntryPointFileDialogLibrary library(entryPoints);
    QCOMPARE(library.show(FileDialogRequest{}).outcome, FileDialogResult::Outcome::Failed);
}

QTEST_MAIN(tst_EntryPointFileDialogLibrary)
#include "tst_entrypointfiledialoglibrary.moc"
