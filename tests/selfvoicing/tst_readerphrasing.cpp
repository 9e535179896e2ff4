// The reader's wording, without any window.

#include "selfvoicing/ReaderPhrasing.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace
{
const QString Sep(QChar(0xF8F2));
}

class tst_ReaderPhrasing : public QObject
{
    Q_OBJECT

private slots:
    void captionsLoseTheirMarkers_data();
    void captionsLoseTheirMarkers();
    void wordsFollowTheAnnouncementPattern();
};

void tst_ReaderPhrasing::captionsLoseTheirMarkers_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("heard");
    QTest::newRow("key in brackets") << u"はい(&Y)"_s << u"はい"_s;
    QTest::newRow("accessible name keeps the brackets") << u"はい(Y)"_s << u"はい"_s;
    QTest::newRow("full-width brackets") << u"いいえ（&N）"_s << u"いいえ"_s;
    QTest::newRow("then an ellipsis") << u"アカウントデータを保存(&S)..."_s << u"アカウントデータを保存"_s;
    QTest::newRow("label with colon") << u"ファイル名(N):"_s << u"ファイル名"_s;
    QTest::newRow("marker inside a word") << u"&Open"_s << u"Open"_s;
    QTest::newRow("doubled ampersand is one") << u"A && B"_s << u"A & B"_s;
    QTest::newRow("shortcut after a tab") << u"元に戻す(&U)\tCtrl+Z"_s << u"元に戻す"_s;
    QTest::newRow("brackets that are no key stay") << u"@nifty(富士通)"_s << u"@nifty(富士通)"_s;
    QTest::newRow("a number in brackets mid-text stays") << u"A(1)B"_s << u"A(1)B"_s;
}

void tst_ReaderPhrasing::captionsLoseTheirMarkers()
{
    QFETCH(QString, caption);
    QFETCH(QString, heard);
    QCOMPARE(ReaderPhrasing::plainCaption(caption), heard);
}

void tst_ReaderPhrasing::wordsFollowTheAnnouncementPattern()
{
    QCOMPARE(ReaderPhrasing::button(u"はい(&Y)"_s), u"はいのボタン"_s);
    QCOMPARE(ReaderPhrasing::button(QString()), QString());
    QCOMPARE(ReaderPhrasing::menu(u"ファイル(&F)"_s), u"ファイルのメニュー"_s);
    QCOMPARE(ReaderPhrasing::field(u"ファイル名(&N):"_s, QString()), u"ファイル名"_s + Sep + u"未登録"_s);
    QCOMPARE(ReaderPhrasing::field(u"ファイル名(&N):"_s, u" "_s), u"ファイル名"_s + Sep + u" "_s);
    QCOMPARE(ReaderPhrasing::choice(u"ファイルの種類:"_s, u"すべて (*)"_s),
             u"ファイルの種類"_s + Sep + u"すべて (*)"_s);
    QCOMPARE(ReaderPhrasing::choice(QString(), u"すべて (*)"_s), u"すべて (*)"_s);
    QCOMPARE(ReaderPhrasing::list(u"ファイル"_s, QString()), u"ファイル"_s + Sep + u"項目なし"_s);
    QCOMPARE(ReaderPhrasing::entry(u"sub"_s, true), u"sub"_s + Sep + u"フォルダ"_s);
    QCOMPARE(ReaderPhrasing::entry(u"a.acd"_s, false), u"a.acd"_s);
    QCOMPARE(ReaderPhrasing::other(u"サイドバー"_s, u"サイドバー"_s), u"サイドバー"_s);
}

QTEST_APPLESS_MAIN(tst_ReaderPhrasing)
#include "tst_readerphrasing.moc"
