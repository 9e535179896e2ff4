#include "ui/HookedWidget.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestHookedControl : public QObject
{
    Q_OBJECT

private slots:
    void releaseAllCutsTheWindowsHandlersOnly();
};

void TestHookedControl::releaseAllCutsTheWindowsHandlersOnly()
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

QTEST_MAIN(TestHookedControl)
#include "tst_hookedcontrol.moc"
