#include "providers/AddressTypingAid.h"

#include <QTest>

// The typing aid rewrites what the user is typing, so a row that fires where
// it should not is as bad as one that does not fire.
class tst_AddressTypingAid : public QObject
{
    Q_OBJECT

private slots:
    void completes_data();
    void completes();
    void typesNormally_data();
    void typesNormally();
    void enterKey_data();
    void enterKey();
    void otherKeysPassThrough();
    void hyphenRowShape();
};

void tst_AddressTypingAid::completes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<QString>("completed");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");

    QTest::newRow("nifty") << "taro@nifty" << QChar(u'.') << "taro@nifty.com" << 11 << 3;
    QTest::newRow("nifty alone") << "@nifty" << QChar(u'.') << "@nifty.com" << 7 << 3;
    QTest::newRow("nifty after a second at sign") << "a@b@nifty" << QChar(u'.') << "a@b@nifty.com" << 10 << 3;
    QTest::newRow("OCN") << "taro@abc.ocn" << QChar(u'.') << "taro@abc.ocn.ne.jp" << 13 << 5;
    QTest::newRow("DION") << "taro@da.dion" << QChar(u'.') << "taro@da.dion.ne.jp" << 13 << 5;
    QTest::newRow("ODN") << "x@y.odn" << QChar(u'.') << "x@y.odn.ne.jp" << 8 << 5;
    QTest::newRow("So-net") << "x@y.so-net" << QChar(u'.') << "x@y.so-net.ne.jp" << 11 << 5;
    QTest::newRow("OCN with japanese local part")
        << QStringLiteral("○○○@△△△.ocn") << QChar(u'.') << QStringLiteral("○○○@△△△.ocn.ne.jp") << 12 << 5;
    QTest::newRow("hyphen row") << "taro@vnx" << QChar(u'-') << "taro@vnx-net.example.jp" << 9 << 14;
}

void tst_AddressTypingAid::completes()
{
    QFETCH(QString, text);
    QFETCH(QChar, typed);
    QFETCH(QString, completed);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);

    const AddressEdit atEnd{text, int(text.size()), 0};
    const auto result = completeAddress(atEnd, typed);
    QVERIFY(result.has_value());
    QCOMPARE(result->text, completed);
    QCOMPARE(result->selectionStart, selectionStart);
    QCOMPARE(result->selectionLength, selectionLength);
    // What stays unselected is exactly the typed key, so the field reads as
    // if the user had typed it.
    QCOMPARE(result->text.at(result->selectionStart - 1), typed);
    QCOMPARE(result->selectionStart + result->selectionLength, int(result->text.size()));

    const TypingAidAction action = typingAid(atEnd, typed);
    QCOMPARE(action.kind, TypingAidAction::Kind::ReplaceEdit);
    QCOMPARE(action.edit, *result);
}

void tst_AddressTypingAid::typesNormally_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<QChar>("typed");

    QTest::newRow("biglobe has no row") << "taro@mb1.biglobe" << 16 << 0 << QChar(u'.');
    QTest::newRow("no provider label") << "taro@abc" << 8 << 0 << QChar(u'.');
    QTest::newRow("empty field") << "" << 0 << 0 << QChar(u'.');
    QTest::newRow("caret in the middle") << "taro@nifty" << 4 << 0 << QChar(u'.');
    QTest::newRow("caret at start") << "taro@abc.ocn" << 0 << 0 << QChar(u'.');
    QTest::newRow("label selected at the end") << "taro@nifty" << 5 << 5 << QChar(u'.');
    QTest::newRow("label in capitals") << "taro@NIFTY" << 10 << 0 << QChar(u'.');
    QTest::newRow("label first letter capital") << "taro@Nifty" << 10 << 0 << QChar(u'.');
    QTest::newRow("OCN in capitals") << "taro@abc.OCN" << 12 << 0 << QChar(u'.');
    QTest::newRow("So-net first letter capital") << "taro@pb.So-net" << 14 << 0 << QChar(u'.');
    QTest::newRow("nifty needs the at sign") << "taro.nifty" << 10 << 0 << QChar(u'.');
    QTest::newRow("OCN needs a dot before") << "taro@ocn" << 8 << 0 << QChar(u'.');
    QTest::newRow("DION needs a dot before") << "taro@xdion" << 10 << 0 << QChar(u'.');
    QTest::newRow("already completed") << "taro@nifty.com" << 14 << 0 << QChar(u'.');
    QTest::newRow("hyphen after a provider label") << "taro@nifty" << 10 << 0 << QChar(u'-');
    QTest::newRow("dot after the hyphen row's tail") << "taro@vnx" << 8 << 0 << QChar(u'.');
    QTest::newRow("hyphen row in capitals") << "taro@VNX" << 8 << 0 << QChar(u'-');
    QTest::newRow("hyphen row needs the at sign") << "taro.vnx" << 8 << 0 << QChar(u'-');
    QTest::newRow("hyphen caret in the middle") << "taro@vnx" << 5 << 0 << QChar(u'-');
    QTest::newRow("full-width dot") << "taro@nifty" << 10 << 0 << QChar(u'．');
}

void tst_AddressTypingAid::typesNormally()
{
    QFETCH(QString, text);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    QFETCH(QChar, typed);

    const AddressEdit current{text, selectionStart, selectionLength};
    QVERIFY(!completeAddress(current, typed).has_value());
    QCOMPARE(typingAid(current, typed).kind, TypingAidAction::Kind::TypeNormally);
}

void tst_AddressTypingAid::enterKey_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionLength");
    QTest::addColumn<bool>("movesOn");

    QTest::newRow("empty field moves on") << "" << 0 << 0 << true;
    QTest::newRow("caret at end moves on") << "taro@nifty.com" << 14 << 0 << true;
    QTest::newRow("caret in the middle moves on") << "taro@nifty.com" << 3 << 0 << true;
    QTest::newRow("completion accepted") << "taro@nifty.com" << 11 << 3 << false;
    QTest::newRow("selection in the middle accepted") << "taro@abc.ocn.ne.jp" << 2 << 4 << false;
    QTest::newRow("whole text selected accepted") << "taro" << 0 << 4 << false;
}

void tst_AddressTypingAid::enterKey()
{
    QFETCH(QString, text);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionLength);
    QFETCH(bool, movesOn);

    const TypingAidAction action = typingAid({text, selectionStart, selectionLength}, QChar(u'\r'));
    if (movesOn) {
        QCOMPARE(action.kind, TypingAidAction::Kind::MoveToDerivation);
    } else {
        QCOMPARE(action.kind, TypingAidAction::Kind::ReplaceEdit);
        const AddressEdit expected{text, int(text.size()), 0};
        QCOMPARE(action.edit, expected);
    }
}

void tst_AddressTypingAid::otherKeysPassThrough()
{
    // Ordinary characters, also right after a provider label, are the field's.
    const AddressEdit atEnd{QStringLiteral("taro@nifty"), 10, 0};
    for (const QChar c : {QChar(u'c'), QChar(u'@'), QChar(u' '), QChar(u'\n'), QChar(u'あ')})
        QCOMPARE(typingAid(atEnd, c).kind, TypingAidAction::Kind::TypeNormally);
}

void tst_AddressTypingAid::hyphenRowShape()
{
    // The hyphen row: a four-character tail "@" plus three letters, and a
    // fifteen-character insert that starts with "-"; together a domain whose
    // first label is followed by a hyphen, under a domain reserved for examples.
    const QList<CompletionRow>& rows = completionRows();
    QList<CompletionRow> hyphenRows;
    for (const CompletionRow& row : rows) {
        if (row.key == QChar(u'-'))
            hyphenRows.append(row);
    }
    QCOMPARE(hyphenRows.size(), 1);
    const CompletionRow& row = hyphenRows.first();
    QCOMPARE(row.tail.size(), 4);
    QCOMPARE(row.tail.at(0), QChar(u'@'));
    for (int i = 1; i < 4; ++i)
        QVERIFY(row.tail.at(i).isLetter() && row.tail.at(i).unicode() < 0x80);
    QCOMPARE(row.insert.size(), 15);
    QVERIFY(row.insert.startsWith(QChar(u'-')));
    QVERIFY(row.insert.endsWith(QStringLiteral(".example.jp")));

    // The "." rows, in the order they are tried; biglobe has none.
    QStringList dotTails;
    for (const CompletionRow& r : rows) {
        if (r.key == QChar(u'.'))
            dotTails << r.tail;
    }
    QCOMPARE(dotTails, (QStringList{"@nifty", ".ocn", ".dion", ".odn", ".so-net"}));
}

QTEST_APPLESS_MAIN(tst_AddressTypingAid)
#include "tst_addresstypingaid.moc"
