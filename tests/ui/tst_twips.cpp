#include "ui/Twips.h"

#include <QTest>

class tst_Twips : public QObject
{
    Q_OBJECT

private slots:
    void twipsToPixels_data();
    void twipsToPixels();
};

void tst_Twips::twipsToPixels_data()
{
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("exact 15") << 15 << 1;
    QTest::newRow("7 rounds down") << 7 << 0;
    QTest::newRow("8 rounds up") << 8 << 1;
    QTest::newRow("352") << 352 << 23;
    QTest::newRow("592") << 592 << 39;
    QTest::newRow("8010 dialog width") << 8010 << 534;
    QTest::newRow("5625 dialog height") << 5625 << 375;
    QTest::newRow("-8") << -8 << -1;
}

void tst_Twips::twipsToPixels()
{
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(fromTwips(twips), pixels);
    QCOMPARE(twipsRect(twips, 15, 30, twips), QRect(pixels, 1, 2, pixels));
}

QTEST_GUILESS_MAIN(tst_Twips)
#include "tst_twips.moc"
