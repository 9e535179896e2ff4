#include "platform/qt/QtStandardFileDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace
{

// What the running dialog looked like when the test met it.
struct Seen {
    bool found = false;
    QString title;
    QStringList nameFilters;
    QString directory;
    QString defaultSuffix;
    QString typedName;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    bool nonNative = false;
    bool confirmsOverwrite = true;
    bool modal = false;
    QWidget* parent = nullptr;
    QStringList leftOpen; // modal windows still open after the answer
};

// Waits for the modal file dialog, notes what it shows, then lets act answer
// it. Whatever is still modal a few seconds later (a question box the dialog
// should not have asked, a dialog that would not close) is noted and closed,
// so a fault fails the test instead of hanging it.
[[nodiscard]] std::unique_ptr<QTimer> answerDialog(Seen& seen, std::function<void(QFileDialog*)> act)
{
    auto timer = std::make_unique<QTimer>();
    auto ticks = std::make_shared<int>(0);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(timer.get(), &QTimer::timeout, timer.get(),
                     [timer = timer.get(), ticks, answered, &seen, act] {
                         QWidget* modal = QApplication::activeModalWidget();
                         auto* dialog = qobject_cast<QFileDialog*>(modal);
                         if (!*answered && dialog) {
                             *answered = true;
                             *ticks = 0;
                             seen.found = true;
                             seen.title = dialog->windowTitle();
                             seen.nameFilters = dialog->nameFilters();
                             seen.directory = dialog->directory().absolutePath();
                             seen.defaultSuffix = dialog->defaultSuffix();
                             if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                                 seen.typedName = edit->text();
                             seen.acceptMode = dialog->acceptMode();
                             seen.fileMode = dialog->fileMode();
                             seen.nonNative = dialog->testOption(QFileDialog::DontUseNativeDialog);
                             seen.confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
                             seen.modal = dialog->isModal() && dialog->windowModality() != Qt::NonModal;
                             seen.parent = dialog->parentWidget();
                             // Answered from a timer of its own: a box the
                             // answer opens runs inside it, and this timer
                             // must go on ticking to close it.
                             QTimer::singleShot(0, dialog, [act, dialog] { act(dialog); });
                             return;
                         }
                         if (*answered && !modal) {
                             timer->stop();
                             return;
                         }
                         if (++*ticks > 300 && modal) {
                             if (*answered)
                                 seen.leftOpen.append(modal->metaObject()->className());
                             modal->close();
                             if (auto* d = qobject_cast<QDialog*>(modal))
                                 d->reject();
                         }
                     });
    timer->start(10);
    return timer;
}

void typeAndAccept(QFileDialog* dialog, const QString& name)
{
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(name);
    static_cast<QDialog*>(dialog)->accept();
}

void writeFile(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[AccountSection]\r\n");
}

const QString Filter = QStringLiteral("VORNIXアカウントデータ (*.acd)|*.acd");
const QString QtFilter = QStringLiteral("VORNIXアカウントデータ (*.acd)");

} // namespace

class tst_QtStandardFileDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void nameFilters_data();
    void nameFilters();
    void openShowsPropertiesAndAnswersPath();
    void openLetsMissingNameThrough();
    void saveAddsSuffixWithoutAsking();
    void saveProposesFullPath();
    void cancelEmptiesProposedName_data();
    void cancelEmptiesProposedName();
    void unknownFolderOpensAtDefault();

private:
    QWidget* m_owner = nullptr;
    QTemporaryDir* m_dir = nullptr;
};

void tst_QtStandardFileDialog::init()
{
    m_owner = new QWidget;
    m_owner->resize(200, 100);
    m_owner->show();
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
}

void tst_QtStandardFileDialog::cleanup()
{
    delete m_owner;
    delete m_dir;
}

void tst_QtStandardFileDialog::nameFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("standard filter") << Filter << QStringList{QtFilter};
    QTest::newRow("library filter with closing bars") << Filter + "||" << QStringList{QtFilter};
    QTest::newRow("pattern added") << "Text|*.txt" << QStringList{"Text (*.txt)"};
    QTest::newRow("several patterns") << "Data|*.acd;*.ini" << QStringList{"Data (*.acd *.ini)"};
    QTest::newRow("two pairs") << "A|*.a|All|*.*" << QStringList{"A (*.a)", "All (*.*)"};
    QTest::newRow("empty") << "" << QStringList{};
}

void tst_QtStandardFileDialog::nameFilters()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);
    QCOMPARE(QtStandardFileDialog::qtNameFilters(filter), expected);
}

void tst_QtStandardFileDialog::openShowsPropertiesAndAnswersPath()
{
    const QString existing = m_dir->filePath("in.acd");
    writeFile(existing);

    QtStandardFileDialog dialog;
    dialog.setOwner(m_owner);
    FileDialogRequest request;
    request.title = QStringLiteral("ヴォルニクス用のアカウントデータを読み込む");
    request.filter = Filter;
    request.initDir = m_dir->path();
    Seen seen;
    const auto answerer =
        answerDialog(seen, [](QFileDialog* d) { typeAndAccept(d, QStringLiteral("in.acd")); });

    const std::optional<QString> chosen = dialog.show(request);

    QVERIFY(seen.found);
    QCOMPARE(seen.title, request.title);
    QCOMPARE(seen.nameFilters, QStringList{QtFilter});
    QCOMPARE(seen.directory, QDir(m_dir->path()).absolutePath());
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(seen.fileMode, QFileDialog::AnyFile);
    QVERIFY(seen.nonNative);
    QVERIFY(seen.modal);
    QCOMPARE(seen.parent, m_owner);
    QCOMPARE(chosen, std::optional<QString>(existing));
}

// A name that is not there is the reader's to refuse, with the program's own
// message: the dialog asks nothing and hands it on.
void tst_QtStandardFileDialog::openLetsMissingNameThrough()
{
    QtStandardFileDialog dialog;
    dialog.setOwner(m_owner);
    FileDialogRequest request;
    request.title = QStringLiteral("ヴォルニクス用のアカウントデータを読み込む");
    request.filter = Filter;
    request.initDir = m_dir->path();
    Seen seen;
    const auto answerer =
        answerDialog(seen, [](QFileDialog* d) { typeAndAccept(d, QStringLiteral("missing.acd")); });

    const std::optional<QString> chosen = dialog.show(request);

    QVERIFY(seen.found);
    QCOMPARE(seen.leftOpen, QStringList{});
    QCOMPARE(chosen, std::optional<QString>(m_dir->filePath("missing.acd")));
}

// A bare name gets the account-data extension, and an existing file is taken
// without a question (a question box would stay open and the dialog would
// not return).
void tst_QtStandardFileDialog::saveAddsSuffixWithoutAsking()
{
    writeFile(m_dir->filePath("old.acd"));

    QtStandardFileDialog dialog;
    dialog.setOwner(m_owner);
    FileDialogRequest request;
    request.title = QStringLiteral("ヴォルニクス用にアカウントデータを作成・保存");
    request.filter = Filter;
    request.initDir = m_dir->path();
    request.defaultExt = QStringLiteral("acd");
    request.saveMode = true;

    Seen seen;
    const auto answerer = answerDialog(seen, [](QFileDialog* d) { typeAndAccept(d, QStringLiteral("neu")); });
    std::optional<QString> chosen = dialog.show(request);

    QVERIFY(seen.found);
    QCOMPARE(seen.leftOpen, QStringList{});
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(seen.defaultSuffix, QStringLiteral("acd"));
    QVERIFY(!seen.confirmsOverwrite);
    QCOMPARE(seen.title, request.title);
    QCOMPARE(chosen, std::optional<QString>(m_dir->filePath("neu.acd")));

    Seen again;
    const auto answererAgain =
        answerDialog(again, [](QFileDialog* d) { typeAndAccept(d, QStringLiteral("old.acd")); });
    chosen = dialog.show(request);
    QVERIFY(again.found);
    QCOMPARE(again.leftOpen, QStringList{});
    QCOMPARE(chosen, std::optional<QString>(m_dir->filePath("old.acd")));
}

// The save commands propose the last file as a full path: the dialog opens
// in its folder with its name filled in.
void tst_QtStandardFileDialog::saveProposesFullPath()
{
    QTemporaryDir other;
    QDir(m_dir->path()).mkdir("sub");
    const QString proposed = m_dir->filePath("sub/last.acd");

    QtStandardFileDialog dialog;
    dialog.setOwner(m_owner);
    FileDialogRequest request;
    request.filter = Filter;
    request.initDir = other.path();
    request.fileName = proposed;
    request.defaultExt = QStringLiteral("acd");
    request.saveMode = true;

    Seen seen;
    const auto answerer = answerDialog(seen, [](QFileDialog* d) { static_cast<QDialog*>(d)->accept(); });
    const std::optional<QString> chosen = dialog.show(request);

    QVERIFY(seen.found);
    QCOMPARE(seen.directory, m_dir->filePath("sub"));
    QCOMPARE(seen.typedName, QStringLiteral("last.acd"));
    QCOMPARE(chosen, std::optional<QString>(proposed));
}

void tst_QtStandardFileDialog::cancelEmptiesProposedName_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("open") << false;
    QTest::newRow("save") << true;
}

void tst_QtStandardFileDialog::cancelEmptiesProposedName()
{
    QFETCH(bool, save);
    const QString proposed = m_dir->filePath("proposed.acd");
    writeFile(proposed);

    QtStandardFileDialog dialog;
    dialog.setOwner(m_owner);
    FileDialogRequest request;
    request.filter = Filter;
    request.initDir = m_dir->path();
    request.fileName = proposed;
    request.saveMode = save;

    Seen seen;
    const auto answerer = answerDialog(seen, [](QFileDialog* d) { d->reject(); });
    const std::optional<QString> chosen = dialog.show(request);

    QVERIFY(seen.found);
    QCOMPARE(chosen, std::optional<QString>());
}

// "A:" is what the floppy finder answers when no removable volume is
// mounted: it must not be taken as a folder below the working directory.
// On Windows it is the drive, which is not there.
void tst_QtStandardFileDialog::unknownFolderOpensAtDefault()
{
    const QString oldCurrent = QDir::currentPath();
#ifndef Q_OS_WIN
    QVERIFY(QDir(m_dir->path()).mkdir("A:"));
#endif
    QVERIFY(QDir::setCurrent(m_dir->path()));

    QtStandardFileDialog dialog;
    dialog.setOwner(m_owner);
    FileDialogRequest request;
    request.filter = Filter;
    request.initDir = QStringLiteral("A:");

    Seen seen;
    const auto answerer = answerDialog(seen, [](QFileDialog* d) { d->reject(); });
    (void)dialog.show(request);
    QDir::setCurrent(oldCurrent);

    QVERIFY(seen.found);
    QVERIFY2(!seen.directory.endsWith(QLatin1String("/A:")), qPrintable(seen.directory));
    QVERIFY(QFileInfo(seen.directory).isDir());

    // A folder that does not exist at all is not a failure either.
    request.initDir = m_dir->filePath("gone/away");
    Seen missing;
    const auto answererMissing = answerDialog(missing, [](QFileDialog* d) { d->reject(); });
    (void)dialog.show(request);
    QVERIFY(missing.found);
    QVERIFY(QFileInfo(missing.directory).isDir());
}

QTEST_MAIN(tst_QtStandardFileDialog)
#include "tst_qtstandardfiledialog.moc"
