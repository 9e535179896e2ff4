#include "account/AcdFormat.h"

#include "AccountFixtures.h"

#include <QtTest>
#include <functional>
#include <limits>

Q_DECLARE_METATYPE(Acd)

// Expected files are spelled out byte by byte; CP932 bytes come from the
// Windows table by hand, not from the codec under test.
namespace {

const QByteArray defaultIntegerLines = QByteArrayLiteral("ReplyUser=0\r\n"
                                                         "SmtpPort=25\r\n"
                                                         "PopPort=110\r\n"
                                                         "PopStock=0\r\n"
                                                         "PopStockDays=3\r\n"
                                                         "PopWarning=0\r\n"
                                                         "PopWarningSize=300\r\n"
                                                         "LineLength=76\r\n"
                                                         "SmtpAttestationPop=0\r\n"
                                                         "PopAttestation=0\r\n");

Acd japaneseAccount()
{
    return fullAccount({QStringLiteral("テスト①"), QStringLiteral("mail.example.ne.jp"),
                        QStringLiteral("pop.example.ne.jp"), QStringLiteral("taro"), QStringLiteral("p=ss～"),
                        QStringLiteral("山田太郎"), QStringLiteral("taro@example.ne.jp"), QStringLiteral("〒髙橋")});
}

} // namespace

class tst_AcdFormat : public QObject
{
    Q_OBJECT

private slots:
    void formatsBytes_data();
    void formatsBytes();
    void refusesWhatCannotBeWritten_data();
    void refusesWhatCannotBeWritten();
    void titleRule_data();
    void titleRule();
    void readsLines_data();
    void readsLines();
    void readResetsPreviousRecord();
    void roundTripIsStable_data();
    void roundTripIsStable();
    void readsLargeInput();
};

void tst_AcdFormat::formatsBytes_data()
{
    QTest::addColumn<Acd>("acd");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("default record: eleven lines") << Acd{} << "[AccountSection]\r\n" + defaultIntegerLines;

    QTest::newRow("full japanese account")
        << japaneseAccount()
        << QByteArray("[AccountSection]\r\n"
                      "Title=\x83\x65\x83\x58\x83\x67\x87\x40\r\n"
                      "Smtp=mail.example.ne.jp\r\n"
                      "Pop=pop.example.ne.jp\r\n"
                      "PopUser=taro\r\n"
                      "Poppass=p=ss\x81\x60\r\n"
                      "FromName=\x8E\x52\x93\x63\x91\xBE\x98\x59\r\n"
                      "FromMail=taro@example.ne.jp\r\n"
                      "ReplyUser=1\r\n"
                      "SmtpPort=587\r\n"
                      "PopPort=995\r\n"
                      "PopStock=1\r\n"
                      "PopStockDays=14\r\n"
                      "PopWarning=1\r\n"
                      "PopWarningSize=1024\r\n"
                      "LineLength=72\r\n"
                      "SmtpAttestationPop=1\r\n"
                      "PopAttestation=1\r\n"
                      "ReplyMail=\x81\xA7\xFB\xFC\x8B\xB4\r\n");

    QTest::newRow("surrounding spaces trimmed")
        << accountWith([](Acd& a) { a.Smtp = QStringLiteral("  smtp.example.jp   "); })
        << "[AccountSection]\r\nSmtp=smtp.example.jp\r\n" + defaultIntegerLines;
    QTest::newRow("spaces-only fields write no line") << accountWith([](Acd& a) {
        a.Pop = QStringLiteral("   ");
        a.ReplyMail = QStringLiteral(" ");
    }) << "[AccountSection]\r\n" + defaultIntegerLines;
    QTest::newRow("password loses its trailing space")
        << accountWith([](Acd& a) { a.Poppass = QStringLiteral("secret "); })
        << "[AccountSection]\r\nPoppass=secret\r\n" + defaultIntegerLines;
    QTest::newRow("inner spaces kept") << accountWith([](Acd& a) { a.FromName = QStringLiteral(" a  b "); })
                                       << "[AccountSection]\r\nFromName=a  b\r\n" + defaultIntegerLines;
    QTest::newRow("ideographic space is not trimmed")
        << accountWith([](Acd& a) { a.Title = QStringLiteral("\u3000x\u3000"); })
        << "[AccountSection]\r\nTitle=\x81\x40x\x81\x40\r\n" + defaultIntegerLines;
    QTest::newRow("tab is not trimmed") << accountWith([](Acd& a) { a.PopUser = QStringLiteral("\tid"); })
                                        << "[AccountSection]\r\nPopUser=\tid\r\n" + defaultIntegerLines;
    QTest::newRow("= inside values") << accountWith([](Acd& a) {
        a.Poppass = QStringLiteral("a=b=");
        a.Title = QStringLiteral("=");
    }) << "[AccountSection]\r\nTitle==\r\nPoppass=a=b=\r\n" + defaultIntegerLines;
    QTest::newRow("ReplyMail comes after the integers")
        << accountWith([](Acd& a) { a.ReplyMail = QStringLiteral("r@example.jp"); })
        << "[AccountSection]\r\n" + defaultIntegerLines + "ReplyMail=r@example.jp\r\n";
    QTest::newRow("negative and extreme integers") << accountWith([](Acd& a) {
        a.ReplyUser = -1;
        a.SmtpPort = std::numeric_limits<int32_t>::min();
        a.PopPort = std::numeric_limits<int32_t>::max();
        a.PopWarning = 2;
    }) << QByteArray("[AccountSection]\r\n"
                     "ReplyUser=-1\r\n"
                     "SmtpPort=-2147483648\r\n"
                     "PopPort=2147483647\r\n"
                     "PopStock=0\r\n"
                     "PopStockDays=3\r\n"
                     "PopWarning=2\r\n"
                     "PopWarningSize=300\r\n"
                     "LineLength=76\r\n"
                     "SmtpAttestationPop=0\r\n"
                     "PopAttestation=0\r\n");
}

void tst_AcdFormat::formatsBytes()
{
    QFETCH(Acd, acd);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> formatted = formatAcd(acd);
    QVERIFY(formatted.has_value());
    QCOMPARE(*formatted, bytes);
}

void tst_AcdFormat::refusesWhatCannotBeWritten_data()
{
    QTest::addColumn<Acd>("acd");

    QTest::newRow("emoji in the sender name")
        << accountWith([](Acd& a) { a.FromName = QString::fromUtf8("Taro \xF0\x9F\x98\x80"); });
    QTest::newRow("private-use separator in the title")
        << accountWith([](Acd& a) { a.Title = QStringLiteral("a\uF8F2b"); });
    QTest::newRow("replacement character from a bad file")
        << accountWith([](Acd& a) { a.Poppass = QStringLiteral("x\uFFFD"); });
    QTest::newRow("bad character in ReplyMail")
        << accountWith([](Acd& a) { a.ReplyMail = QStringLiteral("\u00E4@example.jp"); });
    QTest::newRow("CR LF would inject a key") << accountWith([](Acd& a) {
        a.Title = QStringLiteral("t\r\nSmtpPort=1");
    });
    QTest::newRow("lone LF") << accountWith([](Acd& a) { a.Smtp = QStringLiteral("a\nb"); });
    QTest::newRow("lone CR") << accountWith([](Acd& a) { a.PopUser = QStringLiteral("a\rb"); });
}

void tst_AcdFormat::refusesWhatCannotBeWritten()
{
    QFETCH(Acd, acd);
    QCOMPARE(formatAcd(acd), std::optional<QByteArray>());
}

void tst_AcdFormat::titleRule_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("fromName");
    QTest::addColumn<QString>("expectedTitle");
    QTest::addColumn<QByteArray>("titleLine");

    QTest::newRow("empty title takes the sender name untrimmed")
        << QString() << QStringLiteral("  山田  ") << QStringLiteral("  山田  ")
        << QByteArray("Title=\x8E\x52\x93\x63\r\n");
    QTest::newRow("blank title counts as empty") << QStringLiteral("   ") << QStringLiteral("Taro")
                                                 << QStringLiteral("Taro") << QByteArray("Title=Taro\r\n");
    QTest::newRow("title kept when set") << QStringLiteral("Work") << QStringLiteral("Taro")
                                         << QStringLiteral("Work") << QByteArray("Title=Work\r\n");
    QTest::newRow("both empty: no title line") << QString() << QString() << QString() << QByteArray();
    QTest::newRow("blank sender name: blank title, no line")
        << QString() << QStringLiteral("  ") << QStringLiteral("  ") << QByteArray();
}

void tst_AcdFormat::titleRule()
{
    QFETCH(QString, title);
    QFETCH(QString, fromName);
    QFETCH(QString, expectedTitle);
    QFETCH(QByteArray, titleLine);

    Acd acd;
    acd.Title = title;
    acd.FromName = fromName;
    applyTitleRule(acd);
    QCOMPARE(acd.Title, expectedTitle);
    QCOMPARE(acd.FromName, fromName);

    const std::optional<QByteArray> bytes = formatAcd(acd);
    QVERIFY(bytes.has_value());
    const qsizetype headerEnd = bytes->indexOf("\r\n") + 2;
    QCOMPARE(bytes->mid(headerEnd, titleLine.size()), titleLine);
    QCOMPARE(bytes->count("Title="), titleLine.isEmpty() ? 0 : 1);
}

void tst_AcdFormat::readsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<Acd>("expected");

    QTest::newRow("empty file") << QByteArray() << true << Acd{};
    QTest::newRow("header and SmtpPort only")
        << QByteArray("[AccountSection]\r\nSmtpPort=587\r\n") << true
        << accountWith([](Acd& a) { a.SmtpPort = 587; });
    QTest::newRow("blanks around key, = and value")
        << QByteArray("  Smtp  =  mail.example.jp  \r\n") << true
        << accountWith([](Acd& a) { a.Smtp = QStringLiteral("mail.example.jp"); });
    QTest::newRow("lower-case key ignored") << QByteArray("  smtp  =  mail.example.jp  \r\n") << true << Acd{};
    QTest::newRow("key with a tab is another key") << QByteArray("\tSmtp=x\r\n") << true << Acd{};
    QTest::newRow("tab in value kept") << QByteArray("Smtp=\tx \r\n") << true
                                       << accountWith([](Acd& a) { a.Smtp = QStringLiteral("\tx"); });
    QTest::newRow("= inside the value") << QByteArray("Poppass= a=b = \r\n") << true
                                        << accountWith([](Acd& a) { a.Poppass = QStringLiteral("a=b ="); });
    QTest::newRow("empty integer is 0") << QByteArray("PopPort=\r\n") << true
                                        << accountWith([](Acd& a) { a.PopPort = 0; });
    QTest::newRow("letters are 0") << QByteArray("PopPort=abc\r\n") << true
                                   << accountWith([](Acd& a) { a.PopPort = 0; });
    QTest::newRow("number followed by letters") << QByteArray("SmtpPort=587abc\r\n") << true
                                                << accountWith([](Acd& a) { a.SmtpPort = 587; });
    QTest::newRow("80.5 rounds to even 80") << QByteArray("LineLength=80.5\r\n") << true
                                            << accountWith([](Acd& a) { a.LineLength = 80; });
    QTest::newRow("3.5 rounds to even 4") << QByteArray("PopStockDays=3.5\r\n") << true
                                          << accountWith([](Acd& a) { a.PopStockDays = 4; });
    QTest::newRow("negative integer") << QByteArray("ReplyUser=-12\r\n") << true
                                      << accountWith([](Acd& a) { a.ReplyUser = -12; });
    QTest::newRow("eleven nines fail after the lines before")
        << QByteArray("[AccountSection]\r\nTitle=t\r\nPopPort=1\r\nSmtpPort=99999999999\r\nPop=p\r\nLineLength=9\r\n")
        << false << accountWith([](Acd& a) {
               a.Title = QStringLiteral("t");
               a.PopPort = 1;
           });
    QTest::newRow("out of range on the first line leaves defaults")
        << QByteArray("PopWarningSize=-2147483649\r\nTitle=t\r\n") << false << Acd{};
    QTest::newRow("32-bit limits read") << QByteArray("ReplyUser=-2147483648\r\nPopPort=2147483647\r\n")
                                        << true << accountWith([](Acd& a) {
                                               a.ReplyUser = std::numeric_limits<int32_t>::min();
                                               a.PopPort = std::numeric_limits<int32_t>::max();
                                           });
    QTest::newRow("duplicate key: later wins") << QByteArray("Pop=first\r\nPop=second\r\nSmtpPort=1\r\nSmtpPort=2\r\n")
                                               << true << accountWith([](Acd& a) {
                                                      a.Pop = QStringLiteral("second");
                                                      a.SmtpPort = 2;
                                                  });
    QTest::newRow("no header") << QByteArray("Title=x\r\n") << true
                               << accountWith([](Acd& a) { a.Title = QStringLiteral("x"); });
    QTest::newRow("other sections read all the same")
        << QByteArray("[Other]\r\nTitle=x\r\n[AccountSection]\r\nPop=y\r\n") << true << accountWith([](Acd& a) {
               a.Title = QStringLiteral("x");
               a.Pop = QStringLiteral("y");
           });
    QTest::newRow("lines without = or key skipped") << QByteArray("junk\r\n\r\n=value\r\n Title \r\nPop=p")
                                                    << true
                                                    << accountWith([](Acd& a) { a.Pop = QStringLiteral("p"); });
    QTest::newRow("lone CR line ends") << QByteArray("Title=a\rPop=b\rSmtpPort=1\r") << true
                                       << accountWith([](Acd& a) {
                                              a.Title = QStringLiteral("a");
                                              a.Pop = QStringLiteral("b");
                                              a.SmtpPort = 1;
                                          });
    QTest::newRow("lone LF line ends") << QByteArray("Title=a\nPop=b\nSmtpPort=1") << true
                                       << accountWith([](Acd& a) {
                                              a.Title = QStringLiteral("a");
                                              a.Pop = QStringLiteral("b");
                                              a.SmtpPort = 1;
                                          });
    QTest::newRow("mixed line ends, LF CR is two ends") << QByteArray("Title=a\n\rPop=b\r\n\nSmtp=c\r\rPopUser=d")
                                                        << true << accountWith([](Acd& a) {
                                                               a.Title = QStringLiteral("a");
                                                               a.Pop = QStringLiteral("b");
                                                               a.Smtp = QStringLiteral("c");
                                                               a.PopUser = QStringLiteral("d");
                                                           });
    QTest::newRow("NUL inside a value kept") << QByteArray("Smtp=a\0b\r\n", 11) << true
                                             << accountWith([](Acd& a) { a.Smtp = QStringLiteral("a") + QChar(0) + u'b'; });
    QTest::newRow("NUL inside a key: no key") << QByteArray("Sm\0tp=x\r\n", 9) << true << Acd{};
    QTest::newRow("only NUL bytes") << QByteArray(4096, '\0') << true << Acd{};
    QTest::newRow("japanese values") << QByteArray("FromName=\x8E\x52\x93\x63\r\nPoppass=\x81\x60\r\n") << true
                                     << accountWith([](Acd& a) {
                                            a.FromName = QStringLiteral("山田");
                                            a.Poppass = QStringLiteral("\uFF5E");
                                        });
    QTest::newRow("ideographic spaces stay") << QByteArray("Title=\x81\x40x\x81\x40\r\n") << true
                                             << accountWith([](Acd& a) { a.Title = QStringLiteral("\u3000x\u3000"); });
    QTest::newRow("invalid CP932 becomes U+FFFD") << QByteArray("FromName=\x82\xA0\xFF\x80\r\nPop=p\r\n") << true
                                                  << accountWith([](Acd& a) {
                                                         a.FromName = QStringLiteral("あ\uFFFD\uFFFD");
                                                         a.Pop = QStringLiteral("p");
                                                     });
    QTest::newRow("lead byte before the line end keeps the next line")
        << QByteArray("FromName=\x82\r\nPop=p\r\n") << true << accountWith([](Acd& a) {
               a.FromName = QStringLiteral("\uFFFD");
               a.Pop = QStringLiteral("p");
           });
    QTest::newRow("lead byte before = keeps the =") << QByteArray("Title\x82=x\r\nSmtp\x82=y\r\n") << true << Acd{};
}

void tst_AcdFormat::readsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(Acd, expected);

    Acd acd;
    QCOMPARE(readAcdInto(bytes, acd), ok);
    QCOMPARE(acd.Title, expected.Title);
    QCOMPARE(acd.Smtp, expected.Smtp);
    QCOMPARE(acd.Pop, expected.Pop);
    QCOMPARE(acd.PopUser, expected.PopUser);
    QCOMPARE(acd.Poppass, expected.Poppass);
    QCOMPARE(acd.FromName, expected.FromName);
    QCOMPARE(acd.FromMail, expected.FromMail);
    QCOMPARE(acd.ReplyMail, expected.ReplyMail);
    // The remaining fields are the integers; one comparison covers them all.
    QVERIFY(acd == expected);
}

void tst_AcdFormat::readResetsPreviousRecord()
{
    Acd acd = japaneseAccount();
    QVERIFY(readAcdInto(QByteArray("[AccountSection]\r\nSmtpPort=587\r\n"), acd));
    Acd expected;
    expected.SmtpPort = 587;
    QVERIFY(acd == expected);

    // A failed read resets too: the record holds defaults plus what came before.
    acd = japaneseAccount();
    QVERIFY(!readAcdInto(QByteArray("Pop=x\r\nPopPort=1e10\r\n"), acd));
    expected = Acd{};
    expected.Pop = QStringLiteral("x");
    QVERIFY(acd == expected);
}

void tst_AcdFormat::roundTripIsStable_data()
{
    QTest::addColumn<Acd>("acd");
    QTest::addColumn<Acd>("readBack");

    QTest::newRow("default") << Acd{} << Acd{};
    QTest::newRow("japanese account") << japaneseAccount() << japaneseAccount();
    Acd padded = japaneseAccount();
    padded.Smtp = QStringLiteral("  s  ");
    padded.Pop = QStringLiteral("   ");
    padded.Title = QStringLiteral("a\u301Cb"); // wave dash: comes back as the fullwidth tilde
    padded.SmtpPort = -5;
    Acd paddedBack = padded;
    paddedBack.Smtp = QStringLiteral("s");
    paddedBack.Pop = QString();
    paddedBack.Title = QStringLiteral("a\uFF5Eb");
    QTest::newRow("trimmed and remapped") << padded << paddedBack;
}

void tst_AcdFormat::roundTripIsStable()
{
    QFETCH(Acd, acd);
    QFETCH(Acd, readBack);

    const std::optional<QByteArray> first = formatAcd(acd);
    QVERIFY(first.has_value());
    Acd read;
    QVERIFY(readAcdInto(*first, read));
    QVERIFY(read == readBack);
    QCOMPARE(formatAcd(read), first);
}

void tst_AcdFormat::readsLargeInput()
{
    // A 15 MB single line and a million short lines: a reader that copied the
    // rest of the input per line, or decoded everything up front per key,
    // would take minutes here.

    QByteArray oneLine = "Title=" + QByteArray(15 * 1024 * 1024 / 2, '\0').replace('\0', "\x82\xA0");
    Acd acd;
    QVERIFY(readAcdInto(oneLine, acd));
    QCOMPARE(acd.Title.size(), 15 * 1024 * 1024 / 2);
    QCOMPARE(acd.Title.front(), QChar(u'あ'));
    oneLine.clear();

    QByteArray manyLines;
    for (int i = 0; i < 1000000; ++i)
        manyLines += (i % 2 ? "Pop=p\r\n" : "junk\n");
    manyLines += "SmtpPort=7\r\n";
    QVERIFY(readAcdInto(manyLines, acd));
    QCOMPARE(acd.Pop, QStringLiteral("p"));
    QCOMPARE(acd.SmtpPort, 7);
}

QTEST_GUILESS_MAIN(tst_AcdFormat)
#include "tst_acdformat.moc"
