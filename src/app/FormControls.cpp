#include "app/FormControls.h"

#include "accessibility/AccessibleNames.h"
#include "account/Acd.h"
#include "app/HelpTexts.h"
#include "providers/ProviderTable.h"
#include "ui/AccessKey.h"
#include "ui/ClickableLabel.h"
#include "ui/DesignFonts.h"
#include "ui/FixedWindow.h"
#include "ui/FrameBox.h"
#include "ui/LabelFit.h"
#include "ui/PlacedControls.h"
#include "ui/TextColour.h"
#include "ui/Twips.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <type_traits>
#include <variant>

const QString FormControls::Title = QStringLiteral("VORNIXサポートソフト");
const QString FormControls::GuideTitle = QStringLiteral("説明ウインド");
const QString FormControls::HelpTitle = QStringLiteral("詳細ヘルプウインド");
const QString FormControls::Combo1Title = QStringLiteral("参照用プロバイダの選択");
const QString FormControls::Combo2Title = QStringLiteral("閲覧用プロバイダの選択");

namespace
{

constexpr int ClientWidthTwips = 7545;
constexpr int ClientHeightTwips = 7590;

// The fonts of the layout; Window: the window's own, set on nothing else.
enum class Font { Window, Field, Caption, RowTitle, Banner };

QFont designFontOf(Font font)
{
    switch (font) {
    case Font::Field:
        return designFont(GothicFamily, 9.75);
    case Font::Caption:
        return designFont(PGothicFamily, 9.75);
    case Font::RowTitle:
        return designFont(PGothicFamily, 9, true);
    case Font::Banner:
        return designFont(PGothicFamily, 11.25, true);
    case Font::Window:
        break;
    }
    return QFont();
}

// What sets a control apart beyond its kind, font and caption.
enum class Look {
    Ordinary,
    // The grey band across the window and the box around the guide pane.
    Band,
    Box,
    // A frame whose letter belongs to the menu bar's menu of the same letter.
    KeyLeftToMenu,
    // A field's caption: a click on it shows the field's help.
    FieldCaption,
    // The red line above a field, and the blue help-key line.
    Hint,
    KeyHint,
    // The program's name on the band, in the colour of a selection.
    Banner,
    Guide,
    Help,
};

} // namespace

// One control as the window's layout gives it. The table lists them in the
// order they are made, which is the order a screen reader walks them and the
// order they stack in.
struct FormControls::ControlLayout {
    std::variant<QLabel* FormControls::*, ClickableLabel* FormControls::*, FrameBox* FormControls::*,
                 EntryField* FormControls::*, CommandButton* FormControls::*, ProviderList* FormControls::*,
                 TextPane* FormControls::*>
        member;
    const char* name;
    // Null: on the client area.
    FrameBox* FormControls::*frame;
    const char16_t* caption;
    QRect twips;
    Font font = Font::Window;
    Look look = Look::Ordinary;
    // What a button says when it gets the focus.
    const char16_t* spokenLabel = u"";
    const char16_t* keyHint = u"";
    bool shown = true;
};

// One of the six entry fields: its controls, the record member it edits, what
// it says of itself and the help it shows. In keyboard order.
struct FormControls::FieldRow {
    EntryField* FormControls::*edit;
    ClickableLabel* FormControls::*caption;
    ClickableLabel* FormControls::*hint;
    QString Acd::*record;
    const char16_t* spokenLabel;
    QString (*helpText)();
};

// clang-format off
const FormControls::ControlLayout FormControls::ControlLayouts[] = {
    // The band and the box go first so that what lies on them is drawn above.
    {.member = &FormControls::Label2, .name = "Label2", .frame = nullptr, .caption = u"",
     .twips = {0, 4890, 7620, 300}, .look = Look::Band},
    {.member = &FormControls::Label17, .name = "Label17", .frame = nullptr, .caption = u"",
     .twips = {90, 6120, 7335, 1395}, .look = Look::Box},

    {.member = &FormControls::Frame1, .name = "Frame1", .frame = nullptr, .caption = u"差出人情報(&F)",
     .twips = {180, 120, 7215, 1455}, .look = Look::KeyLeftToMenu},
    {.member = &FormControls::lblName0, .name = "lblName0", .frame = &FormControls::Frame1, .caption = u"差出人の名前",
     .twips = {360, 465, 1170, 195}, .font = Font::Caption, .look = Look::FieldCaption},
    {.member = &FormControls::txtName, .name = "txtName", .frame = &FormControls::Frame1, .caption = u"",
     .twips = {2340, 420, 4455, 285}, .font = Font::Field},
    {.member = &FormControls::lblName, .name = "lblName", .frame = &FormControls::Frame1,
     .caption = u"メールを受け取る人に、この名前を通知します", .twips = {2340, 240, 3465, 180}, .look = Look::Hint},
    {.member = &FormControls::lblAddress0, .name = "lblAddress0", .frame = &FormControls::Frame1, .caption = u"メールアドレス",
     .twips = {360, 1005, 1170, 195}, .font = Font::Caption, .look = Look::FieldCaption},
    {.member = &FormControls::txtAddress, .name = "txtAddress", .frame = &FormControls::Frame1, .caption = u"",
     .twips = {2340, 960, 3675, 285}, .font = Font::Field},
    {.member = &FormControls::lblAddress, .name = "lblAddress", .frame = &FormControls::Frame1,
     .caption = u"完全なメールアドレスを記述します", .twips = {2340, 780, 2610, 180}, .look = Look::Hint},
    {.member = &FormControls::Command4, .name = "Command4", .frame = &FormControls::Frame1, .caption = u"↓自動",
     .twips = {6060, 945, 735, 315}, .spokenLabel = u"アドレスから自動的にサーバー情報を取り込む",
     .keyHint = u"Enterは取り込み Tabは次へ"},

    {.member = &FormControls::Frame2, .name = "Frame2", .frame = nullptr, .caption = u"サーバー情報(&S)",
     .twips = {180, 1680, 7215, 2535}},
    {.member = &FormControls::lblPOP0, .name = "lblPOP0", .frame = &FormControls::Frame2, .caption = u"POPサーバー(受信)",
     .twips = {360, 465, 1635, 195}, .font = Font::Caption, .look = Look::FieldCaption},
    {.member = &FormControls::txtPOP, .name = "txtPOP", .frame = &FormControls::Frame2, .caption = u"",
     .twips = {2340, 420, 4455, 285}, .font = Font::Field},
    {.member = &FormControls::lblPOP, .name = "lblPOP", .frame = &FormControls::Frame2,
     .caption = u"メールを受信するときに接続するアドレス", .twips = {2340, 240, 3075, 180}, .look = Look::Hint},
    // This row was laid out hint first.
    {.member = &FormControls::lblSMTP0, .name = "lblSMTP0", .frame = &FormControls::Frame2, .caption = u"SMTPサーバー(送信)",
     .twips = {360, 1005, 1770, 195}, .font = Font::Caption, .look = Look::FieldCaption},
    {.member = &FormControls::lblSMTP, .name = "lblSMTP", .frame = &FormControls::Frame2,
     .caption = u"メールを送信するときに接続するアドレス", .twips = {2340, 780, 3075, 180}, .look = Look::Hint},
    {.member = &FormControls::txtSMTP, .name = "txtSMTP", .frame = &FormControls::Frame2, .caption = u"",
     .twips = {2340, 960, 4455, 285}, .font = Font::Field},
    {.member = &FormControls::lblID0, .name = "lblID0", .frame = &FormControls::Frame2, .caption = u"メールID(アカウント)",
     .twips = {360, 1545, 1590, 195}, .font = Font::Caption, .look = Look::FieldCaption},
    {.member = &FormControls::txtID, .name = "txtID", .frame = &FormControls::Frame2, .caption = u"",
     .twips = {2340, 1500, 4455, 285}, .font = Font::Field},
    {.member = &FormControls::lblID, .name = "lblID", .frame = &FormControls::Frame2,
     .caption = u"受信時(POPサーバ)のログインユーザ名 [アカウント名]", .twips = {2340, 1320, 4155, 180}, .look = Look::Hint},
    {.member = &FormControls::lblPW0, .name = "lblPW0", .frame = &FormControls::Frame2, .caption = u"メールパスワード",
     .twips = {360, 2085, 1380, 195}, .font = Font::Caption, .look = Look::FieldCaption},
    {.member = &FormControls::txtPW, .name = "txtPW", .frame = &FormControls::Frame2, .caption = u"",
     .twips = {2340, 2040, 4455, 285}, .font = Font::Field},
    {.member = &FormControls::lblPW, .name = "lblPW", .frame = &FormControls::Frame2,
     .caption = u"受信時(POPサーバ)のログインパスワード", .twips = {2340, 1860, 3135, 180}, .look = Look::Hint},

    {.member = &FormControls::Command5, .name = "Command5", .frame = nullptr, .caption = u"すべてクリア",
     .twips = {3360, 4320, 1935, 375}, .spokenLabel = u"すべてクリアのプッシュボタン",
     .keyHint = u"Enterはクリア Tabは次へ"},
    {.member = &FormControls::Command2, .name = "Command2", .frame = nullptr, .caption = u"高度な設定",
     .twips = {5460, 4320, 1935, 375}, .spokenLabel = u"高度な設定のプッシュボタン",
     .keyHint = u"Enterは高度な設定 Tabは次へ"},
    {.member = &FormControls::Label3, .name = "Label3", .frame = nullptr, .caption = u"[Ｆ１]キー : 各項目の詳細ヘルプ",
     .twips = {420, 4440, 2460, 180}, .look = Look::KeyHint},
    {.member = &FormControls::Label1, .name = "Label1", .frame = nullptr, .caption = u"VORNIX Support Tool ",
     .twips = {225, 4920, 2475, 225}, .font = Font::Banner, .look = Look::Banner},

    // Each provider row reads as a sentence: "…→ [list] の設定を [button]".
    {.member = &FormControls::Label18, .name = "Label18", .frame = nullptr, .caption = u"設定例を知りたいときは→",
     .twips = {240, 5340, 2175, 180}, .font = Font::RowTitle},
    {.member = &FormControls::Combo1, .name = "Combo1", .frame = nullptr, .caption = u"",
     .twips = {2580, 5280, 2115, 315}, .font = Font::Caption},
    {.member = &FormControls::Label8, .name = "Label8", .frame = nullptr, .caption = u"の設定を",
     .twips = {4800, 5340, 735, 195}, .font = Font::Caption},
    {.member = &FormControls::Command1, .name = "Command1", .frame = nullptr, .caption = u"参考に読み込む",
     .twips = {5640, 5280, 1695, 315}, .font = Font::Caption, .spokenLabel = u"参考に読み込むのプッシュボタン",
     .keyHint = u"Enterは参照 Tabは次へ"},
    {.member = &FormControls::Label15, .name = "Label15", .frame = nullptr, .caption = u"プロバイダのホームページ",
     .twips = {240, 5760, 2220, 180}, .font = Font::RowTitle},
    {.member = &FormControls::Combo2, .name = "Combo2", .frame = nullptr, .caption = u"",
     .twips = {2580, 5700, 2115, 315}, .font = Font::Caption},
    {.member = &FormControls::Label16, .name = "Label16", .frame = nullptr, .caption = u"のHPを",
     .twips = {4800, 5760, 585, 195}, .font = Font::Caption},
    // The button reads "参照する" but says "閲覧する".
    {.member = &FormControls::Command3, .name = "Command3", .frame = nullptr, .caption = u"IEで参照する",
     .twips = {5640, 5700, 1695, 315}, .font = Font::Caption, .spokenLabel = u"IEで閲覧するのプッシュボタン",
     .keyHint = u"Enterは閲覧 Tabは次へ"},

    {.member = &FormControls::txtGuide, .name = "txtGuide", .frame = nullptr, .caption = u"",
     .twips = {150, 6180, 7245, 1275}, .look = Look::Guide},
    // Shown, the help pane covers the provider rows and the guide pane.
    {.member = &FormControls::txtHelp, .name = "txtHelp", .frame = nullptr, .caption = u"",
     .twips = {60, 5280, 7395, 2235}, .font = Font::Caption, .look = Look::Help, .shown = false},
    {.member = &FormControls::Command6, .name = "Command6", .frame = nullptr, .caption = u"ヘルプを閉じる(&C)",
     .twips = {5160, 4920, 1815, 255}, .shown = false},
};

const FormControls::FieldRow FormControls::FieldRows[6] = {
    {&FormControls::txtName, &FormControls::lblName0, &FormControls::lblName, &Acd::FromName,
     u"差出人の名前は", txtNameHelpText},
    {&FormControls::txtAddress, &FormControls::lblAddress0, &FormControls::lblAddress, &Acd::FromMail,
     u"メールアドレスは", txtAddressHelpText},
    {&FormControls::txtPOP, &FormControls::lblPOP0, &FormControls::lblPOP, &Acd::Pop,
     u"ポップ受信サーバーは", txtPOPHelpText},
    {&FormControls::txtSMTP, &FormControls::lblSMTP0, &FormControls::lblSMTP, &Acd::Smtp,
     u"SMTP送信サーバーは", txtSMTPHelpText},
    {&FormControls::txtID, &FormControls::lblID0, &FormControls::lblID, &Acd::PopUser,
     u"メールIDまたは、ポップアカウントは", txtIDHelpText},
    {&FormControls::txtPW, &FormControls::lblPW0, &FormControls::lblPW, &Acd::Poppass,
     u"メールパスワードは", txtPWHelpText},
};
// clang-format on

void FormControls::createControls(QMainWindow* window)
{
    window->setObjectName(QStringLiteral("FormSupport"));
    window->setWindowTitle(Title);
    window->setWindowFlags(fixedWindowFlags(Qt::Window));
    window->setFont(designFont(PGothicFamily, 9));

    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(fromTwips(ClientWidthTwips), fromTwips(ClientHeightTwips));
    window->setCentralWidget(client);

    auto button = buttons.begin();
    for (const ControlLayout& layout : ControlLayouts) {
        createControl(client, layout);
        if (*layout.spokenLabel) {
            *button++ = {this->*std::get<CommandButton * FormControls::*>(layout.member),
                         QString::fromUtf16(layout.spokenLabel), QString::fromUtf16(layout.keyHint)};
        }
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldRow& row = FieldRows[i];
        fields[i] = {this->*row.edit, this->*row.caption, this->*row.hint, row.record,
                     QString::fromUtf16(row.spokenLabel), row.helpText};
    }
    Frame1->setFocusTarget(txtName);
    Frame2->setFocusTarget(txtPOP);
    // Names are typed in Japanese: the input method may compose here. Linux
    // has no portable call to switch it on; the user's own toggle does that.
    txtName->setAttribute(Qt::WA_InputMethodEnabled, true);
    txtName->setInputMethodHints(Qt::ImhNone);
    // In clear: whoever sets the account up for someone else must see what they typed.
    txtPW->setEchoMode(QLineEdit::Normal);

    describe();
    // After every control is placed, so a label grows only into free space.
    for (QLabel* label : window->findChildren<QLabel*>())
        showLabelWhole(label);
    createMenus(window->menuBar());
    setKeyboardOrder();
    // Menu bar plus the client area, and nothing can resize it.
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void FormControls::createControl(QWidget* client, const ControlLayout& layout)
{
    QWidget* parent = layout.frame ? static_cast<QWidget*>(this->*layout.frame) : client;
    const QString caption = QString::fromUtf16(layout.caption);
    QWidget* made = makeMember(this, layout.member, [&](auto* none) -> decltype(none) {
        using Control = std::remove_pointer_t<decltype(none)>;
        if constexpr (std::is_same_v<Control, FrameBox>) {
            return placeControl(new FrameBox(caption, layout.look != Look::KeyLeftToMenu, parent), layout.name,
                                layout.twips);
        } else if constexpr (std::is_same_v<Control, EntryField>) {
            return makeTextBox<EntryField>(parent, layout.name, layout.twips, designFontOf(layout.font));
        } else if constexpr (std::is_same_v<Control, CommandButton>) {
            return makePushButton<CommandButton>(parent, layout.name, caption, layout.twips);
        } else if constexpr (std::is_same_v<Control, ProviderList>) {
            auto* list = placeControl(new ProviderList(parent), layout.name, layout.twips);
            list->setEditable(false);
            return list;
        } else if constexpr (std::is_same_v<Control, TextPane>) {
            auto* pane = placeControl(new TextPane(parent), layout.name, layout.twips);
            pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            pane->setTabChangesFocus(true);
            return pane;
        } else {
            return makeLabel<Control>(parent, layout.name, caption, layout.twips);
        }
    });

    if (layout.font != Font::Window)
        made->setFont(designFontOf(layout.font));
    QPalette palette = made->palette();
    switch (layout.look) {
    case Look::Ordinary:
    case Look::KeyLeftToMenu:
        break;
    case Look::Band:
        palette.setColor(QPalette::Window, palette.color(QPalette::Disabled, QPalette::Text));
        made->setPalette(palette);
        made->setAutoFillBackground(true);
        break;
    case Look::Box:
        static_cast<QLabel*>(made)->setFrameStyle(QFrame::Box | QFrame::Plain);
        static_cast<QLabel*>(made)->setLineWidth(1);
        break;
    case Look::FieldCaption:
        made->setCursor(Qt::WhatsThisCursor);
        break;
    case Look::Hint:
        setTextColour(made, DarkRed);
        break;
    case Look::KeyHint:
        setTextColour(made, DarkBlue);
        break;
    case Look::Banner:
        setTextColour(made, palette.color(QPalette::Highlight));
        break;
    case Look::Guide:
        palette.setColor(QPalette::Base, palette.color(QPalette::Midlight));
        made->setPalette(palette);
        break;
    case Look::Help:
        palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
        palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
        made->setPalette(palette);
        made->raise();
        break;
    }
    if (!layout.shown)
        made->hide();
}

// What a screen reader reading the window itself finds. The words each
// control says of itself are given where it is taught to say them.
void FormControls::describe()
{
    for (const Field& field : fields)
        AccessibleNames::setOwn(field.edit, field.caption->text(), field.hint->text());
    for (const Button& b : buttons)
        AccessibleNames::setOwn(b.button, withoutAccessKeyMarker(b.button->text()), b.keyHint);
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
            AccessibleNames::setOwnDescription(field.edit, text);
    }
}

void FormControls::showRecord(const Acd& acd)
{
    for (const Field& field : fields)
        field.edit->setText(acd.*field.record);
}

void FormControls::takeIntoRecord(Acd& acd) const
{
    for (const Field& field : fields)
        acd.*field.record = field.edit->text();
}

QString FormControls::captionOf(QString Acd::*member) const
{
    for (const Field& field : fields) {
        if (field.record == member)
            return withoutAccessKeyMarker(field.caption->text());
    }
    return QString();
}
