#include "account/AcdFile.h"
#include "account/AcdFormat.h"
#include "FaultyFileSystem.h"
#include "platform/linux/LinuxFileSystem.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include <csignal>
#include <fcntl.h>
#include <future>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

using Step = FaultyFileSystem::Step;
Q_DECLARE_METATYPE(FaultyFileSystem::Step)

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Everything in the folder other than the names given: left-over temporary
// files show up here.
QStringList strayEntries(const QString& folder, const QStringList& expected)
{
    QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : expected)
        entries.removeAll(name);
    return entries;
}

mode_t modeOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

// A recognisable account file of the given size, different for every seed.
QByteArray accountBytes(int seed, int size)
{
    QByteArray bytes = "[AccountSection]\r\nTitle=" + QByteArray::number(seed) + "\r\n";
    while (bytes.size() < size)
        bytes += "Poppass=" + QByteArray::number(seed) + "\r\n";
    return bytes;
}

enum class Unprivileged { Passed, Failed, Unavailable };

// Runs check without the root privilege that ignores permissions: in a child
// process as "nobody" when we are root, else directly.
Unprivileged runUnprivileged(const std::function<bool()>& check)
{
    if (::geteuid() != 0)
        return check() ? Unprivileged::Passed : Unprivileged::Failed;
    const struct passwd* nobody = ::getpwnam("nobody");
    if (!nobody)
        return Unprivileged::Unavailable;
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const pid_t pid = ::fork();
    if (pid < 0)
        return Unprivileged::Unavailable;
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            ::_exit(3);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 3)
        return Unprivileged::Unavailable;
    return WEXITSTATUS(status) == 0 ? Unprivileged::Passed : Unprivileged::Failed;
}

} // namespace

class tst_AcdFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void savedFileIsOwnerOnly_data();
    void savedFileIsOwnerOnly();
    void saveReplacesExistingFile();
    void savesUnderAnyName_data();
    void savesUnderAnyName();
    void failedStepKeepsPreviousFile_data();
    void failedStepKeepsPreviousFile();
    void unsyncableFolderStillSaves();
    void saveIntoReadOnlyFolder();
    void protectedTargetKeepsItsBytes();
    void othersFileKeepsItsBytes();
    void saveIntoVanishedFolder();
    void thousandInjectedFailures();
    void killedDuringSave();
    void saveClearsOnlyItsOwnRemains();
    void busyTargetIsTriedAgain();

    void readLimits_data();
    void readLimits();
    void unreadableFile();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    LinuxFileSystem m_linux;
};

void tst_AcdFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_AcdFile::cleanup()
{
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

void tst_AcdFile::savedFileIsOwnerOnly_data()
{
    QTest::addColumn<int>("umaskValue");
    QTest::newRow("usual umask 022") << 022;
    QTest::newRow("umask 0 grants nothing extra") << 0;
}

void tst_AcdFile::savedFileIsOwnerOnly()
{
    QFETCH(int, umaskValue);
    const mode_t previous = ::umask(mode_t(umaskValue));
    const bool saved = writeAcdFile(path("new.acd"), accountBytes(1, 100), m_linux);
    ::umask(previous);
    QVERIFY(saved);
    QCOMPARE(contentOf(path("new.acd")), accountBytes(1, 100));
    QCOMPARE(modeOf(path("new.acd")), mode_t(0600));
    QCOMPARE(strayEntries(m_dir->path(), {"new.acd"}), QStringList());
}

void tst_AcdFile::saveReplacesExistingFile()
{
    // A longer, world-readable previous file: no tail of it may survive, and
    // the password file ends up owner-only.
    putFile(path("a.acd"), accountBytes(7, 5000));
    QVERIFY(QFile::setPermissions(path("a.acd"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    const QByteArray bytes("[AccountSection]\r\nSmtpPort=25\r\n");
    QVERIFY(writeAcdFile(path("a.acd"), bytes, m_linux));
    QCOMPARE(contentOf(path("a.acd")), bytes);
    QCOMPARE(modeOf(path("a.acd")), mode_t(0600));
    QCOMPARE(strayEntries(m_dir->path(), {"a.acd"}), QStringList());
}

void tst_AcdFile::savesUnderAnyName_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("250 ascii characters") << QString(246, u'n') + ".acd";
    QTest::newRow("80 kanji, 244 bytes") << QString(80, u'漢') + ".acd";
    QTest::newRow("emoji across the shortening point") << QString(59, u'x') + QString::fromUtf8("\xF0\x9F\x98\x80.acd");
    QTest::newRow("pattern characters") << "a+b(1)[x]*.acd";
    QTest::newRow("spaces and no extension") << " my account ";
}

void tst_AcdFile::savesUnderAnyName()
{
    // A save whose clean-up failed leaves its temporary file; the next save
    // under the same name must find and remove it, whatever the name.
    QFETCH(QString, name);
    FaultyFileSystem fs(m_linux);
    fs.failCall(Step::Replace, 1);
    fs.failCall(Step::Remove, 1);
    QVERIFY(!writeAcdFile(path(name), accountBytes(1, 100), fs));
    QCOMPARE(strayEntries(m_dir->path(), {}).size(), 1);

    QVERIFY(writeAcdFile(path(name), accountBytes(2, 100), fs));
    QCOMPARE(contentOf(path(name)), accountBytes(2, 100));
    QCOMPARE(strayEntries(m_dir->path(), {name}), QStringList());
}

void tst_AcdFile::failedStepKeepsPreviousFile_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<qint64>("diskSpace");

    QTest::newRow("create") << Step::Create << qint64(-1);
    QTest::newRow("write") << Step::Write << qint64(-1);
    QTest::newRow("sync") << Step::Sync << qint64(-1);
    QTest::newRow("close") << Step::Close << qint64(-1);
    QTest::newRow("replace") << Step::Replace << qint64(-1);
    QTest::newRow("disk already full") << Step::Count << qint64(0);
    QTest::newRow("disk fills half-way") << Step::Count << qint64(1500);
    QTest::newRow("disk fills one byte short") << Step::Count << qint64(2999);
}

void tst_AcdFile::failedStepKeepsPreviousFile()
{
    QFETCH(Step, step);
    QFETCH(qint64, diskSpace);

    const QByteArray previous = accountBytes(1, 2000);
    putFile(path("keep.acd"), previous);
    FaultyFileSystem fs(m_linux);
    if (step != Step::Count)
        fs.failCall(step, 1, true);
    fs.setDiskSpace(diskSpace);

    const AcdWriteResult result = writeAcdFile(path("keep.acd"), accountBytes(2, 3000), fs);
    QVERIFY(!result);
    // Only a failed create leaves no file to speak of.
    QCOMPARE(result.created, step != Step::Create);
    QCOMPARE(fs.injectedFailures(), 1);
    QCOMPARE(contentOf(path("keep.acd")), previous);
    QCOMPARE(strayEntries(m_dir->path(), {"keep.acd"}), QStringList());
    QCOMPARE(fs.openHandles(), 0);
}

void tst_AcdFile::unsyncableFolderStillSaves()
{
    putFile(path("s.acd"), accountBytes(1, 100));
    FaultyFileSystem fs(m_linux);
    fs.failCall(Step::SyncFolder, 1);
    QVERIFY(writeAcdFile(path("s.acd"), accountBytes(2, 200), fs));
    QCOMPARE(fs.calls(Step::SyncFolder), 1);
    QCOMPARE(contentOf(path("s.acd")), accountBytes(2, 200));
}

void tst_AcdFile::saveIntoReadOnlyFolder()
{
    // The folder must be reachable by the unprivileged user, the save target not writable.
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                     | QFile::ReadOther | QFile::ExeOther));
    const QString folder = path("ro");
    QVERIFY(QDir().mkdir(folder));
    const QString target = folder + "/old.acd";
    const QByteArray previous = accountBytes(1, 300);
    putFile(target, previous);
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));

    // The same user can save into a folder open to all: the refusal below
    // comes from the folder's permissions, not from anything else.
    const QString open = path("rw");
    QVERIFY(QDir().mkdir(open));
    QVERIFY(QFile::setPermissions(open, QFile::Permissions(0x7777)));
    const Unprivileged result = runUnprivileged([&] {
        LinuxFileSystem fs;
        return writeAcdFile(open + "/new.acd", accountBytes(2, 300), fs)
               && !writeAcdFile(target, accountBytes(2, 300), fs);
    });
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (result == Unprivileged::Unavailable)
        QSKIP("cannot drop root privileges here");
    QCOMPARE(result, Unprivileged::Passed);
    QCOMPARE(contentOf(target), previous);
    QCOMPARE(strayEntries(folder, {"old.acd"}), QStringList());
}

void tst_AcdFile::protectedTargetKeepsItsBytes()
{
    // No write bit at all: the user protected the file, and being root is no
    // reason to replace it.
    const QByteArray previous = accountBytes(1, 300);
    putFile(path("ro.acd"), previous);
    QVERIFY(QFile::setPermissions(path("ro.acd"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const AcdWriteResult result = writeAcdFile(path("ro.acd"), accountBytes(2, 300), m_linux);
    QVERIFY(!result);
    QVERIFY(!result.created);
    QCOMPARE(contentOf(path("ro.acd")), previous);
    QCOMPARE(modeOf(path("ro.acd")), mode_t(0444));
    QCOMPARE(strayEntries(m_dir->path(), {"ro.acd"}), QStringList());
}

void tst_AcdFile::othersFileKeepsItsBytes()
{
    if (::geteuid() != 0)
        QSKIP("a file of another user needs root to make");
    // In a folder anyone may write (no sticky bit) a rename replaces any
    // file; only the file's own permissions tell whose it is to replace.
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                     | QFile::ReadOther | QFile::ExeOther));
    const QString folder = path("shared");
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x7777)));
    const QByteArray previous = accountBytes(1, 300);
    putFile(folder + "/theirs.acd", previous);
    QVERIFY(QFile::setPermissions(folder + "/theirs.acd",
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    putFile(folder + "/open.acd", previous);
    QVERIFY(QFile::setPermissions(folder + "/open.acd", QFile::Permissions(0x6666)));

    const Unprivileged result = runUnprivileged([&] {
        LinuxFileSystem fs;
        return !writeAcdFile(folder + "/theirs.acd", accountBytes(2, 300), fs)
               && writeAcdFile(folder + "/open.acd", accountBytes(2, 300), fs);
    });
    if (result == Unprivileged::Unavailable)
        QSKIP("cannot drop root privileges here");
    QCOMPARE(result, Unprivileged::Passed);
    QCOMPARE(contentOf(folder + "/theirs.acd"), previous);
    QCOMPARE(contentOf(folder + "/open.acd"), accountBytes(2, 300));
    QCOMPARE(strayEntries(folder, {"theirs.acd", "open.acd"}), QStringList());
}

void tst_AcdFile::saveIntoVanishedFolder()
{
    const QString folder = path("gone");
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QDir().rmdir(folder));
    QVERIFY(!writeAcdFile(folder + "/x.acd", accountBytes(1, 100), m_linux));
    QVERIFY(!QFileInfo::exists(folder));
    QCOMPARE(strayEntries(m_dir->path(), {}), QStringList());

    // The target being a folder is no file to replace either.
    QVERIFY(QDir().mkdir(path("dir.acd")));
    QVERIFY(!writeAcdFile(path("dir.acd"), accountBytes(1, 100), m_linux));
    QVERIFY(QFileInfo(path("dir.acd")).isDir());
    QCOMPARE(strayEntries(m_dir->path(), {"dir.acd"}), QStringList());
    QVERIFY(!writeAcdFile(path("dir.acd") + "/", accountBytes(1, 100), m_linux));
}

void tst_AcdFile::thousandInjectedFailures()
{
    // Every save either fails and leaves the file as it was, or succeeds and
    // leaves all of the new bytes; a save answers false exactly when a fault
    // was injected into it. Failures land on varying steps and on the first,
    // second or third save of a round; disk-full strikes at varying bytes.
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("seed %u", seed);
    QRandomGenerator random(seed);
    const QString target = path("loop.acd");
    QByteArray current = accountBytes(0, 500);
    putFile(target, current);
    FaultyFileSystem fs(m_linux);
    fs.setRealSync(false);

    const Step steps[] = {Step::Create, Step::Write, Step::Sync, Step::Close, Step::Replace};
    int injected = 0;
    int saves = 0;
    for (int round = 0; injected < 1200 && round < 5000; ++round) {
        fs.reset();
        const int kind = random.bounded(6);
        if (kind < 5)
            fs.failCall(steps[kind], random.bounded(1, 4), random.bounded(4) == 0);
        else
            fs.setDiskSpace(random.bounded(6000));
        for (int save = 0; save < 3; ++save) {
            const QByteArray next = accountBytes(++saves, random.bounded(1, 3000));
            const int before = fs.injectedFailures();
            const bool ok = writeAcdFile(target, next, fs);
            const bool faulted = fs.injectedFailures() != before;
            const QByteArray now = contentOf(target);
            if (ok)
                current = next;
            QVERIFY2(ok != faulted, qPrintable(QStringLiteral("round %1 save %2").arg(round).arg(save)));
            QVERIFY2(now == current, qPrintable(QStringLiteral("round %1 save %2").arg(round).arg(save)));
            QCOMPARE(strayEntries(m_dir->path(), {"loop.acd"}), QStringList());
            QCOMPARE(fs.openHandles(), 0);
        }
        injected += fs.injectedFailures();
    }
    QVERIFY2(injected >= 1000, QByteArray::number(injected).constData());
    qInfo("%d injected failures over %d saves", injected, saves);
}

void tst_AcdFile::killedDuringSave()
{
    // A child saves two different files in turn as fast as it can and is
    // killed at a random moment: the target must always hold one of the two,
    // complete. A killed save may leave its temporary file: it must be
    // owner-only, as it holds the password, and the next save clears it away.
    const QString target = path("kill.acd");
    const QByteArray a = accountBytes(1, 20000);
    const QByteArray b = accountBytes(2, 3000);
    QVERIFY(writeAcdFile(target, a, m_linux));

    int seenB = 0;
    QSet<QString> leftovers;
    for (int round = 0; round < 40; ++round) {
        const pid_t pid = ::fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            LinuxFileSystem fs;
            for (unsigned i = 1;; ++i)
                writeAcdFile(target, (i % 2) ? b : a, fs);
        }
        const int delayUs = round == 0 ? 200000 : int(QRandomGenerator::global()->bounded(30000));
        ::usleep(useconds_t(delayUs));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        QVERIFY(WIFSIGNALED(status));

        const QByteArray now = contentOf(target);
        QVERIFY2(now == a || now == b, qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(now.size())));
        seenB += now == b;
        // A round killed before any save finished adds to the remains of
        // the rounds before; one that finished a save has cleared them.
        for (const QString& stray : strayEntries(m_dir->path(), {"kill.acd"})) {
            QVERIFY2(stray.startsWith(".kill.acd.") && stray.endsWith(".tmp"), qPrintable(stray));
            QCOMPARE(modeOf(path(stray)), mode_t(0600));
            leftovers.insert(stray);
        }
    }
    QVERIFY(seenB > 0);
    qInfo("40 kills: %d left the second content, %d temporary files seen", seenB, int(leftovers.size()));
    QVERIFY(writeAcdFile(target, a, m_linux));
    QCOMPARE(strayEntries(m_dir->path(), {"kill.acd"}), QStringList());
}

void tst_AcdFile::saveClearsOnlyItsOwnRemains()
{
    const QStringList remains = {".x.acd.abcde12345.tmp", ".x.acd.0000000000.tmp"};
    const QStringList others = {".x.acd.abc.tmp",           ".y.acd.abcde12345.tmp", "x.acd.abcde12345.tmp",
                                ".x.acd.ABCDE12345.tmp",    ".x.acd.abcde12345.tmp~", ".xxacd.abcde12345.tmp",
                                ".x.acd.abcde12345.tmp.acd", "keep.acd"};
    for (const QString& name : remains + others)
        putFile(path(name), "secret");
    QVERIFY(writeAcdFile(path("x.acd"), accountBytes(1, 100), m_linux));
    QStringList expected = others;
    expected.append("x.acd");
    expected.sort();
    QStringList present = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    present.sort();
    QCOMPARE(present, expected);

    // A failed save touches nothing.
    for (const QString& name : remains)
        putFile(path(name), "secret");
    FaultyFileSystem fs(m_linux);
    fs.failCall(Step::Replace, 1);
    QVERIFY(!writeAcdFile(path("x.acd"), accountBytes(2, 100), fs));
    for (const QString& name : remains)
        QVERIFY(QFileInfo::exists(path(name)));
}

// A target another program holds for a moment (a virus scanner, a search
// indexer) is tried again, five times at most, each time through the file
// system, where the tries can be counted.
void tst_AcdFile::busyTargetIsTriedAgain()
{
    const QString target = path("busy.acd");
    putFile(target, accountBytes(1, 100));
    FaultyFileSystem fs(m_linux);
    fs.answerBusy(2);
    QVERIFY(writeAcdFile(target, accountBytes(2, 100), fs));
    QCOMPARE(fs.calls(Step::Replace), 3);
    QCOMPARE(contentOf(target), accountBytes(2, 100));
    fs.reset();
    fs.answerBusy(6);
    QVERIFY(!writeAcdFile(target, accountBytes(3, 100), fs));
    QCOMPARE(fs.calls(Step::Replace), 6);
    QCOMPARE(contentOf(target), accountBytes(2, 100));
    QCOMPARE(strayEntries(m_dir->path(), {"busy.acd"}), QStringList());
}

void tst_AcdFile::readLimits_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qint64>("expectedSize"); // -1: refused

    QTest::newRow("missing file") << "missing" << qint64(-1);
    QTest::newRow("directory") << "directory" << qint64(-1);
    QTest::newRow("fifo without writer") << "fifo" << qint64(-1);
    QTest::newRow("symlink to a fifo") << "fifo link" << qint64(-1);
    QTest::newRow("endless device") << "/dev/zero" << qint64(-1);
    QTest::newRow("empty file") << "empty" << qint64(0);
    QTest::newRow("symlink to a file") << "file link" << qint64(20);
    QTest::newRow("1 MB of NUL bytes") << "nul" << qint64(1024 * 1024);
    QTest::newRow("exactly at the limit") << "sparse" << MaxAcdFileBytes;
    QTest::newRow("one byte over the limit") << "sparse" << qint64(-2);
    QTest::newRow("100 MB") << "sparse" << qint64(-100);
    QTest::newRow("single 50 MB line") << "long line" << qint64(-1);
}

void tst_AcdFile::readLimits()
{
    QFETCH(QString, kind);
    QFETCH(qint64, expectedSize);

    QString file = path("f.acd");
    if (kind == "directory") {
        QVERIFY(QDir().mkdir(file));
    } else if (kind == "fifo" || kind == "fifo link") {
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
        if (kind == "fifo")
            file = path("fifo");
        else
            QVERIFY(QFile::link(path("fifo"), file));
    } else if (kind == "/dev/zero") {
        file = kind;
    } else if (kind == "empty") {
        putFile(file, QByteArray());
    } else if (kind == "file link") {
        putFile(path("real.acd"), QByteArray("[AccountSection]\r\nX="));
        QVERIFY(QFile::link(path("real.acd"), file));
    } else if (kind == "nul") {
        putFile(file, QByteArray(1024 * 1024, '\0'));
    } else if (kind == "sparse") {
        const qint64 size = expectedSize >= 0 ? expectedSize
                            : expectedSize == -2 ? MaxAcdFileBytes + 1
                                                 : qint64(100) * 1024 * 1024;
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(size));
        if (expectedSize < 0)
            expectedSize = -1;
    } else if (kind == "long line") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray chunk(1024 * 1024, 'a');
        f.write("Title=");
        for (int i = 0; i < 50; ++i)
            QCOMPARE(f.write(chunk), chunk.size());
    }

    QElapsedTimer timer;
    timer.start();
    auto reading = std::async(std::launch::async, [this, file] { return readAcdFileBytes(file, m_linux); });
    if (reading.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
        // A reader stuck opening the FIFO is released by opening its other end.
        const int fd = ::open(QFile::encodeName(path("fifo")).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        reading.wait();
        QFAIL("the read blocked");
    }
    const std::optional<QByteArray> bytes = reading.get();
    QVERIFY2(timer.elapsed() < 20000, QByteArray::number(timer.elapsed()).constData());
    if (expectedSize < 0) {
        QVERIFY(!bytes.has_value());
        return;
    }
    QVERIFY(bytes.has_value());
    QCOMPARE(bytes->size(), expectedSize);
    Acd acd;
    QVERIFY(readAcdInto(*bytes, acd));
    QVERIFY2(timer.elapsed() < 20000, QByteArray::number(timer.elapsed()).constData());
}

void tst_AcdFile::unreadableFile()
{
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                     | QFile::ReadOther | QFile::ExeOther));
    const QString file = path("secret.acd");
    putFile(file, accountBytes(1, 100));
    QVERIFY(QFile::setPermissions(file, QFile::WriteOwner));
    const QString readable = path("open.acd");
    putFile(readable, accountBytes(2, 100));
    QVERIFY(QFile::setPermissions(readable, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    const Unprivileged result = runUnprivileged(
        [&] { return readAcdFileBytes(readable, m_linux) == accountBytes(2, 100) && !readAcdFileBytes(file, m_linux).has_value(); });
    if (result == Unprivileged::Unavailable)
        QSKIP("cannot drop root privileges here");
    QCOMPARE(result, Unprivileged::Passed);
}

QTEST_GUILESS_MAIN(tst_AcdFile)
#include "tst_acdfile.moc"
