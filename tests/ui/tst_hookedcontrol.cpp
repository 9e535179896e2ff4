#include "ui/Hooked.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class tst_HookedControl : public QObject
{
    Q_OBJECT

private slots:
    void releaseAllCutsTheWindowsHandlersOnly();
    void lineEditTakesTheFocusWithoutMovingItsCaret();
};

void tst_HookedControl::releaseAllCutsTheWindowsHandlersOnly()
{
    QWidget window;
    auto* frame = new QWidget(&window);
    auto* edit = new Hooked<QLineEdit>(frame);
    auto* button = new Hooked<QPushButton>(&window);
    QWidget other;
    auto* elsewhere = new Hooked<QLineEdit>(&other);
    int calls = 0;
    for (HookedControl* control : std::initializer_list<HookedControl*>{edit, button, elsewhere}) {
        control->handlers.gotFocus = [&calls](Qt::FocusReason) { ++calls; };
        control->handlers.keyPress = [&calls](QKeyEvent*) { ++calls; return true; };
    }

    HookedControl::releaseAll(&window);

    QVERIFY(!edit->handlers.gotFocus && !edit->handlers.keyPress);
    QVERIFY(!button->handlers.gotFocus && !button->handlers.keyPress);
    QVERIFY(elsewhere->handlers.gotFocus && elsewhere->handlers.keyPress);
    // The control itself goes on working: the key reaches the line edit.
    QTest::keyClick(edit, Qt::Key_A);
    QCOMPARE(edit->text(), QStringLiteral("a"));
    QCOMPARE(calls, 0);
}

// A screen reader that sees the caret or the selection move just before the
// focus arrives says nothing of the field: the caret is at the start and
// nothing selected before a field gets the focus, by Tab or otherwise.
void tst_HookedControl::lineEditTakesTheFocusWithoutMovingItsCaret()
{
    QWidget window;
    auto* first = new Hooked<QLineEdit>(&window);
    auto* second = new Hooked<QLineEdit>(&window);
    second->move(0, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    first->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(first->hasFocus());
    second->setText(QStringLiteral("taro@example.com"));
    QCOMPARE(second->cursorPosition(), 0);
    QTest::keyClicks(first, QStringLiteral("Taro"));

    for (auto [from, to] : {std::pair{first, second}, std::pair{second, first}}) {
        QSignalSpy caret(to, &QLineEdit::cursorPositionChanged);
        QSignalSpy selection(to, &QLineEdit::selectionChanged);
        QTest::keyClick(from, Qt::Key_Tab);
        QTRY_VERIFY(to->hasFocus());
        QCOMPARE(caret.count(), 0);
        QCOMPARE(selection.count(), 0);
        QVERIFY(!to->hasSelectedText());
        QCOMPARE(to->cursorPosition(), 0);
    }
}

QTEST_MAIN(tst_HookedControl)
#include "tst_hookedcontrol.moc"
