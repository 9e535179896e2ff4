#include "app/HelpTexts.h"

#include <QTest>

// The help pane shows these texts as they are; a screen-reader user reads
// them line by line, so every character and every line break counts.
class tst_HelpTexts : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void fromLineSpacing();
    void serverParagraphShared();
    void exampleAddressCannotBeReal();
};

namespace
{

const QString confusable =
    QStringLiteral("0(ゼロ)とo(オー)、1(イチ)やl(エル)などを間違えないように注意してください。");

QStringList nameHelp()
{
    return {
        QStringLiteral("【差出人の名前】には、ヴォルニクスを使う使用者の名前を設定します。"),
        QStringLiteral(
            "ここに登録した名前は、メールを送信の際に、メールアドレスといっしょに相手に通知されます。"),
        QStringLiteral("メールを受け取った人は、この名前で誰からメールが来たのか判断できるようになります。"),
        QStringLiteral("国外とメールをやりとりする場合は、必ず半角ローマ字で設定します。"),
        QStringLiteral("メールの内部情報では"),
        QStringLiteral("　From: 差出人の名前　<メールアドレス>　"),
        QStringLiteral("という形でメールといっしょに送信されています。"),
    };
}

QStringList addressHelp()
{
    return {
        QStringLiteral("【メールアドレス】は、世界共通のアドレスです。"),
        QStringLiteral("インターネット電子メールアドレス、または簡単にE-Mailアドレスといいます。"),
        QStringLiteral("メールアドレスは「名前@プロバイダ名」のように、一般的に名前とプロバイダの名前を@("
                       "アットマーク)でつないだ形になっています。"),
        QStringLiteral("たとえば、プロバイダと契約した山田さんのメールアドレスは「yamada@example."
                       "jp」のようになります。"),
        QStringLiteral("メールアドレスは、契約したプロバイダから送付される資料に記載されていますので、契約書"
                       "や案内をよく見ながら設定します。"),
        QStringLiteral("メールの内部情報では"),
        QStringLiteral("　From: 差出人の名前　<メールアドレス>　"),
        QStringLiteral("という形で差出人の名前といっしょに送信されています。"),
        confusable,
    };
}

const QString serverForm =
    QStringLiteral("サーバー名は、「mail.プロバイダ名.ne."
                   "jp」のように、一般的にプロバイダの名前をあらわす形になっています。");

QStringList popHelp()
{
    return {
        QStringLiteral("【POPサーバー】とは、メール受信のときに接続するサーバのことです。"),
        QStringLiteral("メールを受信するときには、ここで設定したコンピュータにインターネットで接続します。"),
        serverForm,
        QStringLiteral("メールを受信するときは、サーバから発行されたアカウント(権利)"
                       "にしたがって、本人の認証をおこないます。"),
        QStringLiteral(
            "アカウントは、POPサーバにログインする、ログインIDとパスワードのセットになっています。"),
        QStringLiteral("POPサーバー名は、プロバイダから送付される資料に記載されていますので、契約書や案内をよ"
                       "く見ながら設定します。"),
        confusable,
    };
}

QStringList smtpHelp()
{
    return {
        QStringLiteral("【SMTPサーバー】とは、メール送信のときに接続するサーバのことです。"),
        QStringLiteral("メールを送信するときには、ここで設定したコンピュータにインターネットで接続します。"),
        serverForm,
        QStringLiteral("メールを送信するときは、インターネットに接続するプロバイダを通して、そのプロバイダのS"
                       "MTPサーバーに接続します。"),
        QStringLiteral("インターネットに接続するプロバイダと、メール送信のプロバイダが異なる場合は、メールを"
                       "送信できずにエラーとなります。"),
        QStringLiteral("(POP before SMTP　などの設定で送信できる場合もあります)"),
        QStringLiteral("SMTPサーバー名は、プロバイダから送付される資料に記載されていますので、契約書や案内を"
                       "よく見ながら設定します。"),
        confusable,
    };
}

QStringList idHelp()
{
    return {
        QStringLiteral("【メールID】とは、メール受信のときに必要な認証IDのことです。"),
        QStringLiteral(
            "メールを受信するときは、POPサーバの発行するアカウント(権利)にしたがって本人を確認します。"),
        QStringLiteral("アカウントは、POPサーバーにログインするログインIDとパスワードのふたつがあります。"),
        QStringLiteral(
            "このメールIDは、単に「アカウント」や「アカウント名」と表現されることがありますので注意します。"),
        QStringLiteral("メールIDやパスワードの設定を間違うとメールを受信することができません。"),
        QStringLiteral("メールIDは、プロバイダから送付される資料に記載されていますので、契約書や案内をよく見"
                       "ながら設定します。"),
        confusable,
    };
}

QStringList pwHelp()
{
    return {
        QStringLiteral("【メールパスワード】とは、メール受信のときに必要な認証パスワードのことです。"),
        QStringLiteral(
            "メールを受信するときは、POPサーバの発行するアカウント(権利)にしたがって本人を確認します。"),
        QStringLiteral("アカウントは、POPサーバーにログインするログインIDとパスワードのふたつがあります。"),
        QStringLiteral("メールIDやパスワードの設定を間違うとメールを受信することができません。"),
        QStringLiteral("メールIDは、プロバイダから送付される資料に記載されていますので、契約書や案内をよく見"
                       "ながら設定します。"),
        QStringLiteral("「メールのパスワード」とインターネット接続の際の「ダイヤルアップパスワード」と間違わ"
                       "ないように注意してください。(同じ場合もあります)"),
        QStringLiteral("また、オンラインサインアップでプロバイダ契約をしたときは、正式なパスワードが、あとか"
                       "ら郵送されて来ますので注意してください。"),
        QStringLiteral("大文字や小文字、Qや9、0(ゼロ)とO(オー)とo(オー)、1(イチ)やl(エル)やI(エル)"
                       "などを間違えないように注意してください。"),
    };
}

QStringList paragraphsOf(const QString& text)
{
    return text.split(QStringLiteral("\r\n"));
}

} // namespace

void tst_HelpTexts::texts_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QStringList>("paragraphs");

    QTest::newRow("txtName") << txtNameHelpText() << nameHelp();
    QTest::newRow("txtAddress") << txtAddressHelpText() << addressHelp();
    QTest::newRow("txtPOP") << txtPOPHelpText() << popHelp();
    QTest::newRow("txtSMTP") << txtSMTPHelpText() << smtpHelp();
    QTest::newRow("txtID") << txtIDHelpText() << idHelp();
    QTest::newRow("txtPW") << txtPWHelpText() << pwHelp();
}

void tst_HelpTexts::texts()
{
    QFETCH(QString, actual);
    QFETCH(QStringList, paragraphs);

    // Paragraph by paragraph first, so a failure names the one that differs.
    const QStringList actualParagraphs = paragraphsOf(actual);
    for (qsizetype i = 0; i < std::min(actualParagraphs.size(), paragraphs.size()); ++i)
        QCOMPARE(actualParagraphs.at(i), paragraphs.at(i));
    QCOMPARE(actualParagraphs.size(), paragraphs.size());

    QCOMPARE(actual, paragraphs.join(QStringLiteral("\r\n")));
    QVERIFY(!actual.startsWith(QLatin1Char('\r')));
    QVERIFY(!actual.endsWith(QLatin1Char('\n')));
    // No bare line feed or carriage return: only CR LF separates paragraphs.
    QCOMPARE(actual.count(QLatin1Char('\n')), paragraphs.size() - 1);
    QCOMPARE(actual.count(QLatin1Char('\r')), paragraphs.size() - 1);
}

void tst_HelpTexts::fromLineSpacing()
{
    // The From line pattern: ideographic spaces before "From:", before "<"
    // and at the end; an ASCII blank only after the colon.
    const QString fromLine = QString(QChar(0x3000)) + QStringLiteral("From: 差出人の名前") + QChar(0x3000) +
                             QStringLiteral("<メールアドレス>") + QChar(0x3000);
    for (const QString& text : {txtNameHelpText(), txtAddressHelpText()}) {
        QVERIFY(paragraphsOf(text).contains(fromLine));
        QCOMPARE(text.count(QChar(0x3000)), 3);
    }
    QCOMPARE(txtSMTPHelpText().count(QChar(0x3000)), 1);
    QVERIFY(txtSMTPHelpText().contains(QStringLiteral("POP before SMTP") + QChar(0x3000) +
                                       QStringLiteral("など")));
    for (const QString& text : {txtPOPHelpText(), txtIDHelpText(), txtPWHelpText()})
        QCOMPARE(text.count(QChar(0x3000)), 0);
}

void tst_HelpTexts::serverParagraphShared()
{
    const QStringList pop = paragraphsOf(txtPOPHelpText());
    const QStringList smtp = paragraphsOf(txtSMTPHelpText());
    QVERIFY(pop.size() > 2 && smtp.size() > 2);
    QCOMPARE(smtp.at(2), pop.at(2));

    // The password help repeats four paragraphs of the ID help.
    const QStringList id = paragraphsOf(txtIDHelpText());
    const QStringList pw = paragraphsOf(txtPWHelpText());
    QCOMPARE(pw.mid(1, 2), id.mid(1, 2));
    QCOMPARE(pw.mid(3, 2), id.mid(4, 2));
}

void tst_HelpTexts::exampleAddressCannotBeReal()
{
    // Any address the help shows must be under a domain reserved for
    // examples, so nobody mails a stranger by copying it.
    const QStringList all{txtNameHelpText(), txtAddressHelpText(), txtPOPHelpText(),
                          txtSMTPHelpText(), txtIDHelpText(),      txtPWHelpText()};
    const QRegularExpression address(QStringLiteral("[A-Za-z0-9._-]+@([A-Za-z0-9.-]+)"));
    int found = 0;
    for (const QString& text : all) {
        auto it = address.globalMatch(text);
        while (it.hasNext()) {
            const QString domain = it.next().captured(1);
            QVERIFY2(domain == QLatin1String("example.jp") || domain == QLatin1String("example.com"),
                     qPrintable(domain));
            ++found;
        }
    }
    QCOMPARE(found, 1);
}

QTEST_MAIN(tst_HelpTexts)
#include "tst_helptexts.moc"
