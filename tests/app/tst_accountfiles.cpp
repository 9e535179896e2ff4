// Saving and reading account data files through the window's File menu, with
// fake dialogs in front of the real file system.

#include "AppFixture.h"
#include "ModalHelper.h"
#include "WindowControls.h"
#include "account/FileCommands.h"
#include "app/FormSupport.h"
#include "app/Program.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sys/stat.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace
{

const QChar Sep(0xF8F2);
const QString WriteError = u"アカウントデータの書き込みに失敗しました"_s;
const QString WriteErrorTitle = u"書き込みエラー"_s;
const QString ReadError = u"アカウントデータの読み込みに失敗しました"_s;
const QString ReadErrorTitle = u"読み込みエラー"_s;

// 山田 in CP932.
const QByteArray Yamada("\x8E\x52\x93\x63");
const QByteArray Sato("\x8D\xB2\x93\xA1"); // 佐藤

const QByteArray IntegerLines =
    "ReplyUser=0\r\nSmtpPort=25\r\nPopPort=110\r\nPopStock=0\r\nPopStockDays=3\r\n"
    "PopWarning=0\r\nPopWarningSize=300\r\nLineLength=76\r\nSmtpAttestationPop=0\r\n"
    "PopAttestation=0\r\n";

// The file written for the account fillForm() enters, with the Title rule.
const QByteArray FilledFile =
    "[AccountSection]\r\nTitle=" + Yamada +
    "\r\nSmtp=smtp.nifty.com\r\nPop=pop.nifty.com\r\nPopUser=ABC12345\r\nPoppass=pw\r\n"
    "FromName=" +
    Yamada + "\r\nFromMail=abc12345@nifty.com\r\n" + IntegerLines;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QStringList fieldTexts(const WindowControls& ui)
{
    return {ui.edit("txtName")->text(), ui.edit("txtAddress")->text(), ui.edit("txtPOP")->text(),
            ui.edit("txtSMTP")->text(), ui.edit("txtID")->text(),      ui.edit("txtPW")->text()};
}

// Lets held file-system calls go after a generous while: a window that waits
// for them without a bound then fails its test instead of hanging it.
class HangGuard
{
public:
    explicit HangGuard(FaultyFileSystem& fs)
        : m_thread([this, &fs] {
              std::unique_lock lock(m_mutex);
              if (!m_changed.wait_for(lock, std::chrono::seconds(20), [this] { return m_over; }))
                  fs.release();
          })
    {
    }
    ~HangGuard()
    {
        {
            std::lock_guard lock(m_mutex);
            m_over = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_over = false;
    std::thread m_thread;
};

} // namespace

class tst_AccountFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveWritesExactBytes();
    void saveKeepsUntrimmedTitleInRecord();
    void saveThroughAccessibleLibrary();
    void cancelledSaveWritesNothing();
    void saveFailuresKeepPreviousFile_data();
    void saveFailuresKeepPreviousFile();
    void saveIntoVanishedFolder();
    void protectedFileIsWriteError();
    void characterWithoutCp932IsWriteError_data();
    void characterWithoutCp932IsWriteError();
    void hungSaveFailsWithinTheBound();

    void menuCommandsReachTheirDialogs_data();
    void menuCommandsReachTheirDialogs();
    void floppyWithoutRemovableDiskSaysSo();
    void readShowsAccount();
    void readMissingFileChangesNothing();
    void readOutOfRangeKeepsWindow();
    void hungReadFailsWithinTheBound();
    void roundTrip();

    void advancedSettingsReachTheFile();
    void sampleTitleReachesTheFile();

private:
    void startWithShortFileBound();
    void fillForm();
    void save(const QString& path);
    void read(const QString& path);
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<AppFixture> m_app;
    FormSupport* f = nullptr;
    WindowControls ui() const { return WindowControls(f); }
    // A fresh folder per test, so a test sees only its own files.
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_AccountFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_app = std::make_unique<AppFixture>();
    QVERIFY(m_app->start());
    f = &m_app->form();
    m_app->clearCalls();
}

void tst_AccountFiles::cleanup()
{
    f = nullptr;
    m_app.reset();
    m_dir.reset();
}

// The window waits a moment only, so that a test of a hung file system
// does not take the half minute a real floppy disk is given.
void tst_AccountFiles::startWithShortFileBound()
{
    m_app = std::make_unique<AppFixture>();
    m_app->platform.fileBound = std::chrono::milliseconds(300);
    QVERIFY(m_app->start());
    f = &m_app->form();
    m_app->clearCalls();
}

void tst_AccountFiles::fillForm()
{
    ui().edit("txtName")->setText(u"山田"_s);
    ui().edit("txtAddress")->setText(u"abc12345@nifty.com"_s);
    ui().edit("txtPOP")->setText(u"pop.nifty.com"_s);
    ui().edit("txtSMTP")->setText(u"smtp.nifty.com"_s);
    ui().edit("txtID")->setText(u"ABC12345"_s);
    ui().edit("txtPW")->setText(u"pw"_s);
}

// The standard dialog (the library fails, as on Linux) answers the path.
void tst_AccountFiles::save(const QString& target)
{
    m_app->standardDialog->answers = {target};
    ui().action("mnu_file_save")->trigger();
}

void tst_AccountFiles::read(const QString& source)
{
    m_app->standardDialog->answers = {source};
    ui().action("mnu_file_open")->trigger();
}

void tst_AccountFiles::saveWritesExactBytes()
{
    fillForm();
    ui().edit("txtPW")->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"txtPW"_s);
    m_app->clearCalls();
    save(path(u"a.acd"_s));
    QCOMPARE(m_app->standardDialog->shown.size(), 1);
    QCOMPARE(m_app->standardDialog->shown[0].method, u"ShowSave"_s);
    QCOMPARE(m_app->standardDialog->shown[0].dialogTitle, u"ヴォルニクス用にアカウントデータを作成・保存"_s);
    QCOMPARE(m_app->standardDialog->shown[0].owner, f);
    QCOMPARE(readAll(path(u"a.acd"_s)), FilledFile);
    QVERIFY(m_app->messageBox->shown.isEmpty());
    // Success is silent and the focus stays.
    QCOMPARE(AppFixture::focusName(), u"txtPW"_s);
    QVERIFY(m_app->calls().isEmpty());
    QCOMPARE(m_app->program().acd().Title, u"山田"_s);
    QCOMPARE(m_app->program().acd().FromMail, u"abc12345@nifty.com"_s);
#ifndef Q_OS_WIN
    // The password is in it: the owner alone may read it. (Windows files in
    // the user's folders are the user's by their folder's access list.)
    struct stat st {
    };
    QCOMPARE(::stat(QFile::encodeName(path(u"a.acd"_s)).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0600);
#endif
    QCOMPARE(ui().fileCommands().state().LastAcdFile, path(u"a.acd"_s));
}

void tst_AccountFiles::saveKeepsUntrimmedTitleInRecord()
{
    ui().edit("txtName")->setText(u" 山田 "_s);
    ui().edit("txtPW")->setText(u"   "_s);
    save(path(u"b.acd"_s));
    QCOMPARE(readAll(path(u"b.acd"_s)),
             "[AccountSection]\r\nTitle=" + Yamada + "\r\nFromName=" + Yamada + "\r\n" + IntegerLines);
    QCOMPARE(m_app->program().acd().Title, u" 山田 "_s);
    QCOMPARE(m_app->program().acd().Poppass, u"   "_s);
}

void tst_AccountFiles::saveThroughAccessibleLibrary()
{
    auto& library = *m_app->fileDialogLibrary;
    library.failingEntry.clear();
    library.chosenPath = QFile::encodeName(path(u"lib.acd"_s));
    fillForm();
    ui().action("mnu_file_save")->trigger();
    QVERIFY(m_app->standardDialog->shown.isEmpty());
    QCOMPARE(library.entries(),
             QStringList({u"Create"_s, u"SetWindowText"_s, u"DoModal"_s, u"GetPathName"_s, u"Delete"_s}));
    QCOMPARE(readAll(path(u"lib.acd"_s)), FilledFile);
}

void tst_AccountFiles::cancelledSaveWritesNothing()
{
    fillForm();
    writeAll(path(u"keep.acd"_s), "old");
    m_app->standardDialog->answers = {QString()};
    ui().action("mnu_file_save")->trigger();
    QCOMPARE(m_app->standardDialog->shown.size(), 1);
    QCOMPARE(readAll(path(u"keep.acd"_s)), QByteArray("old"));
    QVERIFY(m_app->messageBox->shown.isEmpty());
    // Not even the record is touched.
    QCOMPARE(m_app->program().acd().FromName, QString());
}

void tst_AccountFiles::saveFailuresKeepPreviousFile_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<qint64>("space");
    QTest::newRow("create") << int(FaultyFileSystem::Step::Create) << qint64(-1);
    QTest::newRow("write") << int(FaultyFileSystem::Step::Write) << qint64(-1);
    QTest::newRow("sync") << int(FaultyFileSystem::Step::Sync) << qint64(-1);
    QTest::newRow("close") << int(FaultyFileSystem::Step::Close) << qint64(-1);
    QTest::newRow("replace") << int(FaultyFileSystem::Step::Replace) << qint64(-1);
    QTest::newRow("disk full") << -1 << qint64(40);
}

void tst_AccountFiles::saveFailuresKeepPreviousFile()
{
    QFETCH(int, step);
    QFETCH(qint64, space);
    const QString target = path(u"prev.acd"_s);
    const QByteArray previous = "[AccountSection]\r\nFromName=before\r\n";
    QVERIFY(writeAll(target, previous));
    if (step >= 0)
        m_app->fileSystem->failCall(FaultyFileSystem::Step(step), 1);
    m_app->fileSystem->setDiskSpace(space);
    fillForm();
    ui().edit("txtName")->setText(u"佐藤"_s);
    save(target);
    QCOMPARE(m_app->fileSystem->injectedFailures(), 1);
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(m_app->messageBox->shown[0].kind, u"error"_s);
    QCOMPARE(m_app->messageBox->shown[0].text, WriteError);
    QCOMPARE(m_app->messageBox->shown[0].title, WriteErrorTitle);
    QCOMPARE(readAll(target), previous);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList({u"prev.acd"_s}));
    QCOMPARE(m_app->fileSystem->openHandles(), 0);
    // The record holds the fields, and the title it was being saved with once
    // the file had been created; a file never created leaves the title blank.
    QCOMPARE(m_app->program().acd().FromName, u"佐藤"_s);
    QCOMPARE(m_app->program().acd().Title, step == int(FaultyFileSystem::Step::Create) ? QString() : u"佐藤"_s);
    QCOMPARE(m_app->program().acd().PopUser, u"ABC12345"_s);
    // The path chosen is remembered all the same.
    QCOMPARE(ui().fileCommands().state().LastAcdFile, target);
}

void tst_AccountFiles::saveIntoVanishedFolder()
{
    const QString folder = path(u"gone"_s);
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QDir().rmdir(folder));
    fillForm();
    save(folder + u"/x.acd"_s);
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(m_app->messageBox->shown[0].text, WriteError);
    QCOMPARE(m_app->messageBox->shown[0].title, WriteErrorTitle);
    QVERIFY(!QFile::exists(folder));
    // No file was created: the title is still blank, and the next save takes
    // the sender name as it is by then.
    QCOMPARE(m_app->program().acd().Title, QString());
    ui().edit("txtName")->setText(u"佐藤"_s);
    save(path(u"x.acd"_s));
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QVERIFY(readAll(path(u"x.acd"_s)).startsWith("[AccountSection]\r\nTitle=" + Sato + "\r\n"));
    QCOMPARE(m_app->program().acd().Title, u"佐藤"_s);
}

void tst_AccountFiles::protectedFileIsWriteError()
{
    // Read-only for everyone, root included: the box, and the file untouched.
    const QString target = path(u"ro.acd"_s);
    QVERIFY(writeAll(target, FilledFile));
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    fillForm();
    ui().edit("txtName")->setText(u"佐藤"_s);
    save(target);
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(m_app->messageBox->shown[0].kind, u"error"_s);
    QCOMPARE(m_app->messageBox->shown[0].text, WriteError);
    QCOMPARE(m_app->messageBox->shown[0].title, WriteErrorTitle);
    QCOMPARE(readAll(target), FilledFile);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList({u"ro.acd"_s}));
    // As with a file that could not be created, the title stays blank.
    QCOMPARE(m_app->program().acd().Title, QString());
}

void tst_AccountFiles::characterWithoutCp932IsWriteError_data()
{
    // Pairs of a field (the window's or the advanced dialog's) and its text.
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("line");
    QTest::newRow("emoji in the password")
        << QStringList{u"txtPW"_s, u"pw\U0001F600"_s}
        << u"「メールパスワード」に保存できない文字があります：\U0001F600（U+1F600）"_s;
    QTest::newRow("é in the address") << QStringList{u"txtAddress"_s, u"café@example.jp"_s}
                                      << u"「メールアドレス」に保存できない文字があります：é（U+00E9）"_s;
    // The file is written Title, Smtp, Pop, PopUser, Poppass, FromName,
    // FromMail: the password's emoji comes before the address's é.
    QTest::newRow("first in the file, not on the screen")
        << QStringList{u"txtAddress"_s, u"café@example.jp"_s, u"txtPW"_s, u"pw\U0001F600"_s}
        << u"「メールパスワード」に保存できない文字があります：\U0001F600（U+1F600）"_s;
    // A blank title takes the sender name, which the user typed in its own box.
    QTest::newRow("sender name as the title")
        << QStringList{u"txtName"_s, u"山田é"_s}
        << u"「差出人の名前」に保存できない文字があります：é（U+00E9）"_s;
    QTest::newRow("𠮷 in the advanced title")
        << QStringList{u"zTitle"_s, u"𠮷野家"_s}
        << u"「この設定に付ける名前」に保存できない文字があります：𠮷（U+20BB7）"_s;
    QTest::newRow("é in the reply address") << QStringList{u"zReplyMail"_s, u"ré@example.jp"_s}
                                            << u"「返信先」に保存できない文字があります：é（U+00E9）"_s;
}

void tst_AccountFiles::characterWithoutCp932IsWriteError()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, line);
    const QString target = path(u"emoji.acd"_s);
    QVERIFY(writeAll(target, FilledFile));
    fillForm();
    QStringList inDialog;
    for (qsizetype i = 0; i + 1 < entries.size(); i += 2) {
        if (auto* edit = f->findChild<QLineEdit*>(entries[i]))
            edit->setText(entries[i + 1]);
        else
            inDialog << entries[i] << entries[i + 1];
    }
    if (!inDialog.isEmpty()) {
        ModalHelper helper([&](QWidget* dialog) {
            for (qsizetype i = 0; i + 1 < inDialog.size(); i += 2)
                dialog->findChild<QLineEdit*>(inDialog[i])->setText(inDialog[i + 1]);
            QTest::mouseClick(dialog->findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
        });
        ui().button("Command2")->click();
        QVERIFY(helper.ran());
        QVERIFY(!helper.forcedClose());
    }
    save(target);
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(m_app->messageBox->shown[0].kind, u"error"_s);
    QCOMPARE(m_app->messageBox->shown[0].text, WriteError + u'\n' + line);
    QCOMPARE(m_app->messageBox->shown[0].title, WriteErrorTitle);
    QCOMPARE(readAll(target), FilledFile);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList({u"emoji.acd"_s}));
}

// A network folder whose server stopped answering: the window gives up on
// the save at its bound and says it failed; the work left behind never puts
// its file in place and takes its new file away once it can.
void tst_AccountFiles::hungSaveFailsWithinTheBound()
{
    startWithShortFileBound();
    const QString target = path(u"prev.acd"_s);
    const QByteArray previous = "[AccountSection]\r\nFromName=before\r\n";
    QVERIFY(writeAll(target, previous));
    fillForm();
    m_app->fileSystem->holdCall(FaultyFileSystem::Step::Sync, 1);
    {
        const HangGuard guard(*m_app->fileSystem);
        save(target);
        QVERIFY2(m_app->fileSystem->isHolding(), "the window waited for the file system");
    }
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(m_app->messageBox->shown[0].text, WriteError);
    QCOMPARE(m_app->messageBox->shown[0].title, WriteErrorTitle);
    QVERIFY(m_app->calls().isEmpty());
    m_app->fileSystem->release();
    QTRY_COMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList({u"prev.acd"_s}));
    QCOMPARE(m_app->fileSystem->calls(FaultyFileSystem::Step::Replace), 0);
    QCOMPARE(readAll(target), previous);
}

void tst_AccountFiles::menuCommandsReachTheirDialogs_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("method");
    QTest::addColumn<bool>("onFloppy");
    QTest::newRow("open") << u"mnu_file_open"_s << u"ShowOpen"_s << false;
    QTest::newRow("save") << u"mnu_file_save"_s << u"ShowSave"_s << false;
    QTest::newRow("floppy open") << u"mnu_file_fdopen"_s << u"ShowOpen"_s << true;
    QTest::newRow("floppy save") << u"mnu_file_fdsave"_s << u"ShowSave"_s << true;
}

// Each File menu entry runs its own command, which reads or writes the
// chosen file through the window.
void tst_AccountFiles::menuCommandsReachTheirDialogs()
{
    QFETCH(QString, action);
    QFETCH(QString, method);
    QFETCH(bool, onFloppy);
    m_app->driveTypes->types.insert(u"C:"_s, DriveTypes::Removable);
    m_app->driveTypes->roots.insert(u"C:"_s, m_dir->path());
    const QString file = path(u"f.acd"_s);
    const bool reading = method == u"ShowOpen"_s;
    if (reading)
        QVERIFY(writeAll(file, "FromName=fd\r\n"));
    else
        ui().edit("txtName")->setText(u"fd"_s);
    m_app->standardDialog->answers = {file};
    f->findChild<QAction*>(action)->trigger();
    QCOMPARE(m_app->standardDialog->shown.size(), 1);
    QCOMPARE(m_app->standardDialog->shown[0].method, method);
    QCOMPARE(m_app->standardDialog->shown[0].owner, f);
    const QString startFolder = QCoreApplication::applicationDirPath();
    QCOMPARE(m_app->standardDialog->shown[0].initDir, onFloppy ? m_dir->path() : startFolder);
    QVERIFY(m_app->messageBox->shown.isEmpty());
    if (reading)
        QCOMPARE(ui().edit("txtName")->text(), u"fd"_s);
    else
        QVERIFY(readAll(file).contains("\r\nFromName=fd\r\n"));
}

void tst_AccountFiles::floppyWithoutRemovableDiskSaysSo()
{
    ui().edit("txtName")->setText(u"fd"_s);
    for (const char* action : {"mnu_file_fdopen", "mnu_file_fdsave"}) {
        m_app->messageBox->shown.clear();
        f->findChild<QAction*>(QString::fromLatin1(action))->trigger();
        QCOMPARE(m_app->messageBox->shown.size(), 1);
        QCOMPARE(m_app->messageBox->shown[0].kind, u"error"_s);
        QCOMPARE(m_app->messageBox->shown[0].text, u"フロッピーディスクなどのリムーバブルディスクが見つかりません"_s);
        QCOMPARE(m_app->messageBox->shown[0].title, u"ディスクエラー"_s);
    }
    QVERIFY(m_app->standardDialog->shown.isEmpty());
    QCOMPARE(m_app->program().acd().FromName, QString());
}

void tst_AccountFiles::readShowsAccount()
{
    const QString source = path(u"in.acd"_s);
    QVERIFY(
        writeAll(source, "[AccountSection]\r\nTitle=t\r\nFromName=" + Yamada +
                             "\r\nFromMail=taro@pb.so-net.ne.jp\r\nPop=pop.pb.so-net.ne.jp\r\n"
                             "Smtp=mail.pb.so-net.ne.jp\r\nPopUser=taro\r\nPoppass=a=b\r\nSmtpPort=587\r\n"));
    ui().edit("txtID")->setText(u"stale"_s);
    ui().button("Command2")->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"Command2"_s);
    m_app->clearCalls();
    read(source);
    QCOMPARE(m_app->standardDialog->shown.size(), 1);
    QCOMPARE(m_app->standardDialog->shown[0].method, u"ShowOpen"_s);
    QCOMPARE(m_app->standardDialog->shown[0].dialogTitle, u"ヴォルニクス用のアカウントデータを読み込む"_s);
    QVERIFY(m_app->messageBox->shown.isEmpty());
    QCOMPARE(fieldTexts(ui()), QStringList({u"山田"_s, u"taro@pb.so-net.ne.jp"_s, u"pop.pb.so-net.ne.jp"_s,
                                          u"mail.pb.so-net.ne.jp"_s, u"taro"_s, u"a=b"_s}));
    QCOMPARE(ui().list("Combo1")->currentIndex(), 4);
    QCOMPARE(ui().list("Combo2")->currentIndex(), 4);
    QCOMPARE(AppFixture::focusName(), u"txtName"_s);
    QCOMPARE(m_app->calls(), QStringList({u"Interrupt"_s, u"Speak:差出人の名前は"_s + Sep + u"山田"_s}));
    const Acd& acd = m_app->program().acd();
    QCOMPARE(acd.Title, u"t"_s);
    QCOMPARE(acd.SmtpPort, 587);
    QCOMPARE(acd.PopPort, 110);
    QCOMPARE(ui().fileCommands().state().OpenFolder, m_dir->path());
}

void tst_AccountFiles::readMissingFileChangesNothing()
{
    fillForm();
    ui().list("Combo1")->setCurrentIndex(1);
    ui().list("Combo2")->setCurrentIndex(2);
    m_app->program().acd().Title = u"前"_s;
    m_app->program().acd().SmtpPort = 2525;
    const Acd before = m_app->program().acd();
    ui().edit("txtSMTP")->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"txtSMTP"_s);
    m_app->clearCalls();
    read(path(u"missing.acd"_s));
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(m_app->messageBox->shown[0].kind, u"error"_s);
    QCOMPARE(m_app->messageBox->shown[0].text, ReadError);
    QCOMPARE(m_app->messageBox->shown[0].title, ReadErrorTitle);
    QCOMPARE(m_app->program().acd(), before);
    QCOMPARE(fieldTexts(ui())[0], u"山田"_s);
    QCOMPARE(ui().list("Combo1")->currentIndex(), 1);
    QCOMPARE(ui().list("Combo2")->currentIndex(), 2);
    QCOMPARE(AppFixture::focusName(), u"txtSMTP"_s);
    QVERIFY(m_app->calls().isEmpty());
}

void tst_AccountFiles::hungReadFailsWithinTheBound()
{
    startWithShortFileBound();
    const QString source = path(u"a.acd"_s);
    QVERIFY(writeAll(source, FilledFile));
    ui().edit("txtSMTP")->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"txtSMTP"_s);
    m_app->clearCalls();
    m_app->fileSystem->holdCall(FaultyFileSystem::Step::Read, 1);
    {
        const HangGuard guard(*m_app->fileSystem);
        read(source);
        QVERIFY2(m_app->fileSystem->isHolding(), "the window waited for the file system");
    }
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(m_app->messageBox->shown[0].text, ReadError);
    QCOMPARE(m_app->messageBox->shown[0].title, ReadErrorTitle);
    m_app->fileSystem->release();
    AppFixture::settle();
    QCOMPARE(m_app->program().acd(), Acd{});
    QCOMPARE(fieldTexts(ui()), QStringList(6, QString()));
    QCOMPARE(AppFixture::focusName(), u"txtSMTP"_s);
    QVERIFY(m_app->calls().isEmpty());
}

void tst_AccountFiles::readOutOfRangeKeepsWindow()
{
    const QString source = path(u"big.acd"_s);
    QVERIFY(writeAll(
        source, "[AccountSection]\r\nFromName=x\r\nPopPort=995\r\nSmtpPort=99999999999\r\nPop=late\r\n"));
    fillForm();
    ui().list("Combo1")->setCurrentIndex(0);
    m_app->program().acd().Title = u"前"_s;
    read(source);
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(m_app->messageBox->shown[0].text, ReadError);
    // The window still shows the previous account...
    QCOMPARE(fieldTexts(ui()), QStringList({u"山田"_s, u"abc12345@nifty.com"_s, u"pop.nifty.com"_s,
                                          u"smtp.nifty.com"_s, u"ABC12345"_s, u"pw"_s}));
    QCOMPARE(ui().list("Combo1")->currentIndex(), 0);
    QCOMPARE(ui().list("Combo2")->currentIndex(), -1);
    QCOMPARE(AppFixture::focusName(), u"txtName"_s);
    // ...while the record has the defaults and the lines before the bad one.
    const Acd& acd = m_app->program().acd();
    QCOMPARE(acd.FromName, u"x"_s);
    QCOMPARE(acd.PopPort, 995);
    QCOMPARE(acd.SmtpPort, 25);
    QCOMPARE(acd.Title, QString());
    QCOMPARE(acd.Pop, QString());
    // The next save puts the window's fields back into the record.
    save(path(u"after.acd"_s));
    QVERIFY(readAll(path(u"after.acd"_s)).contains("\r\nFromName=" + Yamada + "\r\n"));
    QVERIFY(readAll(path(u"after.acd"_s)).contains("\r\nPopPort=995\r\n"));
}

void tst_AccountFiles::roundTrip()
{
    fillForm();
    ui().edit("txtName")->setText(u"山田 ～①髙"_s);
    save(path(u"one.acd"_s));
    m_app->messageBox->nextAnswer = MessageBox::Answer::Yes;
    f->Command5_Click();
    QCOMPARE(fieldTexts(ui()), QStringList(6, QString()));
    read(path(u"one.acd"_s));
    QCOMPARE(ui().edit("txtName")->text(), u"山田 ～①髙"_s);
    save(path(u"two.acd"_s));
    QVERIFY(m_app->messageBox->shown.size() == 1); // only the clear-all question
    QCOMPARE(readAll(path(u"two.acd"_s)), readAll(path(u"one.acd"_s)));
    QVERIFY(readAll(path(u"one.acd"_s)).contains("\x81\x60\x87\x40\xFB\xFC"));
}

void tst_AccountFiles::advancedSettingsReachTheFile()
{
    fillForm();
    ModalHelper helper([](QWidget* dialog) {
        auto* port = dialog->findChild<QLineEdit*>(u"zPopPort"_s);
        port->setFocus(Qt::OtherFocusReason);
        port->selectAll();
        QTest::keyClicks(port, "995");
        QTest::mouseClick(dialog->findChild<QPushButton*>(u"Command1"_s), Qt::LeftButton);
    });

    ui().button("Command2")->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(AppFixture::focusName(), u"Command2"_s);
    AppFixture::key(Qt::Key_Return);
    QVERIFY(helper.ran());
    QVERIFY(!helper.forcedClose());
    QCOMPARE(m_app->program().acd().PopPort, 995);
    // The dialog is gone and the keyboard is back where the user left.
    QTRY_COMPARE(AppFixture::focusName(), u"Command2"_s);
    save(path(u"adv.acd"_s));
    const QByteArray bytes = readAll(path(u"adv.acd"_s));
    QVERIFY2(bytes.contains("\r\nPopPort=995\r\n"), bytes.constData());
    QVERIFY(!bytes.contains("PopPort=110"));
}

void tst_AccountFiles::sampleTitleReachesTheFile()
{
    ui().list("Combo1")->setCurrentIndex(2);
    QTest::mouseClick(ui().button("Command1"), Qt::LeftButton);
    QTRY_COMPARE(AppFixture::focusName(), u"txtName"_s);
    save(path(u"ocn.acd"_s));
    const QByteArray bytes = readAll(path(u"ocn.acd"_s));
    QVERIFY(bytes.startsWith("[AccountSection]\r\nTitle=OCN\r\n"));
    // The sample password is saved like any other value.
    QVERIFY(bytes.contains("\r\nPoppass=\x82\xb1\x82\xb1\x82\xc9"));
}

QTEST_MAIN(tst_AccountFiles)
#include "tst_accountfiles.moc"
