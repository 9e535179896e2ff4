#include "account/LeadingNumber.h"

#include <QTest>

// The rule turns whatever a user or a hand-edited file put into a number
// field into a 32-bit value: these are the cases users really produce.
class tst_LeadingNumber : public QObject
{
    Q_OBJECT

private slots:
    void converts_data();
    void converts();
    void outOfRange_data();
    void outOfRange();
};

void tst_LeadingNumber::converts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters only") << "abc" << 0;
    QTest::newRow("blanks around") << " 110 " << 110;
    QTest::newRow("letters after") << "25abc" << 25;
    QTest::newRow("blanks between digits") << "5 8 7" << 587;
    QTest::newRow("tab and line feed ignored") << "\t1\n2" << 12;
    QTest::newRow("carriage return stops") << "1\r2" << 1;
    QTest::newRow("hex") << "&H4C" << 76;
    QTest::newRow("hex lower case") << "&h4c" << 76;
    QTest::newRow("hex stops at non-digit") << "&H1G" << 1;
    QTest::newRow("octal") << "&O17" << 15;
    QTest::newRow("octal stops at 8") << "&O18" << 1;
    QTest::newRow("ampersand alone") << "&" << 0;
    QTest::newRow("ampersand other letter") << "&X12" << 0;
    QTest::newRow("half rounds to even down") << "2.5" << 2;
    QTest::newRow("half rounds to even up") << "3.5" << 4;
    QTest::newRow("30.5") << "30.5" << 30;
    QTest::newRow("31.5") << "31.5" << 32;
    QTest::newRow("80.5") << "80.5" << 80;
    QTest::newRow("above half rounds up") << "2.51" << 3;
    QTest::newRow("leading point") << ".6" << 1;
    QTest::newRow("exponent") << "1e3" << 1000;
    QTest::newRow("exponent upper with sign") << "15E-1" << 2;
    QTest::newRow("exponent without digits ignored") << "7e" << 7;
    QTest::newRow("D exponent") << "2D2" << 200;
    QTest::newRow("minus sign") << "-42" << -42;
    QTest::newRow("plus sign") << "+42" << 42;
    QTest::newRow("sign then blank") << "- 5" << -5;
    QTest::newRow("negative half to even") << "-2.5" << -2;
    QTest::newRow("sign only") << "-" << 0;
    QTest::newRow("second sign stops") << "1-2" << 1;
    QTest::newRow("comma stops") << "1,000" << 1;
    QTest::newRow("full-width digits are not digits") << QStringLiteral("１２") << 0;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483648LL);
    QTest::newRow("rounds down into range") << "2147483647.4" << 2147483647;
    QTest::newRow("tiny exponent") << "1e-400" << 0;
    QTest::newRow("hex largest") << "&H7FFFFFFF" << 2147483647;
}

void tst_LeadingNumber::converts()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    const auto value = leadingNumber(text);
    QVERIFY2(value.has_value(), qPrintable(text));
    QCOMPARE(*value, expected);
}

void tst_LeadingNumber::outOfRange_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("eleven nines") << "99999999999";
    QTest::newRow("one above largest") << "2147483648";
    QTest::newRow("rounds up out of range") << "2147483647.5";
    QTest::newRow("below smallest") << "-2147483649";
    QTest::newRow("huge exponent") << "1e400";
    QTest::newRow("hex too large") << "&H80000000";
    QTest::newRow("long hex") << "&HFFFFFFFFFFFFFFFFFFFF";
    QTest::newRow("many digits") << QString(500, QLatin1Char('9'));
}

void tst_LeadingNumber::outOfRange()
{
    QFETCH(QString, text);
    QVERIFY(!leadingNumber(text).has_value());
}

QTEST_APPLESS_MAIN(tst_LeadingNumber)
#include "tst_leadingnumber.moc"
