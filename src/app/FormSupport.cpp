#include "app/FormSupport.h"

#include "account/Acd.h"
#include "account/AcdFile.h"
#include "account/AcdFormat.h"
#include "account/FileCommands.h"
#include "app/ClickableLabel.h"
#include "app/FrameBox.h"
#include "app/GuideText.h"
#include "app/HelpTexts.h"
#include "app/WebPages.h"
#include "dialogs/Kodo.h"
#include "dialogs/frmAbout.h"
#include "platform/Platform.h"
#include "providers/AddressTypingAid.h"
#include "providers/ProviderTable.h"
#include "providers/SampleSettings.h"
#include "providers/ServerDerivation.h"
#include "speech/Announce.h"
#include "speech/SpeechChannel.h"
#include "ui/DesignFonts.h"
#include "ui/EnterMovesOn.h"
#include "ui/FixedWindow.h"
#include "ui/KeySender.h"
#include "ui/LabelFit.h"
#include "ui/TextColour.h"
#include "ui/Twips.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTextCursor>
#include <limits>

namespace {

constexpr int ClientWidthTwips = 7545;
constexpr int ClientHeightTwips = 7590;

template <typename W> W* place(W* widget, const char* name, const QRect& geometry)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

template <typename L> L* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = place(new L(parent), name, geometry);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

// Qt's text boxes hand back LF whatever line ends they were given.
QString withQtLineEnds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// The text as set where the box still holds it; otherwise what the user made
// of it, with the CR LF line ends the rest of the program uses.
QString textOf(const QPlainTextEdit* pane, const QString& lastSet)
{
    const QString shown = pane->toPlainText();
    if (shown == withQtLineEnds(lastSet))
        return lastSet;
    QString text = shown;
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

const QString WriteFailure = QStringLiteral("アカウントデータの書き込みに失敗しました");
const QString WriteFailureTitle = QStringLiteral("書き込みエラー");
const QString ReadFailure = QStringLiteral("アカウントデータの読み込みに失敗しました");
const QString ReadFailureTitle = QStringLiteral("読み込みエラー");
const QString NoRemovableDisk = QStringLiteral("フロッピーディスクなどのリムーバブルディスクが見つかりません");
const QString NoRemovableDiskTitle = QStringLiteral("ディスクエラー");
const QString ClearQuestion = QStringLiteral("現在の設定をクリアします。よろしいですか?");
const QString ClearTitle = QStringLiteral("すべてクリア");
const QString GuideTitle = QStringLiteral("説明ウインド");
const QString HelpTitle = QStringLiteral("詳細ヘルプウインド");
const QString Pass = QStringLiteral("パス");
const QString Combo1Title = QStringLiteral("参照用プロバイダの選択");
const QString Combo2Title = QStringLiteral("閲覧用プロバイダの選択");

struct ButtonWords {
    QString label;
    QString keyHint;
};
const ButtonWords Command4Words{QStringLiteral("アドレスから自動的にサーバー情報を取り込む"),
                                QStringLiteral("Enterは取り込み Tabは次へ")};
const ButtonWords Command5Words{QStringLiteral("すべてクリアのプッシュボタン"), QStringLiteral("Enterはクリア Tabは次へ")};
const ButtonWords Command2Words{QStringLiteral("高度な設定のプッシュボタン"), QStringLiteral("Enterは高度な設定 Tabは次へ")};
const ButtonWords Command1Words{QStringLiteral("参考に読み込むのプッシュボタン"), QStringLiteral("Enterは参照 Tabは次へ")};
// The button reads "参照する" but says "閲覧する".
const ButtonWords Command3Words{QStringLiteral("IEで閲覧するのプッシュボタン"), QStringLiteral("Enterは閲覧 Tabは次へ")};

// A window without the services it stands on could only fail later, at
// whichever command first reached for one.
Platform& withRequiredServices(Platform& platform)
{
    const QStringList missing = platform.missingServices();
    if (!missing.isEmpty())
        qFatal("The platform lacks required services: %s", qPrintable(missing.join(QStringLiteral(", "))));
    return platform;
}

} // namespace

FormSupport::FormSupport(Platform& platform, SpeechChannel& speech, Acd& acd, QWidget* parent)
    : QMainWindow(parent)
    , m_platform(withRequiredServices(platform))
    , m_speech(speech)
    , m_acd(acd)
    , m_fileCommands(std::make_unique<FileCommands>(*platform.fileDialogLibrary, *platform.standardFileDialog,
                                                    *platform.driveTypes, QCoreApplication::applicationDirPath()))
{
    setObjectName(QStringLiteral("FormSupport"));
    setWindowTitle(Title);
    // A single fixed border with only the close box.
    setWindowFlags(fixedWindowFlags(Qt::Window));
    setFont(designFont(PGothicFamily, 9));

    createControls();
    for (QLabel* label : findChildren<QLabel*>())
        showLabelWhole(label);
    createMenus();
    setTabOrderOfControls();
    attachHandlers();
    // The file dialogs open over this window.
    m_platform.fileDialogLibrary->setOwner(this);
    m_platform.standardFileDialog->setOwner(this);

    // Menu bar plus the client area, and nothing can resize it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

FormSupport::~FormSupport()
{
    HookedControl::releaseAll(this);
    m_platform.fileDialogLibrary->setOwner(nullptr);
    m_platform.standardFileDialog->setOwner(nullptr);
}

void FormSupport::createControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(fromTwips(ClientWidthTwips), fromTwips(ClientHeightTwips));
    setCentralWidget(client);

    const QFont fieldFont = designFont(GothicFamily, 9.75);
    const QFont captionFont = designFont(PGothicFamily, 9.75);

    auto entryField = [&](QWidget* parent, const char* name, const QRect& geometry) {
        auto* edit = place(new EntryField(parent), name, geometry);
        edit->setFont(fieldFont);
        // A value read from a file must come back out whole, however long.
        edit->setMaxLength(std::numeric_limits<int>::max());
        return edit;
    };
    auto captionLabel = [&](QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
        auto* label = makeLabel<ClickableLabel>(parent, name, text, geometry);
        label->setFont(captionFont);
        label->setCursor(Qt::WhatsThisCursor);
        return label;
    };
    // The hints take their clicks themselves: only the frame's own area puts
    // the focus into its first field.
    auto hintLabel = [&](QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
        QLabel* label = makeLabel<ClickableLabel>(parent, name, text, geometry);
        setTextColour(label, DarkRed);
        return label;
    };
    auto button = [&](QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
        auto* b = place(new CommandButton(parent), name, geometry);
        b->setText(caption);
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    auto providerList = [&](const char* name, const QRect& geometry) {
        auto* list = place(new ProviderList(client), name, geometry);
        list->setEditable(false);
        list->setFont(captionFont);
        return list;
    };

    // The band and the box go first so that what lies on them is drawn above.
    Label2 = makeLabel<QLabel>(client, "Label2", QString(), twipsRect(0, 4890, 7620, 300));
    {
        QPalette palette = Label2->palette();
        palette.setColor(QPalette::Window, palette.color(QPalette::Disabled, QPalette::Text));
        Label2->setPalette(palette);
        Label2->setAutoFillBackground(true);
    }
    Label17 = makeLabel<QLabel>(client, "Label17", QString(), twipsRect(90, 6120, 7335, 1395));
    Label17->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label17->setLineWidth(1);

    Frame1 = place(new FrameBox(QStringLiteral("差出人情報(&F)"), false, client), "Frame1", twipsRect(180, 120, 7215, 1455));
    lblName0 = captionLabel(Frame1, "lblName0", QStringLiteral("差出人の名前"), twipsRect(360, 465, 1170, 195));
    txtName = entryField(Frame1, "txtName", twipsRect(2340, 420, 4455, 285));
    lblName = hintLabel(Frame1, "lblName", QStringLiteral("メールを受け取る人に、この名前を通知します"),
                        twipsRect(2340, 240, 3465, 180));
    lblAddress0 = captionLabel(Frame1, "lblAddress0", QStringLiteral("メールアドレス"), twipsRect(360, 1005, 1170, 195));
    txtAddress = entryField(Frame1, "txtAddress", twipsRect(2340, 960, 3675, 285));
    lblAddress = hintLabel(Frame1, "lblAddress", QStringLiteral("完全なメールアドレスを記述します"),
                           twipsRect(2340, 780, 2610, 180));
    Command4 = button(Frame1, "Command4", QStringLiteral("↓自動"), twipsRect(6060, 945, 735, 315));

    Frame2 = place(new FrameBox(QStringLiteral("サーバー情報(&S)"), true, client), "Frame2", twipsRect(180, 1680, 7215, 2535));
    lblPOP0 = captionLabel(Frame2, "lblPOP0", QStringLiteral("POPサーバー(受信)"), twipsRect(360, 465, 1635, 195));
    txtPOP = entryField(Frame2, "txtPOP", twipsRect(2340, 420, 4455, 285));
    lblPOP = hintLabel(Frame2, "lblPOP", QStringLiteral("メールを受信するときに接続するアドレス"),
                       twipsRect(2340, 240, 3075, 180));
    lblSMTP0 = captionLabel(Frame2, "lblSMTP0", QStringLiteral("SMTPサーバー(送信)"), twipsRect(360, 1005, 1770, 195));
    lblSMTP = hintLabel(Frame2, "lblSMTP", QStringLiteral("メールを送信するときに接続するアドレス"),
                        twipsRect(2340, 780, 3075, 180));
    txtSMTP = entryField(Frame2, "txtSMTP", twipsRect(2340, 960, 4455, 285));
    lblID0 = captionLabel(Frame2, "lblID0", QStringLiteral("メールID(アカウント)"), twipsRect(360, 1545, 1590, 195));
    txtID = entryField(Frame2, "txtID", twipsRect(2340, 1500, 4455, 285));
    lblID = hintLabel(Frame2, "lblID", QStringLiteral("受信時(POPサーバ)のログインユーザ名 [アカウント名]"),
                      twipsRect(2340, 1320, 4155, 180));
    lblPW0 = captionLabel(Frame2, "lblPW0", QStringLiteral("メールパスワード"), twipsRect(360, 2085, 1380, 195));
    // In clear: whoever sets the account up for someone else must see what they typed.
    txtPW = entryField(Frame2, "txtPW", twipsRect(2340, 2040, 4455, 285));
    txtPW->setEchoMode(QLineEdit::Normal);
    lblPW = hintLabel(Frame2, "lblPW", QStringLiteral("受信時(POPサーバ)のログインパスワード"),
                      twipsRect(2340, 1860, 3135, 180));

    Frame1->setFocusTarget(txtName);
    Frame2->setFocusTarget(txtPOP);

    // Names are typed in Japanese: the input method may compose here. Linux
    // has no portable call to switch it on; the user's own toggle does that.
    txtName->setAttribute(Qt::WA_InputMethodEnabled, true);
    txtName->setInputMethodHints(Qt::ImhNone);

    Command5 = button(client, "Command5", QStringLiteral("すべてクリア"), twipsRect(3360, 4320, 1935, 375));
    Command2 = button(client, "Command2", QStringLiteral("高度な設定"), twipsRect(5460, 4320, 1935, 375));
    Label3 = makeLabel<ClickableLabel>(client, "Label3", QStringLiteral("[Ｆ１]キー : 各項目の詳細ヘルプ"),
                                       twipsRect(420, 4440, 2460, 180));
    setTextColour(Label3, DarkBlue);

    Label1 = makeLabel<QLabel>(client, "Label1", QStringLiteral("VORNIX Support Tool "), twipsRect(225, 4920, 2475, 225));
    Label1->setFont(designFont(PGothicFamily, 11.25, true));
    setTextColour(Label1, Label1->palette().color(QPalette::Highlight));

    Label18 = makeLabel<QLabel>(client, "Label18", QStringLiteral("設定例を知りたいときは→"), twipsRect(240, 5340, 2175, 180));
    Label18->setFont(designFont(PGothicFamily, 9, true));
    Combo1 = providerList("Combo1", twipsRect(2580, 5280, 2115, 315));
    Label8 = makeLabel<QLabel>(client, "Label8", QStringLiteral("の設定を"), twipsRect(4800, 5340, 735, 195));
    Label8->setFont(captionFont);
    Command1 = button(client, "Command1", QStringLiteral("参考に読み込む"), twipsRect(5640, 5280, 1695, 315));
    Command1->setFont(captionFont);

    Label15 = makeLabel<QLabel>(client, "Label15", QStringLiteral("プロバイダのホームページ"), twipsRect(240, 5760, 2220, 180));
    Label15->setFont(designFont(PGothicFamily, 9, true));
    Combo2 = providerList("Combo2", twipsRect(2580, 5700, 2115, 315));
    Label16 = makeLabel<QLabel>(client, "Label16", QStringLiteral("のHPを"), twipsRect(4800, 5760, 585, 195));
    Label16->setFont(captionFont);
    Command3 = button(client, "Command3", QStringLiteral("IEで参照する"), twipsRect(5640, 5700, 1695, 315));
    Command3->setFont(captionFont);

    txtGuide = place(new TextPane(client), "txtGuide", twipsRect(150, 6180, 7245, 1275));
    txtGuide->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtGuide->setTabChangesFocus(true);
    {
        QPalette palette = txtGuide->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Midlight));
        txtGuide->setPalette(palette);
    }
    setGuideText(::guideText());

    txtHelp = place(new TextPane(client), "txtHelp", twipsRect(60, 5280, 7395, 2235));
    txtHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtHelp->setTabChangesFocus(true);
    txtHelp->setFont(captionFont);
    {
        QPalette palette = txtHelp->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
        palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
        txtHelp->setPalette(palette);
    }
    txtHelp->hide();
    // Shown, the pane covers the provider rows and the guide pane.
    txtHelp->raise();

    Command6 = button(client, "Command6", QStringLiteral("ヘルプを閉じる(&C)"), twipsRect(5160, 4920, 1815, 255));
    Command6->hide();

    m_fields = {{
        {txtName, QStringLiteral("差出人の名前は"), &FormSupport::txtNameHelp},
        {txtAddress, QStringLiteral("メールアドレスは"), &FormSupport::txtAddressHelp},
        {txtPOP, QStringLiteral("ポップ受信サーバーは"), &FormSupport::txtPOPHelp},
        {txtSMTP, QStringLiteral("SMTP送信サーバーは"), &FormSupport::txtSMTPHelp},
        {txtID, QStringLiteral("メールIDまたは、ポップアカウントは"), &FormSupport::txtIDHelp},
        {txtPW, QStringLiteral("メールパスワードは"), &FormSupport::txtPWHelp},
    }};

    // What a screen reader reading the window itself finds: the same words.
    const std::pair<QLineEdit*, QLabel*> fieldCaptions[] = {
        {txtName, lblName0}, {txtAddress, lblAddress0}, {txtPOP, lblPOP0},
        {txtSMTP, lblSMTP0}, {txtID, lblID0},           {txtPW, lblPW0},
    };
    const std::pair<QLineEdit*, QLabel*> fieldHints[] = {
        {txtName, lblName}, {txtAddress, lblAddress}, {txtPOP, lblPOP},
        {txtSMTP, lblSMTP}, {txtID, lblID},           {txtPW, lblPW},
    };
    for (const auto& [edit, caption] : fieldCaptions)
        edit->setAccessibleName(caption->text());
    for (const auto& [edit, hint] : fieldHints)
        edit->setAccessibleDescription(hint->text());
    const std::pair<QPushButton*, const ButtonWords*> buttons[] = {
        {Command4, &Command4Words}, {Command5, &Command5Words}, {Command2, &Command2Words},
        {Command1, &Command1Words}, {Command3, &Command3Words},
    };
    for (const auto& [b, words] : buttons) {
        b->setAccessibleName(withoutAccessKeyMarker(b->text()));
        b->setAccessibleDescription(words->keyHint);
    }
    Command6->setAccessibleName(withoutAccessKeyMarker(Command6->text()));
    Combo1->setAccessibleName(Combo1Title);
    Combo2->setAccessibleName(Combo2Title);
    txtGuide->setAccessibleName(GuideTitle);
    txtHelp->setAccessibleName(HelpTitle);
}

void FormSupport::createMenus()
{
    auto action = [](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    mnu_file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    mnu_file->setObjectName(QStringLiteral("mnu_file"));
    mnu_file_open = action(mnu_file, "mnu_file_open", QStringLiteral("アカウントデータを読み込む(&O)..."));
    mnu_file_save = action(mnu_file, "mnu_file_save", QStringLiteral("アカウントデータを保存(&S)..."));
    dummy001 = separator(mnu_file, "dummy001");
    mnu_file_fdopen = action(mnu_file, "mnu_file_fdopen", QStringLiteral("フロッピーディスクから読み込む(&R)..."));
    mnu_file_fdsave = action(mnu_file, "mnu_file_fdsave", QStringLiteral("フロッピーディスクに書き込む(&W)..."));
    dummy05 = separator(mnu_file, "dummy05");
    mnu_file_exit = action(mnu_file, "mnu_file_exit", QStringLiteral("終了(&X)"));

    mnu_edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    mnu_edit->setObjectName(QStringLiteral("mnu_edit"));
    mnu_edit_clear = action(mnu_edit, "mnu_edit_clear", QStringLiteral("すべてクリア(&C)"));

    mnu_help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    mnu_help->setObjectName(QStringLiteral("mnu_help"));
    mnu_help_web1 = action(mnu_help, "mnu_help_web1", QStringLiteral("VORNIX商品情報のWebページ(&M)"));
    mnu_help_web2 = action(mnu_help, "mnu_help_web2", QStringLiteral("最新サポート情報のWebページ(&S)"));
    duumy01 = separator(mnu_help, "duumy01");
    mnu_help_ver = action(mnu_help, "mnu_help_ver", QStringLiteral("バージョン情報(&A)..."));
}

void FormSupport::setTabOrderOfControls()
{
    const QWidget* order[] = {txtName,  txtAddress, Command4, txtPOP,   txtSMTP, txtID,    txtPW,   Command5,
                              Command2, Combo1,     Command1, Combo2,   Command3, txtGuide, txtHelp, Command6};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
}

void FormSupport::attachHandlers()
{
    for (const Field& field : m_fields) {
        const Field* f = &field;
        f->edit->handlers.gotFocus = [this, f](Qt::FocusReason) { field_GotFocus(*f); };
        f->edit->handlers.regainedFocus = [this, f] { announceField(*f); };
        f->edit->handlers.lostFocus = [this, f](Qt::FocusReason reason) {
            // Another window taking over is no move within this one.
            if (reason != Qt::ActiveWindowFocusReason)
                field_LostFocus(*f);
        };
        f->edit->handlers.keyPress = enterMovesOn;
        f->edit->handlers.keyRelease = [this, f](QKeyEvent* e) { return field_KeyUp(*f, e); };
    }
    txtAddress->handlers.keyPress = [this](QKeyEvent* e) { return txtAddress_KeyPress(e); };

    // In a main window Qt leaves Enter on a push button alone; here it presses
    // the button, as Space does.
    auto pressOnEnter = [](CommandButton* b) {
        b->handlers.keyPress = [b](QKeyEvent* e) {
            if (!isEnterKey(e))
                return false;
            b->click();
            return true;
        };
    };
    const std::pair<CommandButton*, const ButtonWords*> buttons[] = {
        {Command5, &Command5Words}, {Command2, &Command2Words}, {Command1, &Command1Words}, {Command3, &Command3Words}};
    for (const auto& [b, words] : buttons) {
        pressOnEnter(b);
        b->handlers.gotFocus = [this, words](Qt::FocusReason) { button_GotFocus(words->label, words->keyHint); };
    }
    pressOnEnter(Command6);

    Command4->handlers.gotFocus = [this](Qt::FocusReason) {
        button_GotFocus(Command4Words.label, Command4Words.keyHint);
    };
    Command4->handlers.keyPress = [this](QKeyEvent* e) { return Command4_KeyDown(e); };
    Command4->handlers.keyRelease = [this](QKeyEvent* e) { return Command4_KeyUp(e); };

    Combo1->handlers.gotFocus = [this](Qt::FocusReason) { Combo1_GotFocus(); };
    Combo2->handlers.gotFocus = [this](Qt::FocusReason) { list_GotFocus(Combo2, Combo2Title); };
    Combo1->handlers.keyPress = enterMovesOn;
    Combo2->handlers.keyPress = enterMovesOn;

    txtGuide->handlers.gotFocus = [this](Qt::FocusReason) { txtGuide_GotFocus(); };
    txtGuide->handlers.regainedFocus = [this] { announceGuide(); };
    txtHelp->handlers.gotFocus = [this](Qt::FocusReason) { txtHelp_GotFocus(); };
    txtHelp->handlers.keyRelease = [this](QKeyEvent* e) { return txtHelp_KeyUp(e); };

    connect(Command1, &QPushButton::clicked, this, &FormSupport::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FormSupport::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &FormSupport::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &FormSupport::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &FormSupport::Command5_Click);
    connect(mnu_file_open, &QAction::triggered, this, &FormSupport::mnu_file_open_Click);
    connect(mnu_file_save, &QAction::triggered, this, &FormSupport::mnu_file_save_Click);
    connect(mnu_file_fdopen, &QAction::triggered, this, &FormSupport::mnu_file_fdopen_Click);
    connect(mnu_file_fdsave, &QAction::triggered, this, &FormSupport::mnu_file_fdsave_Click);
    connect(mnu_help_web1, &QAction::triggered, this, &FormSupport::mnu_help_web1_Click);
    connect(mnu_help_web2, &QAction::triggered, this, &FormSupport::mnu_help_web2_Click);
    connect(mnu_help_ver, &QAction::triggered, this, &FormSupport::mnu_help_ver_Click);
    connect(mnu_edit_clear, &QAction::triggered, this, &FormSupport::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &FormSupport::Command6_Click);
    // Ends the program at once: nothing is asked, saved or said.
    connect(mnu_file_exit, &QAction::triggered, this, &QWidget::close);

    const std::pair<ClickableLabel*, const Field*> captions[] = {
        {lblName0, &m_fields[0]}, {lblAddress0, &m_fields[1]}, {lblPOP0, &m_fields[2]},
        {lblSMTP0, &m_fields[3]}, {lblID0, &m_fields[4]},      {lblPW0, &m_fields[5]},
    };
    for (const auto& [label, field] : captions) {
        const Field* f = field;
        connect(label, &ClickableLabel::clicked, this, [this, f] { captionLabel_Click(*f); });
    }
    connect(Label3, &ClickableLabel::clicked, this, &FormSupport::Label3_Click);
}

void FormSupport::Form_Load()
{
    m_speech.VobrInit(m_platform.speechFactory);
    ComboSet();
    defaultAcd();
    m_programFolder = QCoreApplication::applicationDirPath();
    txtName->setFocus(Qt::OtherFocusReason);
}

void FormSupport::bringToFront()
{
    showNormal();
    raise();
    activateWindow();
}

void FormSupport::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (m_centred)
        return;
    m_centred = true;
    if (const QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
}

void FormSupport::defaultAcd()
{
    ::defaultAcd(m_acd);
}

void FormSupport::Acd2Editer()
{
    txtSMTP->setText(m_acd.Smtp);
    txtPOP->setText(m_acd.Pop);
    txtID->setText(m_acd.PopUser);
    txtPW->setText(m_acd.Poppass);
    txtName->setText(m_acd.FromName);
    txtAddress->setText(m_acd.FromMail);
}

void FormSupport::Edit2Acd()
{
    m_acd.Smtp = txtSMTP->text();
    m_acd.Pop = txtPOP->text();
    m_acd.PopUser = txtID->text();
    m_acd.Poppass = txtPW->text();
    m_acd.FromName = txtName->text();
    m_acd.FromMail = txtAddress->text();
}

void FormSupport::ComboDisp()
{
    const QString address = txtAddress->text();
    const qsizetype at = address.indexOf(u'@');
    if (at < 0)
        return;
    const QString local = address.left(at);
    const QString domain = address.mid(at + 1);
    if (isBlank(local) || isBlank(domain))
        return;
    const std::optional<int> provider = RecognizeProvider(domain);
    if (!provider)
        return;
    Combo1->setCurrentIndex(*provider);
    Combo2->setCurrentIndex(*provider);
}

void FormSupport::ComboSet()
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

void FormSupport::Command5_Click()
{
    if (m_platform.messageBox->question(this, ClearQuestion, ClearTitle) != MessageBox::Answer::Yes)
        return;
    ComboSet();
    defaultAcd();
    Acd2Editer();
}

void FormSupport::Command6_Click()
{
    closeHelp();
}

void FormSupport::txtNameHelp()
{
    showHelp(txtNameHelpText());
}

void FormSupport::txtAddressHelp()
{
    showHelp(txtAddressHelpText());
}

void FormSupport::txtPOPHelp()
{
    showHelp(txtPOPHelpText());
}

void FormSupport::txtSMTPHelp()
{
    showHelp(txtSMTPHelpText());
}

void FormSupport::txtIDHelp()
{
    showHelp(txtIDHelpText());
}

void FormSupport::txtPWHelp()
{
    showHelp(txtPWHelpText());
}

void FormSupport::setGuideText(const QString& text)
{
    m_guideText = text;
    txtGuide->setPlainText(text);
}

QString FormSupport::guideText() const
{
    return textOf(txtGuide, m_guideText);
}

QString FormSupport::helpText() const
{
    return textOf(txtHelp, m_helpText);
}

void FormSupport::showHelp(const QString& text)
{
    m_helpText = text;
    txtHelp->setPlainText(text);
    if (txtHelp->isHidden()) {
        txtHelp->show();
        txtHelp->setFocus(Qt::OtherFocusReason);
    }
}

void FormSupport::closeHelp()
{
    // "パス" is heard whole before the field's announcement cuts in.
    m_speech.Voice(Pass);
    m_speech.VoiceWait();
    // Only the close box's access key can get here before any field lost the
    // focus; the first field is then where the user started.
    QLineEdit* back = m_lastField ? m_lastField : txtName;
    back->setFocus(Qt::OtherFocusReason);
    txtHelp->hide();
    Command6->hide();
}

void FormSupport::field_GotFocus(const Field& field)
{
    if (!txtHelp->isHidden())
        (this->*field.help)();
    field.edit->setCursorPosition(0);
    field.edit->deselect();
    announceField(field);
}

void FormSupport::announceField(const Field& field)
{
    Announce::field(m_speech, field.spokenLabel, field.edit->text());
}

void FormSupport::field_LostFocus(const Field& field)
{
    m_lastField = field.edit;
}

bool FormSupport::txtAddress_KeyPress(QKeyEvent* e)
{
    // Only character keys reach the typing aid; shortcuts keep their meaning.
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    QChar typed;
    if (isEnterKey(e))
        typed = QChar(u'\r');
    else if (e->text().size() == 1)
        typed = e->text().front();
    else
        return false;

    AddressEdit current;
    current.text = txtAddress->text();
    // Qt answers -1 without a selection; the aid wants the caret then.
    current.selectionStart = txtAddress->hasSelectedText() ? txtAddress->selectionStart() : txtAddress->cursorPosition();
    current.selectionLength = int(txtAddress->selectedText().size());

    const TypingAidAction action = typingAid(current, typed);
    switch (action.kind) {
    case TypingAidAction::Kind::TypeNormally:
        return false;
    case TypingAidAction::Kind::MoveToDerivation:
        Command4->setFocus(Qt::OtherFocusReason);
        return true;
    case TypingAidAction::Kind::ReplaceEdit:
        // A completion is inserted like typing, which keeps the field's undo
        // history (setting the whole text would wipe it).
        if (action.edit.text.startsWith(current.text) && current.selectionStart == current.text.size())
            txtAddress->insert(action.edit.text.mid(current.text.size()));
        else if (action.edit.text != current.text)
            txtAddress->setText(action.edit.text);
        if (action.edit.selectionLength > 0)
            txtAddress->setSelection(action.edit.selectionStart, action.edit.selectionLength);
        else {
            txtAddress->deselect();
            txtAddress->setCursorPosition(action.edit.selectionStart);
        }
        return true;
    }
    return false;
}

bool FormSupport::field_KeyUp(const Field& field, QKeyEvent* e)
{
    if (e->key() != Qt::Key_F1)
        return false;
    (this->*field.help)();
    return true;
}

void FormSupport::button_GotFocus(const QString& spokenLabel, const QString& keyHint)
{
    Announce::button(m_speech, spokenLabel, keyHint);
}

void FormSupport::list_GotFocus(QComboBox* list, const QString& title)
{
    if (list->currentIndex() < 0) {
        Announce::list(m_speech, title, nullptr);
        return;
    }
    const QString entry = list->currentText();
    Announce::list(m_speech, title, &entry);
}

void FormSupport::Combo1_GotFocus()
{
    // The help pane covers the provider rows: the keyboard skips them.
    if (!txtHelp->isHidden()) {
        txtName->setFocus(Qt::OtherFocusReason);
        return;
    }
    list_GotFocus(Combo1, Combo1Title);
}

void FormSupport::txtGuide_GotFocus()
{
    // The help pane covers the guide pane too.
    if (!txtHelp->isHidden()) {
        Command2->setFocus(Qt::OtherFocusReason);
        return;
    }
    QTextCursor cursor = txtGuide->textCursor();
    cursor.movePosition(QTextCursor::Start);
    txtGuide->setTextCursor(cursor);
    announceGuide();
}

void FormSupport::announceGuide()
{
    m_speech.Quick();
    m_speech.Voice(GuideTitle + AnnounceSeparator + guideText());
}

void FormSupport::txtHelp_GotFocus()
{
    Command6->show();
    // No Quick: whatever led here (the field's help key) may finish.
    m_speech.Voice(HelpTitle);
}

bool FormSupport::txtHelp_KeyUp(QKeyEvent* e)
{
    if (e->key() != Qt::Key_Escape)
        return false;
    closeHelp();
    return true;
}

bool FormSupport::Command4_KeyDown(QKeyEvent* e)
{
    // The down arrow leaves "↓自動" forward, but only when it is released.
    if (e->key() == Qt::Key_Down)
        return true;
    if (isEnterKey(e)) {
        Command4->click();
        return true;
    }
    return false;
}

bool FormSupport::Command4_KeyUp(QKeyEvent* e)
{
    if (e->key() != Qt::Key_Down)
        return false;
    KeySender::sendTab();
    return true;
}

void FormSupport::captionLabel_Click(const Field& field)
{
    field.edit->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    txtHelp->show();
    Command6->show();
    // The pane is showing now: the help fills it and the focus stays in the field.
    (this->*field.help)();
}

void FormSupport::Label3_Click()
{
    KeySender::sendF1();
}

void FormSupport::saveAcd(const QString& path)
{
    Edit2Acd();
    Acd saved = m_acd;
    applyTitleRule(saved);
    // A character the file cannot hold is a failed save, not a silent substitute.
    const std::optional<QByteArray> bytes = formatAcd(saved);
    const AcdWriteResult result = bytes ? writeAcdFile(path, *bytes, *m_platform.fileSystem) : AcdWriteResult{};
    // The blank title takes the sender name once the file has been created,
    // and keeps it even when writing then fails; a save that never got a file
    // leaves it blank, so a later save takes the name as it is then.
    if (result.created)
        m_acd.Title = saved.Title;
    if (!result)
        m_platform.messageBox->error(this, WriteFailure, WriteFailureTitle);
}

void FormSupport::LoadAcd(const QString& path)
{
    const std::optional<QByteArray> bytes = readAcdFileBytes(path);
    if (!bytes) {
        m_platform.messageBox->error(this, ReadFailure, ReadFailureTitle);
        return;
    }
    // An out-of-range number leaves the record partly loaded; the window
    // keeps showing the previous account until the next save copies it back.
    if (!readAcdInto(*bytes, m_acd)) {
        m_platform.messageBox->error(this, ReadFailure, ReadFailureTitle);
        return;
    }
    Acd2Editer();
    ComboDisp();
    txtName->setFocus(Qt::OtherFocusReason);
}

void FormSupport::mnu_file_open_Click()
{
    if (auto path = m_fileCommands->mnu_file_open_Click())
        LoadAcd(*path);
}

void FormSupport::mnu_file_save_Click()
{
    if (auto path = m_fileCommands->mnu_file_save_Click())
        saveAcd(*path);
}

void FormSupport::mnu_file_fdopen_Click()
{
    const FileChoice choice = m_fileCommands->mnu_file_fdopen_Click();
    if (choice.outcome == FileChoice::Outcome::NoRemovableDisk)
        m_platform.messageBox->error(this, NoRemovableDisk, NoRemovableDiskTitle);
    else if (choice)
        LoadAcd(*choice);
}

void FormSupport::mnu_file_fdsave_Click()
{
    const FileChoice choice = m_fileCommands->mnu_file_fdsave_Click();
    if (choice.outcome == FileChoice::Outcome::NoRemovableDisk)
        m_platform.messageBox->error(this, NoRemovableDisk, NoRemovableDiskTitle);
    else if (choice)
        saveAcd(*choice);
}

QLabel* FormSupport::hintLabelOf(QLineEdit* edit) const
{
    if (edit == txtAddress)
        return lblAddress;
    if (edit == txtPOP)
        return lblPOP;
    if (edit == txtSMTP)
        return lblSMTP;
    if (edit == txtID)
        return lblID;
    if (edit == txtPW)
        return lblPW;
    if (edit == txtName)
        return lblName;
    return nullptr;
}

void FormSupport::setHint(QLabel* hint, const QString& text)
{
    hint->setText(text);
    showLabelWhole(hint);
    // A screen reader reading the field finds the hint it now shows.
    for (const Field& field : m_fields) {
        if (hintLabelOf(field.edit) == hint)
            field.edit->setAccessibleDescription(text);
    }
}

void FormSupport::Sanko()
{
    if (Combo1->currentIndex() < 0)
        return;
    QStringList texts;
    for (const Field& field : m_fields)
        texts << field.edit->text();
    if (sampleOverwritesInput(texts)
        && m_platform.messageBox->question(this, sampleOverwritePrompt(), sampleOverwriteTitle())
               != MessageBox::Answer::Yes)
        return;
    const std::optional<int> provider = providerByDisplayName(Combo1->currentText());
    if (!provider)
        return;
    const SampleSettings& sample = sampleSettings(*provider);
    for (const SampleAssignment& a : sample.assignments) {
        if (a.target == SampleTarget::txtGuide) {
            setGuideText(a.value);
            continue;
        }
        QWidget* target = findChild<QWidget*>(sampleTargetObjectName(a.target));
        if (auto* edit = qobject_cast<QLineEdit*>(target))
            edit->setText(a.value);
        else if (auto* label = qobject_cast<QLabel*>(target))
            setHint(label, a.value);
    }
    Combo2->setCurrentIndex(*provider);
    m_acd.Title = sample.title;
}

void FormSupport::Command1_Click()
{
    Sanko();
    txtName->setFocus(Qt::OtherFocusReason);
}

void FormSupport::Command2_Click()
{
    Kodo::showModal(m_acd, m_speech, txtName->text(), this);
    returnFromDialog();
}

void FormSupport::openPage(std::unique_ptr<Browser>& slot, const QString& url)
{
    std::unique_ptr<Browser> browser = m_platform.browserFactory();
    if (!browser)
        return;
    slot = std::move(browser);
    if (!slot->Navigate2(url))
        return;
    slot->setVisible(true);
}

void FormSupport::HpOpen()
{
    if (Combo2->currentIndex() < 0)
        return;
    const std::optional<int> provider = providerByDisplayName(Combo2->currentText());
    if (!provider)
        return;
    openPage(m_hpBrowser, providerTable()[*provider].HomePageUrl);
}

void FormSupport::Command3_Click()
{
    HpOpen();
}

void FormSupport::Command4_Click()
{
    const ServerDerivation derived = deriveServers(txtAddress->text());
    if (derived.usable) {
        txtPOP->setText(derived.pop);
        txtSMTP->setText(derived.smtp);
        switch (derived.idAction) {
        case ServerDerivation::IdAction::Keep:
            break;
        case ServerDerivation::IdAction::Set:
            txtID->setText(derived.id);
            break;
        case ServerDerivation::IdAction::Clear:
            txtID->clear();
            break;
        }
        if (derived.provider) {
            Combo1->setCurrentIndex(*derived.provider);
            Combo2->setCurrentIndex(*derived.provider);
        }
    }
    // On to txtPOP, which then says the server it got.
    KeySender::sendTab();
}

void FormSupport::mnu_help_web1_Click()
{
    openPage(m_web1Browser, WebPages::ProductPageUrl);
}

void FormSupport::mnu_help_web2_Click()
{
    openPage(m_web2Browser, WebPages::SupportPageUrl);
}

void FormSupport::mnu_help_ver_Click()
{
    frmAbout::showModal(m_speech, *m_platform.modulePresence, this);
    returnFromDialog();
}

void FormSupport::returnFromDialog()
{
    // Without a window manager nothing hands the keyboard back once a dialog
    // is gone; the user must land where they left, which then says itself.
    activateWindow();
}
