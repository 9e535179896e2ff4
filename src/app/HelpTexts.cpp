#include "app/HelpTexts.h"

#include <QStringList>

namespace
{

QString joinParagraphs(const QStringList& paragraphs)
{
    return paragraphs.join(QStringLiteral("\r\n"));
}

// Paragraphs that several fields share; each field's help must read on its own,
// so the repetition is deliberate.
QString fromLineIntro()
{
    return QStringLiteral("メールの内部情報では");
}
QString fromLinePattern()
{
    return QStringLiteral("\u3000From: 差出人の名前\u3000<メールアドレス>\u3000");
}
QString confusableCharacters()
{
    return QStringLiteral("0(ゼロ)とo(オー)、1(イチ)やl(エル)などを間違えないように注意してください。");
}
QString serverNameForm()
{
    return QStringLiteral("サーバー名は、「mail.プロバイダ名.ne.jp」のように、"
                          "一般的にプロバイダの名前をあらわす形になっています。");
}
QString accountIssuedByPop()
{
    return QStringLiteral(
        "メールを受信するときは、POPサーバの発行するアカウント(権利)にしたがって本人を確認します。");
}
QString accountHasTwoParts()
{
    return QStringLiteral(
        "アカウントは、POPサーバーにログインするログインIDとパスワードのふたつがあります。");
}
QString wrongIdOrPassword()
{
    return QStringLiteral("メールIDやパスワードの設定を間違うとメールを受信することができません。");
}
QString idInProviderPapers()
{
    return QStringLiteral("メールIDは、プロバイダから送付される資料に記載されていますので、契約書や案内をよく"
                          "見ながら設定します。");
}

} // namespace

QString txtNameHelpText()
{
    return joinParagraphs({
        QStringLiteral("【差出人の名前】には、ヴォルニクスを使う使用者の名前を設定します。"),
        QStringLiteral(
            "ここに登録した名前は、メールを送信の際に、メールアドレスといっしょに相手に通知されます。"),
        QStringLiteral("メールを受け取った人は、この名前で誰からメールが来たのか判断できるようになります。"),
        QStringLiteral("国外とメールをやりとりする場合は、必ず半角ローマ字で設定します。"),
        fromLineIntro(),
        fromLinePattern(),
        QStringLiteral("という形でメールといっしょに送信されています。"),
    });
}

QString txtAddressHelpText()
{
    // The example lives under example.jp, which is reserved and can never
    // belong to a real mailbox.
    return joinParagraphs({
        QStringLiteral("【メールアドレス】は、世界共通のアドレスです。"),
        QStringLiteral("インターネット電子メールアドレス、または簡単にE-Mailアドレスといいます。"),
        QStringLiteral("メールアドレスは「名前@プロバイダ名」のように、"
                       "一般的に名前とプロバイダの名前を@(アットマーク)でつないだ形になっています。"),
        QStringLiteral("たとえば、プロバイダと契約した山田さんのメールアドレスは「yamada@example."
                       "jp」のようになります。"),
        QStringLiteral("メールアドレスは、契約したプロバイダから送付される資料に記載されていますので、契約書"
                       "や案内をよく見ながら設定します。"),
        fromLineIntro(),
        fromLinePattern(),
        QStringLiteral("という形で差出人の名前といっしょに送信されています。"),
        confusableCharacters(),
    });
}

QString txtPOPHelpText()
{
    return joinParagraphs({
        QStringLiteral("【POPサーバー】とは、メール受信のときに接続するサーバのことです。"),
        QStringLiteral("メールを受信するときには、ここで設定したコンピュータにインターネットで接続します。"),
        serverNameForm(),
        QStringLiteral("メールを受信するときは、サーバから発行されたアカウント(権利)"
                       "にしたがって、本人の認証をおこないます。"),
        QStringLiteral(
            "アカウントは、POPサーバにログインする、ログインIDとパスワードのセットになっています。"),
        QStringLiteral("POPサーバー名は、プロバイダから送付される資料に記載されていますので、契約書や案内をよ"
                       "く見ながら設定します。"),
        confusableCharacters(),
    });
}

QString txtSMTPHelpText()
{
    return joinParagraphs({
        QStringLiteral("【SMTPサーバー】とは、メール送信のときに接続するサーバのことです。"),
        QStringLiteral("メールを送信するときには、ここで設定したコンピュータにインターネットで接続します。"),
        serverNameForm(),
        QStringLiteral("メールを送信するときは、インターネットに接続するプロバイダを通して、そのプロバイダのS"
                       "MTPサーバーに接続します。"),
        QStringLiteral("インターネットに接続するプロバイダと、メール送信のプロバイダが異なる場合は、メールを"
                       "送信できずにエラーとなります。"),
        QStringLiteral("(POP before SMTP\u3000などの設定で送信できる場合もあります)"),
        QStringLiteral("SMTPサーバー名は、プロバイダから送付される資料に記載されていますので、契約書や案内を"
                       "よく見ながら設定します。"),
        confusableCharacters(),
    });
}

QString txtIDHelpText()
{
    return joinParagraphs({
        QStringLiteral("【メールID】とは、メール受信のときに必要な認証IDのことです。"),
        accountIssuedByPop(),
        accountHasTwoParts(),
        QStringLiteral(
            "このメールIDは、単に「アカウント」や「アカウント名」と表現されることがありますので注意します。"),
        wrongIdOrPassword(),
        idInProviderPapers(),
        confusableCharacters(),
    });
}

QString txtPWHelpText()
{
    return joinParagraphs({
        QStringLiteral("【メールパスワード】とは、メール受信のときに必要な認証パスワードのことです。"),
        accountIssuedByPop(),
        accountHasTwoParts(),
        wrongIdOrPassword(),
        idInProviderPapers(),
        QStringLiteral("「メールのパスワード」とインターネット接続の際の「ダイヤルアップパスワード」と間違わ"
                       "ないように注意してください。(同じ場合もあります)"),
        QStringLiteral("また、オンラインサインアップでプロバイダ契約をしたときは、正式なパスワードが、あとか"
                       "ら郵送されて来ますので注意してください。"),
        QStringLiteral("大文字や小文字、Qや9、0(ゼロ)とO(オー)とo(オー)、1(イチ)やl(エル)やI(エル)"
                       "などを間違えないように注意してください。"),
    });
}
