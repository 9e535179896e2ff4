#include "providers/ProviderTable.h"

#include <QTest>

// Recognition decides which servers an address gets and which provider both
// lists show after a file is read: exact versus contains, letter case and the
// table order all matter.
class tst_ProviderTable : public QObject
{
    Q_OBJECT

private slots:
    void recognizes_data();
    void recognizes();
    void displayNamesFindTheirRow();
};

void tst_ProviderTable::recognizes_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<int>("expected"); // -1: none

    QTest::newRow("nifty exact") << "nifty.com" << 0;
    QTest::newRow("nifty subdomain") << "mail.nifty.com" << -1;
    QTest::newRow("nifty with trailing blank") << "nifty.com " << -1;
    QTest::newRow("nifty capitals") << "NIFTY.COM" << -1;
    QTest::newRow("biglobe exact") << "biglobe.ne.jp" << 1;
    QTest::newRow("biglobe member host") << "mb1.biglobe.ne.jp" << 1;
    QTest::newRow("ocn member host") << "abc.ocn.ne.jp" << 2;
    QTest::newRow("dion member host") << "da2.dion.ne.jp" << 3;
    QTest::newRow("so-net member host") << "pb3.so-net.ne.jp" << 4;
    QTest::newRow("odn member host") << "xx.odn.ne.jp" << 5;
    QTest::newRow("contained in the middle") << "a.ocn.ne.jp.example" << 2;
    QTest::newRow("member label in capitals") << "ABC.ocn.ne.jp" << 2;
    QTest::newRow("mail domain in capitals") << "abc.OCN.ne.jp" << -1;
    QTest::newRow("two providers: earlier wins") << "odn.ne.jp.ocn.ne.jp" << 2;
    QTest::newRow("two providers other way round") << "ocn.ne.jp.dion.ne.jp" << 2;
    QTest::newRow("unknown") << "example.jp" << -1;
    QTest::newRow("empty") << "" << -1;
}

void tst_ProviderTable::recognizes()
{
    QFETCH(QString, domain);
    QFETCH(int, expected);
    const std::optional<int> index = RecognizeProvider(domain);
    QCOMPARE(index.value_or(-1), expected);
}

void tst_ProviderTable::displayNamesFindTheirRow()
{
    const QStringList names{QStringLiteral("@nifty(富士通)"), QStringLiteral("biglobe(NEC)"),
                            QStringLiteral("OCN(NTT)"),       QStringLiteral("DION(KDDI)"),
                            QStringLiteral("So-net(SONY)"),   QStringLiteral("ODN(日本テレコム)")};
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(providerByDisplayName(names[i]).value_or(-1), i);
    QVERIFY(!providerByDisplayName(QStringLiteral("OCN")).has_value());
    QVERIFY(!providerByDisplayName(QStringLiteral("ocn(ntt)")).has_value());
}

QTEST_APPLESS_MAIN(tst_ProviderTable)
#include "tst_providertable.moc"
