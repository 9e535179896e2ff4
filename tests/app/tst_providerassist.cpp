// The provider assistance as the user meets it in the main window: the typing
// aid in the address field, the derivation button and the worked examples.

#include "AppFixture.h"
#include "WindowControls.h"
#include "app/FormSupport.h"
#include "app/Program.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace
{

const QChar Sep(0xF8F2);
const QString Interrupt = u"Interrupt"_s;

QStringList said(const QString& text)
{
    return {Interrupt, u"Speak:"_s + text};
}

const QString Password = u"ここにパスワードを入力します"_s;

// The five hints as the window starts.
const QStringList StartHints = {
    u"完全なメールアドレスを記述します"_s, u"メールを受信するときに接続するアドレス"_s,
    u"メールを送信するときに接続するアドレス"_s, u"受信時(POPサーバ)のログインユーザ名 [アカウント名]"_s,
    u"受信時(POPサーバ)のログインパスワード"_s};

// What one worked example leaves in the window, written out in full.
struct Expected {
    QStringList fields; // txtName, txtAddress, txtPOP, txtSMTP, txtID, txtPW
    QStringList hints;  // lblAddress, lblPOP, lblSMTP, lblID, lblPW; empty: as at start
    QString guide;
    QString title;
};

QString hintOr(const QString& set, int index)
{
    return set.isEmpty() ? StartHints[index] : set;
}

const Expected& expectedSample(int provider)
{
    static const Expected rows[] = {
        {{u"ニフティ○太郎"_s, u"○○○@nifty.com"_s, u"pop.nifty.com"_s, u"smtp.nifty.com"_s, u"ABC12345"_s,
          Password},
         {u"[ID形式] abc12345@nifty.com / [別名形式] taro@nifty.com"_s, QString(), QString(),
          u"[@niftyID] アルファベット\uFF13桁\uFF0B数字\uFF15桁"_s, QString()},
         u"【注意】@niftyのメールアドレスには\uFF12つの形式があります \r\n"
         u"ID形式\uFF1A@niftyID\uFF0Bドメイン名 abc12345@nifty.com\r\n"
         u"別名形式: 別名\uFF0Bドメイン名 taro@nifty.com\r\n"
         u"別名形式とは、@"
         u"niftyのメールアドレスに、好きなアルファベットと一部の記号を含んだメールアドレスを設定できるサービ"
         u"スです。\r\n"
         u"別名形式を使用するには、別名登録が必要です。詳しくは@niftyのホームページを参照して下さい。"_s,
         u"アットニフティ"_s},
        {{u"ビッグローブ○太郎"_s, u"○○○@m**.biglobe.ne.jp"_s, u"mail.biglobe.ne.jp"_s,
          u"mail.biglobe.ne.jp"_s, u"○○○"_s, Password},
         {u"[例] hanako@mb1.biglobe.ne.jp"_s, u"[例] mail.biglobe.ne.jp (会員証の「メールサーバ」を参照)"_s,
          u"[例] mail.biglobe.ne.jp (会員証の「メールサーバ」を参照)"_s,
          u"[例] hanako (会員証の「メールアカウント」を参照)"_s,
          u"会員証の「\uFF08本\uFF09メールパスワード」を参照"_s},
         u"biglobeのPOPサーバーとSMTPサーバーの設定は\r\n"
         u"mail.biglobe.ne.jp です。詳しくは「会員証」を参照してください\r\n"
         u"実際にテストメールを送ろう\uFF01(下のアドレスでテストしてみましょう\uFF01)\r\n"
         u"ここにメールを送ると、数分後に自分のアドレスに返事がくる仕組みになっています。(test@example.jp)"_s,
         u"ビッグローブ"_s},
        {{u"オーシーエヌ○太郎"_s, u"○○○@△△△.ocn.ne.jp "_s, u"△△△.ocn.ne.jp "_s, u"△△△.ocn.ne.jp "_s, u"○○○"_s,
          Password},
         {u"[設定例] taro@abc.ocn.ne.jp"_s, u"[設定例] abc.ocn.ne.jp"_s, u"[設定例] abc.ocn.ne.jp"_s,
          u"[設定例] taro "_s, QString()},
         u"OCNの設定は、メールアドレス○○○@△△△.ocn.ne.jpの\r\n"
         u"@の左側「○○○」と、右側「△△△.ocn.ne.jp」を基本に設定します。\r\n"
         u"詳しくは、OCNのホームページを参照して下さい。"_s,
         u"OCN"_s},
        {{u"ディオン○太郎"_s, u"○○○@△△.dion.ne.jp "_s, u"pop.△△.dion.ne.jp"_s, u"mail.△△.dion.ne.jp"_s,
          u"○○○"_s, Password},
         {u"[設定例] taro@da.dion.ne.jp"_s, u"[設定例] pop.da.dion.ne.jp"_s, u"[設定例] mail.da.dion.ne.jp"_s,
          u"[注意] メールアドレスによって設定方法が異なります"_s, QString()},
         u"【注意】DIONの設定は、メールアドレス○○○@△△.dion.ne.jpの\r\n"
         u"@の右側「△△」部分によって設定方法が異なります。\r\n"
         u"詳しくは、DIONのホームページを参照して下さい。"_s,
         u"ディオン"_s},
        {{u"ソーネット○太郎"_s, u"○○○@△△.so-net.ne.jp "_s, u"pop.△△.so-net.ne.jp"_s,
          u"mail.△△.so-net.ne.jp"_s, u"○○○"_s, Password},
         {u"[設定例] taro@pb.so-net.ne.jp"_s, u"[設定例] pop.pb.so-net.ne.jp"_s,
          u"[設定例] mail.pb.so-net.ne.jp"_s, u"[設定例] taro"_s, QString()},
         u"So-netの設定は、メールアドレス○○○@△△△.so-net.ne.jpの\r\n"
         u"@の左側「○○○」と、右側「△△△.so-net.ne.jp」を基本に設定します。\r\n"
         u"POPサーバーとSMTPサーバーの設定には、pop.やmail.を付加します。\r\n"
         u"ヴォルニクスでは、ポストペットとのペットのやりとりはできません。\r\n"
         u"詳しくは、so-netのホームページを参照して下さい。"_s,
         u"ソーネット"_s},
        {{u"テレコム○太郎"_s, u"○○○@△△.odn.ne.jp "_s, u"△△.odn.ne.jp"_s, u"△△.odn.ne.jp"_s, u"○○○"_s,
          Password},
         {u"ODN利用案内に記載の「電子メールアドレス」を設定"_s, u"ODN利用案内に記載の「POPサーバ名」を設定"_s,
          u"ODN利用案内に記載の「SMTPサーバ名」を設定"_s, u"ODN利用案内に記載の「メールID」を設定"_s,
          u"ODN利用案内に記載の「メールパスワード」を設定"_s},
         u"ODNの設定は、「ODNサービスご利用のご案内」もしくは「ODNアプリケーションサービスご利用のご案内」に"
         u"記載の内容をよく見て設定します。\r\n"
         u"メールIDは接続IDと同じになっています。\r\n"
         u"ニックネーム(メールエリアス)"
         u"の設定を行っている場合には、設定後の電子メールアドレスを入力します。\r\n"
         u"詳しくは、ODNのホームページを参照して下さい。"_s,
         u"ODN"_s},
    };
    return rows[provider];
}

QStringList fieldTexts(const WindowControls& ui)
{
    return {ui.edit("txtName")->text(), ui.edit("txtAddress")->text(), ui.edit("txtPOP")->text(),
            ui.edit("txtSMTP")->text(), ui.edit("txtID")->text(),      ui.edit("txtPW")->text()};
}

QStringList hintTexts(const WindowControls& ui)
{
    return {ui.label("lblAddress")->text(), ui.label("lblPOP")->text(), ui.label("lblSMTP")->text(),
            ui.label("lblID")->text(), ui.label("lblPW")->text()};
}

} // namespace

class tst_ProviderAssist : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // The typing aid, driven by real keys.
    void completion_data();
    void completion();
    void typingOnReplacesCompletion();
    void dotInTheMiddleIsPlain();
    void enterAcceptsThenMovesToButton();
    void enterWithoutSelectionMovesToButton();

    // The derivation button.
    void derivation_data();
    void derivation();
    void derivationWithoutProviderKeepsLists();

    void wholeRoadOfOneAccount();

    // Worked examples.
    void sampleOnBlankForm_data();
    void sampleOnBlankForm();
    void sampleGuideIsSpokenAsSet();
    void spacesOnlyFieldsAskNothing();
    void questionYesApplies();
    void questionNoChangesNothing();
    void noProviderDoesNothing();
    void captionsOutliveOtherSamplesAndClearAll();

private:
    void loadSample(int provider);

    std::unique_ptr<AppFixture> m_app;
    FormSupport* f = nullptr;
    WindowControls ui() const { return WindowControls(f); }
};

void tst_ProviderAssist::init()
{
    m_app = std::make_unique<AppFixture>();
    QVERIFY(m_app->start());
    f = &m_app->form();
    m_app->clearCalls();
}

void tst_ProviderAssist::cleanup()
{
    f = nullptr;
    m_app.reset();
}

// Chooses the provider in the upper list and presses the button by keyboard.
void tst_ProviderAssist::loadSample(int provider)
{
    ui().list("Combo1")->setCurrentIndex(provider);
    m_app->focusAndForget(ui().button("Command1"));
    AppFixture::key(Qt::Key_Return);
    QTRY_COMPARE(AppFixture::focusName(), u"txtName"_s);
}

void tst_ProviderAssist::completion_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("selected");

    QTest::newRow("@nifty") << u"abc12345@nifty."_s << u"abc12345@nifty.com"_s << u"com"_s;
    QTest::newRow("OCN") << u"taro@xy.ocn."_s << u"taro@xy.ocn.ne.jp"_s << u"ne.jp"_s;
    QTest::newRow("DION") << u"taro@da.dion."_s << u"taro@da.dion.ne.jp"_s << u"ne.jp"_s;
    QTest::newRow("ODN") << u"taro@ab.odn."_s << u"taro@ab.odn.ne.jp"_s << u"ne.jp"_s;
    // So-net's label itself holds the hyphen the "-" row listens for.
    QTest::newRow("So-net") << u"taro@pb.so-net."_s << u"taro@pb.so-net.ne.jp"_s << u"ne.jp"_s;
    QTest::newRow("hyphen row") << u"taro@vnx-"_s << u"taro@vnx-net.example.jp"_s << u"net.example.jp"_s;
    // No row for biglobe; the @nifty label only right after "@"; case counts.
    QTest::newRow("biglobe") << u"taro@mb1.biglobe."_s << u"taro@mb1.biglobe."_s << QString();
    QTest::newRow("nifty under a host") << u"taro@x.nifty."_s << u"taro@x.nifty."_s << QString();
    QTest::newRow("wrong case @Nifty") << u"abc@Nifty."_s << u"abc@Nifty."_s << QString();
    QTest::newRow("wrong case OCN") << u"taro@xy.OCN."_s << u"taro@xy.OCN."_s << QString();
    QTest::newRow("label without lead") << u"ocn."_s << u"ocn."_s << QString();
}

void tst_ProviderAssist::completion()
{
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(QString, selected);
    m_app->focusAndForget(ui().edit("txtAddress"));
    AppFixture::type(typed);
    QCOMPARE(ui().edit("txtAddress")->text(), text);
    QCOMPARE(ui().edit("txtAddress")->selectedText(), selected);
    if (!selected.isEmpty())
        QCOMPARE(ui().edit("txtAddress")->selectionStart(), int(text.size() - selected.size()));
    else
        QCOMPARE(ui().edit("txtAddress")->cursorPosition(), int(text.size()));
    QCOMPARE(AppFixture::focusName(), u"txtAddress"_s);
    QVERIFY(m_app->calls().isEmpty());
}

void tst_ProviderAssist::typingOnReplacesCompletion()
{
    m_app->focusAndForget(ui().edit("txtAddress"));
    AppFixture::type(u"abc@nifty."_s);
    QCOMPARE(ui().edit("txtAddress")->selectedText(), u"com"_s);
    AppFixture::type(u"ne.jp"_s);
    QCOMPARE(ui().edit("txtAddress")->text(), u"abc@nifty.ne.jp"_s);
    QVERIFY(!ui().edit("txtAddress")->hasSelectedText());
    // With the selection gone the dot types plainly again further on.
    AppFixture::key(Qt::Key_Backspace);
    AppFixture::type(u"p."_s);
    QCOMPARE(ui().edit("txtAddress")->text(), u"abc@nifty.ne.jp."_s);
}

void tst_ProviderAssist::dotInTheMiddleIsPlain()
{
    m_app->focusAndForget(ui().edit("txtAddress"));
    AppFixture::type(u"abc@niftyx"_s);
    AppFixture::key(Qt::Key_Left); // caret right after "nifty", not at the end
    AppFixture::type(u"."_s);
    QCOMPARE(ui().edit("txtAddress")->text(), u"abc@nifty.x"_s);
    QVERIFY(!ui().edit("txtAddress")->hasSelectedText());
    QCOMPARE(ui().edit("txtAddress")->cursorPosition(), 10);
}

void tst_ProviderAssist::enterAcceptsThenMovesToButton()
{
    m_app->focusAndForget(ui().edit("txtAddress"));
    AppFixture::type(u"taro@pb.so-net."_s);
    QCOMPARE(ui().edit("txtAddress")->selectedText(), u"ne.jp"_s);
    AppFixture::key(Qt::Key_Return);
    AppFixture::settle();
    QCOMPARE(AppFixture::focusName(), u"txtAddress"_s);
    QCOMPARE(ui().edit("txtAddress")->text(), u"taro@pb.so-net.ne.jp"_s);
    QVERIFY(!ui().edit("txtAddress")->hasSelectedText());
    QCOMPARE(ui().edit("txtAddress")->cursorPosition(), int(ui().edit("txtAddress")->text().size()));
    QVERIFY(m_app->calls().isEmpty());

    AppFixture::key(Qt::Key_Return);
    QTRY_COMPARE(AppFixture::focusName(), u"Command4"_s);
    QCOMPARE(m_app->calls(),
             said(u"アドレスから自動的にサーバー情報を取り込む"_s + Sep + u"Enterは取り込み Tabは次へ"_s));
    // Reaching the button derives nothing yet.
    QCOMPARE(ui().edit("txtPOP")->text(), QString());
}

void tst_ProviderAssist::enterWithoutSelectionMovesToButton()
{
    // Also a selection the user made himself is accepted first.
    m_app->focusAndForget(ui().edit("txtAddress"));
    AppFixture::type(u"a@b"_s);
    ui().edit("txtAddress")->setSelection(0, 1);
    AppFixture::key(Qt::Key_Return);
    QCOMPARE(AppFixture::focusName(), u"txtAddress"_s);
    QCOMPARE(ui().edit("txtAddress")->cursorPosition(), 3);
    AppFixture::key(Qt::Key_Enter, Qt::KeypadModifier);
    QTRY_COMPARE(AppFixture::focusName(), u"Command4"_s);
    QCOMPARE(ui().edit("txtAddress")->text(), u"a@b"_s);
}

void tst_ProviderAssist::derivation_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("idBefore");
    QTest::addColumn<QString>("pop");
    QTest::addColumn<QString>("smtp");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("list");

    QTest::newRow("@nifty ID") << u"abc12345@nifty.com"_s << u"old"_s << u"pop.nifty.com"_s
                               << u"smtp.nifty.com"_s << u"ABC12345"_s << 0;
    QTest::newRow("@nifty alias keeps ID")
        << u"taro@nifty.com"_s << u"old"_s << u"pop.nifty.com"_s << u"smtp.nifty.com"_s << u"old"_s << 0;
    QTest::newRow("biglobe") << u"hanako@mb1.biglobe.ne.jp"_s << u"old"_s << u"mail.biglobe.ne.jp"_s
                             << u"mail.biglobe.ne.jp"_s << u"hanako"_s << 1;
    QTest::newRow("OCN") << u"taro@abc.ocn.ne.jp"_s << QString() << u"abc.ocn.ne.jp"_s << u"abc.ocn.ne.jp"_s
                         << u"taro"_s << 2;
    QTest::newRow("DION d") << u"taro@da.dion.ne.jp"_s << QString() << u"pop.da.dion.ne.jp"_s
                            << u"mail.da.dion.ne.jp"_s << u"taro"_s << 3;
    QTest::newRow("DION other") << u"taro@xa.dion.ne.jp"_s << QString() << u"pop.xa.dion.ne.jp"_s
                                << u"mail.xa.dion.ne.jp"_s << u"DIONの指定するアカウントを設定します"_s << 3;
    QTest::newRow("So-net") << u"taro@pb.so-net.ne.jp"_s << QString() << u"pop.pb.so-net.ne.jp"_s
                            << u"mail.pb.so-net.ne.jp"_s << u"taro"_s << 4;
    QTest::newRow("ODN clears ID") << u"taro@ab.odn.ne.jp"_s << u"old"_s << u"ab.odn.ne.jp"_s
                                   << u"ab.odn.ne.jp"_s << QString() << 5;
    QTest::newRow("unknown") << u"me@example.org"_s << u"old"_s << u"example.org"_s << u"example.org"_s
                             << u"me"_s << -1;
    QTest::newRow("empty") << QString() << u"old"_s << QString() << QString() << u"old"_s << -1;
    QTest::newRow("no @") << u"nifty.com"_s << u"old"_s << QString() << QString() << u"old"_s << -1;
    QTest::newRow("blank local") << u"  @nifty.com"_s << u"old"_s << QString() << QString() << u"old"_s << -1;
}

void tst_ProviderAssist::derivation()
{
    QFETCH(QString, address);
    QFETCH(QString, idBefore);
    QFETCH(QString, pop);
    QFETCH(QString, smtp);
    QFETCH(QString, id);
    QFETCH(int, list);
    ui().edit("txtAddress")->setText(address);
    ui().edit("txtID")->setText(idBefore);
    ui().edit("txtName")->setText(u"名前"_s);
    ui().edit("txtPW")->setText(u"pw"_s);
    m_app->focusAndForget(ui().button("Command4"));
    AppFixture::key(Qt::Key_Return);
    QTRY_COMPARE(AppFixture::focusName(), u"txtPOP"_s);
    QCOMPARE(ui().edit("txtPOP")->text(), pop);
    QCOMPARE(ui().edit("txtSMTP")->text(), smtp);
    QCOMPARE(ui().edit("txtID")->text(), id);
    QCOMPARE(ui().list("Combo1")->currentIndex(), list);
    QCOMPARE(ui().list("Combo2")->currentIndex(), list);
    // Name, password and address are never touched.
    QCOMPARE(ui().edit("txtName")->text(), u"名前"_s);
    QCOMPARE(ui().edit("txtPW")->text(), u"pw"_s);
    QCOMPARE(ui().edit("txtAddress")->text(), address);
    QCOMPARE(m_app->calls(), said(u"ポップ受信サーバーは"_s + Sep + (pop.isEmpty() ? u"未登録"_s : pop)));
}

void tst_ProviderAssist::derivationWithoutProviderKeepsLists()
{
    ui().list("Combo1")->setCurrentIndex(3);
    ui().list("Combo2")->setCurrentIndex(4);
    ui().edit("txtAddress")->setText(u"abc12345@mail.nifty.com"_s); // a subdomain is no @nifty address
    QTest::mouseClick(ui().button("Command4"), Qt::LeftButton);
    QTRY_COMPARE(AppFixture::focusName(), u"txtPOP"_s);
    QCOMPARE(ui().edit("txtPOP")->text(), u"mail.nifty.com"_s);
    QCOMPARE(ui().edit("txtID")->text(), u"abc12345"_s);
    QCOMPARE(ui().list("Combo1")->currentIndex(), 3);
    QCOMPARE(ui().list("Combo2")->currentIndex(), 4);
}

void tst_ProviderAssist::wholeRoadOfOneAccount()
{
    // The focus starts in the sender-name field.
    QCOMPARE(AppFixture::focusName(), u"txtName"_s);
    AppFixture::type(u"山田太郎"_s);
    AppFixture::key(Qt::Key_Return);
    QTRY_COMPARE(AppFixture::focusName(), u"txtAddress"_s);
    QCOMPARE(m_app->calls(), said(u"メールアドレスは"_s + Sep + u"未登録"_s));
    AppFixture::type(u"abc12345@nifty."_s);
    QCOMPARE(ui().edit("txtAddress")->selectedText(), u"com"_s);
    AppFixture::key(Qt::Key_Return); // accepts the completion
    AppFixture::key(Qt::Key_Return); // on to the button
    QTRY_COMPARE(AppFixture::focusName(), u"Command4"_s);
    m_app->clearCalls();
    AppFixture::key(Qt::Key_Return); // derives
    QTRY_COMPARE(AppFixture::focusName(), u"txtPOP"_s);
    QCOMPARE(m_app->calls(), said(u"ポップ受信サーバーは"_s + Sep + u"pop.nifty.com"_s));
    QCOMPARE(fieldTexts(ui()), QStringList({u"山田太郎"_s, u"abc12345@nifty.com"_s, u"pop.nifty.com"_s,
                                          u"smtp.nifty.com"_s, u"ABC12345"_s, QString()}));
    QCOMPARE(ui().list("Combo1")->currentText(), u"@nifty(富士通)"_s);
    QCOMPARE(ui().list("Combo2")->currentText(), u"@nifty(富士通)"_s);
}

void tst_ProviderAssist::sampleOnBlankForm_data()
{
    QTest::addColumn<int>("provider");
    const char* names[] = {"@nifty", "biglobe", "OCN", "DION", "So-net", "ODN"};
    for (int i = 0; i < 6; ++i)
        QTest::newRow(names[i]) << i;
}

void tst_ProviderAssist::sampleOnBlankForm()
{
    QFETCH(int, provider);
    const Expected& e = expectedSample(provider);
    loadSample(provider);
    QVERIFY(m_app->messageBox->shown.isEmpty());
    QCOMPARE(fieldTexts(ui()), e.fields);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(hintTexts(ui())[i], hintOr(e.hints[i], i));
    QCOMPARE(ui().paneText("txtGuide"), e.guide);
    QCOMPARE(ui().list("Combo2")->currentIndex(), provider);
    QCOMPARE(ui().list("Combo1")->currentIndex(), provider);
    QCOMPARE(m_app->program().acd().Title, e.title);
    // The record takes the fields over only when saved.
    QCOMPARE(m_app->program().acd().FromName, QString());
    // The sender-name field says its new value.
    QCOMPARE(m_app->calls(), said(u"差出人の名前は"_s + Sep + e.fields[0]));
    // A screen reader reading the address field finds the new hint.
    QCOMPARE(ui().edit("txtAddress")->accessibleDescription(), hintOr(e.hints[0], 0));
}

void tst_ProviderAssist::sampleGuideIsSpokenAsSet()
{
    loadSample(4);
    m_app->focusAndForget(ui().button("Command3"));
    AppFixture::key(Qt::Key_Tab);
    QTRY_COMPARE(AppFixture::focusName(), u"txtGuide"_s);
    QCOMPARE(m_app->calls(), said(u"説明ウインド"_s + Sep + expectedSample(4).guide));
}

void tst_ProviderAssist::spacesOnlyFieldsAskNothing()
{
    for (QLineEdit* e : {ui().edit("txtName"), ui().edit("txtAddress"), ui().edit("txtPOP"),
                         ui().edit("txtSMTP"), ui().edit("txtID"), ui().edit("txtPW")})
        e->setText(u"   "_s);
    loadSample(2);
    QVERIFY(m_app->messageBox->shown.isEmpty());
    QCOMPARE(fieldTexts(ui()), expectedSample(2).fields);
}

void tst_ProviderAssist::questionYesApplies()
{
    ui().edit("txtPW")->setText(u" x "_s);
    m_app->messageBox->nextAnswer = MessageBox::Answer::Yes;
    loadSample(5);
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(m_app->messageBox->shown[0].kind, u"question"_s);
    QCOMPARE(m_app->messageBox->shown[0].text,
             u"設定例を読み込むと、現在の設定が上書きされます。よろしいですか?"_s);
    QCOMPARE(m_app->messageBox->shown[0].title, u"すでに設定されている項目があります"_s);
    QCOMPARE(fieldTexts(ui()), expectedSample(5).fields);
    QCOMPARE(m_app->program().acd().Title, u"ODN"_s);
}

void tst_ProviderAssist::questionNoChangesNothing()
{
    ui().edit("txtAddress")->setText(u"me@example.org"_s);
    ui().list("Combo2")->setCurrentIndex(2);
    m_app->program().acd().Title = u"前の題"_s;
    const QStringList fields = fieldTexts(ui());
    const QString guide = ui().paneText("txtGuide");
    m_app->messageBox->nextAnswer = MessageBox::Answer::No;
    loadSample(1);
    QCOMPARE(m_app->messageBox->shown.size(), 1);
    QCOMPARE(fieldTexts(ui()), fields);
    QCOMPARE(hintTexts(ui()), StartHints);
    QCOMPARE(ui().paneText("txtGuide"), guide);
    QCOMPARE(ui().list("Combo1")->currentIndex(), 1);
    QCOMPARE(ui().list("Combo2")->currentIndex(), 2);
    QCOMPARE(m_app->program().acd().Title, u"前の題"_s);
    QCOMPARE(AppFixture::focusName(), u"txtName"_s);
}

void tst_ProviderAssist::noProviderDoesNothing()
{
    ui().edit("txtName")->setText(u"名前"_s);
    m_app->focusAndForget(ui().button("Command1"));
    AppFixture::key(Qt::Key_Space);
    QTRY_COMPARE(AppFixture::focusName(), u"txtName"_s);
    QVERIFY(m_app->messageBox->shown.isEmpty());
    QCOMPARE(ui().edit("txtName")->text(), u"名前"_s);
    QCOMPARE(hintTexts(ui()), StartHints);
    QCOMPARE(ui().list("Combo2")->currentIndex(), -1);
}

void tst_ProviderAssist::captionsOutliveOtherSamplesAndClearAll()
{
    loadSample(1);
    m_app->messageBox->nextAnswer = MessageBox::Answer::Yes;
    loadSample(0);
    const Expected& biglobe = expectedSample(1);
    const Expected& nifty = expectedSample(0);
    const QStringList mixed = {nifty.hints[0], biglobe.hints[1], biglobe.hints[2], nifty.hints[3],
                               biglobe.hints[4]};
    QCOMPARE(hintTexts(ui()), mixed);
    QCOMPARE(fieldTexts(ui()), nifty.fields);

    // Clear all empties fields and lists but leaves hints and guide.
    m_app->focusAndForget(ui().button("Command5"));
    AppFixture::key(Qt::Key_Return);
    AppFixture::settle();
    QCOMPARE(fieldTexts(ui()), QStringList(6, QString()));
    QCOMPARE(ui().list("Combo2")->currentIndex(), -1);
    QCOMPARE(hintTexts(ui()), mixed);
    QCOMPARE(ui().paneText("txtGuide"), nifty.guide);
}

QTEST_MAIN(tst_ProviderAssist)
#include "tst_providerassist.moc"
