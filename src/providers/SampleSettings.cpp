#include "providers/SampleSettings.h"

#include "providers/ProviderTable.h"

#include <array>

namespace
{

using T = SampleTarget;

// Guide lines are joined by CR LF with none after the last, so the guide pane
// ends with the last line and a reader hears nothing after it.
QString guide(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

QString password()
{
    return QStringLiteral("ここにパスワードを入力します");
}

SampleSettings niftySample(const Provider& p)
{
    const QString domain = p.MailDomain;
    return {
        {
            {T::txtName, QStringLiteral("ニフティ○太郎")},
            {T::lblAddress,
             QStringLiteral("[ID形式] abc12345@") + domain + QStringLiteral(" / [別名形式] taro@") + domain},
            {T::txtAddress, QStringLiteral("○○○@") + domain},
            {T::txtPOP, p.PopHost},
            {T::txtSMTP, p.SmtpHost},
            {T::lblID, QStringLiteral("[@niftyID] アルファベット３桁＋数字５桁")},
            {T::txtID, QStringLiteral("ABC12345")},
            {T::txtPW, password()},
            {T::txtGuide, guide({
                              QStringLiteral("【注意】@niftyのメールアドレスには２つの形式があります "),
                              QStringLiteral("ID形式：@niftyID＋ドメイン名 abc12345@") + domain,
                              QStringLiteral("別名形式: 別名＋ドメイン名 taro@") + domain,
                              QStringLiteral("別名形式とは、@niftyのメールアドレスに、好きなアルファベットと"
                                             "一部の記号を含んだメールアドレスを設定できるサービスです。"),
                              QStringLiteral("別名形式を使用するには、別名登録が必要です。詳しくは@"
                                             "niftyのホームページを参照して下さい。"),
                          })},
        },
        p.KanaName};
}

SampleSettings biglobeSample(const Provider& p)
{
    const QString domain = p.MailDomain;
    const QString label = QString::fromUtf16(SampleHostLabel::Biglobe);
    const QString serverCaption =
        QStringLiteral("[例] ") + p.PopHost + QStringLiteral(" (会員証の「メールサーバ」を参照)");
    return {{
                {T::txtName, QStringLiteral("ビッグローブ○太郎")},
                {T::lblAddress, QStringLiteral("[例] hanako@") + label + QLatin1Char('.') + domain},
                {T::txtAddress, QStringLiteral("○○○@m**.") + domain},
                {T::lblPOP, serverCaption},
                {T::txtPOP, p.PopHost},
                {T::lblSMTP, serverCaption},
                {T::txtSMTP, p.SmtpHost},
                {T::lblID, QStringLiteral("[例] hanako (会員証の「メールアカウント」を参照)")},
                {T::txtID, QStringLiteral("○○○")},
                {T::lblPW, QStringLiteral("会員証の「（本）メールパスワード」を参照")},
                {T::txtPW, password()},
                {T::txtGuide,
                 guide({
                     QStringLiteral("biglobeのPOPサーバーとSMTPサーバーの設定は"),
                     p.PopHost + QStringLiteral(" です。詳しくは「会員証」を参照してください"),
                     QStringLiteral("実際にテストメールを送ろう！(下のアドレスでテストしてみましょう！)"),
                     QStringLiteral(
                         "ここにメールを送ると、数分後に自分のアドレスに返事がくる仕組みになっています。(") +
                         p.TestAddress + QLatin1Char(')'),
                 })},
            },
            p.KanaName};
}

SampleSettings ocnSample(const Provider& p)
{
    const QString domain = p.MailDomain;
    const QString label = QString::fromUtf16(SampleHostLabel::Ocn);
    const QString serverCaption = QStringLiteral("[設定例] ") + label + QLatin1Char('.') + domain;
    // The trailing blanks are the example's own; the server derivation keeps
    // them, which shows the user that blanks count.
    const QString server = QStringLiteral("△△△.") + domain + QLatin1Char(' ');
    return {{
                {T::txtName, QStringLiteral("オーシーエヌ○太郎")},
                {T::lblAddress, QStringLiteral("[設定例] taro@") + label + QLatin1Char('.') + domain},
                {T::txtAddress, QStringLiteral("○○○@△△△.") + domain + QLatin1Char(' ')},
                {T::lblPOP, serverCaption},
                {T::txtPOP, server},
                {T::lblSMTP, serverCaption},
                {T::txtSMTP, server},
                {T::lblID, QStringLiteral("[設定例] taro ")},
                {T::txtID, QStringLiteral("○○○")},
                {T::txtPW, password()},
                {T::txtGuide,
                 guide({
                     QStringLiteral("OCNの設定は、メールアドレス○○○@△△△.") + domain + QStringLiteral("の"),
                     QStringLiteral("@の左側「○○○」と、右側「△△△.") + domain +
                         QStringLiteral("」を基本に設定します。"),
                     QStringLiteral("詳しくは、OCNのホームページを参照して下さい。"),
                 })},
            },
            p.KanaName};
}

// DION and So-net put "pop." and "mail." before the domain part of the
// member's address; their examples show the address and servers alike.
QList<SampleAssignment> popAndMailRows(const QString& label, const QString& domain)
{
    const QString example = label + QLatin1Char('.') + domain;
    return {
        {T::lblAddress, QStringLiteral("[設定例] taro@") + example},
        {T::txtAddress, QStringLiteral("○○○@△△.") + domain + QLatin1Char(' ')},
        {T::lblPOP, QStringLiteral("[設定例] pop.") + example},
        {T::txtPOP, QStringLiteral("pop.△△.") + domain},
        {T::lblSMTP, QStringLiteral("[設定例] mail.") + example},
        {T::txtSMTP, QStringLiteral("mail.△△.") + domain},
    };
}

SampleSettings dionSample(const Provider& p)
{
    const QString domain = p.MailDomain;
    QList<SampleAssignment> rows{{T::txtName, QStringLiteral("ディオン○太郎")}};
    rows += popAndMailRows(QString::fromUtf16(SampleHostLabel::Dion), domain);
    rows += {
        {T::lblID, QStringLiteral("[注意] メールアドレスによって設定方法が異なります")},
        {T::txtID, QStringLiteral("○○○")},
        {T::txtPW, password()},
        {T::txtGuide, guide({
                          QStringLiteral("【注意】DIONの設定は、メールアドレス○○○@△△.") + domain +
                              QStringLiteral("の"),
                          QStringLiteral("@の右側「△△」部分によって設定方法が異なります。"),
                          QStringLiteral("詳しくは、DIONのホームページを参照して下さい。"),
                      })},
    };
    return {rows, p.KanaName};
}

SampleSettings soNetSample(const Provider& p)
{
    const QString domain = p.MailDomain;
    QList<SampleAssignment> rows{{T::txtName, QStringLiteral("ソーネット○太郎")}};
    rows += popAndMailRows(QString::fromUtf16(SampleHostLabel::SoNet), domain);
    rows += {
        {T::lblID, QStringLiteral("[設定例] taro")},
        {T::txtID, QStringLiteral("○○○")},
        {T::txtPW, password()},
        // The guide writes three triangles where the fields show two.
        {T::txtGuide,
         guide({
             QStringLiteral("So-netの設定は、メールアドレス○○○@△△△.") + domain + QStringLiteral("の"),
             QStringLiteral("@の左側「○○○」と、右側「△△△.") + domain + QStringLiteral("」を基本に設定します。"),
             QStringLiteral("POPサーバーとSMTPサーバーの設定には、pop.やmail.を付加します。"),
             QStringLiteral("ヴォルニクスでは、ポストペットとのペットのやりとりはできません。"),
             QStringLiteral("詳しくは、so-netのホームページを参照して下さい。"),
         })},
    };
    return {rows, p.KanaName};
}

SampleSettings odnSample(const Provider& p)
{
    const QString domain = p.MailDomain;
    return {{
                {T::txtName, QStringLiteral("テレコム○太郎")},
                {T::lblAddress, QStringLiteral("ODN利用案内に記載の「電子メールアドレス」を設定")},
                {T::txtAddress, QStringLiteral("○○○@△△.") + domain + QLatin1Char(' ')},
                {T::lblPOP, QStringLiteral("ODN利用案内に記載の「POPサーバ名」を設定")},
                {T::txtPOP, QStringLiteral("△△.") + domain},
                {T::lblSMTP, QStringLiteral("ODN利用案内に記載の「SMTPサーバ名」を設定")},
                {T::txtSMTP, QStringLiteral("△△.") + domain},
                {T::lblID, QStringLiteral("ODN利用案内に記載の「メールID」を設定")},
                {T::txtID, QStringLiteral("○○○")},
                {T::lblPW, QStringLiteral("ODN利用案内に記載の「メールパスワード」を設定")},
                {T::txtPW, password()},
                {T::txtGuide,
                 guide({
                     QStringLiteral("ODNの設定は、「ODNサービスご利用のご案内」もしくは"
                                    "「ODNアプリケーションサービスご利用のご案内」に"
                                    "記載の内容をよく見て設定します。"),
                     QStringLiteral("メールIDは接続IDと同じになっています。"),
                     QStringLiteral("ニックネーム(メールエリアス)"
                                    "の設定を行っている場合には、設定後の電子メールアドレスを入力します。"),
                     QStringLiteral("詳しくは、ODNのホームページを参照して下さい。"),
                 })},
            },
            p.KanaName};
}

std::array<SampleSettings, ProviderCount> buildSamples()
{
    const auto& table = providerTable();
    return {
        niftySample(table[ProviderIndex::Nifty]), biglobeSample(table[ProviderIndex::Biglobe]),
        ocnSample(table[ProviderIndex::Ocn]),     dionSample(table[ProviderIndex::Dion]),
        soNetSample(table[ProviderIndex::SoNet]), odnSample(table[ProviderIndex::Odn]),
    };
}

} // namespace

QString sampleTargetObjectName(SampleTarget target)
{
    switch (target) {
    case T::txtName:
        return QStringLiteral("txtName");
    case T::lblAddress:
        return QStringLiteral("lblAddress");
    case T::txtAddress:
        return QStringLiteral("txtAddress");
    case T::lblPOP:
        return QStringLiteral("lblPOP");
    case T::txtPOP:
        return QStringLiteral("txtPOP");
    case T::lblSMTP:
        return QStringLiteral("lblSMTP");
    case T::txtSMTP:
        return QStringLiteral("txtSMTP");
    case T::lblID:
        return QStringLiteral("lblID");
    case T::txtID:
        return QStringLiteral("txtID");
    case T::lblPW:
        return QStringLiteral("lblPW");
    case T::txtPW:
        return QStringLiteral("txtPW");
    case T::txtGuide:
        return QStringLiteral("txtGuide");
    }
    return QString();
}

const SampleSettings& sampleSettings(int providerIndex)
{
    static const std::array<SampleSettings, ProviderCount> samples = buildSamples();
    // An index from outside the table (a list without a selection) gets an
    // example that writes nothing rather than reading past the table.
    static const SampleSettings none;
    if (providerIndex < 0 || providerIndex >= ProviderCount)
        return none;
    return samples[std::size_t(providerIndex)];
}

QString sampleOverwritePrompt()
{
    return QStringLiteral("設定例を読み込むと、現在の設定が上書きされます。よろしいですか?");
}

QString sampleOverwriteTitle()
{
    return QStringLiteral("すでに設定されている項目があります");
}

bool sampleOverwritesInput(const QStringList& fieldTexts)
{
    for (const QString& text : fieldTexts) {
        for (const QChar c : text) {
            if (c != QLatin1Char(' '))
                return true;
        }
    }
    return false;
}
