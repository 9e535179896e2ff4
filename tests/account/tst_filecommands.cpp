#include "account/FileCommands.h"
#include "codec/Cp932Codec.h"
#include "platform/NoFileDialogLibrary.h"
#include "platform/qt/EntryPointFileDialogLibrary.h"

#include "FakeDriveTypes.h"
#include "FakeFileDialogEntryPoints.h"
#include "FakeStandardFileDialog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <unistd.h>

namespace
{

const QString Prog = QStringLiteral("/opt/vornix");
const QString Home = QStringLiteral("/home/user");
const QString Read = QStringLiteral("ヴォルニクス用のアカウントデータを読み込む");
const QString Save = QStringLiteral("ヴォルニクス用にアカウントデータを作成・保存");
const QString LibFilter = QStringLiteral("VORNIXアカウントデータ (*.acd)|*.acd||");
const QString StdFilter = QStringLiteral("VORNIXアカウントデータ (*.acd)|*.acd");

QString text(const std::optional<QByteArray>& bytes)
{
    return bytes ? QStringLiteral("\"%1\"").arg(Cp932Codec::decode(*bytes)) : QStringLiteral("null");
}

// One library call as the program made it, strings decoded, null pointers
// shown as null, so a whole sequence compares as one list.
QString render(const FakeFileDialogEntryPoints::Call& c)
{
    if (c.entry == QLatin1String("Create"))
        return QStringLiteral("Create(%1,%2,%3,%4,%5,%6)")
            .arg(c.numbers[0])
            .arg(text(c.strings[0]), text(c.strings[1]), text(c.strings[2]), text(c.strings[3]))
            .arg(c.numbers[1]);
    if (c.entry == QLatin1String("SetWindowText"))
        return QStringLiteral("SetWindowText(%1,%2,%3)")
            .arg(c.numbers[0])
            .arg(text(c.strings[0]))
            .arg(c.numbers[1]);
    if (c.entry == QLatin1String("GetPathName"))
        return QStringLiteral("GetPathName(%1,%2,%3,%4)")
            .arg(c.numbers[0])
            .arg(c.bufferGiven ? QStringLiteral("buf") : QStringLiteral("null"))
            .arg(c.numbers[1])
            .arg(c.numbers[2]);
    return QStringLiteral("%1(%2)").arg(c.entry).arg(c.numbers[0]);
}

QStringList rendered(const FakeFileDialogEntryPoints& library)
{
    QStringList result;
    for (const auto& call : library.calls)
        result.append(render(call));
    return result;
}

// The commands with fakes around them, the library's entry points behind the
// real adapter. loaded and saved are the paths the commands answered, which
// the window would then read or write.
struct Harness {
    std::shared_ptr<FakeFileDialogEntryPoints> entryPoints = std::make_shared<FakeFileDialogEntryPoints>();
    FakeFileDialogEntryPoints& library = *entryPoints;
    EntryPointFileDialogLibrary libraryDialog{entryPoints};
    FakeStandardFileDialog standard;
    FakeDriveTypes drives;
    QStringList loaded;
    QStringList saved;
    std::unique_ptr<FileCommands> commands;

    explicit Harness(
        const QString& programFolder = Prog, FileCommands::WritableProbe probe = [](const QString&) { return true; },
        FileDialogLibrary* otherLibrary = nullptr)
    {
        commands = std::make_unique<FileCommands>(otherLibrary ? *otherLibrary : libraryDialog, standard, drives,
                                                  programFolder, probe);
        // A removable disk is there unless a test lists the drives itself.
        drives.driveList = {QStringLiteral("/media/fd")};
        drives.types.insert(QStringLiteral("/media/fd"), DriveTypes::Removable);
        drives.roots.insert(QStringLiteral("/media/fd"), QStringLiteral("/media/fd"));
    }

    // False: a floppy command found no removable disk.
    bool run(const QString& command)
    {
        FileChoice choice;
        if (command == QLatin1String("open"))
            choice = chosen(commands->mnu_file_open_Click());
        else if (command == QLatin1String("save"))
            choice = chosen(commands->mnu_file_save_Click());
        else if (command == QLatin1String("fdopen"))
            choice = commands->mnu_file_fdopen_Click();
        else if (command == QLatin1String("fdsave"))
            choice = commands->mnu_file_fdsave_Click();
        else
            qFatal("unknown command");
        if (choice)
            (command.endsWith(QLatin1String("open")) ? loaded : saved).append(*choice);
        return choice.outcome != FileChoice::Outcome::NoRemovableDisk;
    }

    static FileChoice chosen(const std::optional<QString>& path)
    {
        return path ? FileChoice{FileChoice::Outcome::Chosen, *path} : FileChoice{};
    }

    // The next dialog, whichever appears, chooses path.
    void choose(const QString& path)
    {
        library.chosenPath = *Cp932Codec::encode(path);
        standard.answers = {path};
    }

    const FileCommandState& state() const { return commands->state(); }
};

bool isRead(const QString& command)
{
    return command.endsWith(QLatin1String("open"));
}

} // namespace

class tst_FileCommands : public QObject
{
    Q_OBJECT

private slots:
    void librarySequence_data();
    void librarySequence();
    void createArguments_data();
    void createArguments();
    void argumentsAreCp932Bytes();
    void pathBufferLimit_data();
    void pathBufferLimit();
    void staleBufferIsNoAnswer();
    void unencodableStringFallsBack();
    void cancelRemembersNothing_data();
    void cancelRemembersNothing();
    void fallbackDialog_data();
    void fallbackDialog();
    void noLibraryOnThisSystem();
    void rememberedAcrossCommands();
    void readLeavesDefaultExtAlone();
    void standardDialogKeepsLastValues();
    void getFD_data();
    void getFD();
    void floppyCommandsScanTwice();
    void floppyCommandsWithoutRemovableDisk();
    void programFolderSubstitute_data();
    void programFolderSubstitute();
    void unwritableProgramFolderOpensHome();
    void folderOf_data();
    void folderOf();
};

// What the read command does with each library outcome: which entries it
// called, whether the standard dialog was needed, and what LoadAcd got.
void tst_FileCommands::librarySequence_data()
{
    QTest::addColumn<QString>("failingEntry");
    QTest::addColumn<int>("modalResult");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<QStringList>("loaded");

    const QString chosen = QStringLiteral("/data/a.acd");
    const QString fromStd = QStringLiteral("/std/b.acd");
    const QStringList full = {"Create", "SetWindowText", "DoModal", "GetPathName", "Delete"};

    QTest::newRow("chosen") << "" << 1 << full << false << QStringList{chosen};
    QTest::newRow("cancel") << "" << 2 << QStringList{"Create", "SetWindowText", "DoModal", "Delete"} << false
                            << QStringList{};
    QTest::newRow("closed with 0") << "" << 0 << QStringList{"Create", "SetWindowText", "DoModal", "Delete"}
                                   << false << QStringList{};
    QTest::newRow("Create fails") << "Create" << 1 << QStringList{"Create"} << true << QStringList{fromStd};
    QTest::newRow("SetWindowText fails")
        << "SetWindowText" << 1 << QStringList{"Create", "SetWindowText", "Delete"} << true
        << QStringList{fromStd};
    QTest::newRow("DoModal fails") << "DoModal" << 1
                                   << QStringList{"Create", "SetWindowText", "DoModal", "Delete"} << true
                                   << QStringList{fromStd};
    QTest::newRow("GetPathName fails") << "GetPathName" << 1 << full << true << QStringList{fromStd};
    // The object is gone or broken: it is not deleted a second time.
    QTest::newRow("Delete fails after choice") << "Delete" << 1 << full << true << QStringList{fromStd};
    QTest::newRow("Delete fails after cancel")
        << "Delete" << 2 << QStringList{"Create", "SetWindowText", "DoModal", "Delete"} << true
        << QStringList{fromStd};
}

void tst_FileCommands::librarySequence()
{
    QFETCH(QString, failingEntry);
    QFETCH(int, modalResult);
    QFETCH(QStringList, entries);
    QFETCH(bool, fallback);
    QFETCH(QStringList, loaded);

    Harness h;
    h.library.failingEntry = failingEntry;
    h.library.modalResult = modalResult;
    h.library.chosenPath = "/data/a.acd";
    h.standard.answers = {QStringLiteral("/std/b.acd")};

    h.run("open");

    QCOMPARE(h.library.entries(), entries);
    for (const auto& call : h.library.calls.mid(1))
        QCOMPARE(call.numbers.first(), h.library.handle); // every entry after Create gets its handle
    QCOMPARE(h.standard.shown.size(), fallback ? 1 : 0);
    QCOMPARE(h.loaded, loaded);
    QCOMPARE(h.libraryDialog.dialogResult(),
             failingEntry.isEmpty() || failingEntry == "Delete" || failingEntry == "GetPathName" ? modalResult
                                                                                                 : -1);
}

// The whole argument list of each command's library dialog on a fresh start.
void tst_FileCommands::createArguments_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("calls");

    const QString title = QStringLiteral("SetWindowText(4711,\"%1\",-1)");
    const QString tail1 = QStringLiteral("DoModal(4711)");
    const QString tail2 = QStringLiteral("GetPathName(4711,buf,100,0)");
    const QString tail3 = QStringLiteral("Delete(4711)");

    QTest::newRow("read")
        << "open"
        << QStringList{QStringLiteral("Create(1,null,null,\"/opt/vornix\",\"%1\",0)").arg(LibFilter),
                       title.arg(Read), tail1, tail2, tail3};
    QTest::newRow("save")
        << "save"
        << QStringList{QStringLiteral("Create(0,\".acd\",null,\"/opt/vornix\",\"%1\",0)").arg(LibFilter),
                       title.arg(Save), tail1, tail2, tail3};
    QTest::newRow("floppy read")
        << "fdopen"
        << QStringList{QStringLiteral("Create(1,null,null,\"B:\\\",\"%1\",0)").arg(LibFilter),
                       title.arg(Read), tail1, tail2, tail3};
    QTest::newRow("floppy write")
        << "fdsave"
        << QStringList{QStringLiteral("Create(0,\".acd\",null,\"B:\\\",\"%1\",0)").arg(LibFilter),
                       title.arg(Save), tail1, tail2, tail3};
}

void tst_FileCommands::createArguments()
{
    QFETCH(QString, command);
    QFETCH(QStringList, calls);

    Harness h;
    h.drives.driveList = FakeDriveTypes::letters();
    h.drives.types.insert("B:", DriveTypes::Removable);
    h.choose("/x/y.acd");

    h.run(command);

    QCOMPARE(rendered(h.library), calls);
    QCOMPARE(isRead(command) ? h.loaded : h.saved, QStringList{"/x/y.acd"});
    QCOMPARE(isRead(command) ? h.saved : h.loaded, QStringList{});
    QCOMPARE(h.standard.shown.size(), 0);
}

// The library sees Shift-JIS bytes, not UTF-8 or UTF-16.
void tst_FileCommands::argumentsAreCp932Bytes()
{
    Harness h(QStringLiteral("/home/ユーザー"));
    h.library.chosenPath = QByteArray("/home/\x83\x86\x81\x5b\x83\x55\x81\x5b/a.acd");

    h.run("open");

    const auto& create = h.library.calls.at(0);
    QCOMPARE(*create.strings[2], QByteArray("/home/\x83\x86\x81\x5b\x83\x55\x81\x5b"));
    QCOMPARE(*create.strings[3],
             QByteArray("VORNIX\x83\x41\x83\x4a\x83\x45\x83\x93\x83\x67\x83\x66\x81\x5b\x83\x5e"
                        " (*.acd)|*.acd||"));
    QCOMPARE(
        *h.library.calls.at(1).strings[0],
        QByteArray("\x83\x94\x83\x48\x83\x8b\x83\x6a\x83\x4e\x83\x58\x97\x70\x82\xcc\x83\x41\x83\x4a\x83\x45"
                   "\x83\x93\x83\x67\x83\x66\x81\x5b\x83\x5e\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xde"));
    QCOMPARE(h.loaded, QStringList{QStringLiteral("/home/ユーザー/a.acd")});
    QCOMPARE(h.state().OpenFolder, QStringLiteral("/home/ユーザー"));

    h.library.calls.clear();
    h.run("save");
    QCOMPARE(*h.library.calls.at(1).strings[0],
             QByteArray(
                 "\x83\x94\x83\x48\x83\x8b\x83\x6a\x83\x4e\x83\x58\x97\x70\x82\xc9\x83\x41\x83\x4a\x83\x45"
                 "\x83\x93\x83\x67\x83\x66\x81\x5b\x83\x5e\x82\xf0\x8d\xec\x90\xac\x81\x45\x95\xdb\x91\xb6"));
    // The name proposed after a read is the read file, in Shift-JIS.
    QCOMPARE(*h.library.calls.at(0).strings[1], QByteArray("/home/\x83\x86\x81\x5b\x83\x55\x81\x5b/a.acd"));
}

// The library is offered 100 bytes; a path that needs more cannot come back
// and the standard dialog asks instead.
void tst_FileCommands::pathBufferLimit_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("fallback");

    const QByteArray prefix = "/" + QByteArray(90, 'd') + "/";
    QTest::newRow("99 bytes fit with the NUL")
        << prefix + QByteArray(99 - prefix.size() - 4, 'f') + ".acd" << false;
    QTest::newRow("100 bytes do not") << prefix + QByteArray(100 - prefix.size() - 4, 'f') + ".acd" << true;
    QTest::newRow("200 bytes do not") << "/" + QByteArray(195, 'x') + ".acd" << true;
    // 33 two-byte characters and the slashes: well under 100 characters,
    // over 100 bytes.
    QTest::newRow("Japanese over 100 bytes") << "/" + QByteArray("\x83\x41").repeated(50) + "/a.acd" << true;
}

void tst_FileCommands::pathBufferLimit()
{
    QFETCH(QByteArray, path);
    QFETCH(bool, fallback);

    Harness h;
    h.library.chosenPath = path;
    h.standard.answers = {QStringLiteral("/short.acd")};

    h.run("save");

    QCOMPARE(h.library.calls.at(3).numbers[1], 100);
    QCOMPARE(h.library.entries().last(), QStringLiteral("Delete"));
    QCOMPARE(h.library.entries().count("Delete"), 1);
    if (fallback) {
        QCOMPARE(h.standard.shown.size(), 1);
        QCOMPARE(h.standard.shown.at(0).method, QStringLiteral("ShowSave"));
        QCOMPARE(h.saved, QStringList{"/short.acd"});
    } else {
        QCOMPARE(h.standard.shown.size(), 0);
        QCOMPARE(h.saved, QStringList{Cp932Codec::decode(path)});
    }
}

void tst_FileCommands::staleBufferIsNoAnswer()
{
    Harness h;
    h.choose("/first/a.acd");
    h.run("open");
    QCOMPARE(h.loaded, QStringList{"/first/a.acd"});

    // The library claims success but writes nothing: the previous path must
    // not be read again as this dialog's answer.
    h.library.forcedPathNameResult = 1;
    h.standard.answers = {QString()};
    h.run("open");

    QCOMPARE(h.loaded, QStringList{"/first/a.acd"});
    QCOMPARE(h.standard.shown.size(), 1);
}

// A folder name with a character Shift-JIS lacks cannot be handed to the
// library; the standard dialog still opens there.
void tst_FileCommands::unencodableStringFallsBack()
{
    const QString folder = QStringLiteral("/home/😀");
    Harness h(folder);
    h.standard.answers = {folder + "/a.acd"};

    h.run("open");

    QCOMPARE(h.library.calls.size(), 0);
    QCOMPARE(h.standard.shown.size(), 1);
    QCOMPARE(h.standard.shown.at(0).initDir, folder);
    QCOMPARE(h.loaded, QStringList{folder + "/a.acd"});
}

// Cancel in either dialog, after a proposal: nothing read or written, the
// chosen path empty, every remembered name as it was.
void tst_FileCommands::cancelRemembersNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("libraryWorks");

    for (const char* command : {"open", "save", "fdopen", "fdsave"}) {
        QTest::addRow("%s, accessible dialog", command) << QString::fromLatin1(command) << true;
        QTest::addRow("%s, standard dialog", command) << QString::fromLatin1(command) << false;
    }
}

void tst_FileCommands::cancelRemembersNothing()
{
    QFETCH(QString, command);
    QFETCH(bool, libraryWorks);

    Harness h;
    h.drives.driveList = {"/media/fd"};
    h.drives.types.insert("/media/fd", DriveTypes::Removable);
    h.drives.roots.insert("/media/fd", "/media/fd");
    // Something remembered by each command first.
    h.choose("/r/in.acd");
    h.run("open");
    h.choose("/s/out.acd");
    h.run("save");
    h.choose("/media/fd/f.acd");
    h.run("fdsave");
    const FileCommandState before = h.state();
    h.loaded.clear();
    h.saved.clear();
    h.library.calls.clear();
    h.standard.shown.clear();

    if (libraryWorks)
        h.library.modalResult = 2;
    else
        h.library.failingEntry = "DoModal";
    h.library.chosenPath = "/never/this.acd";
    h.standard.answers = {QString()};
    h.run(command);

    QCOMPARE(h.loaded, QStringList{});
    QCOMPARE(h.saved, QStringList{});
    QCOMPARE(h.state().OpenFolder, before.OpenFolder);
    QCOMPARE(h.state().SaveFolder, before.SaveFolder);
    QCOMPARE(h.state().LastAcdFile, before.LastAcdFile);
    QCOMPARE(h.state().FdSaveFile, before.FdSaveFile);
    QCOMPARE(h.standard.shown.size(), libraryWorks ? 0 : 1);
    QCOMPARE(h.library.entries().count("Delete"), 1);
    if (!libraryWorks && !isRead(command)) // the save dialogs proposed a name
        QVERIFY(!h.standard.shown.at(0).fileName.isEmpty());
}

// The standard dialog as each command shows it when the library fails.
void tst_FileCommands::fallbackDialog_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("initDir");
    QTest::addColumn<QString>("defaultExt");

    QTest::newRow("read") << "open"
                          << "ShowOpen" << Read << Prog << "";
    QTest::newRow("save") << "save"
                          << "ShowSave" << Save << Prog << "acd";
    QTest::newRow("floppy read") << "fdopen"
                                 << "ShowOpen" << Read << "E:\\"
                                 << "acd";
    QTest::newRow("floppy write") << "fdsave"
                                  << "ShowSave" << Save << "E:\\"
                                  << "acd";
}

void tst_FileCommands::fallbackDialog()
{
    QFETCH(QString, command);
    QFETCH(QString, method);
    QFETCH(QString, title);
    QFETCH(QString, initDir);
    QFETCH(QString, defaultExt);

    Harness h;
    h.drives.driveList = FakeDriveTypes::letters();
    h.drives.types.insert("E:", DriveTypes::Removable);
    h.library.failingEntry = "Create";
    h.standard.answers = {QStringLiteral("/picked/it.acd")};

    h.run(command);

    QCOMPARE(h.standard.shown.size(), 1);
    const auto& shown = h.standard.shown.at(0);
    QCOMPARE(shown.method, method);
    QCOMPARE(shown.dialogTitle, title);
    QCOMPARE(shown.filter, StdFilter);
    QCOMPARE(shown.initDir, initDir);
    QCOMPARE(shown.defaultExt, defaultExt);
    QCOMPARE(shown.fileName, QString());
    QCOMPARE(isRead(command) ? h.loaded : h.saved, QStringList{"/picked/it.acd"});
    QCOMPARE(isRead(command) ? h.saved : h.loaded, QStringList{});
    // The library's own dialog got the title too.
    QCOMPARE(h.commands->libraryRequest().title, title);
}

// With the system's library stand-in every command goes straight to the
// standard dialog and still works.
void tst_FileCommands::noLibraryOnThisSystem()
{
    NoFileDialogLibrary none;
    Harness h(
        Prog, [](const QString&) { return true; }, &none);

    h.standard.answers = {QStringLiteral("/a/in.acd")};
    h.run("open");
    h.standard.answers = {QStringLiteral("/b/out.acd")};
    h.run("save");

    QCOMPARE(h.loaded, QStringList{"/a/in.acd"});
    QCOMPARE(h.saved, QStringList{"/b/out.acd"});
    QCOMPARE(h.standard.shown.size(), 2);
    QCOMPARE(h.standard.shown.at(0).method, QStringLiteral("ShowOpen"));
    QCOMPARE(h.standard.shown.at(1).method, QStringLiteral("ShowSave"));
    QCOMPARE(h.standard.shown.at(1).initDir, QStringLiteral("/a"));
    QCOMPARE(h.standard.shown.at(1).fileName, QStringLiteral("/a/in.acd"));
}

// The remembered folders and names over a run of commands, seen both in what
// the library's dialog was given and in the standard dialog's properties.
void tst_FileCommands::rememberedAcrossCommands()
{
    Harness h;
    h.drives.driveList = {"/", "/media/fd"};
    h.drives.types.insert("/media/fd", DriveTypes::Removable);
    h.drives.roots.insert("/media/fd", "/media/fd");
    h.library.failingEntry = "GetPathName"; // the Create arguments are recorded, the standard dialog answers

    struct Step {
        const char* command;
        const char* answer;
        const char* libInitDir; // what Create got; nullptr: null pointer
        const char* libFileName;
        const char* stdInitDir;
        const char* stdFileName;
        const char* openFolder; // state afterwards
        const char* saveFolder;
        const char* lastAcdFile;
        const char* fdSaveFile;
    };
    const Step steps[] = {
        // The first save proposes nothing and opens in the program's folder.
        {"save", "/first/one.acd", "/opt/vornix", nullptr, "/opt/vornix", "", "/opt/vornix", "/first",
         "/first/one.acd", ""},
        // A read opens where the program is, and the save afterwards proposes the read file.
        {"open", "/data/x/a.acd", "/opt/vornix", nullptr, "/opt/vornix", "", "/data/x", "/data/x",
         "/data/x/a.acd", ""},
        {"save", "/out/b.acd", "/data/x", "/data/x/a.acd", "/data/x", "/data/x/a.acd", "/data/x", "/out",
         "/out/b.acd", ""},
        // A save leaves the read folder alone.
        {"open", "", "/data/x", nullptr, "/data/x", "", "/data/x", "/out", "/out/b.acd", ""},
        {"save", "", "/out", "/out/b.acd", "/out", "/out/b.acd", "/data/x", "/out", "/out/b.acd", ""},
        // The floppy read remembers nothing.
        {"fdopen", "/media/fd/c.acd", "/media/fd", nullptr, "/media/fd", "", "/data/x", "/out", "/out/b.acd",
         ""},
        // The first floppy write proposes nothing, the second the path of the first.
        {"fdsave", "/media/fd/d.acd", "/media/fd", nullptr, "/media/fd", "", "/data/x", "/out", "/out/b.acd",
         "/media/fd/d.acd"},
        {"fdsave", "/media/fd/e.acd", "/media/fd", "/media/fd/d.acd", "/media/fd", "/media/fd/d.acd",
         "/data/x", "/out", "/out/b.acd", "/media/fd/e.acd"},
        // The floppy write changed neither the save folder nor its name.
        {"save", "", "/out", "/out/b.acd", "/out", "/out/b.acd", "/data/x", "/out", "/out/b.acd",
         "/media/fd/e.acd"},
        {"open", "/a.acd", "/data/x", nullptr, "/data/x", "", "/", "/", "/a.acd", "/media/fd/e.acd"},
        {"save", "", "/", "/a.acd", "/", "/a.acd", "/", "/", "/a.acd", "/media/fd/e.acd"},
    };

    int n = 0;
    for (const Step& s : steps) {
        const QByteArray where = QByteArray::number(++n) + " " + s.command;
        h.library.calls.clear();
        h.standard.shown.clear();
        h.standard.answers = {QString::fromUtf8(s.answer)};

        h.run(s.command);

        const auto& create = h.library.calls.at(0);
        QVERIFY2(create.entry == "Create", where);
        QVERIFY2(create.strings[2] == QByteArray(s.libInitDir), where);
        if (s.libFileName)
            QVERIFY2(create.strings[1] == QByteArray(s.libFileName), where);
        else
            QVERIFY2(!create.strings[1], where);
        QVERIFY2(h.standard.shown.size() == 1, where);
        QVERIFY2(h.standard.shown.at(0).initDir == s.stdInitDir, where);
        QVERIFY2(h.standard.shown.at(0).fileName == s.stdFileName, where);
        QVERIFY2(h.state().OpenFolder == s.openFolder,
                 where + " OpenFolder " + h.state().OpenFolder.toUtf8());
        QVERIFY2(h.state().SaveFolder == s.saveFolder,
                 where + " SaveFolder " + h.state().SaveFolder.toUtf8());
        QVERIFY2(h.state().LastAcdFile == s.lastAcdFile,
                 where + " LastAcdFile " + h.state().LastAcdFile.toUtf8());
        QVERIFY2(h.state().FdSaveFile == s.fdSaveFile,
                 where + " FdSaveFile " + h.state().FdSaveFile.toUtf8());
    }
    QCOMPARE(h.loaded, (QStringList{"/data/x/a.acd", "/media/fd/c.acd", "/a.acd"}));
    QCOMPARE(h.saved, (QStringList{"/first/one.acd", "/out/b.acd", "/media/fd/d.acd", "/media/fd/e.acd"}));
}

void tst_FileCommands::readLeavesDefaultExtAlone()
{
    Harness h;
    h.library.modalResult = 2;

    h.run("open");
    QVERIFY(!h.library.calls.at(0).strings[0]);

    h.run("save");
    h.library.calls.clear();
    h.run("open");
    QCOMPARE(h.library.calls.at(0).strings[0], std::optional<QByteArray>(".acd"));
    QCOMPARE(h.commands->libraryRequest().defaultExt, QStringLiteral(".acd"));
    // A read sets no proposed name even after a save proposed one.
    QVERIFY(!h.library.calls.at(0).strings[1]);
}

// The standard dialog's properties are never reset: a read after a floppy
// command still carries its default extension; the folder and name are what
// the last command gave.
void tst_FileCommands::standardDialogKeepsLastValues()
{
    Harness h;
    h.library.failingEntry = "Create";

    h.run("open");
    QCOMPARE(h.standard.shown.at(0).defaultExt, QString());

    h.run("fdopen");
    h.run("open");
    QCOMPARE(h.standard.shown.at(2).defaultExt, QStringLiteral("acd"));
    QCOMPARE(h.commands->standardRequest().defaultExt, QStringLiteral("acd"));
    QCOMPARE(h.commands->standardRequest().initDir, Prog);
    QCOMPARE(h.commands->standardRequest().filter, StdFilter);
    QCOMPARE(h.commands->standardRequest().title, Read);

    h.standard.answers = {QStringLiteral("/kept/k.acd")};
    h.run("save");
    QCOMPARE(h.saved, QStringList{"/kept/k.acd"});
    QCOMPARE(h.commands->standardRequest().title, Save);
    QCOMPARE(h.commands->standardRequest().initDir, Prog);
}

void tst_FileCommands::getFD_data()
{
    QTest::addColumn<QStringList>("removable");
    QTest::addColumn<QString>("root");
    QTest::addColumn<int>("asked");

    QTest::newRow("none: A: without backslash") << QStringList{} << "A:" << 26;
    QTest::newRow("A") << QStringList{"A:"} << "A:\\" << 1;
    QTest::newRow("B only") << QStringList{"B:"} << "B:\\" << 2;
    QTest::newRow("A and B: A first") << QStringList{"A:", "B:"} << "A:\\" << 1;
    QTest::newRow("E and D: D first") << QStringList{"E:", "D:"} << "D:\\" << 4;
    QTest::newRow("Z last") << QStringList{"Z:"} << "Z:\\" << 26;
}

void tst_FileCommands::getFD()
{
    QFETCH(QStringList, removable);
    QFETCH(QString, root);
    QFETCH(int, asked);

    Harness h;
    h.drives.driveList = FakeDriveTypes::letters();
    for (const QString& d : removable)
        h.drives.types.insert(d, DriveTypes::Removable);
    h.drives.types.insert("C:", 3);
    h.drives.types.insert("Q:", 5);

    QCOMPARE(h.commands->GetFD(), root);
    QCOMPARE(h.drives.asked, FakeDriveTypes::letters().mid(0, asked));
}

void tst_FileCommands::floppyCommandsScanTwice()
{
    for (const char* command : {"fdopen", "fdsave"}) {
        Harness h;
        h.drives.driveList = FakeDriveTypes::letters();
        h.drives.types.insert("C:", DriveTypes::Removable);
        h.library.modalResult = 2;

        h.run(command);

        QCOMPARE(h.drives.asked, (QStringList{"A:", "B:", "C:", "A:", "B:", "C:"}));
        QCOMPARE(h.library.calls.at(0).strings[2], std::optional<QByteArray>("C:\\"));
        QCOMPARE(h.commands->standardRequest().initDir, QStringLiteral("C:\\"));
    }
}

// Without a removable disk there is no floppy folder to offer: no dialog
// opens, nothing is read or written, nothing is remembered.
void tst_FileCommands::floppyCommandsWithoutRemovableDisk()
{
    for (const char* command : {"fdopen", "fdsave"}) {
        Harness h;
        h.drives.driveList = FakeDriveTypes::letters();
        h.choose("/media/fd/x.acd");
        QVERIFY(!h.run(command));
        QVERIFY(h.library.calls.isEmpty());
        QVERIFY(h.standard.shown.isEmpty());
        QVERIFY(h.loaded.isEmpty() && h.saved.isEmpty());
        QCOMPARE(h.state().FdSaveFile, QString());

        h.drives.types.insert("F:", DriveTypes::Removable);
        QVERIFY(h.run(command));
        QCOMPARE(h.library.calls.size(), 5);
    }
}

void tst_FileCommands::programFolderSubstitute_data()
{
    QTest::addColumn<QString>("programFolder");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("expected");

    QTest::newRow("writable") << "/opt/vornix" << true << "/opt/vornix";
    QTest::newRow("installed, not writable") << "/usr/bin" << false << Home;
    QTest::newRow("unknown") << "" << true << Home;
}

void tst_FileCommands::programFolderSubstitute()
{
    QFETCH(QString, programFolder);
    QFETCH(bool, writable);
    QFETCH(QString, expected);

    QStringList probed;
    const QString result = FileCommands::dialogFolderFor(programFolder, Home, [&](const QString& f) {
        probed.append(f);
        return writable;
    });
    QCOMPARE(result, expected);
    QCOMPARE(probed, programFolder.isEmpty() ? QStringList{} : QStringList{programFolder});
}

void tst_FileCommands::unwritableProgramFolderOpensHome()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    Harness h(QStringLiteral("/usr/bin"), [](const QString&) { return false; });
    qputenv("HOME", oldHome);
    h.library.modalResult = 2;

    QCOMPARE(h.state().OpenFolder, home.path());
    h.run("open");
    h.run("save");
    QCOMPARE(h.library.calls.at(0).strings[2], std::optional<QByteArray>(home.path().toLocal8Bit()));
    QCOMPARE(h.library.calls.at(4).strings[2], std::optional<QByteArray>(home.path().toLocal8Bit()));

    // The real check: a folder that is not there, or a file, cannot take a save.
    QVERIFY(FileCommands::folderIsWritable(home.path()));
    QVERIFY(!FileCommands::folderIsWritable(home.filePath("missing")));
    QFile file(home.filePath("plain"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!FileCommands::folderIsWritable(file.fileName()));
    // Root may write anywhere, so only an ordinary user sees a locked folder.
    if (geteuid() != 0) {
        const QString locked = home.filePath("locked");
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!FileCommands::folderIsWritable(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
}

void tst_FileCommands::folderOf_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");

    QTest::newRow("nested") << "/a/b/c.acd"
                            << "/a/b";
    QTest::newRow("in root") << "/c.acd"
                             << "/";
    QTest::newRow("no folder") << "c.acd"
                               << "";
    QTest::newRow("backslash is a name character") << "/a/b\\c.acd"
                                                   << "/a";
    QTest::newRow("Japanese") << "/ホーム/データ.acd"
                              << "/ホーム";
}

void tst_FileCommands::folderOf()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(FileCommands::folderOf(path), folder);
}

QTEST_MAIN(tst_FileCommands)
#include "tst_filecommands.moc"
