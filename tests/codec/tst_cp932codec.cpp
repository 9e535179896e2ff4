#include "codec/Cp932Codec.h"

#include <QtTest>

// Expected bytes are written out by hand from the Windows code page 932 table,
// not produced by any codec.
class tst_Cp932Codec : public QObject
{
    Q_OBJECT

private slots:
    void encodesWindowsTable_data();
    void encodesWindowsTable();
    void refusesUnencodable_data();
    void refusesUnencodable();
    void decodesWindowsTable_data();
    void decodesWindowsTable();
    void decodesInvalidBytesAsReplacement_data();
    void decodesInvalidBytesAsReplacement();
    void roundTrips_data();
    void roundTrips();
    void everyByteSequenceIsStable();
};

void tst_Cp932Codec::encodesWindowsTable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("ascii") << QStringLiteral("Smtp=mail.example.jp") << QByteArray("Smtp=mail.example.jp");
    QTest::newRow("backslash and tilde stay ascii") << QStringLiteral("\\~") << QByteArray("\x5C\x7E");
    QTest::newRow("hiragana") << QStringLiteral("あい") << QByteArray("\x82\xA0\x82\xA2");
    QTest::newRow("kanji") << QStringLiteral("漢字") << QByteArray("\x8A\xBF\x8E\x9A");
    QTest::newRow("fullwidth tilde") << QStringLiteral("\uFF5E") << QByteArray("\x81\x60");
    QTest::newRow("wave dash") << QStringLiteral("\u301C") << QByteArray("\x81\x60");
    QTest::newRow("minus sign") << QStringLiteral("\u2212") << QByteArray("\x81\x7C");
    QTest::newRow("circled one (NEC row 13)") << QStringLiteral("①") << QByteArray("\x87\x40");
    QTest::newRow("ibm kanji taka") << QStringLiteral("髙") << QByteArray("\xFB\xFC");
    QTest::newRow("halfwidth katakana") << QStringLiteral("ｱｲｳ") << QByteArray("\xB1\xB2\xB3");
    QTest::newRow("ideographic space") << QStringLiteral("\u3000") << QByteArray("\x81\x40");
    QTest::newRow("nul survives") << QString(QChar(0)) + u'a' << QByteArray("\0a", 2);
    QTest::newRow("mixed") << QStringLiteral("山田 太郎=①～")
                           << QByteArray("\x8E\x52\x93\x63\x20\x91\xBE\x98\x59\x3D\x87\x40\x81\x60");
}

void tst_Cp932Codec::encodesWindowsTable()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> encoded = Cp932Codec::encode(text);
    QVERIFY(encoded.has_value());
    QCOMPARE(*encoded, bytes);
}

void tst_Cp932Codec::refusesUnencodable_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("emoji") << QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("emoji inside text") << QString::fromUtf8("ab\xF0\x9F\x98\x80" "cd");
    QTest::newRow("private use U+F8F2") << QStringLiteral("x\uF8F2");
    QTest::newRow("replacement character") << QStringLiteral("a\uFFFD");
    QTest::newRow("latin a umlaut") << QStringLiteral("\u00E4");
    QTest::newRow("hangul") << QStringLiteral("\uD55C");
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + u'a';
    QTest::newRow("lone high surrogate at end") << QStringLiteral("a") + QChar(0xD83D);
    QTest::newRow("lone low surrogate") << QStringLiteral("a") + QChar(0xDE00);
    QTest::newRow("reversed pair") << QString(QChar(0xDE00)) + QChar(0xD83D);
}

void tst_Cp932Codec::refusesUnencodable()
{
    QFETCH(QString, text);
    QCOMPARE(Cp932Codec::encode(text), std::optional<QByteArray>());
}

void tst_Cp932Codec::decodesWindowsTable_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ascii with crlf") << QByteArray("[AccountSection]\r\n") << QStringLiteral("[AccountSection]\r\n");
    QTest::newRow("81 60 reads as fullwidth tilde") << QByteArray("\x81\x60") << QStringLiteral("\uFF5E");
    QTest::newRow("81 7C reads as fullwidth hyphen-minus") << QByteArray("\x81\x7C") << QStringLiteral("\uFF0D");
    QTest::newRow("87 40") << QByteArray("\x87\x40") << QStringLiteral("①");
    QTest::newRow("FB FC") << QByteArray("\xFB\xFC") << QStringLiteral("髙");
    QTest::newRow("NEC-selected EE E0") << QByteArray("\xEE\xE0") << QStringLiteral("髙");
    QTest::newRow("hiragana") << QByteArray("\x82\xA0\x82\xA2") << QStringLiteral("あい");
    QTest::newRow("halfwidth katakana") << QByteArray("\xB1") << QStringLiteral("ｱ");
    QTest::newRow("5C is a backslash") << QByteArray("\x5C") << QStringLiteral("\\");
    QTest::newRow("nul bytes") << QByteArray("\0\0", 2) << QString(2, QChar(0));
}

void tst_Cp932Codec::decodesWindowsTable()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Cp932Codec::decode(bytes), text);
}

void tst_Cp932Codec::decodesInvalidBytesAsReplacement_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("80") << QByteArray("a\x80z") << QStringLiteral("a\uFFFDz");
    QTest::newRow("A0") << QByteArray("a\xA0z") << QStringLiteral("a\uFFFDz");
    QTest::newRow("FD FE FF") << QByteArray("\xFD\xFE\xFF") << QStringLiteral("\uFFFD\uFFFD\uFFFD");
    QTest::newRow("lone lead byte at end") << QByteArray("ab\x82") << QStringLiteral("ab\uFFFD");
    QTest::newRow("only a lead byte") << QByteArray("\x82") << QStringLiteral("\uFFFD");
    QTest::newRow("lead byte before CR LF keeps the line end")
        << QByteArray("\x82\r\nSmtp=a") << QStringLiteral("\uFFFD\r\nSmtp=a");
    QTest::newRow("lead byte before = keeps the =") << QByteArray("Pop\x82=x") << QStringLiteral("Pop\uFFFD=x");
    QTest::newRow("unassigned pair with ascii trail") << QByteArray("\x85\x40") << QStringLiteral("\uFFFD@");
    QTest::newRow("unassigned pair with high trail") << QByteArray("\x85\x80z") << QStringLiteral("\uFFFDz");
    QTest::newRow("bad byte between good characters")
        << QByteArray("\x82\xA0\xFF\x82\xA2") << QStringLiteral("あ\uFFFDい");
    QTest::newRow("many bad bytes in a row") << QByteArray(1000, '\xFF') << QString(1000, QChar(0xFFFD));
}

void tst_Cp932Codec::decodesInvalidBytesAsReplacement()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(Cp932Codec::decode(bytes), text);
}

void tst_Cp932Codec::roundTrips_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("japanese account text") << QStringLiteral("山田 太郎 <taro@example.ne.jp>")
                                           << QStringLiteral("山田 太郎 <taro@example.ne.jp>");
    QTest::newRow("ibm and nec extensions") << QStringLiteral("①髙纊") << QStringLiteral("①髙纊");
    QTest::newRow("wave dash reads back as fullwidth tilde") << QStringLiteral("a\u301Cb")
                                                             << QStringLiteral("a\uFF5Eb");
    QTest::newRow("minus sign reads back as fullwidth hyphen-minus") << QStringLiteral("\u2212")
                                                                      << QStringLiteral("\uFF0D");
}

void tst_Cp932Codec::roundTrips()
{
    QFETCH(QString, text);
    QFETCH(QString, readBack);
    const std::optional<QByteArray> encoded = Cp932Codec::encode(text);
    QVERIFY(encoded.has_value());
    QCOMPARE(Cp932Codec::decode(*encoded), readBack);
    // The bytes, unlike the text, must survive a second trip unchanged.
    QCOMPARE(Cp932Codec::encode(readBack), encoded);
}

// Every single byte and every lead/trail pair: decoding yields something for
// each, and whatever decodes to encodable text encodes to bytes that are a
// fixed point of decode-then-encode.
void tst_Cp932Codec::everyByteSequenceIsStable()
{
    int encodablePairs = 0;
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = -1; trail < 256; ++trail) {
            QByteArray bytes(1, char(lead));
            if (trail >= 0)
                bytes.append(char(trail));
            const QString text = Cp932Codec::decode(bytes);
            QVERIFY2(!text.isEmpty(), bytes.toHex().constData());
            QVERIFY2(text.size() <= bytes.size(), bytes.toHex().constData());
            const std::optional<QByteArray> once = Cp932Codec::encode(text);
            if (!once) {
                QVERIFY2(text.contains(QChar(0xFFFD)), bytes.toHex().constData());
                continue;
            }
            if (trail >= 0 && text.size() == 1)
                ++encodablePairs;
            QCOMPARE(Cp932Codec::encode(Cp932Codec::decode(*once)), once);
        }
    }
    // CP932 has 7,915 double-byte characters plus 1,880 user-defined ones;
    // a decoder that lost most of the table would fall far short of this.
    QVERIFY2(encodablePairs > 9000, QByteArray::number(encodablePairs).constData());
}

QTEST_GUILESS_MAIN(tst_Cp932Codec)
#include "tst_cp932codec.moc"
