#include "providers/ServerDerivation.h"

#include <QTest>

// The derivation writes three fields the user may already have filled, so
// every row checks all of them, including what it must leave alone.
class tst_ServerDerivation : public QObject
{
    Q_OBJECT

private slots:
    void derives_data();
    void derives();
    void unusable_data();
    void unusable();
    void splitsAtFirstAt_data();
    void splitsAtFirstAt();
};

namespace
{
constexpr int None = -1;
constexpr int Keep = int(ServerDerivation::IdAction::Keep);
constexpr int Set = int(ServerDerivation::IdAction::Set);
constexpr int Clear = int(ServerDerivation::IdAction::Clear);

const QString dionNotice = QStringLiteral("DIONの指定するアカウントを設定します");
} // namespace

void tst_ServerDerivation::derives_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("provider");
    QTest::addColumn<QString>("pop");
    QTest::addColumn<QString>("smtp");
    QTest::addColumn<int>("idAction");
    QTest::addColumn<QString>("id");

    // @nifty: fixed hosts, ID only from a local part of ID form.
    QTest::newRow("nifty ID form") << "abc12345@nifty.com" << 0 << "pop.nifty.com"
                                   << "smtp.nifty.com" << Set << "ABC12345";
    QTest::newRow("nifty ID with blanks around") << " abc12345 @nifty.com" << 0 << "pop.nifty.com"
                                                 << "smtp.nifty.com" << Set << "ABC12345";
    QTest::newRow("nifty ID capitals") << "XYZ98765@nifty.com" << 0 << "pop.nifty.com"
                                       << "smtp.nifty.com" << Set << "XYZ98765";
    QTest::newRow("nifty two letters and a digit") << "ab112345@nifty.com" << 0 << "pop.nifty.com"
                                                   << "smtp.nifty.com" << Set << "AB112345";
    QTest::newRow("nifty fourth character a letter") << "abcd1234@nifty.com" << 0 << "pop.nifty.com"
                                                     << "smtp.nifty.com" << Keep << "";
    QTest::newRow("nifty seven characters") << "ab12345@nifty.com" << 0 << "pop.nifty.com"
                                            << "smtp.nifty.com" << Keep << "";
    QTest::newRow("nifty mixed case") << "aBc12345@nifty.com" << 0 << "pop.nifty.com"
                                      << "smtp.nifty.com" << Keep << "";
    QTest::newRow("nifty alias") << "taro@nifty.com" << 0 << "pop.nifty.com"
                                 << "smtp.nifty.com" << Keep << "";
    QTest::newRow("nifty full-width digit") << QStringLiteral("abc1234５@nifty.com") << 0 << "pop.nifty.com"
                                            << "smtp.nifty.com" << Keep << "";
    QTest::newRow("nifty subdomain not recognised") << "taro@mail.nifty.com" << None << "mail.nifty.com"
                                                    << "mail.nifty.com" << Set << "taro";
    QTest::newRow("nifty in capitals not recognised") << "abc12345@NIFTY.COM" << None << "NIFTY.COM"
                                                      << "NIFTY.COM" << Set << "abc12345";
    QTest::newRow("nifty domain with trailing blank is not exact")
        << "abc12345@nifty.com " << None << "nifty.com "
        << "nifty.com " << Set << "abc12345";

    QTest::newRow("biglobe") << "hanako@mb1.biglobe.ne.jp" << 1 << "mail.biglobe.ne.jp"
                             << "mail.biglobe.ne.jp" << Set << "hanako";
    QTest::newRow("biglobe domain itself") << "hanako@biglobe.ne.jp" << 1 << "mail.biglobe.ne.jp"
                                           << "mail.biglobe.ne.jp" << Set << "hanako";

    QTest::newRow("OCN") << "taro@abc.ocn.ne.jp" << 2 << "abc.ocn.ne.jp"
                         << "abc.ocn.ne.jp" << Set << "taro";
    QTest::newRow("OCN capitals in member label") << "taro@ABC.ocn.ne.jp" << 2 << "ABC.ocn.ne.jp"
                                                  << "ABC.ocn.ne.jp" << Set << "taro";
    QTest::newRow("OCN domain in capitals not recognised") << "taro@abc.OCN.NE.JP" << None << "abc.OCN.NE.JP"
                                                           << "abc.OCN.NE.JP" << Set << "taro";
    QTest::newRow("OCN domain not at the end") << "taro@ocn.ne.jp.example" << 2 << "ocn.ne.jp.example"
                                               << "ocn.ne.jp.example" << Set << "taro";
    QTest::newRow("local part used untrimmed") << " taro @abc.ocn.ne.jp" << 2 << "abc.ocn.ne.jp"
                                               << "abc.ocn.ne.jp" << Set << " taro ";
    QTest::newRow("domain part used untrimmed") << "taro@ abc.ocn.ne.jp" << 2 << " abc.ocn.ne.jp"
                                                << " abc.ocn.ne.jp" << Set << "taro";

    // Only U+0020 makes a part blank; other white space is content.
    QTest::newRow("tab as local part") << "\t@abc.ocn.ne.jp" << 2 << "abc.ocn.ne.jp"
                                       << "abc.ocn.ne.jp" << Set << "\t";
    QTest::newRow("ideographic space as domain part")
        << QStringLiteral("taro@\u3000") << None << QStringLiteral("\u3000") << QStringLiteral("\u3000")
        << Set << "taro";

    QTest::newRow("DION d") << "taro@da.dion.ne.jp" << 3 << "pop.da.dion.ne.jp"
                            << "mail.da.dion.ne.jp" << Set << "taro";
    QTest::newRow("DION f") << "taro@fb.dion.ne.jp" << 3 << "pop.fb.dion.ne.jp"
                            << "mail.fb.dion.ne.jp" << Set << "taro";
    QTest::newRow("DION other letter") << "taro@ka.dion.ne.jp" << 3 << "pop.ka.dion.ne.jp"
                                       << "mail.ka.dion.ne.jp" << Set << dionNotice;
    QTest::newRow("DION capital D") << "taro@Da.dion.ne.jp" << 3 << "pop.Da.dion.ne.jp"
                                    << "mail.Da.dion.ne.jp" << Set << dionNotice;
    QTest::newRow("DION capital F") << "taro@Fb.dion.ne.jp" << 3 << "pop.Fb.dion.ne.jp"
                                    << "mail.Fb.dion.ne.jp" << Set << dionNotice;
    QTest::newRow("DION blank before d") << "taro@ da.dion.ne.jp" << 3 << "pop. da.dion.ne.jp"
                                         << "mail. da.dion.ne.jp" << Set << dionNotice;

    QTest::newRow("So-net") << "taro@pb.so-net.ne.jp" << 4 << "pop.pb.so-net.ne.jp"
                            << "mail.pb.so-net.ne.jp" << Set << "taro";

    QTest::newRow("ODN empties the ID") << "taro@xy.odn.ne.jp" << 5 << "xy.odn.ne.jp"
                                        << "xy.odn.ne.jp" << Clear << "";
    QTest::newRow("ODN even for an ID-like local part") << "abc12345@xy.odn.ne.jp" << 5 << "xy.odn.ne.jp"
                                                        << "xy.odn.ne.jp" << Clear << "";

    QTest::newRow("unrecognised") << "user@example.com" << None << "example.com"
                                  << "example.com" << Set << "user";

    // Two providers' domains in one domain part: the earlier row wins.
    QTest::newRow("OCN before ODN") << "a@x.odn.ne.jp.ocn.ne.jp" << 2 << "x.odn.ne.jp.ocn.ne.jp"
                                    << "x.odn.ne.jp.ocn.ne.jp" << Set << "a";
    QTest::newRow("biglobe before DION") << "a@dion.ne.jp.biglobe.ne.jp" << 1 << "mail.biglobe.ne.jp"
                                         << "mail.biglobe.ne.jp" << Set << "a";
    QTest::newRow("DION before So-net")
        << "a@d.so-net.ne.jp.dion.ne.jp" << 3 << "pop.d.so-net.ne.jp.dion.ne.jp"
        << "mail.d.so-net.ne.jp.dion.ne.jp" << Set << "a";

    // The domain part runs from the first "@" to the end.
    QTest::newRow("two at signs") << "taro@abc@xy.ocn.ne.jp" << 2 << "abc@xy.ocn.ne.jp"
                                  << "abc@xy.ocn.ne.jp" << Set << "taro";
    QTest::newRow("two at signs spoil the nifty match") << "abc12345@nifty.com@x" << None << "nifty.com@x"
                                                        << "nifty.com@x" << Set << "abc12345";

    // The sample addresses end with a blank; it reaches the server names.
    QTest::newRow("OCN sample address")
        << QStringLiteral("○○○@△△△.ocn.ne.jp ") << 2 << QStringLiteral("△△△.ocn.ne.jp ")
        << QStringLiteral("△△△.ocn.ne.jp ") << Set << QStringLiteral("○○○");
    QTest::newRow("DION sample address")
        << QStringLiteral("○○○@△△.dion.ne.jp ") << 3 << QStringLiteral("pop.△△.dion.ne.jp ")
        << QStringLiteral("mail.△△.dion.ne.jp ") << Set << dionNotice;
    QTest::newRow("So-net sample address")
        << QStringLiteral("○○○@△△.so-net.ne.jp ") << 4 << QStringLiteral("pop.△△.so-net.ne.jp ")
        << QStringLiteral("mail.△△.so-net.ne.jp ") << Set << QStringLiteral("○○○");
    QTest::newRow("ODN sample address")
        << QStringLiteral("○○○@△△.odn.ne.jp ") << 5 << QStringLiteral("△△.odn.ne.jp ")
        << QStringLiteral("△△.odn.ne.jp ") << Clear << "";
    QTest::newRow("nifty sample address") << QStringLiteral("○○○@nifty.com") << 0 << "pop.nifty.com"
                                          << "smtp.nifty.com" << Keep << "";
}

void tst_ServerDerivation::derives()
{
    QFETCH(QString, address);
    QFETCH(int, provider);
    QFETCH(QString, pop);
    QFETCH(QString, smtp);
    QFETCH(int, idAction);
    QFETCH(QString, id);

    const ServerDerivation result = deriveServers(address);
    QVERIFY(result.usable);
    QCOMPARE(result.provider.value_or(None), provider);
    QCOMPARE(result.pop, pop);
    QCOMPARE(result.smtp, smtp);
    QCOMPARE(int(result.idAction), idAction);
    if (idAction == Set)
        QCOMPARE(result.id, id);
}

void tst_ServerDerivation::unusable_data()
{
    QTest::addColumn<QString>("address");

    QTest::newRow("empty") << "";
    QTest::newRow("no at sign") << "taro.nifty.com";
    QTest::newRow("at sign only") << "@";
    QTest::newRow("empty local part") << "@nifty.com";
    QTest::newRow("blank local part") << "   @nifty.com";
    QTest::newRow("empty domain part") << "abc12345@";
    QTest::newRow("blank domain part") << "abc12345@  ";
    QTest::newRow("blanks around at sign only") << " @ ";
    QTest::newRow("full-width at sign is no at sign") << QStringLiteral("taro＠nifty.com");
}

void tst_ServerDerivation::unusable()
{
    QFETCH(QString, address);

    const ServerDerivation result = deriveServers(address);
    QVERIFY(!result.usable);
    QVERIFY(!result.provider.has_value());
    QVERIFY(result.pop.isEmpty());
    QVERIFY(result.smtp.isEmpty());
    QCOMPARE(result.idAction, ServerDerivation::IdAction::Keep);
}

void tst_ServerDerivation::splitsAtFirstAt_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("atPosition");
    QTest::addColumn<QString>("localPart");
    QTest::addColumn<QString>("domainPart");

    QTest::newRow("plain") << "taro@nifty.com" << 5 << "taro"
                           << "nifty.com";
    QTest::newRow("at first") << "@x" << 1 << ""
                              << "x";
    QTest::newRow("at last") << "taro@" << 5 << "taro"
                             << "";
    QTest::newRow("two at signs") << "a@b@c" << 2 << "a"
                                  << "b@c";
    QTest::newRow("none") << "taro" << 0 << ""
                          << "";
    QTest::newRow("japanese local part") << QStringLiteral("○○○@x") << 4 << QStringLiteral("○○○") << "x";
}

void tst_ServerDerivation::splitsAtFirstAt()
{
    QFETCH(QString, address);
    QFETCH(int, atPosition);
    QFETCH(QString, localPart);
    QFETCH(QString, domainPart);

    const AddressParts parts = splitAddress(address);
    QCOMPARE(int(parts.atPosition), atPosition);
    QCOMPARE(parts.localPart, localPart);
    QCOMPARE(parts.domainPart, domainPart);
}

QTEST_APPLESS_MAIN(tst_ServerDerivation)
#include "tst_serverderivation.moc"
