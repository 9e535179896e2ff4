#include "platform/qt/QtMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>

namespace {

// What a box showed while it was open.
struct Seen {
    bool opened = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QString labelText;
    Qt::TextFormat labelFormat = Qt::AutoText;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
    QMessageBox::StandardButton focusButton = QMessageBox::NoButton;
    QWidget* parent = nullptr;
    bool modal = false;
    QString yesText;
    // The safety timer had to close the box: the answer did not.
    bool forcedClosed = false;
};

QMessageBox::StandardButton standardOf(QMessageBox* box, QAbstractButton* button)
{
    return button ? box->standardButton(button) : QMessageBox::NoButton;
}

// Waits for the next modal message box, notes what it shows and answers it as
// the row says. Whatever happens, the box is closed within a few seconds so a
// failing check cannot leave the test stuck in exec().
void answerNextBox(Seen& seen, const QString& how)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    const QDeadlineTimer deadline(5000);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, &seen, how, deadline] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (deadline.hasExpired())
                timer->deleteLater();
            return;
        }
        timer->deleteLater();
        seen.opened = true;
        seen.icon = box->icon();
        seen.title = box->windowTitle();
        seen.text = box->text();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            seen.labelText = label->text();
            seen.labelFormat = label->textFormat();
        }
        seen.buttons = box->standardButtons();
        seen.defaultButton = standardOf(box, box->defaultButton());
        seen.escapeButton = standardOf(box, box->escapeButton());
        seen.focusButton = standardOf(box, qobject_cast<QAbstractButton*>(box->focusWidget()));
        seen.parent = box->parentWidget();
        seen.modal = box->isModal();
        if (QAbstractButton* yes = box->button(QMessageBox::Yes))
            seen.yesText = yes->text();

        // Keys go where the user's keys would: to the widget with the focus.
        QWidget* focus = box->focusWidget() ? box->focusWidget() : box;
        if (how == "enter")
            QTest::keyClick(focus, Qt::Key_Return);
        else if (how == "keypad enter")
            QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
        else if (how == "space")
            QTest::keyClick(focus, Qt::Key_Space);
        else if (how == "escape")
            QTest::keyClick(focus, Qt::Key_Escape);
        else if (how == "close")
            box->close();
        else if (how.startsWith("click "))
            box->button(how == "click yes" ? QMessageBox::Yes : how == "click no" ? QMessageBox::No : QMessageBox::Ok)
                ->click();

        QPointer<QMessageBox> guard(box);
        QTimer::singleShot(3000, [guard, &seen] {
            // Still open means exec() still runs, so seen is still there.
            if (guard) {
                seen.forcedClosed = true;
                guard->done(-1);
            }
        });
    });
    timer->start();
}

} // namespace

class tst_QtMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void question_data();
    void question();
    void error_data();
    void error();
    void japaneseButtons();
};

void tst_QtMessageBox::question_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("withParent");
    QTest::addColumn<int>("answer");

    const QString clear = QStringLiteral("現在の設定をクリアします。よろしいですか?");
    const QString clearTitle = QStringLiteral("すべてクリア");
    const int yes = int(MessageBox::Answer::Yes), no = int(MessageBox::Answer::No);
    QTest::newRow("enter") << clear << clearTitle << "enter" << true << yes;
    QTest::newRow("keypad enter") << clear << clearTitle << "keypad enter" << false << yes;
    QTest::newRow("space") << clear << clearTitle << "space" << true << yes;
    QTest::newRow("escape") << clear << clearTitle << "escape" << true << no;
    QTest::newRow("click yes") << clear << clearTitle << "click yes" << false << yes;
    QTest::newRow("click no") << clear << clearTitle << "click no" << true << no;
    QTest::newRow("closed") << clear << clearTitle << "close" << true << no;
    QTest::newRow("markup shown as typed")
        << QStringLiteral("<b>太字</b> &amp; <i>x</i>\n二行目") << QStringLiteral("<見出し> &") << "enter" << false
        << yes;
    QTest::newRow("blanks kept") << QStringLiteral("　全角空白 ") << QStringLiteral(" 題 ") << "escape" << false << no;
}

void tst_QtMessageBox::question()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, how);
    QFETCH(bool, withParent);
    QFETCH(int, answer);

    QWidget parent;
    if (withParent) {
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
    }
    Seen seen;
    answerNextBox(seen, how);
    const MessageBox::Answer got = QtMessageBox().question(withParent ? &parent : nullptr, text, title);

    QVERIFY(seen.opened);
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(seen.defaultButton, QMessageBox::Yes);
    QCOMPARE(seen.focusButton, QMessageBox::Yes);
    QCOMPARE(seen.escapeButton, QMessageBox::No);
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.labelText, text);
    QCOMPARE(seen.labelFormat, Qt::PlainText);
    QVERIFY(seen.modal);
    QCOMPARE(seen.parent, withParent ? &parent : nullptr);
    QCOMPARE(int(got), answer);
}

void tst_QtMessageBox::error_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("how");

    const QString write = QStringLiteral("アカウントデータの書き込みに失敗しました");
    const QString read = QStringLiteral("アカウントデータの読み込みに失敗しました");
    QTest::newRow("write, enter") << write << QStringLiteral("書き込みエラー") << "enter";
    QTest::newRow("read, escape") << read << QStringLiteral("読み込みエラー") << "escape";
    QTest::newRow("read, click") << read << QStringLiteral("読み込みエラー") << "click ok";
    QTest::newRow("write, closed") << write << QStringLiteral("書き込みエラー") << "close";
    QTest::newRow("markup") << QStringLiteral("<u>a.acd</u>") << QStringLiteral("x") << "enter";
}

void tst_QtMessageBox::error()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, how);

    Seen seen;
    answerNextBox(seen, how);
    QtMessageBox().error(nullptr, text, title);

    // Every way out ends the box itself, not the safety timeout.
    QVERIFY(!seen.forcedClosed);
    QVERIFY(seen.opened);
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(seen.defaultButton, QMessageBox::Ok);
    QCOMPARE(seen.focusButton, QMessageBox::Ok);
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.labelText, text);
    QCOMPARE(seen.labelFormat, Qt::PlainText);
    QVERIFY(seen.modal);
}

void tst_QtMessageBox::japaneseButtons()
{
    // The boxes use Qt's standard buttons, so the translation the program
    // loads is what the user reads and hears.
    QTranslator translator;
    if (!translator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QSKIP("Qt's Japanese translation (qt6-translations-l10n) is not installed");
    QCoreApplication::installTranslator(&translator);

    Seen seen;
    answerNextBox(seen, "enter");
    const MessageBox::Answer got = QtMessageBox().question(nullptr, QStringLiteral("t"), QStringLiteral("t"));
    QCoreApplication::removeTranslator(&translator);

    QCOMPARE(got, MessageBox::Answer::Yes);
    QVERIFY(seen.yesText.contains(QStringLiteral("はい")));
}

QTEST_MAIN(tst_QtMessageBox)
#include "tst_qtmessagebox.moc"
