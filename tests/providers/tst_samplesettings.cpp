#include "providers/ProviderTable.h"
#include "providers/SampleSettings.h"

#include <QTest>

// Every sample text is compared with its own copy here, written out in full,
// so a changed character, a lost trailing blank or a swapped order shows.
class tst_SampleSettings : public QObject
{
    Q_OBJECT

private slots:
    void samples_data();
    void samples();
    void outsideTableWritesNothing();
    void guidesSendMailToNoOne();
    void question();
    void overwritesInput_data();
    void overwritesInput();
};

namespace
{

using Row = QList<std::pair<QString, QString>>;

QString lines(const QStringList& l)
{
    return l.join(QStringLiteral("\r\n"));
}

Row niftyRow()
{
    return {
        {"txtName", QStringLiteral("ニフティ○太郎")},
        {"lblAddress", QStringLiteral("[ID形式] abc12345@nifty.com / [別名形式] taro@nifty.com")},
        {"txtAddress", QStringLiteral("○○○@nifty.com")},
        {"txtPOP", QStringLiteral("pop.nifty.com")},
        {"txtSMTP", QStringLiteral("smtp.nifty.com")},
        {"lblID", QStringLiteral("[@niftyID] アルファベット３桁＋数字５桁")},
        {"txtID", QStringLiteral("ABC12345")},
        {"txtPW", QStringLiteral("ここにパスワードを入力します")},
        {"txtGuide", lines({QStringLiteral("【注意】@niftyのメールアドレスには２つの形式があります "),
                            QStringLiteral("ID形式：@niftyID＋ドメイン名 abc12345@nifty.com"),
                            QStringLiteral("別名形式: 別名＋ドメイン名 taro@nifty.com"),
                            QStringLiteral("別名形式とは、@"
                                           "niftyのメールアドレスに、好きなアルファベットと一部の記号を含んだ"
                                           "メールアドレスを設定できるサービスです。"),
                            QStringLiteral("別名形式を使用するには、別名登録が必要です。詳しくは@"
                                           "niftyのホームページを参照して下さい。")})},
    };
}

Row biglobeRow()
{
    return {
        {"txtName", QStringLiteral("ビッグローブ○太郎")},
        {"lblAddress", QStringLiteral("[例] hanako@mb1.biglobe.ne.jp")},
        {"txtAddress", QStringLiteral("○○○@m**.biglobe.ne.jp")},
        {"lblPOP", QStringLiteral("[例] mail.biglobe.ne.jp (会員証の「メールサーバ」を参照)")},
        {"txtPOP", QStringLiteral("mail.biglobe.ne.jp")},
        {"lblSMTP", QStringLiteral("[例] mail.biglobe.ne.jp (会員証の「メールサーバ」を参照)")},
        {"txtSMTP", QStringLiteral("mail.biglobe.ne.jp")},
        {"lblID", QStringLiteral("[例] hanako (会員証の「メールアカウント」を参照)")},
        {"txtID", QStringLiteral("○○○")},
        {"lblPW", QStringLiteral("会員証の「（本）メールパスワード」を参照")},
        {"txtPW", QStringLiteral("ここにパスワードを入力します")},
        {"txtGuide",
         lines({QStringLiteral("biglobeのPOPサーバーとSMTPサーバーの設定は"),
                QStringLiteral("mail.biglobe.ne.jp です。詳しくは「会員証」を参照してください"),
                QStringLiteral("実際にテストメールを送ろう！(下のアドレスでテストしてみましょう！)"),
                QStringLiteral("ここにメールを送ると、数分後に自分のアドレスに返事がくる仕組みになっています"
                               "。(test@example.jp)")})},
    };
}

Row ocnRow()
{
    return {
        {"txtName", QStringLiteral("オーシーエヌ○太郎")},
        {"lblAddress", QStringLiteral("[設定例] taro@abc.ocn.ne.jp")},
        {"txtAddress", QStringLiteral("○○○@△△△.ocn.ne.jp ")},
        {"lblPOP", QStringLiteral("[設定例] abc.ocn.ne.jp")},
        {"txtPOP", QStringLiteral("△△△.ocn.ne.jp ")},
        {"lblSMTP", QStringLiteral("[設定例] abc.ocn.ne.jp")},
        {"txtSMTP", QStringLiteral("△△△.ocn.ne.jp ")},
        {"lblID", QStringLiteral("[設定例] taro ")},
        {"txtID", QStringLiteral("○○○")},
        {"txtPW", QStringLiteral("ここにパスワードを入力します")},
        {"txtGuide", lines({QStringLiteral("OCNの設定は、メールアドレス○○○@△△△.ocn.ne.jpの"),
                            QStringLiteral("@の左側「○○○」と、右側「△△△.ocn.ne.jp」を基本に設定します。"),
                            QStringLiteral("詳しくは、OCNのホームページを参照して下さい。")})},
    };
}

Row dionRow()
{
    return {
        {"txtName", QStringLiteral("ディオン○太郎")},
        {"lblAddress", QStringLiteral("[設定例] taro@da.dion.ne.jp")},
        {"txtAddress", QStringLiteral("○○○@△△.dion.ne.jp ")},
        {"lblPOP", QStringLiteral("[設定例] pop.da.dion.ne.jp")},
        {"txtPOP", QStringLiteral("pop.△△.dion.ne.jp")},
        {"lblSMTP", QStringLiteral("[設定例] mail.da.dion.ne.jp")},
        {"txtSMTP", QStringLiteral("mail.△△.dion.ne.jp")},
        {"lblID", QStringLiteral("[注意] メールアドレスによって設定方法が異なります")},
        {"txtID", QStringLiteral("○○○")},
        {"txtPW", QStringLiteral("ここにパスワードを入力します")},
        {"txtGuide", lines({QStringLiteral("【注意】DIONの設定は、メールアドレス○○○@△△.dion.ne.jpの"),
                            QStringLiteral("@の右側「△△」部分によって設定方法が異なります。"),
                            QStringLiteral("詳しくは、DIONのホームページを参照して下さい。")})},
    };
}

Row soNetRow()
{
    return {
        {"txtName", QStringLiteral("ソーネット○太郎")},
        {"lblAddress", QStringLiteral("[設定例] taro@pb.so-net.ne.jp")},
        {"txtAddress", QStringLiteral("○○○@△△.so-net.ne.jp ")},
        {"lblPOP", QStringLiteral("[設定例] pop.pb.so-net.ne.jp")},
        {"txtPOP", QStringLiteral("pop.△△.so-net.ne.jp")},
        {"lblSMTP", QStringLiteral("[設定例] mail.pb.so-net.ne.jp")},
        {"txtSMTP", QStringLiteral("mail.△△.so-net.ne.jp")},
        {"lblID", QStringLiteral("[設定例] taro")},
        {"txtID", QStringLiteral("○○○")},
        {"txtPW", QStringLiteral("ここにパスワードを入力します")},
        {"txtGuide",
         lines({QStringLiteral("So-netの設定は、メールアドレス○○○@△△△.so-net.ne.jpの"),
                QStringLiteral("@の左側「○○○」と、右側「△△△.so-net.ne.jp」を基本に設定します。"),
                QStringLiteral("POPサーバーとSMTPサーバーの設定には、pop.やmail.を付加します。"),
                QStringLiteral("ヴォルニクスでは、ポストペットとのペットのやりとりはできません。"),
                QStringLiteral("詳しくは、so-netのホームページを参照して下さい。")})},
    };
}

Row odnRow()
{
    return {
        {"txtName", QStringLiteral("テレコム○太郎")},
        {"lblAddress", QStringLiteral("ODN利用案内に記載の「電子メールアドレス」を設定")},
        {"txtAddress", QStringLiteral("○○○@△△.odn.ne.jp ")},
        {"lblPOP", QStringLiteral("ODN利用案内に記載の「POPサーバ名」を設定")},
        {"txtPOP", QStringLiteral("△△.odn.ne.jp")},
        {"lblSMTP", QStringLiteral("ODN利用案内に記載の「SMTPサーバ名」を設定")},
        {"txtSMTP", QStringLiteral("△△.odn.ne.jp")},
        {"lblID", QStringLiteral("ODN利用案内に記載の「メールID」を設定")},
        {"txtID", QStringLiteral("○○○")},
        {"lblPW", QStringLiteral("ODN利用案内に記載の「メールパスワード」を設定")},
        {"txtPW", QStringLiteral("ここにパスワードを入力します")},
        {"txtGuide",
         lines({QStringLiteral("ODNの設定は、「ODNサービスご利用のご案内」もしくは「ODNアプリケーションサービ"
                               "スご利用のご案内」に記載の内容をよく見て設定します。"),
                QStringLiteral("メールIDは接続IDと同じになっています。"),
                QStringLiteral("ニックネーム(メールエリアス)"
                               "の設定を行っている場合には、設定後の電子メールアドレスを入力します。"),
                QStringLiteral("詳しくは、ODNのホームページを参照して下さい。")})},
    };
}

} // namespace

Q_DECLARE_METATYPE(Row)

void tst_SampleSettings::samples_data()
{
    QTest::addColumn<int>("provider");
    QTest::addColumn<Row>("expected");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("guideLines");

    QTest::newRow("nifty") << 0 << niftyRow() << QStringLiteral("アットニフティ") << 5;
    QTest::newRow("biglobe") << 1 << biglobeRow() << QStringLiteral("ビッグローブ") << 4;
    QTest::newRow("OCN") << 2 << ocnRow() << QStringLiteral("OCN") << 3;
    QTest::newRow("DION") << 3 << dionRow() << QStringLiteral("ディオン") << 3;
    QTest::newRow("So-net") << 4 << soNetRow() << QStringLiteral("ソーネット") << 5;
    QTest::newRow("ODN") << 5 << odnRow() << QStringLiteral("ODN") << 4;
}

void tst_SampleSettings::samples()
{
    QFETCH(int, provider);
    QFETCH(Row, expected);
    QFETCH(QString, title);
    QFETCH(int, guideLines);

    const SampleSettings& sample = sampleSettings(provider);
    QCOMPARE(sample.title, title);

    // Target by target in order, so a failure names the field that differs.
    const qsizetype common = std::min(sample.assignments.size(), expected.size());
    for (qsizetype i = 0; i < common; ++i) {
        const SampleAssignment& actual = sample.assignments.at(i);
        QCOMPARE(sampleTargetObjectName(actual.target), expected.at(i).first);
        QCOMPARE(actual.value, expected.at(i).second);
    }
    QCOMPARE(sample.assignments.size(), expected.size());

    // The guide pane gets whole lines: CR LF between them, none at the end.
    const QString guide = sample.assignments.last().value;
    QCOMPARE(guide.split(QStringLiteral("\r\n")).size(), guideLines);
    QVERIFY(!guide.endsWith(QLatin1Char('\n')));
    QCOMPARE(guide.count(QLatin1Char('\n')), guide.count(QStringLiteral("\r\n")));
}

// A guide that tells the user to send a test mail names a mailbox under a
// domain reserved for examples: one made up at a real provider's domain would
// reach a stranger.
void tst_SampleSettings::guidesSendMailToNoOne()
{
    int found = 0;
    for (int provider = 0; provider < ProviderCount; ++provider) {
        const QString mailbox = providerTable()[provider].TestAddress;
        if (mailbox.isEmpty())
            continue;
        ++found;
        QVERIFY2(mailbox.endsWith(QLatin1String("@example.jp")), qPrintable(mailbox));
        QVERIFY(sampleSettings(provider).assignments.last().value.contains(mailbox));
    }
    QCOMPARE(found, 1);
}

void tst_SampleSettings::outsideTableWritesNothing()
{
    for (const int index : {-1, 6, 1000}) {
        const SampleSettings& sample = sampleSettings(index);
        QVERIFY(sample.assignments.isEmpty());
        QVERIFY(sample.title.isEmpty());
    }
}

void tst_SampleSettings::question()
{
    QCOMPARE(sampleOverwritePrompt(),
             QStringLiteral("設定例を読み込むと、現在の設定が上書きされます。よろしいですか?"));
    QCOMPARE(sampleOverwriteTitle(), QStringLiteral("すでに設定されている項目があります"));
}

void tst_SampleSettings::overwritesInput_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("asks");

    QTest::newRow("all empty") << QStringList{"", "", "", "", "", ""} << false;
    QTest::newRow("all blanks") << QStringList{" ", "   ", "", " ", "", "  "} << false;
    QTest::newRow("name set") << QStringList{"taro", "", "", "", "", ""} << true;
    QTest::newRow("password set") << QStringList{"", "", "", "", "", "x"} << true;
    QTest::newRow("blank then letter") << QStringList{"", "", " a ", "", "", ""} << true;
    QTest::newRow("ideographic space is not blank")
        << QStringList{"", QStringLiteral("\u3000"), "", "", "", ""} << true;
    QTest::newRow("tab is not blank") << QStringList{"", "", "", "\t", "", ""} << true;
}

void tst_SampleSettings::overwritesInput()
{
    QFETCH(QStringList, fields);
    QFETCH(bool, asks);

    QCOMPARE(sampleOverwritesInput(fields), asks);
}

QTEST_APPLESS_MAIN(tst_SampleSettings)
#include "tst_samplesettings.moc"
