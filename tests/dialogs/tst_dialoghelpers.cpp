#include "dialogs/DialogPlacement.h"
#include "dialogs/FlagCheckState.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

class tst_DialogHelpers : public QObject
{
    Q_OBJECT

private slots:
    void checkStateForFlag_data();
    void checkStateForFlag();
    void flagForCheckState_data();
    void flagForCheckState();
    void centreOver_data();
    void centreOver();
};

void tst_DialogHelpers::checkStateForFlag_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<Qt::CheckState>("state");
    QTest::addColumn<bool>("on");
    QTest::newRow("0") << 0 << Qt::Unchecked << false;
    QTest::newRow("1") << 1 << Qt::Checked << true;
    QTest::newRow("2") << 2 << Qt::PartiallyChecked << true;
    QTest::newRow("3") << 3 << Qt::Checked << true;
    QTest::newRow("-1") << -1 << Qt::Checked << true;
    QTest::newRow("min") << int(-2147483648LL) << Qt::Checked << true;
}

void tst_DialogHelpers::checkStateForFlag()
{
    QFETCH(int, flag);
    QFETCH(Qt::CheckState, state);
    QFETCH(bool, on);
    QCOMPARE(::checkStateForFlag(flag), state);
    QCOMPARE(isFlagOn(flag), on);
}

void tst_DialogHelpers::flagForCheckState_data()
{
    QTest::addColumn<int>("loaded");
    QTest::addColumn<Qt::CheckState>("state");
    QTest::addColumn<int>("stored");
    QTest::newRow("0 as shown") << 0 << Qt::Unchecked << 0;
    QTest::newRow("0 checked") << 0 << Qt::Checked << 1;
    QTest::newRow("1 as shown") << 1 << Qt::Checked << 1;
    QTest::newRow("1 unchecked") << 1 << Qt::Unchecked << 0;
    QTest::newRow("2 as shown") << 2 << Qt::PartiallyChecked << 2;
    QTest::newRow("2 checked") << 2 << Qt::Checked << 1;
    QTest::newRow("2 unchecked") << 2 << Qt::Unchecked << 0;
    QTest::newRow("9 as shown") << 9 << Qt::Checked << 9;
    QTest::newRow("9 unchecked") << 9 << Qt::Unchecked << 0;
    QTest::newRow("-4 as shown") << -4 << Qt::Checked << -4;
    QTest::newRow("0 third state") << 0 << Qt::PartiallyChecked << 2;
}

void tst_DialogHelpers::flagForCheckState()
{
    QFETCH(int, loaded);
    QFETCH(Qt::CheckState, state);
    QFETCH(int, stored);
    QCOMPARE(::flagForCheckState(loaded, state), stored);
}

void tst_DialogHelpers::centreOver_data()
{
    QTest::addColumn<QRect>("mainWindow"); // empty: no main window
    QTest::addColumn<QString>("where");
    QTest::newRow("middle of the main window") << QRect(150, 100, 500, 400) << "centred";
    QTest::newRow("main window off the left top") << QRect(-400, -300, 300, 200) << "topLeft";
    QTest::newRow("main window off the right bottom") << QRect(2000, 2000, 300, 200) << "bottomRight";
    QTest::newRow("no main window") << QRect() << "screen";
}

void tst_DialogHelpers::centreOver()
{
    QFETCH(QRect, mainWindow);
    QFETCH(QString, where);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.width() > 534 && screen.height() > 375);

    QWidget main;
    if (!mainWindow.isNull())
        main.setGeometry(mainWindow);
    QWidget dialog;
    dialog.setFixedSize(534, 375);
    ::centreOver(&dialog, mainWindow.isNull() ? nullptr : &main);
    const QRect placed = dialog.geometry();
    QCOMPARE(placed.size(), QSize(534, 375));

    if (where == u"centred") {
        QVERIFY((placed.center() - main.frameGeometry().center()).manhattanLength() <= 1);
    } else if (where == u"screen") {
        QVERIFY((placed.center() - screen.center()).manhattanLength() <= 1);
    } else if (where == u"topLeft") {
        QCOMPARE(placed.topLeft(), screen.topLeft());
    } else {
        QCOMPARE(placed.bottomRight(), screen.bottomRight());
    }
    QVERIFY(screen.contains(placed));
}

QTEST_MAIN(tst_DialogHelpers)
#include "tst_dialoghelpers.moc"
