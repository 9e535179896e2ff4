#include "accessibility/TextBoundaries.h"

#include <QTest>

using Type = QAccessible::TextBoundaryType;
Q_DECLARE_METATYPE(TextSpan)

namespace
{
const Type allTypes[] = {QAccessible::CharBoundary,     QAccessible::WordBoundary,
                         QAccessible::SentenceBoundary, QAccessible::ParagraphBoundary,
                         QAccessible::LineBoundary,     QAccessible::NoBoundary};
}

class tst_TextBoundaries : public QObject
{
    Q_OBJECT

private slots:
    void everyOffsetOfEveryBoundary_data();
    void everyOffsetOfEveryBoundary();
    void wordsAsTheScreenReaderReadsThem_data();
    void wordsAsTheScreenReaderReadsThem();
};

void tst_TextBoundaries::everyOffsetOfEveryBoundary_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("two words") << QStringLiteral("Taro Hanako");
    QTest::newRow("spaces around") << QStringLiteral("  Taro  ");
    QTest::newRow("spaces only") << QStringLiteral("   ");
    QTest::newRow("address") << QStringLiteral("taro@example.jp");
    QTest::newRow("japanese") << QStringLiteral("差出人の名前は山田太郎です。メールアドレスは未登録。");
    QTest::newRow("sentences") << QStringLiteral("First one. Second one!  ");
    QTest::newRow("combining and surrogates") << QStringLiteral("e\u0301\U0001F600x");
}

// Whatever the text, the items of each kind lie side by side from the start
// to the end, each found from any of its offsets, and the end of the text
// belongs to the last one (an empty character there).
void tst_TextBoundaries::everyOffsetOfEveryBoundary()
{
    QFETCH(QString, text);
    const int length = int(text.size());
    for (Type type : allTypes) {
        const TextBoundaries items(text, type);
        const auto where = [&](int offset) {
            return QStringLiteral("type %1 offset %2").arg(type).arg(offset);
        };
        for (int offset = 0; offset <= length; ++offset) {
            const TextSpan at = items.at(offset);
            if (length == 0 || (offset == length && type == QAccessible::CharBoundary))
                QVERIFY2(at == TextSpan({offset, offset}), qPrintable(where(offset)));
            else
                QVERIFY2(at.start <= std::min(offset, length - 1) && std::min(offset, length - 1) < at.end &&
                             at.end <= length,
                         qPrintable(where(offset)));
            for (int inside = at.start; inside < at.end; ++inside)
                QVERIFY2(items.at(inside) == at, qPrintable(where(offset)));

            const TextSpan before = items.before(offset);
            QCOMPARE(before.end, at.start);
            if (before.start < before.end)
                QVERIFY2(items.at(before.start) == before, qPrintable(where(offset)));
            else
                QCOMPARE(before.start, 0);

            const TextSpan after = items.after(offset);
            QCOMPARE(after.start, std::max(at.end, at.start));
            if (after.start < after.end)
                QVERIFY2(items.at(after.start) == after, qPrintable(where(offset)));
            else
                QCOMPARE(after.end, length);
        }
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary ||
            type == QAccessible::NoBoundary)
            QCOMPARE(items.at(0), TextSpan({0, length}));
        QCOMPARE(items.at(-1), items.at(length));
        QCOMPARE(items.at(length + 1), TextSpan());
        QCOMPARE(items.before(-3), TextSpan());
    }
    // A character is what the user sees as one, never half a surrogate pair.
    if (text.startsWith(QStringLiteral("e\u0301"))) {
        QCOMPARE(TextBoundaries(text, QAccessible::CharBoundary).at(1), TextSpan({0, 2}));
        QCOMPARE(TextBoundaries(text, QAccessible::CharBoundary).at(3), TextSpan({2, 4}));
    }
}

void tst_TextBoundaries::wordsAsTheScreenReaderReadsThem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<TextSpan>>("wordAtEachOffset");
    const TextSpan taro{0, 5}, hanako{5, 11};
    QTest::newRow("two words") << QStringLiteral("Taro Hanako")
                               << QList<TextSpan>{taro,   taro,   taro,   taro,   taro,   hanako,
                                                  hanako, hanako, hanako, hanako, hanako, hanako};
    const TextSpan lead{0, 2}, word{2, 8};
    QTest::newRow("spaces around") << QStringLiteral("  Taro  ")
                                   << QList<TextSpan>{lead, lead, word, word, word, word, word, word, word};
    // Punctuation stays with the word before it.
    const TextSpan first{0, 6}, second{6, 13};
    QList<TextSpan> punctuated(14, second);
    std::fill_n(punctuated.begin(), 6, first);
    QTest::newRow("punctuation") << QStringLiteral("Taro, Hanako.") << punctuated;
}

void tst_TextBoundaries::wordsAsTheScreenReaderReadsThem()
{
    QFETCH(QString, text);
    QFETCH(QList<TextSpan>, wordAtEachOffset);
    const TextBoundaries words(text, QAccessible::WordBoundary);
    for (int offset = 0; offset <= text.size(); ++offset)
        QVERIFY2(words.at(offset) == wordAtEachOffset.at(offset), qPrintable(QString::number(offset)));
}

QTEST_APPLESS_MAIN(tst_TextBoundaries)
#include "tst_textboundaries.moc"
