// What the program's own reader says for Qt's boxes, file dialog, menus and
// lists, and what it leaves to the windows that announce themselves.

#include "RecordingSpeechObject.h"
#include "selfvoicing/InterfaceReader.h"
#include "speech/SpeechChannel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace
{

const QString Sep(QChar(0xF8F2));
const QString Interrupt = u"Interrupt"_s;

// Quick, then one Voice per text: how every reading starts and goes on.
QStringList reading(const QStringList& texts)
{
    QStringList calls{Interrupt};
    for (const QString& t : texts)
        calls << u"Speak:"_s + t;
    return calls;
}

// A window of the program's own: a field, a check box and a list.
struct OwnWindow {
    QWidget window;
    QLineEdit* field = new QLineEdit;
    QCheckBox* check = new QCheckBox(u"残す"_s);
    QComboBox* list = new QComboBox;

    OwnWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        layout->addWidget(check);
        layout->addWidget(list);
        list->addItems({u"@nifty(富士通)"_s, u"biglobe(NEC)"_s, u"OCN(NTT)"_s});
        list->setCurrentIndex(-1);
    }
};

} // namespace

class tst_InterfaceReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void messageBoxIsReadFromTitleToFocusedButton();
    void ownWindowsAreLeftAloneExceptForAChosenEntry();
    void menusSayTheirNameAndTheEntryLandedOn();
    void fileDialogReadsItsControlsAndEntries();
    void stormsAndVanishedWidgetsSayOnlyWhereTheUserLands();

private:
    // The calls since the mark, once they are exactly `expected`.
    bool heard(const QStringList& expected);
    void mark() { m_mark = m_log->calls.size(); }
    void showActive(QWidget& window);

    std::shared_ptr<RecordingSpeechObject::Log> m_log;
    std::unique_ptr<SpeechChannel> m_speech;
    std::unique_ptr<InterfaceReader> m_reader;
    std::unique_ptr<OwnWindow> m_own;
    qsizetype m_mark = 0;
};

void tst_InterfaceReader::initTestCase()
{
    auto* translator = new QTranslator(qApp);
    QVERIFY(translator->load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(translator);
}

void tst_InterfaceReader::init()
{
    m_log = std::make_shared<RecordingSpeechObject::Log>();
    m_speech = std::make_unique<SpeechChannel>();
    m_speech->VobrInit(RecordingSpeechObject::factory(m_log));
    m_reader = std::make_unique<InterfaceReader>(*m_speech);
    m_own = std::make_unique<OwnWindow>();
    showActive(m_own->window);
    m_own->field->setFocus();
    QTRY_VERIFY(m_own->field->hasFocus());
    mark();
}

void tst_InterfaceReader::cleanup()
{
    m_reader.reset();
    m_own.reset();
}

bool tst_InterfaceReader::heard(const QStringList& expected)
{
    const bool same = QTest::qWaitFor([&] { return m_log->calls.mid(m_mark) == expected; }, 5000);
    if (!same)
        qWarning() << "heard" << m_log->calls.mid(m_mark) << "expected" << expected;
    mark();
    return same;
}

void tst_InterfaceReader::showActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

void tst_InterfaceReader::messageBoxIsReadFromTitleToFocusedButton()
{
    QMessageBox box(QMessageBox::Warning, u"すべてクリア"_s, u"現在の設定をクリアします。よろしいですか?"_s,
                    QMessageBox::Yes | QMessageBox::No, &m_own->window);
    box.setDefaultButton(QMessageBox::Yes);
    showActive(box);
    // The button is read with the box; its focus arriving is not read again.
    QVERIFY(heard(
        reading({u"すべてクリア"_s, u"現在の設定をクリアします。よろしいですか?"_s, u"はいのボタン"_s})));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(heard(reading({u"いいえのボタン"_s})));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(heard(reading({u"はいのボタン"_s})));

    // Back in the window of the program's own, its field says itself (not
    // here); the reader says nothing before the list's entry the user chooses.
    box.close();
    m_own->window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_own->window));
    m_own->list->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m_own->list, Qt::Key_Down);
    QVERIFY(heard(reading({u"@nifty(富士通)"_s})));
}

void tst_InterfaceReader::ownWindowsAreLeftAloneExceptForAChosenEntry()
{
    QComboBox* list = m_own->list;
    // Focus moves through the window and the program sets and refills its
    // list elsewhere: nothing is read.
    QTest::keyClick(m_own->field, Qt::Key_Tab);
    QTRY_VERIFY(m_own->check->hasFocus());
    list->setCurrentIndex(1);
    list->clear();
    list->addItems({u"@nifty(富士通)"_s, u"biglobe(NEC)"_s, u"OCN(NTT)"_s});
    list->setCurrentIndex(-1);
    QTest::keyClick(m_own->check, Qt::Key_Tab);
    QTRY_VERIFY(list->hasFocus());

    // The user's own choices are heard, the first being the first thing said.
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(heard(reading({u"@nifty(富士通)"_s})));
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(heard(reading({u"biglobe(NEC)"_s})));

    // Refilled while it has the focus, the list says its entry once, and
    // nothing when the entry is the one already heard.
    list->clear();
    list->addItems({u"@nifty(富士通)"_s, u"biglobe(NEC)"_s, u"OCN(NTT)"_s});
    list->setCurrentIndex(1);
    list->clear();
    list->addItems({u"@nifty(富士通)"_s, u"biglobe(NEC)"_s, u"OCN(NTT)"_s});
    list->setCurrentIndex(2);
    QVERIFY(heard(reading({u"OCN(NTT)"_s})));

    // Moving in the open popup is heard; taking the entry is not heard again.
    QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(list->view()->isVisible());
    QTRY_VERIFY(list->view()->hasFocus());
    QTest::keyClick(list->view(), Qt::Key_Up);
    QVERIFY(heard(reading({u"biglobe(NEC)"_s})));
    QTest::keyClick(list->view(), Qt::Key_Return);
    QTRY_COMPARE(list->currentIndex(), 1);
    QTest::keyClick(list, Qt::Key_Up);
    QVERIFY(heard(reading({u"@nifty(富士通)"_s})));
}

void tst_InterfaceReader::menusSayTheirNameAndTheEntryLandedOn()
{
    QMainWindow window;
    auto* field = new QLineEdit;
    window.setCentralWidget(field);
    QMenu* file = window.menuBar()->addMenu(u"ファイル(&F)"_s);
    file->addAction(u"アカウントデータを読み込む(&O)..."_s);
    file->addSeparator();
    file->addAction(u"終了(&X)"_s);
    window.menuBar()->addMenu(u"編集(&E)"_s)->addAction(u"すべてクリア(&C)"_s);
    showActive(window);
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    mark();

    QTest::keyClick(field, Qt::Key_F, Qt::AltModifier);
    QVERIFY(heard(reading({u"ファイルのメニュー"_s, u"アカウントデータを読み込む"_s})));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
    QVERIFY(heard(reading({u"終了"_s})));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
    QVERIFY(heard(reading({u"編集のメニュー"_s, u"すべてクリア"_s})));
    // Closed, the menu leaves the user on its name in the bar.
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QVERIFY(heard(reading({u"編集のメニュー"_s})));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    QVERIFY(heard(reading({u"ファイルのメニュー"_s})));
}

void tst_InterfaceReader::fileDialogReadsItsControlsAndEntries()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkdir(u"sub"_s));
    for (const QString& name : {u"a.acd"_s, u"b.acd"_s}) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog(&m_own->window, u"アカウントデータを保存"_s);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({u"VORNIXアカウントデータ (*.acd)"_s, u"すべて (*)"_s});
    dialog.setDirectory(folder.path());
    showActive(dialog);
    QVERIFY(heard(reading({u"アカウントデータを保存"_s, u"ファイル名"_s + Sep + u"未登録"_s})));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(heard(reading({u"ファイルの種類"_s + Sep + u"VORNIXアカウントデータ (*.acd)"_s})));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(heard(reading({u"キャンセルのボタン"_s})));

    auto* files = dialog.findChild<QTreeView*>(u"treeView"_s);
    QVERIFY(files && files->isVisible());
    QTRY_COMPARE(files->model()->rowCount(files->rootIndex()), 3);
    files->setFocus(Qt::TabFocusReason);
    const QString name = files->accessibleName().isEmpty() ? u"ファイル"_s : files->accessibleName();
    QVERIFY(heard(reading({name + Sep + u"sub"_s + Sep + u"フォルダ"_s})));
    QTest::keyClick(files, Qt::Key_Down);
    QVERIFY(heard(reading({u"a.acd"_s})));
    QTest::keyClick(files, Qt::Key_Down);
    QVERIFY(heard(reading({u"b.acd"_s})));
}

void tst_InterfaceReader::stormsAndVanishedWidgetsSayOnlyWhereTheUserLands()
{
    // Thousands of rows, the current one moved over all of them in one go:
    // the row where it stops is read, once.
    QStandardItemModel model(5000, 1);
    for (int row = 0; row < model.rowCount(); ++row)
        model.setItem(row, new QStandardItem(QString::number(row)));
    QListView rows(&m_own->window);
    m_own->window.layout()->addWidget(&rows);
    rows.setModel(&model);
    rows.setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(rows.hasFocus());
    for (int row = 0; row < 1000; ++row)
        rows.setCurrentIndex(model.index(row, 0));
    QVERIFY(heard(reading({u"999"_s})));
    // More rows arriving below the current one are no move.
    model.insertRows(5000, 3000);
    QTest::keyClick(&rows, Qt::Key_Down);
    QVERIFY(heard(reading({u"1000"_s})));

    // A box shown and closed, or shown and destroyed, in one turn says nothing;
    // so does the focus on a button destroyed before the turn ends.
    {
        QMessageBox closed(QMessageBox::Warning, u"一"_s, u"一"_s, QMessageBox::Ok, &m_own->window);
        closed.show();
        closed.hide();
    }
    auto* destroyed =
        new QMessageBox(QMessageBox::Warning, u"二"_s, u"二"_s, QMessageBox::Ok, &m_own->window);
    destroyed->show();
    delete destroyed;
    // With no default button the focus arrives after the box is read: its
    // button goes on from the box's words without cutting them off.
    QMessageBox box(QMessageBox::Warning, u"三"_s, u"三"_s, QMessageBox::Ok | QMessageBox::Cancel,
                    &m_own->window);
    showActive(box);
    QVERIFY(heard(reading({u"三"_s, u"三"_s, u"OKのボタン"_s})));
    QAbstractButton* cancel = box.button(QMessageBox::Cancel);
    cancel->setFocus(Qt::TabFocusReason);
    delete cancel;
    QTest::keyClick(&box, Qt::Key_Tab);
    QVERIFY(heard(reading({u"OKのボタン"_s})));
}

QTEST_MAIN(tst_InterfaceReader)
#include "tst_interfacereader.moc"
