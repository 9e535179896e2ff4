#include "providers/NifIdCheck.h"

#include <QTest>

// The ID check decides whether the derivation may overwrite the user's ID
// field, so both false positives and false negatives cost the user.
class tst_NifIdCheck : public QObject
{
    Q_OBJECT

private slots:
    void mojiCheck_data();
    void mojiCheck();
    void nifIdCheck_data();
    void nifIdCheck();
};

void tst_NifIdCheck::mojiCheck_data()
{
    QTest::addColumn<QString>("c");
    QTest::addColumn<int>("expected");

    QTest::newRow("a") << "a" << 1;
    QTest::newRow("m") << "m" << 1;
    QTest::newRow("z") << "z" << 1;
    QTest::newRow("A") << "A" << 3;
    QTest::newRow("Q") << "Q" << 3;
    QTest::newRow("Z") << "Z" << 3;
    QTest::newRow("0") << "0" << 7;
    QTest::newRow("5") << "5" << 7;
    QTest::newRow("9") << "9" << 7;
    QTest::newRow("backquote just below a") << "`" << -99;
    QTest::newRow("brace just above z") << "{" << -99;
    QTest::newRow("at sign just below A") << "@" << -99;
    QTest::newRow("bracket just above Z") << "[" << -99;
    QTest::newRow("slash just below 0") << "/" << -99;
    QTest::newRow("colon just above 9") << ":" << -99;
    QTest::newRow("blank") << " " << -99;
    QTest::newRow("full-width a") << QStringLiteral("ａ") << -99;
    QTest::newRow("full-width A") << QStringLiteral("Ａ") << -99;
    QTest::newRow("full-width 1") << QStringLiteral("１") << -99;
    QTest::newRow("hiragana") << QStringLiteral("あ") << -99;
    QTest::newRow("latin small a with grave") << QStringLiteral("à") << -99;
    QTest::newRow("empty") << "" << -99;
}

void tst_NifIdCheck::mojiCheck()
{
    QFETCH(QString, c);
    QFETCH(int, expected);

    const QString before = c;
    int32_t code = 12345; // must be overwritten in every case
    MojiCheck(c, code);
    QCOMPARE(code, expected);
    QCOMPARE(c, before);
}

void tst_NifIdCheck::nifIdCheck_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("afterwards");

    QTest::newRow("three lower-case, five digits") << "abc12345" << 1 << "abc12345";
    QTest::newRow("blanks around are trimmed") << "  abc12345 " << 1 << "abc12345";
    QTest::newRow("three capitals") << "ABC12345" << 2 << "ABC12345";
    QTest::newRow("digit last of three") << "ab112345" << 2 << "ab112345";
    QTest::newRow("digit in the middle") << "a1b12345" << 2 << "a1b12345";
    QTest::newRow("digit first") << "1ab12345" << 2 << "1ab12345";
    QTest::newRow("mixed case") << "aBc12345" << 0 << "aBc12345";
    QTest::newRow("capital and digits") << "A1b12345" << 0 << "A1b12345";
    QTest::newRow("two digits") << "a1112345" << 0 << "a1112345";
    QTest::newRow("fourth character a letter") << "abcd1234" << 0 << "abcd1234";
    QTest::newRow("last character a letter") << "abc1234a" << 0 << "abc1234a";
    QTest::newRow("seven characters") << "ab12345" << 0 << "ab12345";
    QTest::newRow("nine characters") << "abc123456" << 0 << "abc123456";
    QTest::newRow("blank inside") << "ab c2345" << 0 << "ab c2345";
    QTest::newRow("full-width letter") << QStringLiteral("ａbc12345") << 0 << QStringLiteral("ａbc12345");
    QTest::newRow("full-width digit") << QStringLiteral("abc1234５") << 0 << QStringLiteral("abc1234５");
    QTest::newRow("tab is not trimmed") << "\tabc12345" << 0 << "\tabc12345";
    QTest::newRow("ideographic space is not trimmed")
        << QStringLiteral("\u3000abc12345") << 0 << QStringLiteral("\u3000abc12345");
    QTest::newRow("trimmed to seven") << " ab12345 " << 0 << "ab12345";
    QTest::newRow("blanks only") << "   " << 0 << "";
    QTest::newRow("empty") << "" << 0 << "";
}

void tst_NifIdCheck::nifIdCheck()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QFETCH(QString, afterwards);

    int32_t result = 77; // a stale value must not survive
    NifIdCheck(text, result);
    QCOMPARE(result, expected);
    QCOMPARE(text, afterwards);
}

QTEST_APPLESS_MAIN(tst_NifIdCheck)
#include "tst_nifidcheck.moc"
