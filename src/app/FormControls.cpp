#include "app/FormControls.h"

#include "accessibility/AccessibleWords.h"
#include "ui/ClickableLabel.h"
#include "ui/FrameBox.h"
#include "app/HelpTexts.h"
#include "providers/ProviderTable.h"
#include "ui/AccessKey.h"
#include "ui/DesignFonts.h"
#include "ui/LabelFit.h"
#include "ui/PlacedControls.h"
#include "ui/TextColour.h"
#include "ui/Twips.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

const QString FormControls::GuideTitle = QStringLiteral("説明ウインド");
const QString FormControls::HelpTitle = QStringLiteral("詳細ヘルプウインド");
const QString FormControls::Combo1Title = QStringLiteral("参照用プロバイダの選択");
const QString FormControls::Combo2Title = QStringLiteral("閲覧用プロバイダの選択");

namespace
{

constexpr int ClientWidthTwips = 7545;
constexpr int ClientHeightTwips = 7590;

QFont fieldFont()
{
    return designFont(GothicFamily, 9.75);
}

QFont captionFont()
{
    return designFont(PGothicFamily, 9.75);
}

ClickableLabel* captionLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips)
{
    auto* label = makeLabel<ClickableLabel>(parent, name, text, twips);
    label->setFont(captionFont());
    label->setCursor(Qt::WhatsThisCursor);
    return label;
}

// The hints take their clicks themselves: only the frame's own area puts the
// focus into its first field.
QLabel* hintLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips)
{
    QLabel* label = makeLabel<ClickableLabel>(parent, name, text, twips);
    setTextColour(label, DarkRed);
    return label;
}

EntryField* entryField(QWidget* parent, const char* name, const QRect& twips)
{
    return makeTextBox<EntryField>(parent, name, twips, fieldFont());
}

CommandButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& twips)
{
    return makePushButton<CommandButton>(parent, name, caption, twips);
}

QLabel* rowLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips, const QFont& font)
{
    auto* label = makeLabel<QLabel>(parent, name, text, twips);
    label->setFont(font);
    return label;
}

CommandButton* rowButton(QWidget* parent, const char* name, const QString& caption, const QRect& twips)
{
    CommandButton* b = button(parent, name, caption, twips);
    b->setFont(captionFont());
    return b;
}

ProviderList* providerList(QWidget* parent, const char* name, const QRect& twips)
{
    auto* list = placeControl(new ProviderList(parent), name, twips);
    list->setEditable(false);
    list->setFont(captionFont());
    return list;
}

TextPane* textPane(QWidget* parent, const char* name, const QRect& twips)
{
    auto* pane = placeControl(new TextPane(parent), name, twips);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setTabChangesFocus(true);
    return pane;
}

} // namespace

// The six fields in keyboard order, each with its caption, box and hint as
// the layout places them, and what it says of itself and shows as help.
const FormControls::FieldLayout FormControls::FieldLayouts[6] = {
    {"Name", &FormControls::lblName0, &FormControls::txtName, &FormControls::lblName, u"差出人の名前",
     {360, 465, 1170, 195}, {2340, 420, 4455, 285}, u"メールを受け取る人に、この名前を通知します",
     {2340, 240, 3465, 180}, u"差出人の名前は", txtNameHelpText},
    {"Address", &FormControls::lblAddress0, &FormControls::txtAddress, &FormControls::lblAddress, u"メールアドレス",
     {360, 1005, 1170, 195}, {2340, 960, 3675, 285}, u"完全なメールアドレスを記述します", {2340, 780, 2610, 180},
     u"メールアドレスは", txtAddressHelpText},
    {"POP", &FormControls::lblPOP0, &FormControls::txtPOP, &FormControls::lblPOP, u"POPサーバー(受信)",
     {360, 465, 1635, 195}, {2340, 420, 4455, 285}, u"メールを受信するときに接続するアドレス",
     {2340, 240, 3075, 180}, u"ポップ受信サーバーは", txtPOPHelpText},
    // This row was laid out hint first; the order controls are made in is
    // the order a screen reader walks them.
    {"SMTP", &FormControls::lblSMTP0, &FormControls::txtSMTP, &FormControls::lblSMTP, u"SMTPサーバー(送信)",
     {360, 1005, 1770, 195}, {2340, 960, 4455, 285}, u"メールを送信するときに接続するアドレス",
     {2340, 780, 3075, 180}, u"SMTP送信サーバーは", txtSMTPHelpText, true},
    {"ID", &FormControls::lblID0, &FormControls::txtID, &FormControls::lblID, u"メールID(アカウント)",
     {360, 1545, 1590, 195}, {2340, 1500, 4455, 285}, u"受信時(POPサーバ)のログインユーザ名 [アカウント名]",
     {2340, 1320, 4155, 180}, u"メールIDまたは、ポップアカウントは", txtIDHelpText},
    {"PW", &FormControls::lblPW0, &FormControls::txtPW, &FormControls::lblPW, u"メールパスワード",
     {360, 2085, 1380, 195}, {2340, 2040, 4455, 285}, u"受信時(POPサーバ)のログインパスワード",
     {2340, 1860, 3135, 180}, u"メールパスワードは", txtPWHelpText},
};

void FormControls::createControls(QMainWindow* window)
{
    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(fromTwips(ClientWidthTwips), fromTwips(ClientHeightTwips));
    window->setCentralWidget(client);

    // The band and the box go first so that what lies on them is drawn above.
    Label2 = makeLabel<QLabel>(client, "Label2", QString(), QRect(0, 4890, 7620, 300));
    {
        QPalette palette = Label2->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Disabled, QPalette::Text));
        Label2->setPalette(palette);
        Label2->setAutoFillBackground(true);
    }
    Label17 = makeLabel<QLabel>(client, "Label17", QString(), QRect(90, 6120, 7335, 1395));
    Label17->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label17->setLineWidth(1);

    createSenderFrame(client);
    createServerFrame(client);
    createProviderRows(client);
    createPanes(client);
    describe();
    // After every control is placed, so a label grows only into free space.
    for (QLabel* label : window->findChildren<QLabel*>())
        showLabelWhole(label);
    createMenus(window->menuBar());
    setKeyboardOrder();
}

void FormControls::createSenderFrame(QWidget* client)
{
    Frame1 = placeControl(new FrameBox(QStringLiteral("差出人情報(&F)"), false, client), "Frame1",
                   QRect(180, 120, 7215, 1455));
    fields[0] = createField(Frame1, FieldLayouts[0]);
    fields[1] = createField(Frame1, FieldLayouts[1]);
    Command4 = button(Frame1, "Command4", QStringLiteral("↓自動"), QRect(6060, 945, 735, 315));
    Frame1->setFocusTarget(txtName);

    // Names are typed in Japanese: the input method may compose here. Linux
    // has no portable call to switch it on; the user's own toggle does that.
    txtName->setAttribute(Qt::WA_InputMethodEnabled, true);
    txtName->setInputMethodHints(Qt::ImhNone);
}

void FormControls::createServerFrame(QWidget* client)
{
    Frame2 = placeControl(new FrameBox(QStringLiteral("サーバー情報(&S)"), true, client), "Frame2",
                   QRect(180, 1680, 7215, 2535));
    for (std::size_t i = 2; i < fields.size(); ++i)
        fields[i] = createField(Frame2, FieldLayouts[i]);
    // In clear: whoever sets the account up for someone else must see what they typed.
    txtPW->setEchoMode(QLineEdit::Normal);
    Frame2->setFocusTarget(txtPOP);
}

// A field's controls are named after it: lblName0 its caption, txtName its
// box, lblName its hint.
FormControls::Field FormControls::createField(QWidget* frame, const FieldLayout& layout)
{
    const QString name = QString::fromLatin1(layout.name);
    const QByteArray captionName = "lbl" + name.toLatin1() + "0";
    const QByteArray editName = "txt" + name.toLatin1();
    const QByteArray hintName = "lbl" + name.toLatin1();

    Field field;
    field.caption = captionLabel(frame, captionName.constData(), QString::fromUtf16(layout.caption),
                                 layout.captionTwips);
    const auto createHint = [&] {
        field.hint = hintLabel(frame, hintName.constData(), QString::fromUtf16(layout.hint),
                               layout.hintTwips);
    };
    if (layout.hintFirst)
        createHint();
    field.edit = entryField(frame, editName.constData(), layout.editTwips);
    if (!layout.hintFirst)
        createHint();
    field.spokenLabel = QString::fromUtf16(layout.spokenLabel);
    field.helpText = layout.helpText;
    this->*layout.captionMember = field.caption;
    this->*layout.editMember = field.edit;
    this->*layout.hintMember = field.hint;
    return field;
}

void FormControls::createProviderRows(QWidget* client)
{
    Command5 = button(client, "Command5", QStringLiteral("すべてクリア"), QRect(3360, 4320, 1935, 375));
    Command2 = button(client, "Command2", QStringLiteral("高度な設定"), QRect(5460, 4320, 1935, 375));
    Label3 = makeLabel<ClickableLabel>(client, "Label3", QStringLiteral("[Ｆ１]キー : 各項目の詳細ヘルプ"),
                                       QRect(420, 4440, 2460, 180));
    setTextColour(Label3, DarkBlue);

    Label1 = makeLabel<QLabel>(client, "Label1", QStringLiteral("VORNIX Support Tool "),
                               QRect(225, 4920, 2475, 225));
    Label1->setFont(designFont(PGothicFamily, 11.25, true));
    setTextColour(Label1, Label1->palette().color(QPalette::Highlight));

    // Each provider row reads as a sentence: "…→ [list] の設定を [button]".
    Label18 = rowLabel(client, "Label18", QStringLiteral("設定例を知りたいときは→"), QRect(240, 5340, 2175, 180),
                       designFont(PGothicFamily, 9, true));
    Combo1 = providerList(client, "Combo1", QRect(2580, 5280, 2115, 315));
    Label8 = rowLabel(client, "Label8", QStringLiteral("の設定を"), QRect(4800, 5340, 735, 195), captionFont());
    Command1 = rowButton(client, "Command1", QStringLiteral("参考に読み込む"), QRect(5640, 5280, 1695, 315));

    Label15 = rowLabel(client, "Label15", QStringLiteral("プロバイダのホームページ"), QRect(240, 5760, 2220, 180),
                       designFont(PGothicFamily, 9, true));
    Combo2 = providerList(client, "Combo2", QRect(2580, 5700, 2115, 315));
    Label16 = rowLabel(client, "Label16", QStringLiteral("のHPを"), QRect(4800, 5760, 585, 195), captionFont());
    Command3 = rowButton(client, "Command3", QStringLiteral("IEで参照する"), QRect(5640, 5700, 1695, 315));

    buttons = {{
        {Command4, QStringLiteral("アドレスから自動的にサーバー情報を取り込む"),
         QStringLiteral("Enterは取り込み Tabは次へ")},
        {Command5, QStringLiteral("すべてクリアのプッシュボタン"), QStringLiteral("Enterはクリア Tabは次へ")},
        {Command2, QStringLiteral("高度な設定のプッシュボタン"), QStringLiteral("Enterは高度な設定 Tabは次へ")},
        {Command1, QStringLiteral("参考に読み込むのプッシュボタン"), QStringLiteral("Enterは参照 Tabは次へ")},
        // The button reads "参照する" but says "閲覧する".
        {Command3, QStringLiteral("IEで閲覧するのプッシュボタン"), QStringLiteral("Enterは閲覧 Tabは次へ")},
    }};
}

void FormControls::createPanes(QWidget* client)
{
    txtGuide = textPane(client, "txtGuide", QRect(150, 6180, 7245, 1275));
    {
        QPalette palette = txtGuide->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Midlight));
        txtGuide->setPalette(palette);
    }

    txtHelp = textPane(client, "txtHelp", QRect(60, 5280, 7395, 2235));
    txtHelp->setFont(captionFont());
    {
        QPalette palette = txtHelp->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
        palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
        txtHelp->setPalette(palette);
    }
    txtHelp->hide();
    // Shown, the pane covers the provider rows and the guide pane.
    txtHelp->raise();

    Command6 = button(client, "Command6", QStringLiteral("ヘルプを閉じる(&C)"), QRect(5160, 4920, 1815, 255));
    Command6->hide();
}

// What a screen reader reading the window itself finds. The words each
// control says of itself are given where it is taught to say them.
void FormControls::describe()
{
    for (const Field& field : fields)
        AccessibleWords::setOwn(field.edit, field.caption->text(), field.hint->text());
    for (const Button& b : buttons)
        AccessibleWords::setOwn(b.button, withoutAccessKeyMarker(b.button->text()), b.keyHint);
    Command6->setAccessibleName(withoutAccessKeyMarker(Command6->text()));
    Combo1->setAccessibleName(Combo1Title);
    Combo2->setAccessibleName(Combo2Title);
    txtGuide->setAccessibleName(GuideTitle);
    txtHelp->setAccessibleName(HelpTitle);
}

void FormControls::createMenus(QMenuBar* bar)
{
    auto menu = [bar](const char* name, const QString& text) {
        QMenu* m = bar->addMenu(text);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto action = [](QMenu* m, const char* name, const QString& text) {
        QAction* a = m->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto separator = [](QMenu* m, const char* name) {
        QAction* a = m->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    mnu_file = menu("mnu_file", QStringLiteral("ファイル(&F)"));
    mnu_file_open = action(mnu_file, "mnu_file_open", QStringLiteral("アカウントデータを読み込む(&O)..."));
    mnu_file_save = action(mnu_file, "mnu_file_save", QStringLiteral("アカウントデータを保存(&S)..."));
    dummy001 = separator(mnu_file, "dummy001");
    mnu_file_fdopen = action(mnu_file, "mnu_file_fdopen", QStringLiteral("フロッピーディスクから読み込む(&R)..."));
    mnu_file_fdsave = action(mnu_file, "mnu_file_fdsave", QStringLiteral("フロッピーディスクに書き込む(&W)..."));
    dummy05 = separator(mnu_file, "dummy05");
    mnu_file_exit = action(mnu_file, "mnu_file_exit", QStringLiteral("終了(&X)"));

    mnu_edit = menu("mnu_edit", QStringLiteral("編集(&E)"));
    mnu_edit_clear = action(mnu_edit, "mnu_edit_clear", QStringLiteral("すべてクリア(&C)"));

    mnu_help = menu("mnu_help", QStringLiteral("ヘルプ(&H)"));
    mnu_help_web1 = action(mnu_help, "mnu_help_web1", QStringLiteral("VORNIX商品情報のWebページ(&M)"));
    mnu_help_web2 = action(mnu_help, "mnu_help_web2", QStringLiteral("最新サポート情報のWebページ(&S)"));
    duumy01 = separator(mnu_help, "duumy01");
    mnu_help_ver = action(mnu_help, "mnu_help_ver", QStringLiteral("バージョン情報(&A)..."));
}

void FormControls::setKeyboardOrder()
{
    QWidget* const order[] = {txtName,  txtAddress, Command4, txtPOP,   txtSMTP,  txtID,    txtPW,   Command5,
                              Command2, Combo1,     Command1, Combo2,   Command3, txtGuide, txtHelp, Command6};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void FormControls::ComboSet()
{
    Combo1->clear();
    Combo2->clear();
    for (const Provider& p : providerTable())
        Combo1->addItem(p.DisplayName);
    for (const Provider& p : providerTable())
        Combo2->addItem(p.DisplayName);
    Combo1->setCurrentIndex(-1);
    Combo2->setCurrentIndex(-1);
}

void FormControls::setHint(QLabel* hint, const QString& text)
{
    hint->setText(text);
    showLabelWhole(hint, LabelReach::BothSides);
    for (const Field& field : fields) {
        if (field.hint == hint)
            AccessibleWords::setOwnDescription(field.edit, text);
    }
}
