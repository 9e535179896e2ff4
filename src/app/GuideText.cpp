#include "app/GuideText.h"

QString guideText()
{
    // Each line ends with CR LF, the last one included: the announcement
    // reads the text exactly as the pane was given it.
    return QStringLiteral(
        "このサポートソフトで作成した、アカウントデータ(拡張子ACD)は、ヴォルニクスで取り込むことができます。\r\n"
        "ヴォルニクスのサポート用にお役立て下さい。\r\n"
        "－－－－－－－－\r\n"
        "ヴォルニクスから、このアカウント情報を取り込むには、\r\n"
        "①プルダウンメニューから、環境(M)・メールアドレスの設定(C)を開きます。\r\n"
        "②TABキー数回押して、設定の読み込み(L)　のボタンを押します。\r\n"
        "③アカウントデータを取り込みます。\r\n"
        "－－－－－－－－\r\n"
        "注意:アカウントデータを取り込むと、現在のアカウントデータは上書きされてしまいます。\r\n");
}
